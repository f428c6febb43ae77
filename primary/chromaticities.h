#pragma once

#include "primary/primary_types.h"

class Chromaticities {
public:
    virtual ~Chromaticities() = default;

    // The measured RGB-to-XYZ matrix: column c is primary c, scaled to its (normalised)
    // luminance. A primary with y = 0 gives infinite or NaN elements.
    Matrix3 measuredMatrix(const MeasuredPrimaries& measured) const;
};
