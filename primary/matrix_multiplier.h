#pragma once

#include "primary/primary_types.h"

class MatrixMultiplier {
public:
    virtual ~MatrixMultiplier() = default;

    // left x right, each element summed over k = 0, 1, 2 in that order.
    Matrix3 multiply(const Matrix3& left, const Matrix3& right) const;
};
