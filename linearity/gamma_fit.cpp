#include "linearity/gamma_fit.h"

#include "linearity/step_queries.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this relative luminance L* is linear in it.
constexpr double kLightnessLinearLimit = 0.008856;
constexpr double kRelativeTolerance = 1e-9;

} // namespace

double lightness(double relativeLuminance)
{
    if (relativeLuminance < kLightnessLinearLimit)
        return 903.3 * relativeLuminance;
    return 116.0 * std::pow(relativeLuminance, 1.0 / 3.0) - 16.0;
}

void normalize(StepTable& table)
{
    const std::int32_t steps = table.stepCount();
    for (Channel channel : kAllChannels) {
        const double lastCode = lastPresentCode(table, channel);
        const double lastY = table.measuredY(channel).valueOr(lastPresentStep(table, channel), 0.0);
        for (std::int32_t step = 1; step <= steps; ++step) {
            if (!table.isPresent(channel, step))
                continue;
            table.normalizedCode(channel).set(step, table.codeValue(channel).valueOr(step, 0) / lastCode);
            table.normalizedY(channel).set(step, table.measuredY(channel).valueOr(step, 0.0) / lastY);
        }
    }
}

double fitGamma(StepTable& workingTable, Channel channel, std::int32_t firstStep, std::int32_t lastStep)
{
    normalize(workingTable);
    double sumX = 0.0;
    double sumY = 0.0;
    double sumXX = 0.0;
    double sumXY = 0.0;
    for (std::int32_t step = firstStep; step <= lastStep; ++step) {
        if (!workingTable.isPresent(channel, step))
            continue;
        const double logX = std::log10(workingTable.normalizedCode(channel).valueOr(step, 0.0));
        const double logY = std::log10(workingTable.normalizedY(channel).valueOr(step, 0.0));
        sumX += logX;
        sumY += logY;
        sumXX += logX * logX;
        sumXY += logX * logY;
    }
    // With step 1 present and nothing present above lastStep, this is the number of points.
    const double n = presentCount(workingTable, channel) - (firstStep - 1);
    return (n * sumXY - sumX * sumY) / (n * sumXX - sumX * sumX);
}

double whiteLuminance(const StepTable& rawTable)
{
    const auto white = [&](Channel channel) {
        return rawTable.measuredY(channel).valueOr(lastPresentStep(rawTable, channel), 0.0);
    };
    const double whites = white(Channel::Blue) + white(Channel::Red) + white(Channel::Green);
    const double blacks = firstPresentValue(rawTable, Channel::Red) + firstPresentValue(rawTable, Channel::Green)
        + firstPresentValue(rawTable, Channel::Blue);
    return whites - 2.0 * blacks / 3.0;
}

bool nearlyEqual(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    return std::fabs(a - b) <= kRelativeTolerance * std::max({1.0, std::fabs(a), std::fabs(b)});
}
