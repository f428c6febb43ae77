#pragma once

// The primaries report: the measured triangle on the CIE 1931 chart with the HDTV target,
// the chromaticity error of each primary and of white, and the computed matrix.

#include "measure/chromaticity.h"
#include "measure/measured_data_readers.h"

#include <array>
#include <optional>
#include <string>

struct ChromaticityError {
    std::string name;
    Chromaticity measured;
    Chromaticity target;
    double deltaXy = 0.0;
    double deltaE2000 = 0.0;
};

struct PrimariesAnalysis {
    // Red, green, blue, then white (the sum of the three primaries).
    std::array<ChromaticityError, 4> errors;
    double whiteLuminance = 0.0;
};

PrimariesAnalysis analysePrimaries(const PrimaryDataValues& values);

struct ReportMatrix {
    std::string title;
    Matrix3x3 values{};
};

// A self-contained HTML page; `source` names the data file; the matrices, when given, are
// shown as computed by the primary calibration.
std::string primariesReportHtml(const PrimariesAnalysis& analysis, const std::string& source,
                                const std::vector<ReportMatrix>& matrices);
