#pragma once

// Reads back the linearity and primary data files for the reports: the values only, with
// the calibration tools' rules for keys and fields (a field "x" is a step not measured).

#include "config/result.h"
#include "measure/chromaticity.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct LinearityDataValues {
    // Red, green, blue of each step (index 0 is step 1); in verification mode red holds grey.
    std::vector<std::array<std::optional<double>, 3>> steps;
    bool verificationMode = false;
    int verificationStep = 0;
};

// Reads the first `stepCount` steps; a failure holds the operator's message (and the
// file with the system's reason for a file that cannot be read).
[[nodiscard]] Result<LinearityDataValues> readLinearityData(const std::filesystem::path& file, int stepCount);

struct PrimaryDataValues {
    // Red, green, blue: chromaticity and luminance.
    std::array<Chromaticity, 3> chromaticity{};
    std::array<double, 3> luminance{};
};

[[nodiscard]] Result<PrimaryDataValues> readPrimaryData(const std::filesystem::path& file);
