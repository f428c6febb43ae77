#include "linearity/corrections.h"

#include "linearity/gamma_fit.h"
#include "linearity/step_queries.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace {

// The exponent against which Bright Region Correction judges a step's rise.
constexpr double kReferenceGamma = 2.2;
// A rise below this share of the reference rise counts as compressed.
constexpr double kCompressionShare = 0.5;
constexpr std::int32_t kNoMark = 1000;

double rawValue(const MeasurementSet& set, Channel channel, std::int32_t step)
{
    return set.rawTable().measuredY(channel).valueOr(step, 0.0);
}

// The luminance a power law of exponent `gamma` gives at `step`, running from the black
// level (as entered) to the channel's top present step in the working table.
double expectedLuminance(const MeasurementSet& set, Channel channel, std::int32_t step, double gamma)
{
    const StepTable& working = set.workingTable();
    const double black = firstPresentValue(set.rawTable(), channel);
    const double topY = rawValue(set, channel, lastPresentStep(working, channel));
    const double topCode = lastPresentCode(working, channel);
    const double code = working.codeValue(channel).valueOr(step, 0);
    return black + (topY - black) * std::pow(code / topCode, gamma);
}

} // namespace

void applyBrightRegionCorrection(MeasurementSet& set, std::int32_t& brightStep)
{
    set.collectRawValues();
    const double white = whiteLuminance(set.rawTable());
    const std::int32_t steps = set.stepCount();
    std::array<std::int32_t, 3> mark{kNoMark, kNoMark, kNoMark};

    for (Channel channel : {Channel::Blue, Channel::Green, Channel::Red}) {
        for (std::int32_t upper = steps, lower = steps - 1; lower >= 1; --upper, --lower) {
            const double upperL = lightness(rawValue(set, channel, upper) / white);
            const double lowerL = lightness(rawValue(set, channel, lower) / white);
            const double expectedL = lightness(expectedLuminance(set, channel, lower, kReferenceGamma) / white);
            if (upperL - lowerL >= kCompressionShare * (upperL - expectedL))
                break;
            set.workingTable().present(channel).set(upper, false);
            mark[channelIndex(channel)] = lower;
        }
    }
    if (std::all_of(mark.begin(), mark.end(), [](std::int32_t m) { return m == kNoMark; }))
        return;

    brightStep = std::min(
        {mark[channelIndex(Channel::Green)], mark[channelIndex(Channel::Red)], mark[channelIndex(Channel::Blue)]});
    for (std::int32_t step = brightStep + 1; step <= steps; ++step) {
        for (Channel channel : kAllChannels)
            set.workingTable().present(channel).set(step, false);
    }
}

void applyNoiseReduction(MeasurementSet& set)
{
    set.collectRawValues();
    const double white = whiteLuminance(set.rawTable());
    const std::size_t channels = set.verificationMode() ? 1 : 3;
    std::array<std::int32_t, 3> bestStart{1, 1, 1};

    for (std::size_t c = 0; c < channels; ++c) {
        const Channel channel = kAllChannels[c];
        // The red count bounds every channel's candidates.
        const std::int32_t fitEnd = presentCount(set.workingTable(), Channel::Red);
        std::optional<double> bestRms;
        for (std::int32_t start = 2; start <= fitEnd - 2; ++start) {
            const double gamma = fitGamma(set.workingTable(), channel, start, fitEnd);
            double sumOfSquares = 0.0;
            for (std::int32_t step = 1; step <= fitEnd; ++step) {
                const double measuredL = lightness(rawValue(set, channel, step) / white);
                const double expectedL = lightness(expectedLuminance(set, channel, step, gamma) / white);
                sumOfSquares += (measuredL - expectedL) * (measuredL - expectedL);
            }
            const double rms = std::sqrt(sumOfSquares / fitEnd);
            if (!bestRms || (rms < *bestRms && !nearlyEqual(rms, *bestRms))) {
                bestRms = rms;
                bestStart[c] = start;
            }
        }
    }
    for (std::size_t c = 0; c < channels; ++c) {
        for (std::int32_t step = 2; step < bestStart[c]; ++step)
            set.workingTable().present(kAllChannels[c]).set(step, false);
    }
}
