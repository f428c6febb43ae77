#include "primary/primary_apply.h"

#include "config/number_text.h"
#include "primary/calibration_report.h"
#include "primary/chromaticities.h"
#include "primary/matrix_inverse.h"
#include "primary/matrix_multiplier.h"
#include "primary/white_point_matrix.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kInvalidLuminanceMessage = "Invalid Luminance values";
constexpr const char* kInvalidMatrixMessage =
    "Check measured chromaticity values - calculated calibration matrix is invalid.";

// x + y + z and the normalised luminances must add up to 1 within this band.
bool withinUnitBand(double sum)
{
    return sum > 0.9999 && sum < 1.0001;
}

void parseTexts(const FieldTexts& texts, MeasuredPrimaries& measured)
{
    for (std::size_t c = 0; c < 3; ++c) {
        PrimaryMeasurement& primary = measured.primaries[c];
        // A failed parse leaves the value as it was.
        parseLeadingFloat(texts[c].x, primary.x);
        parseLeadingFloat(texts[c].y, primary.y);
        parseLeadingFloat(texts[c].luminance, primary.luminance);
    }
}

// Only the ratios of the luminances matter; single precision as the processor's tools
// have always rounded them, so results match stored calibrations.
void normaliseLuminances(MeasuredPrimaries& measured)
{
    auto& primaries = measured.primaries;
    float sum = primaries[0].luminance + 0.0f;
    sum = sum + primaries[1].luminance;
    sum = sum + primaries[2].luminance;
    for (PrimaryMeasurement& primary : primaries)
        primary.luminance = primary.luminance / sum;
}

void deriveZ(MeasuredPrimaries& measured)
{
    for (PrimaryMeasurement& primary : measured.primaries)
        primary.z = static_cast<float>((1.0 - primary.x) - primary.y);
}

// The first failing check's message, or empty when the measurements are usable. A
// luminance is light measured: one that is not above 0 is a misreading, whatever the
// ratios of the three would give.
std::string inputCheckFailure(const MeasuredPrimaries& measured, const std::array<float, 3>& measuredLuminances)
{
    for (Channel channel : kAllChannels) {
        const PrimaryMeasurement& primary = measured.primaries[channelIndex(channel)];
        const double sum = (static_cast<double>(primary.x) + primary.y) + primary.z;
        if (!withinUnitBand(sum))
            return "Invalid " + std::string(channelName(channel)) + " values";
    }
    const auto& primaries = measured.primaries;
    const double luminanceSum =
        static_cast<double>(primaries[0].luminance) + primaries[1].luminance + primaries[2].luminance;
    const bool allPositive = std::all_of(measuredLuminances.begin(), measuredLuminances.end(),
                                         [](float luminance) { return luminance > 0.0f; });
    if (!withinUnitBand(luminanceSum) || !allPositive)
        return kInvalidLuminanceMessage;
    return {};
}

bool hasNaN(const Matrix3& matrix)
{
    return std::any_of(matrix.begin(), matrix.end(), [](const auto& row) {
        return std::any_of(row.begin(), row.end(), [](double value) { return std::isnan(value); });
    });
}

bool allFinite(const Matrix3& matrix)
{
    return std::all_of(matrix.begin(), matrix.end(), [](const auto& row) {
        return std::all_of(row.begin(), row.end(), [](double value) { return std::isfinite(value); });
    });
}

// The processor holds each coefficient as a sign and a magnitude below 2, and reads the
// coefficient as the matrix file writes it (six significant digits).
bool fitsTheProcessor(const Matrix3& matrix)
{
    return std::all_of(matrix.begin(), matrix.end(), [](const auto& row) {
        return std::all_of(row.begin(), row.end(), [](double value) {
            float written = 0.0f;
            return parseLeadingFloat(formatGeneral(value), written) && std::fabs(written) < 2.0f;
        });
    });
}

// Scales the matrix so that its largest row sum is 1: full drive on all three inputs
// then never asks more than full drive of any output.
Matrix3 normalisedByLargestRowSum(const Matrix3& matrix)
{
    std::array<double, 3> rowSums{};
    for (std::size_t i = 0; i < 3; ++i)
        rowSums[i] = (matrix[i][1] + matrix[i][0]) + matrix[i][2];
    double largest = rowSums[0];
    if (rowSums[0] < rowSums[1])
        largest = rowSums[1];
    if (rowSums[2] > largest)
        largest = rowSums[2];
    Matrix3 normalised{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t k = 0; k < 3; ++k)
            normalised[i][k] = matrix[i][k] / largest;
    }
    return normalised;
}

// The D65 download matrix, or nothing when a step produced an undefined value.
std::optional<Matrix3> downloadMatrix(const MeasuredPrimaries& measured, DisplayType displayType, const Matrix3& native)
{
    const Matrix3 measuredMatrix = Chromaticities().measuredMatrix(measured);
    const Matrix3 target = WhitePointMatrix().targetMatrix(displayType);
    if (hasNaN(measuredMatrix))
        return std::nullopt;
    const Matrix3 inverse = MatrixInverse().invert(measuredMatrix);
    if (hasNaN(inverse) || hasNaN(target) || hasNaN(native))
        return std::nullopt;
    const Matrix3 product = MatrixMultiplier().multiply(inverse, target);
    // Extreme measurements can pass every check above and still give infinite elements
    // or a largest row sum that is zero or undefined; those would reach the matrix file
    // as "inf" or "nan" and be marked valid.
    Matrix3 d65 = normalisedByLargestRowSum(product);
    if (!allFinite(d65))
        return std::nullopt;
    return d65;
}

} // namespace

ApplyResult applyPrimaryCalibration(const FieldTexts& texts, DisplayType displayType, MeasuredPrimaries& measured,
                                    CalibrationMatrices& matrices)
{
    ApplyResult result;
    parseTexts(texts, measured);
    std::array<float, 3> measuredLuminances{};
    for (std::size_t c = 0; c < 3; ++c)
        measuredLuminances[c] = measured.primaries[c].luminance;
    normaliseLuminances(measured);
    deriveZ(measured);

    if (std::string failure = inputCheckFailure(measured, measuredLuminances); !failure.empty()) {
        result.failure = std::move(failure);
    } else {
        result.saveEnabled = true;
        const Matrix3 native = WhitePointMatrix().nativeMatrix();
        std::optional<Matrix3> d65 = downloadMatrix(measured, displayType, native);
        // A coefficient the processor cannot hold would only be refused by the download,
        // long after the operator left the meter: refuse it now, with Save left off.
        if (d65 && !fitsTheProcessor(*d65)) {
            d65.reset();
            result.saveEnabled = false;
        }
        if (d65) {
            matrices.d65 = *d65;
            matrices.native = native;
            matrices.valid = true;
            matrices.computed = true;
        } else {
            matrices.valid = false;
            result.failure = kInvalidMatrixMessage;
        }
    }

    result.matricesValid = matrices.valid;
    if (matrices.computed)
        result.reportText = calibrationReportText(matrices);
    if (matrices.valid)
        result.triangle = chromaticityTriangle(measured);
    return result;
}
