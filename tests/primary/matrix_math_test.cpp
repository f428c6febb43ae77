#include "primary/matrix_inverse.h"
#include "primary/matrix_multiplier.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Small integers throughout: any difference is a fault, not rounding. The measured and
// target matrices are pinned by the worked examples of the Apply tests.

TEST(MatrixMathTest, DeterminantOfAnyOrderInverseAndProduct)
{
    // Worked by exact Gaussian elimination over the rationals.
    const double rows[5][5]{{2, -1, 0, 3, 1}, {1, 4, 2, 0, -2}, {0, 3, 5, 1, 1}, {4, 0, 1, 2, 0}, {1, 1, 0, -1, 3}};
    SquareMatrix order5(5);
    for (std::size_t i = 0; i < 25; ++i)
        order5.at(i / 5, i % 5) = rows[i / 5][i % 5];
    EXPECT_EQ(MatrixInverse().determinant(order5), -480.0);

    const MatrixInverse inverse;
    // Determinant 1: the inverse is the adjugate, worked by hand.
    EXPECT_EQ(inverse.invert({{{1, 2, 3}, {0, 1, 4}, {5, 6, 0}}}),
              (Matrix3{{{-24, 18, 5}, {20, -15, -4}, {-5, 4, 1}}}));
    EXPECT_FALSE(std::isfinite(inverse.invert({{{1, 2, 3}, {4, 5, 6}, {1, 2, 3}}})[0][0]));
    EXPECT_EQ(MatrixMultiplier().multiply({{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}}, {{{9, 8, 7}, {6, 5, 4}, {3, 2, 1}}}),
              (Matrix3{{{30, 24, 18}, {84, 69, 54}, {138, 114, 90}}}));
}

} // namespace
