#include "primary/calibration_report.h"
#include "primary/primary_apply.h"
#include "primary/white_point_matrix.h"
#include "primary_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

// The inputs are rounded to single precision before the computation; the double-only
// reference below differs from the results by about 1e-7.
constexpr double kSinglePrecisionInputs = 1e-6;
// The BT.709 target holds four decimals, so a display that is exactly BT.709 is
// corrected to the identity only to about that precision.
constexpr double kFourDecimalTarget = 5e-4;

constexpr const char* kNativeReport = "Native Download Matrix \r\n"
                                      "1.000000 0.000000 0.000000 \r\n"
                                      "0.000000 1.000000 0.000000 \r\n"
                                      "0.000000 0.000000 1.000000 \r\n";

struct Primary {
    double x;
    double y;
    double luminance;
};

// Straightforward double arithmetic, arranged differently from the code under test: the
// primary matrix with X = x Y / y and Z = (1 - x - y) Y / y, then Gauss-Jordan elimination
// with partial pivoting solves primaries * D = target, scaled to a largest row sum of 1.
Matrix3 referenceD65(const std::array<Primary, 3>& primaries, const Matrix3& target)
{
    const double total = primaries[0].luminance + primaries[1].luminance + primaries[2].luminance;
    double augmented[3][6];
    for (int c = 0; c < 3; ++c) {
        const Primary& p = primaries[c];
        const double luminance = p.luminance / total;
        augmented[0][c] = p.x * luminance / p.y;
        augmented[1][c] = luminance;
        augmented[2][c] = (1.0 - p.x - p.y) * luminance / p.y;
    }
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            augmented[r][3 + c] = target[r][c];
    }
    for (int pivot = 0; pivot < 3; ++pivot) {
        int best = pivot;
        for (int r = pivot + 1; r < 3; ++r) {
            if (std::fabs(augmented[r][pivot]) > std::fabs(augmented[best][pivot]))
                best = r;
        }
        std::swap(augmented[pivot], augmented[best]);
        const double scale = augmented[pivot][pivot];
        for (double& value : augmented[pivot])
            value /= scale;
        for (int r = 0; r < 3; ++r) {
            if (r == pivot)
                continue;
            const double factor = augmented[r][pivot];
            for (int c = 0; c < 6; ++c)
                augmented[r][c] -= factor * augmented[pivot][c];
        }
    }
    double largestRowSum = -INFINITY;
    for (auto& row : augmented)
        largestRowSum = std::max(largestRowSum, row[3] + row[4] + row[5]);
    Matrix3 d65{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            d65[r][c] = augmented[r][3 + c] / largestRowSum;
    }
    return d65;
}

const std::array<Primary, 3> kBt709{{{0.64, 0.33, 0.2126}, {0.30, 0.60, 0.7152}, {0.15, 0.06, 0.0722}}};

std::vector<std::string> reportLines(const std::string& report)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < report.size();) {
        const std::size_t end = report.find("\r\n", start);
        lines.push_back(report.substr(start, end - start));
        start = end == std::string::npos ? report.size() : end + 2;
    }
    return lines;
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> result;
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start)
            result.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::string shortestText(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

class ApplyTest : public ::testing::Test {
protected:
    ApplyResult apply(const FieldTexts& texts, DisplayType displayType)
    {
        return applyPrimaryCalibration(texts, displayType, measured, matrices);
    }

    MeasuredPrimaries measured;
    CalibrationMatrices matrices;
};

TEST_F(ApplyTest, Bt709PrimariesOnANonRgbLedDisplayNeedAlmostNoCorrection)
{
    const ApplyResult result = apply(bt709FieldTexts(), DisplayType::NonRgbLed);
    EXPECT_EQ(result.status.text, "");
    EXPECT_FALSE(result.status.error);
    EXPECT_TRUE(result.saveEnabled);
    EXPECT_TRUE(result.matricesValid);

    const std::vector<std::string> lines = reportLines(result.reportText);
    ASSERT_EQ(lines.size(), 8u) << result.reportText;
    EXPECT_EQ(lines[0], "D65 Download Matrix ");
    const std::vector<std::vector<std::string>> rows{words(lines[1]), words(lines[2]), words(lines[3])};
    EXPECT_EQ(rows[0][0], "0.999934");
    EXPECT_EQ(rows[1][1], "0.999645");
    EXPECT_EQ(rows[2][2], "0.999504");
    EXPECT_EQ(rows[0][2], "0.000066");
    EXPECT_EQ(rows[1][0], "-0.000083");
    EXPECT_EQ(rows[1][2], "-0.000006");
    EXPECT_EQ(rows[2][0], "-0.000024");
    EXPECT_TRUE(rows[0][1] == "0.000000" || rows[0][1] == "-0.000000") << rows[0][1];
    EXPECT_TRUE(rows[2][1] == "0.000000" || rows[2][1] == "-0.000000") << rows[2][1];
    EXPECT_EQ(result.reportText.substr(result.reportText.find("Native")), kNativeReport);

    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_LT(std::fabs(matrices.d65[r][c] - (r == c ? 1.0 : 0.0)), 0.0005) << r << "," << c;
    }
    expectMatrixNear(matrices.d65, referenceD65(kBt709, kBt709TargetMatrix), kSinglePrecisionInputs);
}

