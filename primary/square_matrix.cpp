#include "primary/square_matrix.h"

SquareMatrix::SquareMatrix(const Matrix3& matrix) : SquareMatrix(3)
{
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t column = 0; column < 3; ++column)
            at(row, column) = matrix[row][column];
    }
}

SquareMatrix SquareMatrix::minorWithout(std::size_t row, std::size_t column) const
{
    SquareMatrix result(order_ - 1);
    std::size_t target = 0;
    for (std::size_t r = 0; r < order_; ++r) {
        if (r == row)
            continue;
        for (std::size_t c = 0; c < order_; ++c) {
            if (c != column)
                result.elements_[target++] = at(r, c);
        }
    }
    return result;
}
