#include "primary/matrix_multiplier.h"

Matrix3 MatrixMultiplier::multiply(const Matrix3& left, const Matrix3& right) const
{
    Matrix3 product{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t k = 0; k < 3; ++k)
            product[i][k] = left[i][0] * right[0][k] + left[i][1] * right[1][k] + left[i][2] * right[2][k];
    }
    return product;
}
