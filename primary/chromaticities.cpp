#include "primary/chromaticities.h"

Matrix3 Chromaticities::measuredMatrix(const MeasuredPrimaries& measured) const
{
    Matrix3 matrix{};
    for (std::size_t c = 0; c < 3; ++c) {
        const PrimaryMeasurement& primary = measured.primaries[c];
        const double luminance = primary.luminance;
        // The division comes first, as the stored calibrations were computed.
        matrix[0][c] = luminance / primary.y * primary.x;
        matrix[1][c] = luminance;
        matrix[2][c] = luminance / primary.y * primary.z;
    }
    return matrix;
}
