#include "primary/ui/chart_image.h"

#include "config/cie1931_locus.h"
#include "config/number_text.h"
#include "primary/chromaticity_triangle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Chart geometry: where x = 0 and y = 0 lie, and how many pixels a unit spans.
constexpr double kOriginColumn = 39.0;
constexpr double kOriginRow = 388.0;
constexpr double kPixelsPerX = 346.0 / 0.8;
constexpr double kPixelsPerY = 370.0 / 0.9;
constexpr double kMaxX = 0.8;
constexpr double kMaxY = 0.9;
constexpr int kLabelPixels = 10;

// The wavelengths named beside the locus, with where each label's centre sits from its
// point (pixels): outside the locus where there is room, inside it near the axes. The
// other wavelengths from 460 to 620 nm get a dot every 10 nm.
struct WavelengthLabel {
    int wavelength;
    int dx;
    int dy;
};
constexpr std::array<WavelengthLabel, 13> kWavelengthLabels{{
    {380, -16, -8},
    {470, -16, 4},
    {480, -16, 0},
    {490, 15, 0},
    {500, 15, 0},
    {510, 16, 6},
    {520, 0, -10},
    {540, 14, -6},
    {560, 14, -6},
    {580, 14, -6},
    {600, 14, -4},
    {620, 14, -2},
    {700, 16, 0},
}};

const QColor kGridColour(0xc8, 0xc8, 0xc8);
const QColor kLocusColour(0x40, 0x40, 0x40);
const QColor kHdtvColour(Qt::white);

QPointF chartPoint(double x, double y)
{
    // Pixel centres, so that a point at chromaticity (x, y) lights the pixel the measured
    // triangle's corner for (x, y) lands on.
    return {kOriginColumn + x * kPixelsPerX + 0.5, kOriginRow - y * kPixelsPerY + 0.5};
}

// An approximate display colour for a chromaticity: sRGB primaries, brightest channel at
// full, lightened so that the black triangle stands out on every hue.
QRgb gamutColour(double x, double y)
{
    const double X = x / y;
    const double Z = (1.0 - x - y) / y;
    std::array<double, 3> rgb{3.2406 * X - 1.5372 - 0.4986 * Z, -0.9689 * X + 1.8758 + 0.0415 * Z,
                              0.0557 * X - 0.2040 + 1.0570 * Z};
    for (double& channel : rgb)
        channel = std::max(channel, 0.0);
    const double brightest = std::max({rgb[0], rgb[1], rgb[2], 1e-9});
    std::array<int, 3> encoded{};
    for (std::size_t i = 0; i < 3; ++i) {
        const double gammaEncoded = std::pow(rgb[i] / brightest, 1.0 / 2.2);
        encoded[i] = static_cast<int>(std::lround(255.0 * (0.3 + 0.7 * gammaEncoded)));
    }
    return qRgb(encoded[0], encoded[1], encoded[2]);
}

QPainterPath locusPath()
{
    QPainterPath path(chartPoint(kSpectralLocus.front().x, kSpectralLocus.front().y));
    for (const LocusPoint& point : kSpectralLocus)
        path.lineTo(chartPoint(point.x, point.y));
    path.closeSubpath(); // the line of purples
    return path;
}

void paintGamut(QPainter& painter)
{
    QImage colours(kChartImageWidth, kChartImageHeight, QImage::Format_RGB32);
    colours.fill(Qt::white);
    for (int row = 0; row < kChartImageHeight; ++row) {
        const double y = (kOriginRow - row) / kPixelsPerY;
        if (y <= 0.0)
            continue;
        for (int column = 0; column < kChartImageWidth; ++column)
            colours.setPixel(column, row, gamutColour((column - kOriginColumn) / kPixelsPerX, y));
    }
    painter.save();
    painter.setClipPath(locusPath());
    painter.drawImage(0, 0, colours);
    painter.restore();
}

// The pixel a chromaticity falls in, for lines drawn without antialiasing.
QPoint chartPixel(double x, double y)
{
    return {static_cast<int>(kOriginColumn + std::trunc(x * kPixelsPerX)),
            static_cast<int>(kOriginRow - std::trunc(y * kPixelsPerY))};
}

QString tenthLabel(int tenths)
{
    return QString::fromStdString(formatFixed(tenths / 10.0, 0, 1));
}

