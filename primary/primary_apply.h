#pragma once

// Apply: turns the nine field texts and the display type into the calibration matrices,
// and tells the dialog what to show.

#include "primary/chromaticity_triangle.h"
#include "primary/primary_types.h"

#include <optional>
#include <string>

struct ApplyResult {
    // Why Apply failed, for the status field; empty when it worked.
    std::string failure;
    // The Calibration Matrices field: the report of the last successful Apply, or empty.
    std::string reportText;
    bool saveEnabled = false;
    bool matricesValid = false;
    // Drawn while the matrices are valid, from the x and y of this Apply.
    std::optional<ChromaticityTriangle> triangle;
};

// Parses the texts into `measured` (a text that does not begin with a number keeps that
// field's previous value; before any value was parsed that is 0), checks them, and on
// success replaces `matrices`. Input checks that fail (a luminance not above 0 among
// them) leave `matrices` as they were and Save disabled; a matrix that comes out
// undefined marks `matrices` invalid but keeps the last computed values, and one with a
// coefficient the processor cannot hold (magnitude 2 or more) does the same with Save
// disabled.
ApplyResult applyPrimaryCalibration(const FieldTexts& texts, DisplayType displayType, MeasuredPrimaries& measured,
                                    CalibrationMatrices& matrices);
