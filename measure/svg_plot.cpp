#include "measure/svg_plot.h"

#include "config/number_text.h"

#include <cmath>

namespace {

constexpr int kLeft = 60;
constexpr int kRight = 20;
constexpr int kTop = 20;
constexpr int kBottom = 45;

double scaled(double value, double low, double high, bool logarithmic)
{
    if (logarithmic)
        return (std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low));
    return (value - low) / (high - low);
}

bool inRange(double value, double low, double high, bool logarithmic)
{
    return std::isfinite(value) && value >= low && value <= high && (!logarithmic || value > 0.0);
}

std::string tickText(double value)
{
    const std::string text = formatGeneral(value);
    return text.find('e') == std::string::npos ? text : fixed(value, 4);
}

} // namespace

std::string fixed(double value, int decimals)
{
    return formatFixed(value, 0, decimals);
}

std::string escapeHtml(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string svgPlot(const PlotAxes& axes, const std::vector<PlotSeries>& series, int width, int height)
{
    const double plotWidth = width - kLeft - kRight;
    const double plotHeight = height - kTop - kBottom;
    const auto px = [&](double x) { return kLeft + scaled(x, axes.xMin, axes.xMax, axes.xLog) * plotWidth; };
    const auto py = [&](double y) { return kTop + (1.0 - scaled(y, axes.yMin, axes.yMax, axes.yLog)) * plotHeight; };
    const auto n = [](double v) { return fixed(v, 1); };

    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + formatInteger(width) + "\" height=\""
        + formatInteger(height) + "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    svg += "<rect x=\"" + formatInteger(kLeft) + "\" y=\"" + formatInteger(kTop) + "\" width=\"" + n(plotWidth)
        + "\" height=\"" + n(plotHeight) + "\" fill=\"white\" stroke=\"black\"/>\n";
    for (double t : axes.xTicks) {
        if (!inRange(t, axes.xMin, axes.xMax, axes.xLog))
            continue;
        svg += "<line x1=\"" + n(px(t)) + "\" y1=\"" + formatInteger(kTop) + "\" x2=\"" + n(px(t)) + "\" y2=\""
            + n(kTop + plotHeight) + "\" stroke=\"#ddd\"/><text x=\"" + n(px(t)) + "\" y=\"" + n(kTop + plotHeight + 14)
            + "\" text-anchor=\"middle\">" + tickText(t) + "</text>\n";
    }
    for (double t : axes.yTicks) {
        if (!inRange(t, axes.yMin, axes.yMax, axes.yLog))
            continue;
        svg += "<line x1=\"" + formatInteger(kLeft) + "\" y1=\"" + n(py(t)) + "\" x2=\"" + n(kLeft + plotWidth)
            + "\" y2=\"" + n(py(t)) + "\" stroke=\"#ddd\"/><text x=\"" + formatInteger(kLeft - 4) + "\" y=\""
            + n(py(t) + 4) + "\" text-anchor=\"end\">" + tickText(t) + "</text>\n";
    }
    svg += "<text x=\"" + n(kLeft + plotWidth / 2) + "\" y=\"" + formatInteger(height - 8)
        + "\" text-anchor=\"middle\">" + escapeHtml(axes.xLabel) + "</text>\n";
    svg += "<text transform=\"translate(14," + n(kTop + plotHeight / 2) + ") rotate(-90)\" text-anchor=\"middle\">"
        + escapeHtml(axes.yLabel) + "</text>\n";

    for (const PlotSeries& s : series) {
        std::string points;
        std::string markers;
        for (const auto& [x, y] : s.points) {
            if (!inRange(x, axes.xMin, axes.xMax, axes.xLog) || !inRange(y, axes.yMin, axes.yMax, axes.yLog))
                continue;
            points += n(px(x)) + "," + n(py(y)) + " ";
            markers += "<circle cx=\"" + n(px(x)) + "\" cy=\"" + n(py(y)) + "\" r=\"3\" fill=\"" + s.colour + "\"/>";
        }
        if (s.line && !points.empty())
            svg += "<polyline fill=\"none\" stroke=\"" + s.colour + "\" stroke-width=\"1.5\" points=\"" + points
                + "\"/>\n";
        if (s.markers && !markers.empty())
            svg += markers + "\n";
    }
    // Legend, top left inside the plot.
    int row = 0;
    for (const PlotSeries& s : series) {
        if (s.label.empty())
            continue;
        const double y = kTop + 14 + row * 14;
        svg += "<rect x=\"" + formatInteger(kLeft + 8) + "\" y=\"" + n(y - 8) + "\" width=\"10\" height=\"8\" fill=\""
            + s.colour + "\"/><text x=\"" + formatInteger(kLeft + 22) + "\" y=\"" + n(y) + "\">" + escapeHtml(s.label)
            + "</text>\n";
        ++row;
    }
    return svg + "</svg>\n";
}