void paintGridAndAxes(QPainter& painter)
{
    painter.setPen(QPen(kGridColour, 1));
    for (int tenths = 1; tenths <= 8; ++tenths)
        painter.drawLine(chartPixel(tenths / 10.0, 0.0), chartPixel(tenths / 10.0, kMaxY));
    for (int tenths = 1; tenths <= 9; ++tenths)
        painter.drawLine(chartPixel(0.0, tenths / 10.0), chartPixel(kMaxX, tenths / 10.0));

    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(chartPixel(0.0, 0.0), chartPixel(kMaxX, 0.0));
    painter.drawLine(chartPixel(0.0, 0.0), chartPixel(0.0, kMaxY));
    for (int tenths = 0; tenths <= 8; ++tenths) {
        const QPoint tick = chartPixel(tenths / 10.0, 0.0);
        painter.drawLine(tick, tick + QPoint(0, 4));
        painter.drawText(QRectF(tick.x() - 15, tick.y() + 5, 30, 14), Qt::AlignCenter, tenthLabel(tenths));
    }
    for (int tenths = 0; tenths <= 9; ++tenths) {
        const QPoint tick = chartPixel(0.0, tenths / 10.0);
        painter.drawLine(tick, tick - QPoint(4, 0));
        painter.drawText(QRectF(tick.x() - 36, tick.y() - 7, 30, 14), Qt::AlignRight | Qt::AlignVCenter,
                         tenthLabel(tenths));
    }
    QFont axisFont = painter.font();
    axisFont.setItalic(true);
    axisFont.setPixelSize(kLabelPixels + 3);
    painter.setFont(axisFont);
    painter.drawText(QRectF(chartPoint(kMaxX / 2, 0.0) + QPointF(-10, 19), QSizeF(20, 16)), Qt::AlignCenter,
                     QStringLiteral("x"));
    painter.drawText(QRectF(chartPoint(0.0, kMaxY / 2) + QPointF(-38, -8), QSizeF(12, 16)), Qt::AlignCenter,
                     QStringLiteral("y"));
}

void paintLocus(QPainter& painter)
{
    painter.setPen(QPen(kLocusColour, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(locusPath());

    painter.setBrush(kLocusColour);
    painter.setPen(Qt::NoPen);
    for (const LocusPoint& point : kSpectralLocus) {
        if (point.wavelength % 10 == 0 && point.wavelength >= 460 && point.wavelength <= 620)
            painter.drawEllipse(chartPoint(point.x, point.y), 1.6, 1.6);
    }
    painter.setPen(kLocusColour);
    for (const WavelengthLabel& label : kWavelengthLabels) {
        const auto point = std::find_if(kSpectralLocus.begin(), kSpectralLocus.end(),
                                        [&label](const LocusPoint& p) { return p.wavelength == label.wavelength; });
        const QPointF centre = chartPoint(point->x, point->y) + QPointF(label.dx, label.dy);
        painter.drawText(QRectF(centre.x() - 14, centre.y() - 7, 28, 14), Qt::AlignCenter,
                         QString::fromStdString(formatInteger(label.wavelength)));
    }
}

// The BT.709 primaries, placed exactly where a measured triangle of them is drawn.
void paintHdtvTriangle(QPainter& painter)
{
    MeasuredPrimaries bt709;
    bt709.primaries[0].x = 0.64f;
    bt709.primaries[0].y = 0.33f;
    bt709.primaries[1].x = 0.30f;
    bt709.primaries[1].y = 0.60f;
    bt709.primaries[2].x = 0.15f;
    bt709.primaries[2].y = 0.06f;
    const std::optional<ChromaticityTriangle> triangle = chromaticityTriangle(bt709);
    if (!triangle)
        return;
    std::array<QPointF, 3> corners;
    for (std::size_t c = 0; c < 3; ++c) {
        const FieldPixel& corner = triangle->corners[c];
        corners[c] = QPointF(corner.x - kChartImageOffset.x() + 0.5, corner.y - kChartImageOffset.y() + 0.5);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kHdtvColour, 1, Qt::DashLine));
    painter.drawPolygon(corners.data(), 3);
    painter.setPen(QPen(kHdtvColour, 1.5));
    for (const QPointF& corner : corners)
        painter.drawEllipse(corner, 5.0, 5.0);

    // Legend and note in the empty upper right of the chart.
    const QPointF legend = chartPoint(0.52, 0.86);
    painter.setPen(QPen(kLocusColour, 1.5));
    painter.drawEllipse(legend, 5.0, 5.0);
    painter.setPen(QPen(kLocusColour, 1, Qt::DashLine));
    painter.drawLine(legend + QPointF(-18, 0), legend + QPointF(18, 0));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(legend.x() + 24, legend.y() - 8, 60, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("HDTV"));
    painter.drawText(QRectF(chartPoint(0.46, 0.81), chartPoint(kMaxX, 0.70)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("Please check the plotted chromaticities of the measured primaries."));
}

} // namespace

QImage chromaticityChartImage()
{
    QImage chart(kChartImageWidth, kChartImageHeight, QImage::Format_RGB32);
    chart.fill(Qt::white);
    QPainter painter(&chart);
    QFont labelFont = painter.font();
    labelFont.setPixelSize(kLabelPixels);
    painter.setFont(labelFont);

    paintGamut(painter);
    painter.setRenderHint(QPainter::Antialiasing, false);
    paintGridAndAxes(painter);
    painter.setFont(labelFont);
    painter.setRenderHint(QPainter::Antialiasing, true);
    paintLocus(painter);
    paintHdtvTriangle(painter);
    return chart;
}
