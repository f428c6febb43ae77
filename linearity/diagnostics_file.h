#pragma once

// "measured_linearities.txt": one line per step with the three grid cells as typed,
// "Row 3: Red Y=0.52, Green Y=1.734, Blue Y=0.211", every line ending CR LF.

#include "linearity/measurement_set.h"

#include <string>

inline constexpr const char* kMeasuredLinearitiesFileName = "measured_linearities.txt";

// A cell without a number (not measured, or a column the verification layout lacks)
// is written as "x", the grid's own mark for a step that was not measured.
std::string formatMeasuredLinearities(const MeasurementSet& set);
