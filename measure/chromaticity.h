#pragma once

// Chromaticity arithmetic the simulated display and the reports share: xyY and XYZ, and
// the matrix that takes a display's linear RGB to XYZ from its primaries and white.

#include <array>

struct Chromaticity {
    double x = 0.0;
    double y = 0.0;
};

struct Tristimulus {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
};

using Matrix3x3 = std::array<std::array<double, 3>, 3>;

// The HDTV (ITU-R BT.709) primaries and the D65 white that they are defined against.
inline constexpr std::array<Chromaticity, 3> kHdtvPrimaries{{{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}}};
inline constexpr Chromaticity kD65White{0.3127, 0.3290};

// X, Y, Z of a colour given as x, y and luminance Y; black for y = 0.
Tristimulus fromChromaticity(Chromaticity c, double luminance);

// Linear RGB (red, green, blue columns) to XYZ, scaled so that RGB 1, 1, 1 gives the
// white's chromaticity with Y = 1. All zeros when the primaries are collinear.
Matrix3x3 rgbToXyz(const std::array<Chromaticity, 3>& primaries, Chromaticity white);

Tristimulus multiply(const Matrix3x3& m, const std::array<double, 3>& v);
