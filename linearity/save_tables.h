#pragma once

// Save: writes the three display linearity 1D LUT files named by the settings, marking
// each channel's file invalid while it is written and valid once it is complete, then
// the diagnostics file "measured_linearities.txt".

#include "linearity/linearity_calibration.h"

#include <string>

struct TableSaveResult {
    bool tablesWritten = false; // all three LUT files written and marked valid
    bool diagnosticsWritten = false; // the diagnostics file, which never stops a save
    std::string reason; // why a save stopped: the file and the system's reason
};

// Writes nothing unless the last computation succeeded (Save is enabled). Stops at the
// first channel whose file does not open or fails to write, with the message in the
// status box. In verification mode the grayscale table goes into all three files: a
// grayscale measurement describes the three channels alike.
TableSaveResult saveTables(LinearityCalibration& calibration);
