#include "linearity/ui/response_plot.h"

#include "linearity/correction_tables.h"
#include "linearity/linearity_calibration.h"
#include "linearity/step_queries.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <optional>

namespace {

// Half the size of the box a measured point's "x" is drawn in.
constexpr int kMarkHalfSize = 10;
// maxPresentValue is this when every value after the first was at or below the black
// level: the points then sit on the bottom edge.
constexpr double kFloorLuminance = 0.005;
constexpr int kCodesPerStep = 32;

QColor channelColour(Channel channel)
{
    switch (channel) {
    case Channel::Red:
        return QColor(255, 0, 0);
    case Channel::Green:
        return QColor(0, 255, 0);
    case Channel::Blue:
        return QColor(0, 0, 255);
    }
    return {};
}

} // namespace

ResponsePlot::ResponsePlot(const LinearityCalibration& calibration, QWidget* parent)
    : QWidget(parent)
    , calibration_(calibration)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

void ResponsePlot::paintEvent(QPaintEvent*)
{
    if (!calibration_.initialized() || !calibration_.plotValid())
        return;
    QPainter painter(this);
    for (Channel channel : kAllChannels) {
        if (!shown_[channelIndex(channel)] || !calibration_.plotChannelEnabled(channel))
            continue;
        painter.setPen(QPen(channelColour(channel), 1));
        drawMeasuredPoints(painter, channel);
        drawFittedCurve(painter, channel);
    }
}

void ResponsePlot::drawMeasuredPoints(QPainter& painter, Channel channel) const
{
    const StepTable& working = calibration_.measurements().workingTable();
    const int w = width();
    const int h = height();
    const bool allAtFloor = maxPresentValue(working, channel) == kFloorLuminance;
    for (int step = 1; step <= working.stepCount(); ++step) {
        if (!working.isPresent(channel, step))
            continue;
        const int x = static_cast<int>(working.normalizedCode(channel).valueOr(step, 0.0) * w);
        const int y = allAtFloor ? h : static_cast<int>(h - working.normalizedY(channel).valueOr(step, 0.0) * h);
        painter.drawText(QRect(x - kMarkHalfSize, y - kMarkHalfSize, 2 * kMarkHalfSize, 2 * kMarkHalfSize),
                         Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("x"));
    }
}

void ResponsePlot::drawFittedCurve(QPainter& painter, Channel channel) const
{
    const CorrectionTable& table = calibration_.table(channel);
    if (table.size() != static_cast<std::size_t>(kCorrectionTableSize))
        return;
    // The code value of the bright step limits the curve when the bright region is clipped.
    std::optional<std::int32_t> clipCode;
    if (calibration_.options().clipBrightRegion)
        clipCode =
            calibration_.measurements().workingTable().codeValue(Channel::Red).valueOr(calibration_.brightStep(), 0);
    const int w = width();
    const int h = height();
    QPainterPath curve;
    bool started = false;
    for (int j = 0; j < kCorrectionTableSize; ++j) {
        if (clipCode && (j + 1) / kCodesPerStep > *clipCode)
            continue;
        const int x = std::clamp(static_cast<int>(table[static_cast<std::size_t>(j)] * w), 0, w);
        const int y = std::clamp(static_cast<int>(h - (j / static_cast<double>(kCorrectionTableSize - 1)) * h), 0, h);
        if (!started) {
            curve.moveTo(0, h);
            started = true;
        }
        curve.lineTo(x, y);
    }
    painter.drawPath(curve);
}
