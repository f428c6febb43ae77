#include "primary/ui/chromaticity_chart.h"

#include "primary/ui/chart_image.h"

#include <QPainter>

ChromaticityChart::ChromaticityChart(QWidget* parent) : QWidget(parent), plainChart_(chromaticityChartImage())
{
    setFixedSize(kChartFieldSize);
}

void ChromaticityChart::setTriangle(const std::optional<ChromaticityTriangle>& triangle)
{
    triangle_ = triangle;
    update();
}

void ChromaticityChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(kChartImageOffset, plainChart_);
    if (!triangle_)
        return;
    // One pixel wide and not smoothed, so each corner lights exactly its computed pixel.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    for (const auto& [from, to] : triangle_->lines())
        painter.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}
