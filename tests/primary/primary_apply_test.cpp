#include "primary/calibration_report.h"
#include "primary/primary_apply.h"
#include "primary/white_point_matrix.h"
#include "primary_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The code rounds its inputs to single precision; the all-double reference below differs
// from its results by about 1e-7.
constexpr double kSinglePrecisionInputs = 1e-6;
constexpr const char* kInvalidMatrix = "Check measured chromaticity values - calculated calibration matrix is invalid.";
constexpr const char* kNativeReport = "Native Download Matrix \r\n1.000000 0.000000 0.000000 \r\n"
                                      "0.000000 1.000000 0.000000 \r\n0.000000 0.000000 1.000000 \r\n";

struct Primary {
    double x, y, luminance;
};
const std::array<Primary, 3> kBt709{{{0.64, 0.33, 0.2126}, {0.30, 0.60, 0.7152}, {0.15, 0.06, 0.0722}}};

// Plain double arithmetic arranged differently from the code: the primary matrix with
// X = x Y / y and Z = (1 - x - y) Y / y, Gauss-Jordan elimination with partial pivoting
// for primaries * D = target, then D scaled to a largest row sum of 1.
Matrix3 referenceD65(const std::array<Primary, 3>& primaries, const Matrix3& target)
{
    const double total = primaries[0].luminance + primaries[1].luminance + primaries[2].luminance;
    double a[3][6];
    for (int c = 0; c < 3; ++c) {
        const Primary& p = primaries[c];
        a[0][c] = p.x * (p.luminance / total) / p.y;
        a[1][c] = p.luminance / total;
        a[2][c] = (1.0 - p.x - p.y) * (p.luminance / total) / p.y;
        for (int r = 0; r < 3; ++r)
            a[r][3 + c] = target[r][c];
    }
    for (int pivot = 0; pivot < 3; ++pivot) {
        int best = pivot;
        for (int r = pivot + 1; r < 3; ++r)
            best = std::fabs(a[r][pivot]) > std::fabs(a[best][pivot]) ? r : best;
        std::swap(a[pivot], a[best]);
        const double scale = a[pivot][pivot];
        for (double& value : a[pivot])
            value /= scale;
        for (int r = 0; r < 3; ++r) {
            const double factor = r == pivot ? 0.0 : a[r][pivot];
            for (int c = 0; c < 6; ++c)
                a[r][c] -= factor * a[pivot][c];
        }
    }
    double largest = -INFINITY;
    for (auto& row : a)
        largest = std::max(largest, row[3] + row[4] + row[5]);
    Matrix3 d65{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            d65[r][c] = a[r][3 + c] / largest;
    }
    return d65;
}

class ApplyTest : public ::testing::Test {
protected:
    ApplyResult apply(const FieldTexts& texts, DisplayType displayType = DisplayType::RgbLed)
    {
        return applyPrimaryCalibration(texts, displayType, measured, matrices);
    }
    static FieldTexts withLuminances(const char* red, const char* green, const char* blue)
    {
        FieldTexts texts = bt709FieldTexts();
        texts[0].luminance = red;
        texts[1].luminance = green;
        texts[2].luminance = blue;
        return texts;
    }

    MeasuredPrimaries measured;
    CalibrationMatrices matrices;
};

TEST_F(ApplyTest, Bt709PrimariesOnANonRgbLedDisplayNeedAlmostNoCorrection)
{
    const ApplyResult result = apply(bt709FieldTexts(), DisplayType::NonRgbLed);
    EXPECT_EQ(result.status.text, "");
    EXPECT_TRUE(result.saveEnabled);
    EXPECT_TRUE(result.matricesValid);
    // Off the diagonal: 0.000066, -0.000083, -0.000006, -0.000024 and two below 5e-7.
    EXPECT_EQ(result.reportText, "D65 Download Matrix \r\n0.999934 -0.000000 0.000066 \r\n"
                                 "-0.000083 0.999645 -0.000006 \r\n-0.000024 0.000000 0.999504 \r\n" +
                                     std::string(kNativeReport));
    expectMatrixNear(matrices.d65, referenceD65(kBt709, kBt709TargetMatrix), kSinglePrecisionInputs);
}

