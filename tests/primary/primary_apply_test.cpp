#include "primary/matrix_file.h"
#include "primary/primary_apply.h"
#include "primary_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace {

// D65 download matrices worked out with exact rational arithmetic in python3: the
// primaries' X = x Y / y, Y, Z = (1 - x - y) Y / y as the columns of P, D = P^-1 * target
// by Gauss-Jordan elimination, then D scaled to a largest row sum of 1.
constexpr Matrix3 kBt709OnNonRgbLed{{{0.99993353, 0, 6.64700262e-05},
                                     {-8.33389259e-05, 0.99964499, -5.53846476e-06},
                                     {-2.4095245e-05, 0, 0.999504125}}};
constexpr Matrix3 kBt709OnRgbLed{{{1.34722521, -0.389108787, 0.0128668603},
                                  {-0.0832442205, 1.05913029, -0.0572284095},
                                  {-0.0153775693, -0.0618034641, 1.07718103}}};
// The code rounds its inputs to single precision, which moves its results by about 1e-7.
void expectMatrixNear(const Matrix3& actual, const Matrix3& expected)
{
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(actual[r][c], expected[r][c], 1e-6) << "[" << r << "][" << c << "]";
    }
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

TEST_F(ApplyTest, Bt709PrimariesOnBothDisplayTypes)
{
    // Non-RGB LED needs almost no correction: two elements below 5e-7, one of them negative.
    // In the matrix file values below 1e-4 take the exponent form with three exponent digits.
    const std::tuple<DisplayType, Matrix3, const char*, const char*> cases[]{
        {DisplayType::NonRgbLed, kBt709OnNonRgbLed,
         "0.999934 -0.000000 0.000066 \r\n-0.000083 0.999645 -0.000006 \r\n-0.000024 0.000000 0.999504 \r\n",
         "0.999934 -2.36131e-008 6.64572e-005\r\n-8.33637e-005 0.999645 -5.52956e-006\r\n"
         "-2.40938e-005 5.00412e-008 0.999504\r\n"},
        {DisplayType::RgbLed, kBt709OnRgbLed,
         "1.347225 -0.389109 0.012867 \r\n-0.083244 1.059130 -0.057228 \r\n-0.015378 -0.061803 1.077181 \r\n",
         "1.34723 -0.389109 0.0128668\r\n-0.0832443 1.05913 -0.0572284\r\n-0.0153776 -0.0618034 1.07718\r\n"}};
    for (const auto& [displayType, expected, reportRows, fileRows] : cases) {
        SCOPED_TRACE(reportRows);
        const ApplyResult result = apply(bt709FieldTexts(), displayType);
        EXPECT_EQ(result.failure, "");
        EXPECT_TRUE(result.saveEnabled && result.matricesValid);
        EXPECT_EQ(result.reportText,
                  "D65 Download Matrix \r\n" + std::string(reportRows)
                      + "Native Download Matrix \r\n1.000000 0.000000 0.000000 \r\n"
                        "0.000000 1.000000 0.000000 \r\n0.000000 0.000000 1.000000 \r\n");
        EXPECT_EQ(matrixFileText(matrices), "1 0 0\r\n0 1 0\r\n0 0 1\r\n" + std::string(fileRows));
        expectMatrixNear(matrices.d65, expected);
    }
}

TEST_F(ApplyTest, OnlyTheRatiosOfPositiveLuminancesMatter)
{
    const std::string reference = apply(bt709FieldTexts()).reportText;
    EXPECT_EQ(apply(withLuminances("21.26", "71.52", "7.22")).reportText, reference);
    // A luminance not above 0 is a misreading, even when the ratios would give a matrix
    // (a red of -0.1 gives a coefficient of -2.86, which the processor cannot hold).
    for (const FieldTexts& texts :
         {withLuminances("-21.26", "-71.52", "-7.22"), withLuminances("-0.1", "0.7152", "0.0722"),
          withLuminances("0", "0.7152", "0.0722")}) {
        const ApplyResult result = apply(texts);
        EXPECT_EQ(result.failure, "Invalid Luminance values");
        EXPECT_FALSE(result.saveEnabled);
        EXPECT_EQ(result.reportText, reference);
    }
}

// Coefficients of magnitude 2 or more do not fit the processor's field: refused at Apply,
// with Save left off, instead of by the download long after the measurement.
TEST_F(ApplyTest, MatricesThatDoNotFitTheProcessorAreRefusedWithSaveOff)
{
    const std::string goodReport = apply(bt709FieldTexts()).reportText;
    FieldTexts tinyGamut{{{"0.33", "0.33", "0.3"}, {"0.32", "0.34", "0.6"}, {"0.31", "0.32", "0.1"}}};
    FieldTexts blueBeyondTheLocus = bt709FieldTexts(); // x + y above 1
    blueBeyondTheLocus[2].x = "0.7";
    blueBeyondTheLocus[2].y = "0.4";
    for (const FieldTexts& texts : {tinyGamut, blueBeyondTheLocus}) {
        const ApplyResult result = apply(texts);
        EXPECT_EQ(result.failure, "Check measured chromaticity values - calculated calibration matrix is invalid.");
        EXPECT_FALSE(result.saveEnabled || result.matricesValid || result.triangle);
        EXPECT_EQ(result.reportText, goodReport);
    }
}

