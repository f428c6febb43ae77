#pragma once

// The display linearity 1D LUT file: 8192 lines, entry 0 first, each value in the general
// 6-significant-digit form ("%g" with a three-digit exponent), every line ending CR LF.

#include "linearity/correction_tables.h"

#include <string>

std::string formatLutFile(const CorrectionTable& table);
