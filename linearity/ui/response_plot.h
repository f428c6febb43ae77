#pragma once

// The response plot: for each shown channel, the measured points that took part in the
// fit as "x" marks and the fitted curve through them, relative luminance (0 at the
// bottom, 1 at the top) against normalised code value (left to right).

#include "config/channel.h"

#include <QWidget>

#include <array>

class LinearityCalibration;

class ResponsePlot : public QWidget {
    Q_OBJECT
public:
    ResponsePlot(const LinearityCalibration& calibration, QWidget* parent = nullptr);

    // Takes effect at the next repaint: the window repaints the plot after Apply only.
    void setChannelShown(Channel channel, bool shown) { shown_[channelIndex(channel)] = shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawMeasuredPoints(QPainter& painter, Channel channel) const;
    void drawFittedCurve(QPainter& painter, Channel channel) const;

    const LinearityCalibration& calibration_;
    std::array<bool, 3> shown_{true, true, true};
};
