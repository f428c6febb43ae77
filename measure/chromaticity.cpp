#include "measure/chromaticity.h"

#include <cmath>

Tristimulus fromChromaticity(Chromaticity c, double luminance)
{
    if (c.y == 0.0)
        return {};
    return {c.x * luminance / c.y, luminance, (1.0 - c.x - c.y) * luminance / c.y};
}

Tristimulus multiply(const Matrix3x3& m, const std::array<double, 3>& v)
{
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2], m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Matrix3x3 rgbToXyz(const std::array<Chromaticity, 3>& primaries, Chromaticity white)
{
    // Columns are each primary's XYZ at Y = 1; the scale of each column comes from
    // solving for the white (Cramer's rule).
    Matrix3x3 p{};
    for (std::size_t c = 0; c < 3; ++c) {
        const Tristimulus t = fromChromaticity(primaries[c], 1.0);
        p[0][c] = t.X;
        p[1][c] = t.Y;
        p[2][c] = t.Z;
    }
    const Tristimulus w = fromChromaticity(white, 1.0);
    const auto det = [](const Matrix3x3& m) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
            + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(p);
    if (d == 0.0 || !std::isfinite(d))
        return {};
    Matrix3x3 result = p;
    for (std::size_t c = 0; c < 3; ++c) {
        Matrix3x3 replaced = p;
        replaced[0][c] = w.X;
        replaced[1][c] = w.Y;
        replaced[2][c] = w.Z;
        const double scale = det(replaced) / d;
        for (std::size_t r = 0; r < 3; ++r)
            result[r][c] = p[r][c] * scale;
    }
    return result;
}