TEST_F(ApplyTest, InputChecksStopTheRunAndKeepTheLastMatrices)
{
    apply(bt709FieldTexts());
    const Matrix3 goodMatrix = matrices.d65;
    // Since z is derived, only values that are not finite or huge fail the chromaticity
    // checks, red first; the luminances (all 0 here) are checked after them.
    for (const auto& [red, green, blue, message] :
         std::vector<std::array<const char*, 4>>{{"0.64", "0.30", "0.15", "Invalid Luminance values"},
                                                 {"inf", "nan", "0", "Invalid Red values"},
                                                 {"0.64", "1e30", "0.15", "Invalid Green values"}}) {
        FieldTexts texts = withLuminances("0", "0", "0");
        texts[0].x = red;
        texts[1].x = green;
        texts[2].x = blue;
        const ApplyResult result = apply(texts);
        EXPECT_EQ(result.failure, message) << red << " " << green << " " << blue;
        EXPECT_TRUE(!result.failure.empty() && !result.saveEnabled && result.matricesValid);
        EXPECT_EQ(matrices.d65, goodMatrix);
    }
}

TEST_F(ApplyTest, UndefinedMatricesAreReportedKeepTheLastOnesAndLeaveSaveEnabled)
{
    // x = y = 0 makes 0/0 in the measured matrix and y = -0 infinities; extreme values can
    // pass every check and still leave no usable largest row sum. None of them may reach
    // the matrix file.
    FieldTexts undefined = bt709FieldTexts();
    undefined[0].x = undefined[0].y = "0";
    FieldTexts infinite = bt709FieldTexts();
    infinite[1].y = "-0";
    const FieldTexts noRowSum{{{"0.6", "-1", "0.3"}, {"1e-45", "2", "0.33"}, {"0.3", "0.5", "0.33"}}};

    EXPECT_EQ(apply(undefined).reportText, "");
    EXPECT_FALSE(matrices.computed);
    const std::string goodReport = apply(bt709FieldTexts()).reportText;
    for (const FieldTexts& texts : {undefined, infinite, noRowSum}) {
        const ApplyResult result = apply(texts);
        EXPECT_EQ(result.failure, "Check measured chromaticity values - calculated calibration matrix is invalid.");
        EXPECT_TRUE(result.saveEnabled);
        EXPECT_FALSE(result.matricesValid || result.triangle);
        EXPECT_EQ(result.reportText, goodReport);
    }
}

TEST_F(ApplyTest, TextsThatAreNotNumbersCountAsZeroFirstAndKeepTheirValueLater)
{
    FieldTexts texts = bt709FieldTexts();
    texts[1].x = "";
    const std::string emptyReport = apply(texts).reportText;
    ASSERT_NE(emptyReport, "");
    texts[1].x = "0";
    EXPECT_EQ(apply(texts).reportText, emptyReport);

    const std::string bt709Report = apply(bt709FieldTexts()).reportText;
    texts = bt709FieldTexts();
    texts[1].x = ".";
    texts[2].y = "abc";
    texts[0].x = "  0.64 cd"; // what follows the number is ignored
    EXPECT_EQ(apply(texts).reportText, bt709Report);
}

TEST_F(ApplyTest, TriangleUsesTheLatestChromaticitiesWhileTheMatricesAreValid)
{
    // On the chart's HDTV circles; drawn red-green, green-blue, red-blue.
    const FieldPixel red{323, 265}, green{176, 154}, blue{111, 376};
    const std::array<std::pair<FieldPixel, FieldPixel>, 3> lines{{{red, green}, {green, blue}, {red, blue}}};
    EXPECT_EQ(apply(bt709FieldTexts()).triangle.value().lines(), lines);

    FieldTexts moved = withLuminances("0", "0", "0");
    moved[0].x = "0.7";
    moved[0].y = "0.3";
    // 47 + trunc(346 * 0.7 / 0.8) = 349, 400 - trunc(370 * 0.3 / 0.9) = 277.
    EXPECT_EQ(apply(moved).triangle.value().corners[0], (FieldPixel{349, 277}));
    // Far off the chart a corner stays drawable; one that is not finite has no place.
    moved[0].x = "-1e30";
    const int farLeft = apply(moved).triangle.value().corners[0].x;
    EXPECT_TRUE(farLeft < 0 && farLeft > -100000) << farLeft;
    moved[0].x = "inf";
    EXPECT_FALSE(apply(moved).triangle);
}

} // namespace