TEST_F(ApplyTest, Bt709PrimariesOnAnRgbLedDisplayMapToTheWideTarget)
{
    const ApplyResult result = apply(bt709FieldTexts(), DisplayType::RgbLed);
    EXPECT_EQ(result.reportText, "D65 Download Matrix \r\n"
                                 "1.347225 -0.389109 0.012867 \r\n"
                                 "-0.083244 1.059130 -0.057228 \r\n"
                                 "-0.015378 -0.061803 1.077181 \r\n" +
                                     std::string(kNativeReport));
    expectMatrixNear(matrices.d65, referenceD65(kBt709, kRgbLedTargetMatrix), kSinglePrecisionInputs);
    // The third row carries the largest sum, and it is scaled to exactly 1.
    const Matrix3& d65 = matrices.d65;
    EXPECT_TRUE(isClose(d65[2][0] + d65[2][1] + d65[2][2], 1.0, 1e-15));
    EXPECT_LT(d65[0][0] + d65[0][1] + d65[0][2], 1.0);
    EXPECT_LT(d65[1][0] + d65[1][1] + d65[1][2], 1.0);
}

TEST_F(ApplyTest, ADisplayWithExactlyBt709PrimariesAndD65WhiteIsLeftAlone)
{
    // The SMPTE RP 177 normalised primary matrix: primaries P (columns x, y, z), white W
    // with Y = 1; the luminances are the second row of P diag(P^-1 W).
    const double p[3][3] = {{0.64, 0.30, 0.15}, {0.33, 0.60, 0.06}, {0.03, 0.10, 0.79}};
    const double white[3] = {0.3127 / 0.3290, 1.0, (1.0 - 0.3127 - 0.3290) / 0.3290};
    // Cramer's rule for P c = W.
    auto det3 = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    FieldTexts texts = bt709FieldTexts();
    for (int c = 0; c < 3; ++c) {
        double replaced[3][3];
        for (int r = 0; r < 3; ++r) {
            for (int k = 0; k < 3; ++k)
                replaced[r][k] = k == c ? white[r] : p[r][k];
        }
        texts[c].luminance = shortestText(p[1][c] * det3(replaced) / det3(p));
    }
    ASSERT_TRUE(apply(texts, DisplayType::NonRgbLed).matricesValid);
    expectMatrixNear(matrices.d65, kIdentityMatrix, kFourDecimalTarget);
}

TEST_F(ApplyTest, OnlyTheRatiosOfTheLuminancesMatter)
{
    const std::string reference = apply(bt709FieldTexts(), DisplayType::NonRgbLed).reportText;
    FieldTexts scaled = bt709FieldTexts();
    scaled[0].luminance = "21.26";
    scaled[1].luminance = "71.52";
    scaled[2].luminance = "7.22";
    EXPECT_EQ(apply(scaled, DisplayType::NonRgbLed).reportText, reference);

    FieldTexts negated = scaled;
    for (PrimaryFieldTexts& primary : negated)
        primary.luminance = "-" + primary.luminance;
    const ApplyResult result = apply(negated, DisplayType::NonRgbLed);
    EXPECT_EQ(result.status.text, "");
    EXPECT_EQ(result.reportText, reference);
}

