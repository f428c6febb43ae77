#pragma once

#include "primary/primary_types.h"

#include <string>

// The text of the Calibration Matrices field: a heading and three rows for the D65 and
// the native download matrix, six decimals, every line ending with a blank and CR LF.
std::string calibrationReportText(const CalibrationMatrices& matrices);
