#pragma once

// Reads back the linearity and primary data files for the reports: the values only, with
// the calibration tools' rules for keys and fields (a field "x" is a step not measured).

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

// Reads the first `stepCount` steps. False with the operator's message in `error` (and
// the system's reason after it for a file that cannot be read).
bool readLinearityData(const std::filesystem::path& file, int stepCount, LinearityDataValues& values,
                       std::string& error);

struct PrimaryDataValues {
    // Red, green, blue: chromaticity and luminance.
    std::array<Chromaticity, 3> chromaticity{};
    std::array<double, 3> luminance{};
};

bool readPrimaryData(const std::filesystem::path& file, PrimaryDataValues& values, std::string& error);
