#include "measure/primaries_report.h"

#include "config/cie1931_locus.h"
#include "config/number_text.h"
#include "measure/colour_difference.h"
#include "measure/svg_plot.h"

#include <cmath>

namespace {

constexpr const char* kNames[] = {"Red", "Green", "Blue", "White"};
constexpr const char* kColours[] = {"#d00", "#080", "#00d", "#000"};

ChromaticityError error(const char* name, const Tristimulus& measured, Chromaticity target, double whiteY)
{
    const double sum = measured.X + measured.Y + measured.Z;
    const Chromaticity xy = sum > 0.0 ? Chromaticity{measured.X / sum, measured.Y / sum} : Chromaticity{};
    // Both colours at the measured colour's share of white, so that only chromaticity counts.
    const double share = whiteY > 0.0 ? measured.Y / whiteY : 0.0;
    const Tristimulus white = fromChromaticity(kD65White, 1.0);
    const Lab measuredLab = labFromXyz(fromChromaticity(xy, share), white);
    const Lab targetLab = labFromXyz(fromChromaticity(target, share), white);
    return {name, xy, target, std::hypot(xy.x - target.x, xy.y - target.y), deltaE2000(measuredLab, targetLab)};
}

// Chart coordinates: x 0 to 0.8, y 0 to 0.9 on 400 by 450 pixels inside a margin.
std::string chartPoint(Chromaticity c)
{
    return fixed(40.0 + c.x / 0.8 * 400.0, 1) + "," + fixed(470.0 - c.y / 0.9 * 450.0, 1);
}

std::string triangle(const std::array<Chromaticity, 3>& corners, const char* stroke, const char* dash)
{
    return "<polygon fill=\"none\" stroke=\"" + std::string(stroke) + "\" stroke-width=\"1.5\"" + dash + " points=\""
        + chartPoint(corners[0]) + " " + chartPoint(corners[1]) + " " + chartPoint(corners[2]) + "\"/>\n";
}

std::string chart(const PrimariesAnalysis& a)
{
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"470\" height=\"510\" "
                      "font-family=\"sans-serif\" font-size=\"11\">\n"
                      "<rect x=\"40\" y=\"20\" width=\"400\" height=\"450\" fill=\"white\" stroke=\"black\"/>\n";
    for (int i = 1; i < 8; ++i) {
        const double x = i / 10.0;
        svg += "<line x1=\"" + fixed(40 + x / 0.8 * 400, 1) + "\" y1=\"20\" x2=\"" + fixed(40 + x / 0.8 * 400, 1)
            + "\" y2=\"470\" stroke=\"#eee\"/><text x=\"" + fixed(40 + x / 0.8 * 400, 1)
            + "\" y=\"484\" text-anchor=\"middle\">" + fixed(x, 1) + "</text>\n";
    }
    for (int i = 1; i < 9; ++i) {
        const double y = i / 10.0;
        svg += "<line x1=\"40\" y1=\"" + fixed(470 - y / 0.9 * 450, 1) + "\" x2=\"440\" y2=\""
            + fixed(470 - y / 0.9 * 450, 1) + "\" stroke=\"#eee\"/><text x=\"36\" y=\"" + fixed(474 - y / 0.9 * 450, 1)
            + "\" text-anchor=\"end\">" + fixed(y, 1) + "</text>\n";
    }
    svg += "<text x=\"240\" y=\"502\" text-anchor=\"middle\">x</text><text x=\"12\" y=\"245\">y</text>\n";
    std::string locus;
    for (const LocusPoint& p : kSpectralLocus)
        locus += chartPoint({p.x, p.y}) + " ";
    svg += "<polygon fill=\"none\" stroke=\"#444\" points=\"" + locus + "\"/>\n";
    svg += triangle({a.errors[0].target, a.errors[1].target, a.errors[2].target}, "#888", " stroke-dasharray=\"5,3\"");
    svg += triangle({a.errors[0].measured, a.errors[1].measured, a.errors[2].measured}, "#000", "");
    for (std::size_t c = 0; c < 4; ++c) {
        const std::string point = chartPoint(a.errors[c].measured);
        const std::size_t comma = point.find(',');
        svg += "<circle cx=\"" + point.substr(0, comma) + "\" cy=\"" + point.substr(comma + 1) + "\" r=\"4\" fill=\""
            + kColours[c] + "\"/>\n";
    }
    svg += "<text x=\"300\" y=\"40\">&#8212; measured</text><text x=\"300\" y=\"54\" fill=\"#888\">- - HDTV target, "
           "D65</text>\n";
    return svg + "</svg>\n";
}

} // namespace

