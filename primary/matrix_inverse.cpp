#include "primary/matrix_inverse.h"

double MatrixInverse::determinant(const SquareMatrix& matrix) const
{
    if (matrix.order() == 0)
        return 1.0;
    if (matrix.order() == 1)
        return matrix.at(0, 0);
    double sum = 0.0;
    for (std::size_t i = 0; i < matrix.order(); ++i) {
        const double sign = (i % 2 == 0) ? 1.0 : -1.0;
        sum = determinant(matrix.minorWithout(0, i)) * (sign * matrix.at(0, i)) + sum;
    }
    return sum;
}

Matrix3 MatrixInverse::invert(const Matrix3& matrix) const
{
    const SquareMatrix square(matrix);
    const double inverseDeterminant = 1.0 / determinant(square);
    Matrix3 inverse{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            double cofactor = determinant(square.minorWithout(i, j)) * inverseDeterminant;
            if ((i + j) % 2 == 1)
                cofactor = -cofactor;
            inverse[j][i] = cofactor;
        }
    }
    return inverse;
}
