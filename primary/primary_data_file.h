#pragma once

// The primary data file: the nine measured values as typed and the display type, kept in
// a key file so that a set of measurements can be brought back later.
//
//   [DATA]
//   MEASURED_DATA_RED=0.64, 0.33, 21.26      (and GREEN, BLUE)
//   [PARAMETERS]
//   VERSION=1.00
//   DISPLAY_TYPE=RGB_LED_DISPLAY             (or NONRGB_LED_DISPLAY)

#include "primary/primary_types.h"

#include <filesystem>
#include <string>

// Writes the five keys into the file, keeping its other content. Stops at the first
// write that fails (the keys written before it stay) and sets `error`.
bool savePrimaryData(const std::filesystem::path& file, const FieldTexts& texts, DisplayType displayType,
                     std::string& error);

// Reads the file into `texts` and `displayType`. On failure `error` holds the message and
// both outputs are left exactly as they were.
bool loadPrimaryData(const std::filesystem::path& file, FieldTexts& texts, DisplayType& displayType,
                     std::string& error);
