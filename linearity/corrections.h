#pragma once

// The two corrections that exclude measurements which would spoil the fit. Both compare
// the measured lightness of a step with what a power law through the channel's black
// level and its top present step would give.

#include "linearity/measurement_set.h"

#include <cstdint>

// Bright Region Correction: walks down from the top step of each channel while the
// measured rise to the step above is less than half the rise a 2.2 power law would
// show, dropping those top steps; then cuts all three channels at the lowest limit found
// and lowers brightStep to it. Leaves brightStep alone when no channel compresses.
void applyBrightRegionCorrection(MeasurementSet& set, std::int32_t& brightStep);

// Noise Reduction: for each channel (red alone in verification mode) tries every start
// step of the fit and drops the dark steps below the start whose fitted curve follows the
// measured lightness best (lowest RMS; a start must beat the best so far by more than
// rounding noise, so ties keep the lower start).
void applyNoiseReduction(MeasurementSet& set);
