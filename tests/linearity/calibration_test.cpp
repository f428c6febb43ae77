// Gamma fit, corrections, advice and the computation of the correction tables, checked
// against figures computed independently (python3, same formulas written out by hand).

#include "linearity/corrections.h"
#include "linearity/gamma_fit.h"
#include "linearity/save_tables.h"
#include "linearity/step_queries.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Error allowed between a fit here and the same fit in python (same sums, same order; only
// the last bits of log10 and pow may differ).
constexpr double kFitTolerance = 1e-12;
// Data typed from an exact power law; the fit recovers the exponent to rounding.
constexpr double kPowerLawTolerance = 1e-9;

// The demo's 21 steps.
constexpr const char* kTwentyOneSteps = "0~13~26~38~51~64~77~89~102~115~128~140~153~166~179~191~204~217~230~242~255";
const std::vector<int> kTwentyOneCodes{0,   13,  26,  38,  51,  64,  77,  89,  102, 115, 128,
                                       140, 153, 166, 179, 191, 204, 217, 230, 242, 255};

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
    EXPECT_FALSE(nearlyEqual(NAN, 1.0));
}

TEST(WorkedExampleTest, FiveStepsWithoutCorrections)
{
    LinearityRun run(kFiveSteps);
    run.fillAllColumns(kWorkedExample);
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.1579742663646924, kFitTolerance);
    EXPECT_NEAR(run.calibration.table(Channel::Red)[4096], 0.7253172464128057, kFitTolerance);
    EXPECT_NEAR(run.calibration.table(Channel::Red)[1], 0.015366297405046869, kFitTolerance);
    // Noise Reduction would start the fit at step 3 (python: RMS lowest there), so it is advised.
    EXPECT_EQ(run.status.lines(), (std::vector<std::string>{kAdviceBothCorrections[1], kAdviceBothCorrections[3]}));

    run.calibration.setNoiseReduction(true);
    run.calibration.apply();
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.191667531566812, kFitTolerance);
    EXPECT_TRUE(run.status.text().empty());
}

TEST(WorkedExampleTest, AnExactPowerLawGetsNoAdvice)
{
    // With exact comparisons, Noise Reduction picks start 3 on last-bit noise here and the
    // refit differs from the baseline in its last bit.
    LinearityRun run(kFiveSteps);
    run.fillAllColumns(powerLawTexts({0, 64, 128, 192, 255}, 0.0, 100.0, 2.2));
    run.calibration.apply();

    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_TRUE(run.status.text().empty()) << run.status.text();
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.2, kPowerLawTolerance);

    // Equal RMS (both at rounding noise): Noise Reduction keeps the lower start.
    MeasurementSet& set = run.calibration.measurements();
    ASSERT_TRUE(set.validateMeasurements());
    applyNoiseReduction(set);
    EXPECT_EQ(presentCount(set.workingTable(), Channel::Red), 5);
}

TEST(BrightRegionExampleTest, AdviceNoiseReductionCorrectionAndClip)
{
    LinearityRun run(kNineSteps);
    run.fillAllColumns(compressedHighlights());
    run.calibration.apply();
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.003603296748024, kFitTolerance);
    EXPECT_EQ(run.status.lines(), kAdviceBothCorrections);

    // The Noise Reduction trial starts at step 4, dropping steps 2 and 3.
    MeasurementSet& set = run.calibration.measurements();
    ASSERT_TRUE(set.validateMeasurements());
    applyNoiseReduction(set);
    for (Channel channel : kAllChannels)
        EXPECT_EQ(presentCount(set.workingTable(), channel), 7) << channelName(channel);
    EXPECT_TRUE(set.workingTable().isPresent(Channel::Red, 4) && !set.workingTable().isPresent(Channel::Red, 3));
    EXPECT_NEAR(fitGamma(set.workingTable(), Channel::Red, 2, 9), 1.65055933668314, kFitTolerance);

    run.calibration.setBrightRegionCorrection(true);
    run.calibration.apply();
    ASSERT_TRUE(run.calibration.plotValid());
    EXPECT_EQ(run.calibration.brightStep(), 7);
    EXPECT_EQ(run.calibration.table(Channel::Red)[8191], 1.0); // unclipped, the table runs on to 1

    run.calibration.setClipBrightRegion(true);
    run.calibration.apply();
    // Green and blue, measured alike, are clipped alike: the command test reads their files.
    const CorrectionTable& table = run.calibration.table(Channel::Red);
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.2, kPowerLawTolerance);
    EXPECT_NEAR(table[6175], 0.8794826758398031, kPowerLawTolerance); // (6175 / 8191) ** (1 / 2.2)
    EXPECT_LT(table[6174], table[6175]);
    EXPECT_EQ(std::count(table.begin() + 6175, table.end(), table[6175]), 8192 - 6175);

    // Switching the correction off restores brightStep to N and clips only above code 255.
    run.calibration.setBrightRegionCorrection(false);
    EXPECT_EQ(run.calibration.brightStep(), 9);
    run.calibration.apply();
    EXPECT_EQ(run.calibration.table(Channel::Red)[8191], 1.0);
}