PrimariesAnalysis analysePrimaries(const PrimaryDataValues& values)
{
    PrimariesAnalysis analysis;
    std::array<Tristimulus, 3> primaries;
    Tristimulus white;
    for (std::size_t c = 0; c < 3; ++c) {
        primaries[c] = fromChromaticity(values.chromaticity[c], values.luminance[c]);
        white.X += primaries[c].X;
        white.Y += primaries[c].Y;
        white.Z += primaries[c].Z;
    }
    analysis.whiteLuminance = white.Y;
    for (std::size_t c = 0; c < 3; ++c)
        analysis.errors[c] = error(kNames[c], primaries[c], kHdtvPrimaries[c], white.Y);
    analysis.errors[3] = error(kNames[3], white, kD65White, white.Y);
    return analysis;
}

std::string primariesReportHtml(const PrimariesAnalysis& analysis, const std::string& source,
                                const std::vector<ReportMatrix>& matrices)
{
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Primaries report</title>\n"
                       "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
                       "td,th{border:1px solid #aaa;padding:2px 8px;text-align:right}</style></head><body>\n"
                       "<h1>Primaries report</h1>\n<p>Data file: "
        + escapeHtml(source) + "<br>White luminance (red + green + blue): " + fixed(analysis.whiteLuminance, 2)
        + " cd/m&sup2;<sup>1</sup></p>\n<h2>CIE 1931 chromaticity</h2>\n" + chart(analysis);
    html += "<h2>Chromaticity error</h2>\n<table><tr><th></th><th>x</th><th>y</th><th>target x</th><th>target y</th>"
            "<th>&Delta;xy<sup>2</sup></th><th>&Delta;E<sub>00</sub><sup>3</sup></th></tr>\n";
    for (const ChromaticityError& e : analysis.errors) {
        html += "<tr><th>" + e.name + "</th><td>" + fixed(e.measured.x, 4) + "</td><td>" + fixed(e.measured.y, 4)
            + "</td><td>" + fixed(e.target.x, 4) + "</td><td>" + fixed(e.target.y, 4) + "</td><td>"
            + fixed(e.deltaXy, 4) + "</td><td>" + fixed(e.deltaE2000, 2) + "</td></tr>\n";
    }
    html += "</table>\n";
    for (const ReportMatrix& m : matrices) {
        html += "<h2>" + escapeHtml(m.title) + "</h2>\n<table>\n";
        for (const auto& row : m.values) {
            html += "<tr>";
            for (double v : row)
                html += "<td>" + formatGeneral(v) + "</td>";
            html += "</tr>\n";
        }
        html += "</table>\n";
    }
    html += "<h2>Notes</h2>\n<ol>\n"
            "<li>X = x Y / y, Z = (1 &minus; x &minus; y) Y / y for each primary; white is their sum.</li>\n"
            "<li>&Delta;xy = &radic;((x &minus; x<sub>target</sub>)<sup>2</sup> + (y &minus; "
            "y<sub>target</sub>)<sup>2</sup>); the target is the HDTV (ITU-R BT.709) primary, or D65 "
            "(0.3127, 0.3290) for white.</li>\n"
            "<li>CIEDE2000 (k<sub>L</sub> = k<sub>C</sub> = k<sub>H</sub> = 1) between the measured and the target "
            "chromaticity, both at the measured colour's luminance relative to white, in CIELAB against a D65 "
            "white of luminance 1: L* = 116 f(Y/Y<sub>n</sub>) &minus; 16, a* = 500 (f(X/X<sub>n</sub>) &minus; "
            "f(Y/Y<sub>n</sub>)), b* = 200 (f(Y/Y<sub>n</sub>) &minus; f(Z/Z<sub>n</sub>)), f(t) = t<sup>1/3</sup> "
            "above (6/29)<sup>3</sup>, else t / (3 (6/29)<sup>2</sup>) + 4/29.</li>\n"
            "</ol>\n</body></html>\n";
    return html;
}
