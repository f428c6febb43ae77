#pragma once

// The primary data file: the nine measured values as typed and the display type, kept in
// a key file so that a set of measurements can be brought back later.
//
//   [DATA]
//   MEASURED_DATA_RED=0.64, 0.33, 21.26      (and GREEN, BLUE)
//   [PARAMETERS]
//   VERSION=1.00
//   DISPLAY_TYPE=RGB_LED_DISPLAY             (or NONRGB_LED_DISPLAY)

#include "config/result.h"
#include "primary/primary_types.h"

#include <filesystem>
#include <string>

// Writes the five keys into the file, keeping its other content. Stops at the first
// write that fails (the keys written before it stay).
[[nodiscard]] Result<> savePrimaryData(const std::filesystem::path& file, const FieldTexts& texts,
                                       DisplayType displayType);

// Reads the file into `texts` and `displayType`. On failure both are left exactly as they
// were.
[[nodiscard]] Result<> loadPrimaryData(const std::filesystem::path& file, FieldTexts& texts, DisplayType& displayType);
