#pragma once

// A square matrix of any order, row-major, for the general determinant.

#include "primary/primary_types.h"

#include <cstddef>
#include <vector>

class SquareMatrix {
public:
    explicit SquareMatrix(std::size_t order) : order_(order), elements_(order * order, 0.0) {}
    explicit SquareMatrix(const Matrix3& matrix);

    std::size_t order() const { return order_; }
    double at(std::size_t row, std::size_t column) const { return elements_[row * order_ + column]; }
    double& at(std::size_t row, std::size_t column) { return elements_[row * order_ + column]; }

    // A fresh matrix of order - 1 without `row` and `column`; order >= 1.
    SquareMatrix minorWithout(std::size_t row, std::size_t column) const;

private:
    std::size_t order_;
    std::vector<double> elements_;
};
