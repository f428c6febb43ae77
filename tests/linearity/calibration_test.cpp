// Gamma fit, corrections, advice and the computation of the correction tables, checked
// against figures computed independently (python3, same formulas written out by hand).

#include "linearity/corrections.h"
#include "linearity/gamma_fit.h"
#include "linearity/step_queries.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Relative error allowed between a fit here and the same fit in python (same sums, same
// order; only the last bits of log10 and pow may differ).
constexpr double kFitTolerance = 1e-12;
// Data typed from an exact power law; the fit recovers the exponent to rounding.
constexpr double kPowerLawTolerance = 1e-9;

const std::vector<std::string> kAdviceBothCorrections{
    "Warning - this display has a poor gamma fit. Try adjusting your display.",
    "You can get a more accurate gamma fit by turning on the following option(s).",
    "'Bright Region Correction' option in the 'Display Error Compensation' panel.",
    "'Noise Reduction' option in the 'Advanced Linearization' panel.",
};

TEST(NearlyEqualTest, ToleratesLastBitNoiseOnly)
{
    EXPECT_TRUE(nearlyEqual(2.2, 2.2000000000000006));
    EXPECT_TRUE(nearlyEqual(1e-12, 0.0));
    EXPECT_FALSE(nearlyEqual(2.2, 2.2 + 1e-8));
    EXPECT_FALSE(nearlyEqual(INFINITY, 5.0));
    EXPECT_TRUE(nearlyEqual(INFINITY, INFINITY));
    EXPECT_TRUE(nearlyEqual(NAN, NAN));
    EXPECT_FALSE(nearlyEqual(NAN, 1.0));
}

TEST(WorkedExampleTest, FiveStepsWithoutCorrections)
{
    LinearityRun run("0~64~128~192~255");
    run.fillAllColumns({"0.5", "5.5", "22.5", "52.5", "100.5"});
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_TRUE(run.calibration.saveEnabled());
    EXPECT_TRUE(isClose(run.calibration.gamma(Channel::Red), 2.1579742663646924, kFitTolerance));
    const CorrectionTable& red = run.calibration.table(Channel::Red);
    EXPECT_TRUE(isClose(red[4096], 0.7253172464128057, kFitTolerance));
    EXPECT_TRUE(isClose(red[1], 0.015366297405046869, kFitTolerance));
    EXPECT_EQ(red[0], 0.0);
    EXPECT_EQ(red[8191], 1.0);
    EXPECT_EQ(run.calibration.gammaLabels(),
              (std::array<std::string, 4>{"Average: 2.16", "Red: 2.16", "Green: 2.16", "Blue: 2.16"}));
    EXPECT_EQ(run.calibration.targetLabels(), (std::array<std::string, 2>{"Step Code Value: 255", "Step Number: 5"}));
    // Noise Reduction would start the fit at step 3 (python: RMS lowest there), so it is advised.
    EXPECT_EQ(run.status.lines(), (std::vector<std::string>{kAdviceBothCorrections[1], kAdviceBothCorrections[3]}));
    EXPECT_FALSE(run.status.isError());

    run.calibration.setNoiseReduction(true);
    run.calibration.apply();
    EXPECT_TRUE(isClose(run.calibration.gamma(Channel::Red), 2.191667531566812, kFitTolerance));
    EXPECT_TRUE(run.status.text().empty());
}