TEST_F(ApplyTest, Bt709PrimariesOnAnRgbLedDisplayMapToTheWideTarget)
{
    const ApplyResult result = apply(bt709FieldTexts(), DisplayType::RgbLed);
    EXPECT_EQ(result.reportText, "D65 Download Matrix \r\n1.347225 -0.389109 0.012867 \r\n"
                                 "-0.083244 1.059130 -0.057228 \r\n-0.015378 -0.061803 1.077181 \r\n" +
                                     std::string(kNativeReport));
    expectMatrixNear(matrices.d65, referenceD65(kBt709, kRgbLedTargetMatrix), kSinglePrecisionInputs);
    const Matrix3& d = matrices.d65;
    EXPECT_TRUE(isClose(d[2][0] + d[2][1] + d[2][2], 1.0, 1e-15)); // the largest row sum
    EXPECT_LT(d[0][0] + d[0][1] + d[0][2], 1.0);
}

TEST_F(ApplyTest, OnlyTheRatiosOfTheLuminancesMatterWhateverTheirSign)
{
    const std::string reference = apply(bt709FieldTexts()).reportText;
    EXPECT_EQ(apply(withLuminances("21.26", "71.52", "7.22")).reportText, reference);
    EXPECT_EQ(apply(withLuminances("-21.26", "-71.52", "-7.22")).reportText, reference);

    const ApplyResult mixed = apply(withLuminances("-0.1", "0.7152", "0.0722"));
    EXPECT_EQ(mixed.status.text, "");
    expectMatrixNear(matrices.d65, referenceD65({{{0.64, 0.33, -0.1}, kBt709[1], kBt709[2]}}, kRgbLedTargetMatrix),
                     kSinglePrecisionInputs);
}

TEST_F(ApplyTest, InputChecksStopTheRunAndKeepTheLastMatrices)
{
    const ApplyResult good = apply(bt709FieldTexts());
    const Matrix3 goodMatrix = matrices.d65;
    std::vector<std::pair<FieldTexts, const char*>> cases{
        {withLuminances("0", "0", "0"), "Invalid Luminance values"},
        {withLuminances("1", "-1", "0"), "Invalid Luminance values"},
    };
    // Since z is derived, only values that are not finite or huge fail the chromaticity
    // checks, red first.
    for (const auto& [red, green, blue, message] : std::vector<std::tuple<const char*, const char*, const char*, const char*>>{
             {"nan", "0.30", "0.15", "Invalid Red values"},
             {"0.64", "1e30", "0.15", "Invalid Green values"},
             {"0.64", "0.30", "-inf", "Invalid Blue values"},
             {"inf", "nan", "0", "Invalid Red values"}}) {
        FieldTexts texts = withLuminances("0", "0", "0");
        texts[0].x = red;
        texts[1].x = green;
        texts[2].x = blue;
        cases.emplace_back(texts, message);
    }
    for (const auto& [texts, message] : cases) {
        const ApplyResult result = apply(texts);
        EXPECT_EQ(result.status.text, message) << texts[0].x << " " << texts[1].x << " " << texts[2].x;
        EXPECT_TRUE(result.status.error);
        EXPECT_FALSE(result.saveEnabled);
        EXPECT_TRUE(result.matricesValid);
        EXPECT_EQ(result.reportText, good.reportText);
        EXPECT_EQ(matrices.d65, goodMatrix);
    }
}

