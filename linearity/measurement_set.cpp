#include "linearity/measurement_set.h"

#include "config/number_text.h"

#include <array>
#include <cmath>
#include <string>

namespace {

// A channel needs this many entered steps before a power law is fitted through them.
constexpr int kMinimumValuesPerChannel = 5;

// Luminance stored at step 1 whatever was typed there: the black step never enters a
// fit, but its logarithm must stay finite.
constexpr double kBlackStepLuminance = 0.0001;
// Luminance stored for a step at or below the black level.
constexpr double kFloorLuminance = 0.005;

std::string channelMessage(const char* before, Channel channel, const char* after)
{
    return std::string(before) + std::string(channelName(channel)) + after;
}

} // namespace

std::optional<double> parseCellNumber(std::string_view text)
{
    std::string withoutCommas;
    withoutCommas.reserve(text.size());
    for (char c : text) {
        if (c != ',')
            withoutCommas += c;
    }
    double value = 0.0;
    if (!parseLeadingDouble(withoutCommas, value) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

MeasurementSet::MeasurementSet(MeasurementGrid& grid, StatusReport& status) : grid_(grid), status_(status)
{
}

void MeasurementSet::parseSteps(std::string_view stepList)
{
    for (Channel channel : kAllChannels) {
        parseStepList(workingTable_, channel, stepList);
        parseStepList(rawTable_, channel, stepList);
    }
}

bool MeasurementSet::isCellPresent(int column, int row) const
{
    return parseCellNumber(grid_.cellText(column, row)).has_value();
}

double MeasurementSet::cellValue(int column, int row) const
{
    return parseCellNumber(grid_.cellText(column, row)).value_or(0.0);
}

bool MeasurementSet::validateMeasurements()
{
    const int rows = rowsToRead();
    const int lastRow = stepCount() - 1;
    std::array<int, 3> count{};
    std::array<bool, 3> firstOk{true, true, true};
    std::array<bool, 3> lastOk{true, true, true};
    std::array<double, 3> blackLevel{};

    for (int row = 0; row < rows; ++row) {
        const std::int32_t step = row + 1;
        for (Channel channel : kAllChannels) {
            const std::size_t c = channelIndex(channel);
            const bool present = isCellPresent(gridColumn(channel), row);
            workingTable_.present(channel).set(step, present);
            if (present) {
                const double y = cellValue(gridColumn(channel), row);
                if (step == 1) {
                    blackLevel[c] = y;
                    workingTable_.measuredY(channel).set(step, kBlackStepLuminance);
                } else {
                    const double aboveBlack = y - blackLevel[c];
                    workingTable_.measuredY(channel).set(step, aboveBlack > 0 ? aboveBlack : kFloorLuminance);
                }
                ++count[c];
            } else if (row == 0) {
                firstOk[c] = false;
            } else if (row == lastRow) {
                lastOk[c] = false;
            }
        }
    }

    bool ok = true;
    const auto report = [&](const std::string& message) {
        status_.appendStatus(message, true);
        ok = false;
    };
    const std::size_t channels = reportedChannelCount();
    for (std::size_t c = 0; c < channels; ++c) {
        if (count[c] < kMinimumValuesPerChannel)
            report(channelMessage("Number of entered measured values for ", kAllChannels[c], " is too small"));
    }
    for (std::size_t c = 0; c < channels; ++c) {
        if (!firstOk[c])
            report(channelMessage("Missing required first ", kAllChannels[c], " measured value"));
    }
    for (std::size_t c = 0; c < channels; ++c) {
        if (!lastOk[c])
            report(channelMessage("Missing required last ", kAllChannels[c], " measured value"));
    }
    return ok;
}

void MeasurementSet::collectRawValues()
{
    const int rows = rowsToRead();
    for (int row = 0; row < rows; ++row) {
        const std::int32_t step = row + 1;
        for (Channel channel : kAllChannels) {
            const std::optional<double> value = parseCellNumber(grid_.cellText(gridColumn(channel), row));
            rawTable_.present(channel).set(step, value.has_value());
            if (value)
                rawTable_.measuredY(channel).set(step, *value);
        }
    }
}

void MeasurementSet::selectVerificationSteps(int steps)
{
    for (std::int32_t step = 1; step <= stepCount(); ++step) {
        for (Channel channel : kAllChannels)
            workingTable_.present(channel).set(step, step <= steps);
    }
}
