#pragma once

// The log-log power-law fit of display luminance against drive level, and the helpers
// the corrections share with it.

#include "config/channel.h"
#include "config/step_table.h"

#include <cstdint>

// CIE 1976 lightness L* of a relative luminance.
double lightness(double relativeLuminance);

// Fills normalizedCode and normalizedY of every present step: code value and measuredY
// divided by those of the channel's last present step.
void normalize(StepTable& table);

// The slope of the least-squares line through (log10 normalized code, log10 normalized
// luminance) over the present steps first to last of one channel: the display's gamma.
// Normalizes the table first. Undefined sums run to their IEEE result.
double fitGamma(StepTable& workingTable, Channel channel, std::int32_t firstStep, std::int32_t lastStep);

// The estimate of full white's luminance from the values as entered: the three channels'
// last present values less two thirds of their summed black levels.
double whiteLuminance(const StepTable& rawTable);

// Equality that tolerates last-bit noise: two values are equal when they differ by at most
// 1e-9 x max(1, |a|, |b|). Infinities equal only themselves; two NaNs count as equal (an
// undefined fit is no change).
bool nearlyEqual(double a, double b);
