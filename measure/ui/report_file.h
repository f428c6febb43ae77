#pragma once

// The HTML report of a data file the measuring window has just written, read back from
// the file so that it shows what the calibration tools will load.

#include "config/result.h"
#include "measure/measurement_plan.h"

#include <filesystem>
#include <string>
#include <vector>

class RegistryStore;

// Beside the data file: its name without extension, "_report.html"; never the data file.
std::filesystem::path reportPathFor(const std::filesystem::path& dataFile);

// `codes` are the step list's code values (unused for primaries).
[[nodiscard]] Result<> writeMeasurementReport(MeasurementKind kind, const std::filesystem::path& dataFile,
                                              const std::vector<int>& codes, RegistryStore& store,
                                              const std::filesystem::path& report);
