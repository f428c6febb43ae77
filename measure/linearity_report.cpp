#include "measure/linearity_report.h"

#include "config/number_text.h"
#include "measure/svg_plot.h"

#include <algorithm>
#include <cmath>

namespace {

ChannelResponse analyseChannel(const std::string& name, const std::string& colour, const std::vector<int>& codes,
                               const LinearityDataValues& values, std::size_t column, double targetGamma)
{
    ChannelResponse r{name, colour, {}, {}, {}, {}, {}, {}, std::nullopt};
    for (std::size_t i = 0; i < values.steps.size() && i < codes.size(); ++i) {
        if (values.steps[i][column]) {
            r.steps.push_back(static_cast<int>(i) + 1);
            r.codes.push_back(codes[i]);
            r.luminance.push_back(*values.steps[i][column]);
        }
    }
    if (r.luminance.size() < 2)
        return r;
    const double black = r.luminance.front();
    const double range = r.luminance.back() - black;
    double sumXY = 0.0;
    double sumXX = 0.0;
    for (std::size_t i = 0; i < r.luminance.size(); ++i) {
        const double v = r.codes[i] / 255.0;
        const double yn = range > 0.0 ? (r.luminance[i] - black) / range : 0.0;
        r.normalized.push_back(yn);
        std::optional<double> gamma;
        std::optional<double> error;
        if (v > 0.0 && v < 1.0 && yn > 0.0) {
            gamma = std::log(yn) / std::log(v);
            sumXY += std::log(v) * std::log(yn);
            sumXX += std::log(v) * std::log(v);
        }
        if (v > 0.0 && range > 0.0) {
            const double target = std::pow(v, targetGamma);
            error = (yn - target) / target * 100.0;
        }
        r.stepGamma.push_back(gamma);
        r.errorPercent.push_back(error);
    }
    if (sumXX > 0.0)
        r.fittedGamma = sumXY / sumXX;
    return r;
}

std::string optionalText(const std::optional<double>& value, int decimals)
{
    return value ? fixed(*value, decimals) : "&ndash;";
}

// Each channel's relative luminance and the target curve on log-log axes, from the
// smallest code above 0 to full drive.
std::string responsePlot(const LinearityAnalysis& analysis)
{
    double smallestCode = 1.0;
    double smallestY = 1.0;
    for (const ChannelResponse& c : analysis.channels) {
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            if (c.codes[i] > 0)
                smallestCode = std::min(smallestCode, c.codes[i] / 255.0);
            if (c.normalized[i] > 0.0)
                smallestY = std::min(smallestY, c.normalized[i]);
        }
    }
    PlotAxes response{smallestCode,
                      1.0,
                      std::pow(10.0, std::floor(std::log10(smallestY))),
                      1.0,
                      true,
                      true,
                      "drive (code / 255)",
                      "relative luminance",
                      {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0},
                      {0.0001, 0.001, 0.01, 0.1, 1.0}};
    std::vector<PlotSeries> series;
    PlotSeries target{"target gamma " + fixed(analysis.targetGamma, 2), "#999", {}, true, false};
    for (int i = 0; i <= 100; ++i) {
        const double v = smallestCode * std::pow(1.0 / smallestCode, i / 100.0);
        target.points.emplace_back(v, std::pow(v, analysis.targetGamma));
    }
    series.push_back(target);
    for (const ChannelResponse& c : analysis.channels) {
        PlotSeries s{c.name, c.colour, {}, true, true};
        for (std::size_t i = 0; i < c.codes.size(); ++i)
            s.points.emplace_back(c.codes[i] / 255.0, c.normalized[i]);
        series.push_back(s);
    }
    return svgPlot(response, series, 640, 420);
}

std::string errorPlot(const LinearityAnalysis& analysis)
{
    double largest = 1.0;
    int lastStep = 1;
    for (const ChannelResponse& c : analysis.channels) {
        for (std::size_t i = 0; i < c.errorPercent.size(); ++i) {
            if (c.errorPercent[i])
                largest = std::max(largest, std::fabs(*c.errorPercent[i]));
        }
        if (!c.steps.empty())
            lastStep = std::max(lastStep, c.steps.back());
    }
    const double bound = std::ceil(largest / 5.0) * 5.0;
    PlotAxes errorAxes{
        1.0, static_cast<double>(std::max(lastStep, 2)), -bound, bound, false, false, "step", "error (%)", {}, {}};
    for (int s = 1; s <= lastStep; s += std::max(1, lastStep / 10))
        errorAxes.xTicks.push_back(s);
    for (double e = -bound; e <= bound; e += bound / 4.0)
        errorAxes.yTicks.push_back(e);
    std::vector<PlotSeries> errors;
    for (const ChannelResponse& c : analysis.channels) {
        PlotSeries s{c.name, c.colour, {}, true, true};
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            if (c.errorPercent[i])
                s.points.emplace_back(c.steps[i], *c.errorPercent[i]);
        }
        errors.push_back(s);
    }
    return svgPlot(errorAxes, errors, 640, 300);
}

