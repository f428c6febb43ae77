#pragma once

// Small inline SVG charts for the HTML reports: axes with ticks, lines and markers, on
// linear or logarithmic scales. Numbers are written locale-independently.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct PlotSeries {
    std::string label;
    std::string colour; // any SVG colour
    std::vector<std::pair<double, double>> points;
    bool line = true;
    bool markers = false;
};

struct PlotAxes {
    double xMin = 0.0;
    double xMax = 1.0;
    double yMin = 0.0;
    double yMax = 1.0;
    bool xLog = false;
    bool yLog = false;
    std::string xLabel;
    std::string yLabel;
    std::vector<double> xTicks;
    std::vector<double> yTicks;
};

// An <svg> element of `width` by `height` pixels. Points outside the axes' range, and on a
// log axis points at or below 0, are left out.
std::string svgPlot(const PlotAxes& axes, const std::vector<PlotSeries>& series, int width, int height);

// Text for HTML: &, <, > and " escaped.
std::string escapeHtml(std::string_view text);

// A number for the reports, with `decimals` decimals ("%.Nf").
std::string fixed(double value, int decimals);
