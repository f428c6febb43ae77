#include "primary/chromaticities.h"
#include "primary/matrix_inverse.h"
#include "primary/matrix_multiplier.h"
#include "primary/white_point_matrix.h"
#include "primary_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Exact small-integer arithmetic: any error is a fault, not rounding.
constexpr double kExact = 0.0;
// One or two roundings of values near 1.
constexpr double kRounding = 1e-12;

SquareMatrix squareFrom(const std::vector<std::vector<double>>& rows)
{
    SquareMatrix matrix(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows.size(); ++c)
            matrix.at(r, c) = rows[r][c];
    }
    return matrix;
}

TEST(DeterminantTest, MatchesHandExpandedValuesOfEveryOrder)
{
    const MatrixInverse inverse;
    EXPECT_EQ(inverse.determinant(squareFrom({{-2.5}})), -2.5);
    EXPECT_EQ(inverse.determinant(squareFrom({{3, 8}, {4, 6}})), -14.0);
    EXPECT_EQ(inverse.determinant(squareFrom({{6, 1, 1}, {4, -2, 5}, {2, 8, 7}})), -306.0);
    EXPECT_EQ(inverse.determinant(squareFrom({{1, 0, 2, -1}, {3, 0, 0, 5}, {2, 1, 4, -3}, {1, 0, 5, 0}})), 30.0);
    // Checked by exact Gaussian elimination over the rationals.
    EXPECT_EQ(inverse.determinant(squareFrom(
                  {{2, -1, 0, 3, 1}, {1, 4, 2, 0, -2}, {0, 3, 5, 1, 1}, {4, 0, 1, 2, 0}, {1, 1, 0, -1, 3}})),
              -480.0);
    EXPECT_EQ(inverse.determinant(SquareMatrix(0)), 1.0);
}

TEST(DeterminantTest, SwappedRowsNegateAndRepeatedRowsVanish)
{
    const MatrixInverse inverse;
    EXPECT_EQ(inverse.determinant(squareFrom({{4, -2, 5}, {6, 1, 1}, {2, 8, 7}})), 306.0);
    EXPECT_EQ(inverse.determinant(squareFrom({{1, 2, 3}, {4, 5, 6}, {1, 2, 3}})), 0.0);
}

TEST(MatrixInverseTest, InvertsKnownMatrices)
{
    const MatrixInverse inverse;
    // Determinant 1, so the adjugate is the inverse.
    expectMatrixNear(inverse.invert({{{1, 2, 3}, {0, 1, 4}, {5, 6, 0}}}),
                     {{{-24, 18, 5}, {20, -15, -4}, {-5, 4, 1}}}, kExact);
    expectMatrixNear(inverse.invert({{{2, 0, 0}, {0, 4, 0}, {0, 0, 8}}}),
                     {{{0.5, 0, 0}, {0, 0.25, 0}, {0, 0, 0.125}}}, kExact);
}

TEST(MatrixInverseTest, InverseTimesMatrixIsIdentity)
{
    const Matrix3 matrix = kRgbLedTargetMatrix;
    const Matrix3 product = MatrixMultiplier().multiply(MatrixInverse().invert(matrix), matrix);
    expectMatrixNear(product, kIdentityMatrix, kRounding);
}

TEST(MatrixInverseTest, SingularMatrixGivesUndefinedElements)
{
    const Matrix3 inverse = MatrixInverse().invert({{{1, 2, 3}, {4, 5, 6}, {1, 2, 3}}});
    bool anyUndefined = false;
    for (const auto& row : inverse) {
        for (double value : row)
            anyUndefined = anyUndefined || !std::isfinite(value);
    }
    EXPECT_TRUE(anyUndefined);
}

TEST(MatrixMultiplierTest, MultipliesLeftByRightNotTheOtherWay)
{
    const Matrix3 left{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
    const Matrix3 right{{{9, 8, 7}, {6, 5, 4}, {3, 2, 1}}};
    expectMatrixNear(MatrixMultiplier().multiply(left, right), {{{30, 24, 18}, {84, 69, 54}, {138, 114, 90}}},
                     kExact);
    expectMatrixNear(MatrixMultiplier().multiply(right, left), {{{90, 114, 138}, {54, 69, 84}, {18, 24, 30}}},
                     kExact);
}

TEST(ChromaticitiesTest, ColumnsAreThePrimariesScaledToTheirLuminance)
{
    MeasuredPrimaries measured;
    measured.primaries[0] = {0.25f, 0.5f, 0.25f, 0.5f};
    measured.primaries[1] = {0.5f, 0.25f, 0.25f, 0.25f};
    measured.primaries[2] = {0.125f, 0.125f, 0.75f, 0.25f};
    // X = x / y * Y, Y, Z = z / y * Y, worked by hand.
    expectMatrixNear(Chromaticities().measuredMatrix(measured),
                     {{{0.25, 0.5, 0.25}, {0.5, 0.25, 0.25}, {0.25, 0.25, 1.5}}}, kExact);
}

TEST(ChromaticitiesTest, ZeroYGivesInfiniteOrUndefinedColumn)
{
    MeasuredPrimaries measured;
    measured.primaries[0] = {0.64f, 0.0f, 0.36f, 0.5f};
    measured.primaries[1] = {0.0f, 0.0f, 1.0f, 0.0f};
    const Matrix3 matrix = Chromaticities().measuredMatrix(measured);
    EXPECT_TRUE(std::isinf(matrix[0][0]));
    EXPECT_TRUE(std::isnan(matrix[0][1]));
}

TEST(WhitePointMatrixTest, TargetsFollowTheDisplayType)
{
    const WhitePointMatrix whitePoint;
    // The BT.709 target maps full RGB to the D65 white (0.95047, 1, 1.08883), to the
    // precision of its four-decimal elements.
    const Matrix3 bt709 = whitePoint.targetMatrix(DisplayType::NonRgbLed);
    const double white[3] = {0.95047, 1.0, 1.08883};
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(isClose(bt709[row][0] + bt709[row][1] + bt709[row][2], white[row], 2e-4)) << "row " << row;

    EXPECT_EQ(whitePoint.targetMatrix(DisplayType::RgbLed)[0][0], 0.5589);
    EXPECT_EQ(whitePoint.targetMatrix(DisplayType::RgbLed)[2][2], 1.0874);
    // Only value 1 selects BT.709; every other value is treated as an RGB LED display.
    EXPECT_EQ(whitePoint.targetMatrix(static_cast<DisplayType>(0))[1][2], 0.0423);
    EXPECT_EQ(whitePoint.nativeMatrix(), kIdentityMatrix);
}

} // namespace