std::string stepTables(const LinearityAnalysis& analysis)
{
    std::string html;
    for (const ChannelResponse& c : analysis.channels) {
        html += "<h2>" + c.name
            + "</h2>\n<table><tr><th>step</th><th>code</th><th>Y (cd/m&sup2;)</th>"
              "<th>relative</th><th>gamma</th><th>error (%)</th></tr>\n";
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            html += "<tr><td>" + formatInteger(c.steps[i]) + "</td><td>" + formatInteger(c.codes[i]) + "</td><td>"
                + fixed(c.luminance[i], 4) + "</td><td>" + fixed(c.normalized[i], 5) + "</td><td>"
                + optionalText(c.stepGamma[i], 3) + "</td><td>" + optionalText(c.errorPercent[i], 2) + "</td></tr>\n";
        }
        html += "</table>\n";
    }
    return html;
}

} // namespace

LinearityAnalysis analyseLinearity(const std::vector<int>& codes, const LinearityDataValues& values, double targetGamma)
{
    LinearityAnalysis analysis;
    analysis.verification = values.verificationMode;
    analysis.targetGamma = targetGamma;
    if (values.verificationMode) {
        analysis.channels.push_back(analyseChannel("Grey", "#555", codes, values, 0, targetGamma));
    } else {
        analysis.channels.push_back(analyseChannel("Red", "#d00", codes, values, 0, targetGamma));
        analysis.channels.push_back(analyseChannel("Green", "#080", codes, values, 1, targetGamma));
        analysis.channels.push_back(analyseChannel("Blue", "#00d", codes, values, 2, targetGamma));
    }
    return analysis;
}

std::string linearityReportHtml(const LinearityAnalysis& analysis, const std::string& source)
{
    const std::string title = analysis.verification ? "Verification report" : "Linearity report";
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title
        + "</title>\n<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
          "td,th{border:1px solid #aaa;padding:2px 8px;text-align:right}</style></head><body>\n";
    html += "<h1>" + title + "</h1>\n<p>Data file: " + escapeHtml(source) + "<br>Target: gamma "
        + fixed(analysis.targetGamma, 2) + "<sup>1</sup></p>\n";

    html += "<h2>Fitted gamma<sup>2</sup></h2>\n<table><tr>";
    for (const ChannelResponse& c : analysis.channels)
        html += "<th>" + c.name + "</th>";
    html += "</tr><tr>";
    for (const ChannelResponse& c : analysis.channels)
        html += "<td>" + optionalText(c.fittedGamma, 2) + "</td>";
    html += "</tr></table>\n";

    html += "<h2>Response<sup>3</sup></h2>\n" + responsePlot(analysis);

    html += "<h2>Error against the target<sup>4</sup></h2>\n" + errorPlot(analysis);

    html += stepTables(analysis);

    html += "<h2>Notes</h2>\n<ol>\n"
            "<li>Target: relative luminance = v<sup>&gamma;</sup> with v = code / 255.</li>\n"
            "<li>Fitted gamma: the least-squares slope through the origin of ln(relative luminance) against "
            "ln(v), over the steps with 0 &lt; v &lt; 1: &gamma; = &Sigma; ln v &middot; ln Y<sub>rel</sub> / "
            "&Sigma; (ln v)<sup>2</sup>.</li>\n"
            "<li>Relative luminance: Y<sub>rel</sub> = (Y &minus; Y<sub>first</sub>) / (Y<sub>last</sub> &minus; "
            "Y<sub>first</sub>), the first step taken as the display's black; the per-step gamma is ln "
            "Y<sub>rel</sub> / ln v.</li>\n"
            "<li>Error: (Y<sub>rel</sub> &minus; v<sup>&gamma;</sup>) / v<sup>&gamma;</sup> &times; 100 %.</li>\n"
            "</ol>\n</body></html>\n";
    return html;
}
