#pragma once

// The files of a demo installation: calibration defaults, a 3D table set, OSD images and
// sample measurements of a plausible display. All text files end lines with CR LF.

#include <cstdint>
#include <string>
#include <vector>

// A 1D LUT file of `count` values, one per line, in the general 6-digit form.
// `exponent` 1 gives the identity ramp.
std::string lutFileText(int count, double exponent);

// The matrix file of the identity for both the native and the D65 matrix.
std::string identityMatrixFileText();

// A 3D colour table of size^3 groups "r g b R G B": the input grid point and its output.
// Each `variant` (1-6) maps colours a little differently; outputs stay within 0..1.
std::string colorTableFileText(int size, int variant);

// An on-screen-display image of `size` bytes with a pattern of its own per `variant`.
std::vector<std::uint8_t> osdImageBytes(std::size_t size, int variant);

// The step list of the demo: 21 steps from 0 to 255.
std::vector<int> demoStepCodes();

// A linearity data file of a gamma-2.4 display with a black level and compressed highlights.
std::string linearitySampleText(const std::vector<int>& stepCodes);

// A primary data file of a wide-gamut LED projector.
std::string primarySampleText();
