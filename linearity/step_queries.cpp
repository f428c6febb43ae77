#include "linearity/step_queries.h"

#include <algorithm>

int presentCount(const StepTable& table, Channel channel)
{
    int count = 0;
    for (std::int32_t step = 1; step <= table.stepCount(); ++step) {
        if (table.isPresent(channel, step))
            ++count;
    }
    return count;
}

std::int32_t lastPresentStep(const StepTable& table, Channel channel)
{
    for (std::int32_t step = table.stepCount(); step >= 1; --step) {
        if (table.isPresent(channel, step))
            return step;
    }
    return 0;
}

double firstPresentValue(const StepTable& table, Channel channel)
{
    for (std::int32_t step = 1; step <= table.stepCount(); ++step) {
        if (table.isPresent(channel, step))
            return table.measuredY(channel).valueOr(step, 0.0);
    }
    return 0.0;
}

std::int32_t lastPresentCode(const StepTable& table, Channel channel)
{
    const std::int32_t step = lastPresentStep(table, channel);
    return step == 0 ? 0 : table.codeValue(channel).valueOr(step, 0);
}

double maxPresentValue(const StepTable& table, Channel channel)
{
    double maximum = -10000.0;
    for (std::int32_t step = 1; step <= table.stepCount(); ++step) {
        if (table.isPresent(channel, step))
            maximum = std::max(maximum, table.measuredY(channel).valueOr(step, 0.0));
    }
    return maximum;
}