TEST_F(ApplyTest, NegativeLuminancesAreAcceptedWhileTheirSumIsNotZero)
{
    FieldTexts texts = bt709FieldTexts();
    texts[0].luminance = "-0.1";
    const ApplyResult result = apply(texts, DisplayType::RgbLed);
    EXPECT_EQ(result.status.text, "");
    EXPECT_TRUE(result.matricesValid);
    expectMatrixNear(matrices.d65,
                     referenceD65({{{0.64, 0.33, -0.1}, kBt709[1], kBt709[2]}}, kRgbLedTargetMatrix),
                     kSinglePrecisionInputs);
}

TEST_F(ApplyTest, LuminancesThatSumToZeroAreRefusedAndKeepTheLastMatrices)
{
    const ApplyResult good = apply(bt709FieldTexts(), DisplayType::NonRgbLed);
    const CalibrationMatrices before = matrices;

    for (const auto& [red, green, blue] : std::vector<std::array<const char*, 3>>{{"0", "0", "0"}, {"1", "-1", "0"}}) {
        FieldTexts texts = bt709FieldTexts();
        texts[0].luminance = red;
        texts[1].luminance = green;
        texts[2].luminance = blue;
        const ApplyResult result = apply(texts, DisplayType::RgbLed);
        EXPECT_EQ(result.status.text, "Invalid Luminance values");
        EXPECT_TRUE(result.status.error);
        EXPECT_FALSE(result.saveEnabled);
        EXPECT_TRUE(result.matricesValid);
        EXPECT_EQ(result.reportText, good.reportText);
        EXPECT_EQ(matrices.d65, before.d65);
    }
}

TEST_F(ApplyTest, ChromaticitiesThatAreNotFiniteOrHugeAreRefusedRedFirst)
{
    const std::vector<std::pair<std::array<const char*, 3>, const char*>> cases{
        {{"nan", "0.30", "0.15"}, "Invalid Red values"},
        {{"0.64", "1e30", "0.15"}, "Invalid Green values"},
        {{"0.64", "0.30", "-inf"}, "Invalid Blue values"},
        {{"inf", "nan", "0.15"}, "Invalid Red values"},
    };
    for (const auto& [xTexts, message] : cases) {
        FieldTexts texts = bt709FieldTexts();
        for (int c = 0; c < 3; ++c)
            texts[c].x = xTexts[c];
        const ApplyResult result = apply(texts, DisplayType::NonRgbLed);
        EXPECT_EQ(result.status.text, message) << xTexts[0] << " " << xTexts[1] << " " << xTexts[2];
        EXPECT_TRUE(result.status.error);
        EXPECT_FALSE(result.saveEnabled);
        EXPECT_FALSE(result.matricesValid);
        EXPECT_EQ(result.reportText, "");
    }
}

TEST_F(ApplyTest, AnUndefinedMatrixIsReportedButSaveStaysAvailable)
{
    FieldTexts degenerate = bt709FieldTexts();
    degenerate[0].x = "0";
    degenerate[0].y = "0";
    ApplyResult result = apply(degenerate, DisplayType::NonRgbLed);
    EXPECT_EQ(result.status.text, "Check measured chromaticity values - calculated calibration matrix is invalid.");
    EXPECT_TRUE(result.status.error);
    EXPECT_TRUE(result.saveEnabled);
    EXPECT_FALSE(result.matricesValid);
    EXPECT_FALSE(matrices.computed);
    EXPECT_EQ(result.reportText, "");
    EXPECT_FALSE(result.triangle);

    const ApplyResult good = apply(bt709FieldTexts(), DisplayType::NonRgbLed);
    const Matrix3 goodMatrix = matrices.d65;
    result = apply(degenerate, DisplayType::NonRgbLed);
    EXPECT_FALSE(matrices.valid);
    EXPECT_TRUE(matrices.computed);
    EXPECT_EQ(matrices.d65, goodMatrix);
    EXPECT_EQ(result.reportText, good.reportText);
}

TEST_F(ApplyTest, InfiniteChromaticityRatiosNeverYieldValidMatrices)
{
    // y = 0 with x > 0 puts infinities into the measured matrix.
    for (const char* y : {"0", "0.0", "-0"}) {
        FieldTexts texts = bt709FieldTexts();
        texts[1].y = y;
        const ApplyResult result = apply(texts, DisplayType::RgbLed);
        EXPECT_FALSE(result.matricesValid) << y;
        EXPECT_EQ(result.status.text, "Check measured chromaticity values - calculated calibration matrix is invalid.");
    }
}

