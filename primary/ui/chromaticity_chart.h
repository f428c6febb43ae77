#pragma once

// The picture field of the chart: the plain chart image, centred, and on top of it the
// triangle of the measured primaries while there is one.

#include "primary/chromaticity_triangle.h"

#include <QImage>
#include <QWidget>

#include <optional>

class ChromaticityChart : public QWidget {
    Q_OBJECT
public:
    // Always 416 x 450 pixels: the triangle's corners are pixels of this field.
    explicit ChromaticityChart(QWidget* parent = nullptr);

    // Nothing removes the triangle: the chart then shows the plain image.
    void setTriangle(const std::optional<ChromaticityTriangle>& triangle);
    const std::optional<ChromaticityTriangle>& triangle() const { return triangle_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage plainChart_;
    std::optional<ChromaticityTriangle> triangle_;
};