TEST(WorkedExampleTest, AnExactPowerLawGetsNoAdvice)
{
    // With exact comparisons, Noise Reduction picks start 3 on last-bit noise here and the
    // refit differs from the baseline in its last bit.
    const std::vector<int> codes{0, 64, 128, 192, 255};
    LinearityRun run(stepListOf(codes));
    run.fillAllColumns(powerLawTexts(codes, 0.0, 100.0, 2.2));
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_TRUE(run.status.text().empty()) << run.status.text();
    EXPECT_TRUE(isClose(run.calibration.gamma(Channel::Red), 2.2, kPowerLawTolerance));
    EXPECT_TRUE(isClose(run.calibration.table(Channel::Red)[1], 0.016642190470239748, kPowerLawTolerance));
    EXPECT_TRUE(isClose(run.calibration.table(Channel::Red)[4096], 0.7297805471613725, kPowerLawTolerance));

    // Equal RMS (both at rounding noise): Noise Reduction keeps the lower start.
    MeasurementSet& set = run.calibration.measurements();
    ASSERT_TRUE(set.validateMeasurements());
    applyNoiseReduction(set);
    EXPECT_EQ(presentCount(set.workingTable(), Channel::Red), 5);
}

TEST(BrightRegionTest, WithoutCorrectionsTheFlatTopBendsTheFitAndBothAreAdvised)
{
    LinearityRun run(kNineSteps);
    run.fillAllColumns(compressedHighlights());
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_TRUE(isClose(run.calibration.gamma(Channel::Red), 2.003603296748024, kFitTolerance));
    EXPECT_EQ(run.calibration.gammaLabels()[1], "Red: 2.00");
    EXPECT_EQ(run.calibration.brightStep(), 9);
    EXPECT_EQ(run.status.lines(), kAdviceBothCorrections);
}

TEST(BrightRegionTest, CorrectionDropsTheFlatStepsAndClipHoldsTheTail)
{
    LinearityRun run(kNineSteps);
    run.fillAllColumns(compressedHighlights());
    run.calibration.setBrightRegionCorrection(true);
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_EQ(run.calibration.brightStep(), 7);
    for (Channel channel : kAllChannels) {
        EXPECT_TRUE(isClose(run.calibration.gamma(channel), 2.2, kPowerLawTolerance));
        EXPECT_FALSE(run.calibration.measurements().workingTable().isPresent(channel, 8));
    }
    EXPECT_EQ(run.calibration.targetLabels(), (std::array<std::string, 2>{"Step Code Value: 192", "Step Number: 7"}));
    // Unclipped, the table runs on to 1.
    EXPECT_EQ(run.calibration.table(Channel::Red)[8191], 1.0);

    run.calibration.setClipBrightRegion(true);
    run.calibration.apply();
    for (Channel channel : kAllChannels) {
        const CorrectionTable& table = run.calibration.table(channel);
        EXPECT_TRUE(isClose(table[6175], 0.8794826758398031, kPowerLawTolerance));
        EXPECT_LT(table[6174], table[6175]);
        for (int i = 6176; i < kCorrectionTableSize; ++i)
            ASSERT_EQ(table[static_cast<std::size_t>(i)], table[6175]) << "entry " << i;
    }

    // Switching the correction off restores brightStep to N and clips only above code 255.
    run.calibration.setBrightRegionCorrection(false);
    EXPECT_EQ(run.calibration.brightStep(), 9);
    EXPECT_FALSE(run.calibration.clipBrightRegionEnabled());
    run.calibration.apply();
    EXPECT_EQ(run.calibration.table(Channel::Red)[8191], 1.0);
}

TEST(NoiseReductionTest, PicksStartFourOnTheBrightRegionExample)
{
    LinearityRun run(kNineSteps);
    run.fillAllColumns(compressedHighlights());
    MeasurementSet& set = run.calibration.measurements();
    ASSERT_TRUE(set.validateMeasurements());
    applyNoiseReduction(set);
    for (Channel channel : kAllChannels) {
        EXPECT_TRUE(set.workingTable().isPresent(channel, 1));
        EXPECT_FALSE(set.workingTable().isPresent(channel, 2));
        EXPECT_FALSE(set.workingTable().isPresent(channel, 3));
        EXPECT_TRUE(set.workingTable().isPresent(channel, 4));
    }
    EXPECT_TRUE(isClose(fitGamma(set.workingTable(), Channel::Red, 2, 9), 1.65055933668314, kFitTolerance));
}

