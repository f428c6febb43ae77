#include "linearity/correction_tables.h"

#include <algorithm>
#include <cmath>

void fillCorrectionTable(CorrectionTable& table, double gamma, std::optional<std::int32_t> clipCode)
{
    constexpr double kLastEntry = kCorrectionTableSize - 1;
    const double exponent = 1.0 / gamma;
    table.resize(kCorrectionTableSize);
    int lastUnclipped = 0;
    for (int i = 0; i < kCorrectionTableSize; ++i) {
        if (!clipCode || (i >> 5) <= *clipCode)
            lastUnclipped = i;
        table[static_cast<std::size_t>(i)] = std::pow(lastUnclipped / kLastEntry, exponent);
    }
}

bool isUsableTable(const CorrectionTable& table, double gamma)
{
    if (!std::isfinite(gamma) || gamma <= 0.0)
        return false;
    return std::all_of(table.begin(), table.end(), [](double value) { return std::isfinite(value); });
}