TEST_F(ApplyTest, UndefinedMatricesAreReportedAndLeaveSaveEnabled)
{
    // x = y = 0 makes 0/0 in the measured matrix and y = 0 alone infinities; extreme
    // values can pass every check and still leave no usable largest row sum. None of
    // them may reach the matrix file.
    FieldTexts undefined = bt709FieldTexts();
    undefined[0].x = "0";
    undefined[0].y = "0";
    FieldTexts infinite = bt709FieldTexts();
    infinite[1].y = "-0";
    const FieldTexts noRowSum = makeFieldTexts({"0.6", "-1", "0.3"}, {"1e-45", "2", "0.33"}, {"0.3", "0.5", "0.33"});

    ApplyResult result = apply(undefined);
    EXPECT_EQ(result.status.text, kInvalidMatrix);
    EXPECT_TRUE(result.saveEnabled);
    EXPECT_FALSE(result.matricesValid);
    EXPECT_FALSE(matrices.computed);
    EXPECT_EQ(result.reportText, "");

    const ApplyResult good = apply(bt709FieldTexts());
    const Matrix3 goodMatrix = matrices.d65;
    for (const FieldTexts& texts : {undefined, infinite, noRowSum}) {
        result = apply(texts);
        EXPECT_EQ(result.status.text, kInvalidMatrix);
        EXPECT_FALSE(matrices.valid);
        EXPECT_FALSE(result.triangle);
        EXPECT_EQ(matrices.d65, goodMatrix);
        EXPECT_EQ(result.reportText, good.reportText);
    }
}

TEST_F(ApplyTest, TextsThatAreNotNumbersCountAsZeroFirstAndKeepTheirValueLater)
{
    FieldTexts zero = bt709FieldTexts();
    zero[1].x = "0";
    FieldTexts empty = bt709FieldTexts();
    empty[1].x = "";
    const std::string zeroReport = apply(zero).reportText;
    ASSERT_NE(zeroReport, "");
    MeasuredPrimaries fresh;
    CalibrationMatrices freshMatrices;
    EXPECT_EQ(applyPrimaryCalibration(empty, DisplayType::RgbLed, fresh, freshMatrices).reportText, zeroReport);

    const std::string bt709Report = apply(bt709FieldTexts()).reportText;
    FieldTexts unreadable = bt709FieldTexts();
    unreadable[1].x = ".";
    unreadable[2].y = "abc";
    unreadable[0].x = "  0.64 cd"; // what follows the number is ignored
    EXPECT_EQ(apply(unreadable).reportText, bt709Report);
}

TEST_F(ApplyTest, TriangleUsesTheLatestChromaticitiesWhileTheMatricesAreValid)
{
    const ApplyResult result = apply(bt709FieldTexts());
    ASSERT_TRUE(result.triangle);
    // On the chart's HDTV circles; drawn red-green, green-blue, red-blue.
    const auto lines = result.triangle->lines();
    EXPECT_EQ(lines[0], std::make_pair(FieldPixel{323, 265}, FieldPixel{176, 154}));
    EXPECT_EQ(lines[1], std::make_pair(FieldPixel{176, 154}, FieldPixel{111, 376}));
    EXPECT_EQ(lines[2], std::make_pair(FieldPixel{323, 265}, FieldPixel{111, 376}));

    FieldTexts moved = withLuminances("0", "0", "0");
    moved[0].x = "0.7";
    moved[0].y = "0.3";
    // 47 + trunc(346 * 0.7 / 0.8) = 349, 400 - trunc(370 * 0.3 / 0.9) = 277.
    EXPECT_EQ(apply(moved).triangle->corners[0], (FieldPixel{349, 277}));
    // Far off the chart a corner stays drawable; one that is not finite has no place.
    moved[0].x = "-1e30";
    const int farLeft = apply(moved).triangle->corners[0].x;
    EXPECT_TRUE(farLeft < 0 && farLeft > -100000) << farLeft;
    moved[0].x = "inf";
    EXPECT_FALSE(apply(moved).triangle);
}

TEST(CalibrationReportTest, TinyNegativeElementsKeepTheirSign)
{
    CalibrationMatrices matrices;
    matrices.d65 = {{{1.0, -4e-7, 2.5e-7}, {-0.5, 0.25, 1e-7}, {0.0, -1e-9, 0.9999996}}};
    EXPECT_EQ(calibrationReportText(matrices), "D65 Download Matrix \r\n1.000000 -0.000000 0.000000 \r\n"
                                               "-0.500000 0.250000 0.000000 \r\n0.000000 -0.000000 1.000000 \r\n" +
                                                   std::string(kNativeReport));
}

} // namespace
