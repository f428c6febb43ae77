#pragma once

// The target matrices (RGB to XYZ, rows X, Y, Z) the measured display is corrected to.

#include "primary/primary_types.h"

// ITU-R BT.709 primaries with a D65 white, to four decimals.
inline constexpr Matrix3 kBt709TargetMatrix{{
    {0.4124, 0.3576, 0.1805},
    {0.2126, 0.7152, 0.0722},
    {0.0193, 0.1192, 0.9505},
}};

// The wide-gamut target of the RGB-LED projectors.
inline constexpr Matrix3 kRgbLedTargetMatrix{{
    {0.5589, 0.2214, 0.1916},
    {0.2413, 0.7164, 0.0423},
    {0.0016, 0.0641, 1.0874},
}};

class WhitePointMatrix {
public:
    virtual ~WhitePointMatrix() = default;

    // BT.709 for NonRgbLed; the RGB-LED target for any other value.
    Matrix3 targetMatrix(DisplayType displayType) const;
    // The native download matrix: the identity for every display type.
    Matrix3 nativeMatrix() const;
};
