// The linearity data file: its exact layout, the round trip, and every format error.

#include "linearity/linearity_data_file.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kFormatError = "The linearity data file has format or data errors!";

class DataFileTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return run.dir / "data.txt"; }

    LinearityRun run{kFiveSteps};
    LinearityRun reloaded{kFiveSteps};
};

TEST_F(DataFileTest, SaveWritesTheExactLayoutLoadRestoresGridAndOptionsAndAFailedWriteIsReported)
{
    run.fillColumn(0, {"0.152", "1,234.5", "3", "3", "4"});
    run.calibration.measurements().collectRawValues();
    run.grid.setCellText(0, 2, "x");
    run.fillColumn(1, {"0.3", "2", "3", "4", "5"});
    run.fillColumn(2, {"0.05", "2", "3", "4", "5"});
    run.calibration.setNoiseReduction(true);
    run.calibration.setClipBrightRegion(true); // without Bright Region Correction: written OFF
    ASSERT_TRUE(saveDataFile(run.calibration, file()));
    ASSERT_TRUE(loadDataFile(reloaded.calibration, file()));
    EXPECT_EQ(readFile(file()),
              "[DATA]\r\n"
              "MEASURED_DATA_1=  0.1520,   0.3000,   0.0500\r\n"
              "MEASURED_DATA_2=1234.5000,   2.0000,   2.0000\r\n"
              "MEASURED_DATA_3=       x,   3.0000,   3.0000\r\n"
              "MEASURED_DATA_4=  3.0000,   4.0000,   4.0000\r\n"
              "MEASURED_DATA_5=  4.0000,   5.0000,   5.0000\r\n"
              "[PARAMETERS]\r\n"
              "VERSION=1.00\r\n"
              "NOISE_REDUCTION=ON\r\n"
              "VERIFICATION_CHECK_BOX=OFF\r\n"
              "VERIFICATION_STEP=0\r\n"
              "BRIGHT_REGION_CORRECTION=OFF\r\n"
              "CLIP_BRIGHT_REGION=OFF\r\n");
    EXPECT_EQ(reloaded.grid.cellText(1, 0), "0.3000");
    EXPECT_TRUE(reloaded.calibration.options().noiseReduction);
    EXPECT_FALSE(reloaded.calibration.options().clipBrightRegion);
    // A step not measured stays so: written as a number (0.0 or the older value) it would
    // come back as a measurement. The load ends with Apply, whose validation reports it.
    EXPECT_EQ(reloaded.grid.cellText(0, 2), "x");
    EXPECT_EQ(reloaded.status.text(), "Number of entered measured values for Red is too small");

    EXPECT_FALSE(saveDataFile(run.calibration, run.dir / "missing" / "data.txt"));
    EXPECT_EQ(run.status.text(), "Unable to write to the linearity data file!");
    EXPECT_TRUE(run.status.isError());
}

TEST_F(DataFileTest, OlderVersionsCommaRunsAndBothBrightRegionOptionsLoad)
{
    std::string text = replaced(dataFileText(kWorkedExample), "VERSION=1.00", "VERSION=0.99");
    text = replaced(text, "NOISE_REDUCTION=OFF", "NOISE_REDUCTION=on"); // "on" is not "ON"
    text = replaced(text, "BRIGHT_REGION_CORRECTION=OFF\r\nCLIP_BRIGHT_REGION=OFF",
                    "BRIGHT_REGION_CORRECTION=ON\r\nCLIP_BRIGHT_REGION=ON");
    text = replaced(text, "5.5, 5.5, 5.5", ",,5.5,,, 6.5 ,\t7.5 ,8.5"); // spaces are trimmed, a tab is text
    run.calibration.setNoiseReduction(true);
    writeFile(file(), text);
    EXPECT_TRUE(loadDataFile(run.calibration, file()));
    EXPECT_EQ(run.grid.cellText(1, 1), "6.5");
    EXPECT_EQ(run.grid.cellText(2, 1), "\t7.5");
    EXPECT_FALSE(run.calibration.options().noiseReduction);
    EXPECT_TRUE(run.calibration.options().brightRegionCorrection && run.calibration.options().clipBrightRegion);
    EXPECT_TRUE(run.calibration.plotValid()) << run.status.text(); // the load ends with Apply
}

TEST_F(DataFileTest, FormatErrorsKeepWhatLoadedBeforeThem)
{
    struct Case {
        const char* from;
        const char* to;
        const char* message;
        int filledRows; // rows of column 0 the load set before it stopped
    };
    constexpr const char* kVersionError = "Invalid version number for the linearity data file!";
    // NOISE_REDUCTION is read after the rows: the grid is filled, nothing is applied.
    for (const Case& error :
         {Case{"VERSION=1.00", "VERSION=1.01", kVersionError, 0}, Case{"NOISE_REDUCTION=OFF\r\n", "", kFormatError, 5},
          Case{"MEASURED_DATA_4=52.5, 52.5, 52.5", "MEASURED_DATA_4=52.5, 52.5", kFormatError, 3},
          Case{"MEASURED_DATA_5=", "MEASURED_DATA_6=", kFormatError, 4},
          Case{"MEASURED_DATA_2=5.5, 5.5, 5.5", "MEASURED_DATA_2=5.5,  , 5.5", kFormatError, 1}}) {
        SCOPED_TRACE(error.to);
        LinearityRun fresh(kFiveSteps);
        writeFile(file(), replaced(dataFileText(kWorkedExample), error.from, error.to));
        EXPECT_FALSE(loadDataFile(fresh.calibration, file()));
        EXPECT_EQ(fresh.status.text(), error.message);
        for (int row = 0; row < 5; ++row)
            EXPECT_EQ(fresh.grid.cellText(0, row),
                      row < error.filledRows ? kWorkedExample[static_cast<std::size_t>(row)] : "0.000")
                << row;
        EXPECT_FALSE(fresh.calibration.plotValid());
    }
    EXPECT_FALSE(loadDataFile(run.calibration, run.dir / "no such file.txt"));
    EXPECT_EQ(run.status.text(), kFormatError);
}

TEST_F(DataFileTest, VerificationGrayscaleIsWrittenThreeTimesAndLoadsIntoOneColumn)
{
    run.calibration.selectStepCount(4);
    run.calibration.setVerificationMode(true);
    run.fillColumn(0, kWorkedExample);
    ASSERT_TRUE(saveDataFile(run.calibration, file()));
    const std::string content = readFile(file());
    EXPECT_NE(content.find("MEASURED_DATA_3= 22.5000,  22.5000,  22.5000\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("VERIFICATION_CHECK_BOX=ON\r\nVERIFICATION_STEP=5\r\n"), std::string::npos) << content;

    // Bright Region Correction and Clip Bright Region are not needed in verification mode.
    writeFile(file(), content.substr(0, content.find("BRIGHT_REGION_CORRECTION")));
    ASSERT_TRUE(loadDataFile(reloaded.calibration, file())) << reloaded.status.text();
    EXPECT_EQ(reloaded.grid.columnCount(), 1);
    EXPECT_EQ(reloaded.grid.cellText(0, 2), "22.5000");
    EXPECT_EQ(reloaded.calibration.stepCountSelection(), 4);
    EXPECT_TRUE(reloaded.calibration.plotValid()) << reloaded.status.text();
    EXPECT_EQ(reloaded.calibration.gammaLabels()[0], "Grayscale: 2.16");
}

} // namespace
