#pragma once

// The per-channel correction tables: entry i, for input code i of 0 to 8191, is the drive
// level that makes the display's output linear, (i / 8191)^(1 / gamma).

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr int kCorrectionTableSize = 8192;

using CorrectionTable = std::vector<double>;

// Fills `table` (resized to kCorrectionTableSize) for a fitted gamma. With a clip code,
// every entry whose 8-bit code (i >> 5) exceeds it repeats the last entry that does not.
void fillCorrectionTable(CorrectionTable& table, double gamma, std::optional<std::int32_t> clipCode);

// A table can be written only when its gamma is a finite positive number and every entry
// is finite: a gamma of zero (identical values) gives a step function, an undefined fit
// gives NaN, and a falling response gives an infinite first entry.
bool isUsableTable(const CorrectionTable& table, double gamma);