TEST(CheckTablesTest, IdenticalValuesGiveAZeroGammaAndTheMessages)
{
    LinearityRun run("0~64~128~192~255");
    run.fillAllColumns({"1", "1", "1", "1", "1"});
    run.calibration.apply();
    EXPECT_EQ(run.calibration.gamma(Channel::Red), 0.0);
    EXPECT_FALSE(run.calibration.plotValid());
    EXPECT_FALSE(run.calibration.saveEnabled());
    EXPECT_EQ(run.status.lines(), (std::vector<std::string>{
                                      "Invalid Red value(s), please re-enter",
                                      "Invalid Green value(s), please re-enter",
                                      "Invalid Blue value(s), please re-enter",
                                      "If values are the same please re-measure or change them so there are ascending",
                                  }));
    EXPECT_TRUE(run.status.isError());
    EXPECT_EQ(run.calibration.gammaLabels()[0], "Average: Unknown");
}

TEST(CheckTablesTest, OnlyTheFallingChannelIsReported)
{
    LinearityRun run("0~64~128~192~255");
    run.fillAllColumns({"0.5", "5.5", "22.5", "52.5", "100.5"});
    run.fillColumn(1, {"0.1", "90", "50", "20", "10"});
    run.calibration.apply();
    EXPECT_LT(run.calibration.gamma(Channel::Green), 0.0);
    EXPECT_FALSE(run.calibration.plotValid());
    // The advice of the trial runs comes first; the check's error lines end the text.
    const std::vector<std::string> lines = run.status.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{
                  "Invalid Green value(s), please re-enter",
                  "If values are the same please re-measure or change them so there are ascending",
              }));
    EXPECT_TRUE(run.status.isError());
}

TEST(VerificationModeTest, GrayscaleGammaOverTheSelectedSteps)
{
    LinearityRun run(stepListOf(kTwentyOneCodes));
    run.calibration.setVerificationMode(true); // the 21st Step Count entry is selected at start
    EXPECT_EQ(run.grid.rowCount(), kVerificationRows);
    EXPECT_EQ(run.grid.columnCount(), 1);
    EXPECT_FALSE(run.calibration.clipBrightRegionEnabled());
    run.fillColumn(0, powerLawTexts(kTwentyOneCodes, 0.05, 80.0, 2.4));
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid()) << run.status.text();
    EXPECT_TRUE(run.status.text().empty()) << run.status.text();
    EXPECT_TRUE(isClose(run.calibration.gamma(Channel::Red), 2.4, kPowerLawTolerance));
    EXPECT_EQ(run.calibration.gammaLabels(), (std::array<std::string, 4>{"Grayscale: 2.40", "", "", ""}));
    EXPECT_EQ(run.calibration.targetLabels(), (std::array<std::string, 2>{"Step Code Value: 255", "Step Number: 21"}));

    run.calibration.selectStepCount(9);
    run.calibration.onStepCountChange();
    ASSERT_TRUE(run.calibration.plotValid()) << run.status.text();
    EXPECT_EQ(run.calibration.targetLabels(), (std::array<std::string, 2>{"Step Code Value: 115", "Step Number: 10"}));
    EXPECT_EQ(lastPresentStep(run.calibration.measurements().workingTable(), Channel::Red), 10);
    EXPECT_TRUE(isClose(run.calibration.gamma(Channel::Red), 2.4, kPowerLawTolerance));

    // Leaving verification mode rebuilds the grid and enables Clip Bright Region.
    run.calibration.setVerificationMode(false);
    EXPECT_EQ(run.grid.columnCount(), 3);
    EXPECT_EQ(run.grid.cellText(0, 5), "0.000");
    EXPECT_TRUE(run.calibration.clipBrightRegionEnabled());
    EXPECT_EQ(run.calibration.brightStep(), 21);
}

} // namespace
