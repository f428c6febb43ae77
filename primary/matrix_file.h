#pragma once

// Save: the matrix file the download tool reads, the store's "Current Valid" flag kept in
// step with it, and the record of the measured values in "measured_primaries.txt".

#include "config/result.h"
#include "primary/primary_types.h"

#include <string>

class CalibrationSettings;

// Six lines of three numbers in the general 6-digit form, CR LF: the native download
// matrix's rows, then the D65 download matrix's rows.
std::string matrixFileText(const CalibrationMatrices& matrices);

// "Red values: x=..., y=..., Y=..." for red, green and blue, the texts as typed, CR LF.
std::string primaryDiagnosticsText(const FieldTexts& texts);

// Writes the matrix file at the settings' matrixCurrent, marking it not valid while it is
// written and valid once it is complete, then the diagnostics file when there is an
// install directory (skipped quietly when it does not open). Refuses matrices that no
// Apply computed.
[[nodiscard]] Result<> saveCalibrationFiles(CalibrationSettings& settings, const CalibrationMatrices& matrices,
                                            const FieldTexts& texts);