TEST_F(ApplyTest, TextsThatAreNotNumbersCountAsZeroFirstAndKeepTheirValueLater)
{
    FieldTexts empty = bt709FieldTexts();
    empty[1].x = "";
    FieldTexts zero = bt709FieldTexts();
    zero[1].x = "0";
    const std::string zeroReport = apply(zero, DisplayType::RgbLed).reportText;
    ASSERT_NE(zeroReport, "");
    MeasuredPrimaries fresh;
    CalibrationMatrices freshMatrices;
    EXPECT_EQ(applyPrimaryCalibration(empty, DisplayType::RgbLed, fresh, freshMatrices).reportText, zeroReport);
    EXPECT_EQ(fresh.primaries[1].x, 0.0f);

    const std::string bt709Report = apply(bt709FieldTexts(), DisplayType::RgbLed).reportText;
    FieldTexts unreadable = bt709FieldTexts();
    unreadable[1].x = ".";
    unreadable[2].y = "abc";
    EXPECT_EQ(apply(unreadable, DisplayType::RgbLed).reportText, bt709Report);

    FieldTexts trailing = bt709FieldTexts();
    trailing[0].x = "  0.64 cd";
    trailing[0].luminance = "0.2126xyz";
    EXPECT_EQ(apply(trailing, DisplayType::RgbLed).reportText, bt709Report);
}

TEST_F(ApplyTest, TriangleSitsOnTheChartsBt709Circles)
{
    const ApplyResult result = apply(bt709FieldTexts(), DisplayType::RgbLed);
    ASSERT_TRUE(result.triangle);
    EXPECT_EQ(result.triangle->corners[0], (FieldPixel{323, 265}));
    EXPECT_EQ(result.triangle->corners[1], (FieldPixel{176, 154}));
    EXPECT_EQ(result.triangle->corners[2], (FieldPixel{111, 376}));
    const auto lines = result.triangle->lines();
    EXPECT_EQ(lines[0], std::make_pair(FieldPixel{323, 265}, FieldPixel{176, 154}));
    EXPECT_EQ(lines[1], std::make_pair(FieldPixel{176, 154}, FieldPixel{111, 376}));
    EXPECT_EQ(lines[2], std::make_pair(FieldPixel{323, 265}, FieldPixel{111, 376}));
}

TEST_F(ApplyTest, TriangleFollowsTheLatestChromaticitiesWhileTheMatricesStayValid)
{
    apply(bt709FieldTexts(), DisplayType::RgbLed);
    FieldTexts moved = bt709FieldTexts();
    moved[0].x = "0.7";
    moved[0].y = "0.3";
    for (PrimaryFieldTexts& primary : moved)
        primary.luminance = "0";
    ApplyResult result = apply(moved, DisplayType::RgbLed);
    ASSERT_EQ(result.status.text, "Invalid Luminance values");
    ASSERT_TRUE(result.triangle);
    // 47 + trunc(346 * 0.7 / 0.8) = 349, 400 - trunc(370 * 0.3 / 0.9) = 277.
    EXPECT_EQ(result.triangle->corners[0], (FieldPixel{349, 277}));

    // Far off the chart the corner is kept within drawable range; not finite, no triangle.
    moved[0].x = "1e30";
    result = apply(moved, DisplayType::RgbLed);
    ASSERT_TRUE(result.triangle);
    EXPECT_GT(result.triangle->corners[0].x, 416);
    EXPECT_LT(result.triangle->corners[0].x, 100000);
    moved[0].x = "-1e30";
    result = apply(moved, DisplayType::RgbLed);
    ASSERT_TRUE(result.triangle);
    EXPECT_LT(result.triangle->corners[0].x, 0);
    EXPECT_GT(result.triangle->corners[0].x, -100000);
    moved[0].x = "inf";
    EXPECT_FALSE(apply(moved, DisplayType::RgbLed).triangle);
}

TEST(CalibrationReportTest, TinyNegativeElementsKeepTheirSign)
{
    CalibrationMatrices matrices;
    matrices.d65 = {{{1.0, -4e-7, 2.5e-7}, {-0.5, 0.25, 1e-7}, {0.0, -0.0000005, 0.9999996}}};
    EXPECT_EQ(calibrationReportText(matrices), "D65 Download Matrix \r\n"
                                               "1.000000 -0.000000 0.000000 \r\n"
                                               "-0.500000 0.250000 0.000000 \r\n"
                                               "0.000000 -0.000000 1.000000 \r\n" +
                                                   std::string(kNativeReport));
}

} // namespace
