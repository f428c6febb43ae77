#pragma once

// The linearity (and verification) report: each channel's measured response against a
// target power law, with the per-step gamma, the error per step and the fitted gamma.

#include "measure/measured_data_readers.h"

#include <optional>
#include <string>
#include <vector>

struct ChannelResponse {
    std::string name; // "Red", "Green", "Blue" or "Grey"
    std::string colour; // the plot colour
    std::vector<int> steps;
    std::vector<int> codes;
    std::vector<double> luminance; // as measured, cd/m²
    std::vector<double> normalized; // (Y - Y of the first step) / (Y of the last - Y of the first)
    std::vector<std::optional<double>> stepGamma;
    std::vector<std::optional<double>> errorPercent;
    std::optional<double> fittedGamma;
};

struct LinearityAnalysis {
    bool verification = false;
    double targetGamma = 2.2;
    std::vector<ChannelResponse> channels;
};

// `codes` are the step list's code values. A step not measured is left out of its channel;
// a channel needs its first and last steps measured to be normalised.
LinearityAnalysis analyseLinearity(const std::vector<int>& codes, const LinearityDataValues& values,
                                   double targetGamma);

// A self-contained HTML page; `source` names the data file.
std::string linearityReportHtml(const LinearityAnalysis& analysis, const std::string& source);
