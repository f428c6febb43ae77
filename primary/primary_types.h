#pragma once

// The data the primary calibration works on: the measured primaries as the operator
// typed them and as parsed, the display type that picks the target, and the matrices a
// successful Apply leaves for Save.

#include "config/channel.h"

#include <array>
#include <string>

// Rows X, Y, Z (or the download matrix's rows); columns R, G, B.
using Matrix3 = std::array<std::array<double, 3>, 3>;

inline constexpr Matrix3 kIdentityMatrix{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};

// The values are those the primary data file and the store's history use.
enum class DisplayType : int {
    NonRgbLed = 1,
    RgbLed = 2,
};

// One primary's chromaticity and luminance, kept in single precision as the processor's
// tools always have; `z` is derived, `luminance` holds the normalised value after Apply.
struct PrimaryMeasurement {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float luminance = 0.0f;
};

// Red, green, blue; index with channelIndex(). Values not yet parsed are 0.
struct MeasuredPrimaries {
    std::array<PrimaryMeasurement, 3> primaries;
};

// The three edit fields of one primary, as the operator typed them.
struct PrimaryFieldTexts {
    std::string x = "0";
    std::string y = "0";
    std::string luminance = "0";
};

// Red, green, blue; index with channelIndex().
using FieldTexts = std::array<PrimaryFieldTexts, 3>;

struct CalibrationMatrices {
    Matrix3 d65{};
    Matrix3 native = kIdentityMatrix;
    // True after a successful Apply, false after one that failed the matrix checks.
    bool valid = false;
    // True once any Apply succeeded: only then do d65 and native hold computed values.
    bool computed = false;
};
