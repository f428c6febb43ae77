#pragma once

// "download_parameters.txt" in the install directory's Diagnostics folder: the files a
// successful download wrote into the flash.

#include "config/calibration_settings.h"
#include "download/run_state.h"

#include <string>

// The file's text: one "label=name" line per recorded name, each ended by CR LF.
std::string downloadParametersText(const RecordedFileNames& names);

// Writes the file; when it cannot be written (no install directory, no Diagnostics
// folder) nothing is written and nothing is reported.
void writeDownloadParametersFile(const CalibrationSettings& settings, const RecordedFileNames& names);
