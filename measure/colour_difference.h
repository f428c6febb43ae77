#pragma once

// CIELAB and the CIEDE2000 colour difference, for the reports' error figures.

#include "measure/chromaticity.h"

struct Lab {
    double L = 0.0;
    double a = 0.0;
    double b = 0.0;
};

// CIE 1976 L*a*b* of a colour relative to a white of the same scale.
Lab labFromXyz(const Tristimulus& colour, const Tristimulus& white);

// CIEDE2000 with the parametric factors kL = kC = kH = 1.
double deltaE2000(const Lab& first, const Lab& second);
