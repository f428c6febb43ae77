#pragma once

#include "config/result.h"

#include <filesystem>

// Creates a complete demo installation in `dir` (which must be missing or empty): its
// own store file "registry.reg" with every key and value the programs read, the
// calibration defaults, two table sets, sample measurements and an erased processor flash
// image for the simulated adapter.
[[nodiscard]] Result<> createDemoInstallation(const std::filesystem::path& dir);
