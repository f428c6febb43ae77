#include "primary/white_point_matrix.h"

Matrix3 WhitePointMatrix::targetMatrix(DisplayType displayType) const
{
    return displayType == DisplayType::NonRgbLed ? kBt709TargetMatrix : kRgbLedTargetMatrix;
}

Matrix3 WhitePointMatrix::nativeMatrix() const
{
    return kIdentityMatrix;
}
