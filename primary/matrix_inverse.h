#pragma once

// Inverse of a 3x3 matrix as adjugate over determinant, with the cofactor expansion as
// the determinant of any order. A singular matrix gives infinite or NaN elements, which
// the caller's validity checks catch.

#include "primary/primary_types.h"
#include "primary/square_matrix.h"

class MatrixInverse {
public:
    virtual ~MatrixInverse() = default;

    Matrix3 invert(const Matrix3& matrix) const;

    // Cofactor expansion along the first row; the empty matrix has determinant 1. The work
    // grows with the factorial of the order, which suits the 3x3 and 2x2 cases it serves.
    double determinant(const SquareMatrix& matrix) const;
};
