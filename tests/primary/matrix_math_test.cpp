#include "primary/chromaticities.h"
#include "primary/matrix_inverse.h"
#include "primary/matrix_multiplier.h"
#include "primary/white_point_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Small integers and binary fractions throughout: any difference is a fault, not rounding.

double determinantOf(const std::vector<std::vector<double>>& rows)
{
    SquareMatrix matrix(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows.size(); ++c)
            matrix.at(r, c) = rows[r][c];
    }
    return MatrixInverse().determinant(matrix);
}

TEST(MatrixMathTest, DeterminantOfAnyOrder)
{
    EXPECT_EQ(determinantOf({{-2.5}}), -2.5);
    // Worked by exact Gaussian elimination over the rationals.
    EXPECT_EQ(determinantOf({{2, -1, 0, 3, 1}, {1, 4, 2, 0, -2}, {0, 3, 5, 1, 1}, {4, 0, 1, 2, 0}, {1, 1, 0, -1, 3}}),
              -480.0);
}

TEST(MatrixMathTest, InverseAndProduct)
{
    const MatrixInverse inverse;
    // Determinant 1: the inverse is the adjugate, worked by hand.
    EXPECT_EQ(inverse.invert({{{1, 2, 3}, {0, 1, 4}, {5, 6, 0}}}), (Matrix3{{{-24, 18, 5}, {20, -15, -4}, {-5, 4, 1}}}));
    EXPECT_FALSE(std::isfinite(inverse.invert({{{1, 2, 3}, {4, 5, 6}, {1, 2, 3}}})[0][0]));
    EXPECT_EQ(MatrixMultiplier().multiply({{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}}, {{{9, 8, 7}, {6, 5, 4}, {3, 2, 1}}}),
              (Matrix3{{{30, 24, 18}, {84, 69, 54}, {138, 114, 90}}}));
}

TEST(MatrixMathTest, MeasuredMatrixColumnsAreThePrimariesScaledToTheirLuminance)
{
    MeasuredPrimaries measured;
    measured.primaries = {{{0.25f, 0.5f, 0.25f, 0.5f}, {0.5f, 0.25f, 0.25f, 0.25f}, {0.125f, 0.125f, 0.75f, 0.25f}}};
    // X = x / y * Y, Y, Z = z / y * Y.
    EXPECT_EQ(Chromaticities().measuredMatrix(measured),
              (Matrix3{{{0.25, 0.5, 0.25}, {0.5, 0.25, 0.25}, {0.25, 0.25, 1.5}}}));
}

TEST(MatrixMathTest, TargetFollowsTheDisplayType)
{
    const WhitePointMatrix whitePoint;
    // BT.709 maps full RGB to the D65 white (0.95047, 1, 1.08883) to its four decimals.
    const Matrix3 bt709 = whitePoint.targetMatrix(DisplayType::NonRgbLed);
    const double white[3] = {0.95047, 1.0, 1.08883};
    for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(bt709[row][0] + bt709[row][1] + bt709[row][2], white[row], 2e-4 * white[row]) << row;
    // Only value 1 selects BT.709.
    EXPECT_EQ(whitePoint.targetMatrix(static_cast<DisplayType>(0)), kRgbLedTargetMatrix);
}

} // namespace
