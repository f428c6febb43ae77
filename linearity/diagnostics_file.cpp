#include "linearity/diagnostics_file.h"

#include "config/number_text.h"

namespace {

std::string cellText(const MeasurementSet& set, Channel channel, int row)
{
    const std::optional<double> value = parseCellNumber(set.grid().cellText(gridColumn(channel), row));
    return value ? formatGeneral(*value) : "x";
}

} // namespace

std::string formatMeasuredLinearities(const MeasurementSet& set)
{
    std::string content;
    for (int row = 0; row < set.stepCount(); ++row) {
        content += "Row " + formatInteger(row + 1) + ": Red Y=" + cellText(set, Channel::Red, row) + ", Green Y="
            + cellText(set, Channel::Green, row) + ", Blue Y=" + cellText(set, Channel::Blue, row) + "\r\n";
    }
    return content;
}
