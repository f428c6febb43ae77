#include "measure/colour_difference.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double labF(double t)
{
    constexpr double delta = 6.0 / 29.0;
    if (t > delta * delta * delta)
        return std::cbrt(t);
    return t / (3.0 * delta * delta) + 4.0 / 29.0;
}

// Hue angle in degrees, 0 to 360; 0 for a neutral colour.
double hueDegrees(double b, double a)
{
    if (a == 0.0 && b == 0.0)
        return 0.0;
    const double h = std::atan2(b, a) / kDegree;
    return h < 0.0 ? h + 360.0 : h;
}

double pow7Ratio(double c)
{
    const double c7 = std::pow(c, 7.0);
    return std::sqrt(c7 / (c7 + 6103515625.0)); // 25^7
}

} // namespace

Lab labFromXyz(const Tristimulus& colour, const Tristimulus& white)
{
    const double fx = labF(colour.X / white.X);
    const double fy = labF(colour.Y / white.Y);
    const double fz = labF(colour.Z / white.Z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double deltaE2000(const Lab& first, const Lab& second)
{
    const double c1 = std::hypot(first.a, first.b);
    const double c2 = std::hypot(second.a, second.b);
    const double g = 0.5 * (1.0 - pow7Ratio((c1 + c2) / 2.0));
    const double a1 = (1.0 + g) * first.a;
    const double a2 = (1.0 + g) * second.a;
    const double cp1 = std::hypot(a1, first.b);
    const double cp2 = std::hypot(a2, second.b);
    const double h1 = hueDegrees(first.b, a1);
    const double h2 = hueDegrees(second.b, a2);

    const double dL = second.L - first.L;
    const double dC = cp2 - cp1;
    double dh = 0.0;
    if (cp1 * cp2 != 0.0) {
        dh = h2 - h1;
        if (dh > 180.0)
            dh -= 360.0;
        else if (dh < -180.0)
            dh += 360.0;
    }
    const double dH = 2.0 * std::sqrt(cp1 * cp2) * std::sin(dh * kDegree / 2.0);

    const double meanL = (first.L + second.L) / 2.0;
    const double meanC = (cp1 + cp2) / 2.0;
    double meanH = h1 + h2;
    if (cp1 * cp2 != 0.0) {
        if (std::fabs(h1 - h2) <= 180.0)
            meanH = (h1 + h2) / 2.0;
        else if (h1 + h2 < 360.0)
            meanH = (h1 + h2 + 360.0) / 2.0;
        else
            meanH = (h1 + h2 - 360.0) / 2.0;
    }
    const double t = 1.0 - 0.17 * std::cos((meanH - 30.0) * kDegree) + 0.24 * std::cos(2.0 * meanH * kDegree)
        + 0.32 * std::cos((3.0 * meanH + 6.0) * kDegree) - 0.20 * std::cos((4.0 * meanH - 63.0) * kDegree);
    const double dTheta = 30.0 * std::exp(-std::pow((meanH - 275.0) / 25.0, 2.0));
    const double rc = 2.0 * pow7Ratio(meanC);
    const double l50 = (meanL - 50.0) * (meanL - 50.0);
    const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sc = 1.0 + 0.045 * meanC;
    const double sh = 1.0 + 0.015 * meanC * t;
    const double rt = -std::sin(2.0 * dTheta * kDegree) * rc;
    const double l = dL / sl;
    const double c = dC / sc;
    const double h = dH / sh;
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}
