#pragma once

// Queries over the present steps of one channel of a step table. Every loop runs over
// the steps 1 to the table's step count.

#include "config/channel.h"
#include "config/step_table.h"

#include <cstdint>

// The number of present steps.
int presentCount(const StepTable& table, Channel channel);

// The largest present step number; 0 when none is present.
std::int32_t lastPresentStep(const StepTable& table, Channel channel);

// measuredY at the smallest present step; 0.0 when none is present or the entry is absent.
double firstPresentValue(const StepTable& table, Channel channel);

// The code value at the largest present step; 0 when none is present or the entry is absent.
std::int32_t lastPresentCode(const StepTable& table, Channel channel);

// The largest measuredY over the present steps, starting from -10000.0; an absent
// entry counts as 0.0.
double maxPresentValue(const StepTable& table, Channel channel);