TEST(CheckTablesTest, AFlatOrUndefinedGreenFitGivesNoTableNoFileAndTheMessages)
{
    struct Case {
        const char* steps;
        std::vector<std::string> values;
        std::vector<std::string> green;
        bool undefined; // the fit's slope is 0 / 0 rather than a gamma of 0
    };
    // Without step 2, every green step of the second case sits at code 255: each log10 x is 0.
    const std::vector<std::string> sixValues{"0.5", "5.5", "22.5", "52.5", "100.5", "120.5"};
    for (const Case& fault : {Case{kFiveSteps, kWorkedExample, {"1", "1", "1", "1", "1"}, false},
                              Case{"0~64~255~255~255~255", sixValues, {"0.5", "x"}, true}}) {
        SCOPED_TRACE(fault.steps);
        LinearityRun run(fault.steps);
        run.fillAllColumns(fault.values);
        run.fillColumn(1, fault.green);
        run.calibration.apply();
        const double green = run.calibration.gamma(Channel::Green);
        EXPECT_TRUE(fault.undefined ? std::isnan(green) : green == 0.0) << green;
        EXPECT_TRUE(std::isfinite(run.calibration.gamma(Channel::Red)));
        EXPECT_FALSE(run.calibration.plotValid());
        EXPECT_EQ(run.calibration.gammaLabels()[0], "Average: Unknown");
        EXPECT_EQ(run.calibration.gammaLabels()[2], "Green: Unknown");
        // The advice of the trial runs comes first; only the failed channel is reported.
        const std::vector<std::string> lines = run.status.lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
                  (std::vector<std::string>{
                      "Invalid Green value(s), please re-enter",
                      "If values are the same please re-measure or change them so there are ascending"}));
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& line) { return line.starts_with("Invalid"); }),
                  1);
        EXPECT_TRUE(run.status.isError());

        EXPECT_FALSE(saveTables(run.calibration).tablesWritten);
        for (Channel channel : kAllChannels) {
            EXPECT_FALSE(std::filesystem::exists(lutPathFor(run.dir, channel))) << channelName(channel);
            EXPECT_EQ(run.storedFlag(channel), "false") << channelName(channel);
        }
    }

    // An infinite gamma, which no fit here reaches, leaves exponent 0 and a table of finite
    // ones: only the gamma shows it is unusable.
    CorrectionTable table;
    fillCorrectionTable(table, INFINITY, std::nullopt);
    EXPECT_EQ(std::count(table.begin(), table.end(), 1.0), kCorrectionTableSize);
    EXPECT_FALSE(isUsableTable(table, INFINITY));
}

TEST(VerificationModeTest, GrayscaleFitOverTheSelectedSteps)
{
    // The three LUT files of a verification run are checked where the command saves them.
    LinearityRun run(kTwentyOneSteps);
    run.calibration.setVerificationMode(true); // the 21st Step Count entry is selected at start
    run.fillColumn(0, powerLawTexts(kTwentyOneCodes, 0.05, 80.0, 2.4));
    run.calibration.apply();
    EXPECT_TRUE(run.status.text().empty()) << run.status.text();
    EXPECT_EQ(run.calibration.gammaLabels(), (std::array<std::string, 4>{"Grayscale: 2.40", "", "", ""}));

    run.calibration.selectStepCount(9);
    run.calibration.onStepCountChange();
    ASSERT_TRUE(run.calibration.plotValid()) << run.status.text();
    EXPECT_EQ(run.calibration.targetLabels(), (std::array<std::string, 2>{"Step Code Value: 115", "Step Number: 10"}));
    EXPECT_NEAR(run.calibration.gamma(Channel::Red), 2.4, kPowerLawTolerance);
}

} // namespace
