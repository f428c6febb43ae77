// The linearity data file: its exact layout, the round trip, and every format error.

#include "linearity/linearity_data_file.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kFormatError = "The linearity data file has format or data errors!";
constexpr const char* kFiveSteps = "0~64~128~192~255";

const std::vector<std::string> kWorkedExample{"0.5", "5.5", "22.5", "52.5", "100.5"};

// A normal-mode file of the worked example; `data` and `parameters` replace the defaults.
std::string dataFileText(const std::string& version = "1.00", const std::string& extraParameters = "")
{
    return "[DATA]\r\n"
           "MEASURED_DATA_1=0.5, 0.5, 0.5\r\n"
           "MEASURED_DATA_2=5.5, 5.5, 5.5\r\n"
           "MEASURED_DATA_3=22.5, 22.5, 22.5\r\n"
           "MEASURED_DATA_4=52.5, 52.5, 52.5\r\n"
           "MEASURED_DATA_5=100.5, 100.5, 100.5\r\n"
           "[PARAMETERS]\r\n"
           "VERSION=" + version + "\r\n"
           "VERIFICATION_STEP=5\r\n"
           "VERIFICATION_CHECK_BOX=OFF\r\n"
           "BRIGHT_REGION_CORRECTION=OFF\r\n"
           "CLIP_BRIGHT_REGION=OFF\r\n" + extraParameters;
}

class DataFileTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return run.dir / "data.txt"; }
    bool loadText(const std::string& text)
    {
        writeFile(file(), text);
        return loadDataFile(run.calibration, file());
    }

    LinearityRun run{kFiveSteps};
};

TEST_F(DataFileTest, SaveWritesTheExactLayout)
{
    run.fillColumn(0, {"0.152", "1,234.5", "x", "3", "4"});
    run.fillColumn(1, {"0.3", "2", "3", "4", "5"});
    run.fillColumn(2, {"0.05", "2", "3", "4", "5"});
    run.calibration.setNoiseReduction(true);
    run.calibration.setClipBrightRegion(true); // without Bright Region Correction: written OFF
    ASSERT_TRUE(saveDataFile(run.calibration, file()));
    EXPECT_EQ(readFile(file()), "[DATA]\r\n"
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
}

TEST_F(DataFileTest, SaveThenLoadReproducesGridOptionsAndComputes)
{
    run.fillAllColumns(kWorkedExample);
    run.calibration.setNoiseReduction(true);
    run.calibration.setBrightRegionCorrection(true);
    run.calibration.setClipBrightRegion(true);
    ASSERT_TRUE(saveDataFile(run.calibration, file()));

    LinearityRun other(kFiveSteps);
    ASSERT_TRUE(loadDataFile(other.calibration, file()));
    EXPECT_EQ(other.grid.cellText(0, 0), "0.5000");
    EXPECT_EQ(other.grid.cellText(2, 4), "100.5000");
    EXPECT_TRUE(other.calibration.options().noiseReduction);
    EXPECT_TRUE(other.calibration.options().brightRegionCorrection);
    EXPECT_TRUE(other.calibration.options().clipBrightRegion);
    EXPECT_TRUE(other.calibration.clipBrightRegionEnabled());
    EXPECT_TRUE(other.calibration.plotValid()) << other.status.text();

    run.calibration.apply();
    for (Channel channel : kAllChannels)
        EXPECT_EQ(other.calibration.gamma(channel), run.calibration.gamma(channel)) << channelName(channel);
}

TEST_F(DataFileTest, AStepNotMeasuredStaysNotMeasured)
{
    // Written as a number (0.0 or an older value) it would come back as a measurement.
    run.fillAllColumns(kWorkedExample);
    run.fillColumn(1, {"0.5", "7", "22.5", "52.5", "100.5"});
    run.calibration.measurements().collectRawValues();
    run.fillColumn(1, {"0.5", "x", "22.5", "52.5", "100.5"});
    ASSERT_TRUE(saveDataFile(run.calibration, file()));

    LinearityRun other(kFiveSteps);
    ASSERT_TRUE(loadDataFile(other.calibration, file()));
    EXPECT_EQ(other.grid.cellText(1, 1), "x");
    EXPECT_EQ(other.status.text(), "Number of entered measured values for Green is too small");
}

TEST_F(DataFileTest, AFileThatCannotBeWrittenIsReported)
{
    EXPECT_FALSE(saveDataFile(run.calibration, run.dir / "missing" / "data.txt"));
    EXPECT_EQ(run.status.text(), "Unable to write to the linearity data file!");
    EXPECT_TRUE(run.status.isError());
}

TEST_F(DataFileTest, VersionsAboveOneAreRejected)
{
    for (const char* version : {"1.01", "2"}) {
        EXPECT_FALSE(loadText(dataFileText(version))) << version;
        EXPECT_EQ(run.status.text(), "Invalid version number for the linearity data file!");
    }
    // Accepted: an older version; runs of commas; "on" is not "ON".
    std::string text = dataFileText("0.99", "NOISE_REDUCTION=on\r\n");
    text.replace(text.find("5.5, 5.5, 5.5"), 13, ",,5.5,,, 6.5 ,7.5,8.5");
    run.calibration.setNoiseReduction(true);
    EXPECT_TRUE(loadText(text));
    EXPECT_EQ(run.grid.cellText(1, 1), "6.5");
    EXPECT_FALSE(run.calibration.options().noiseReduction);
    EXPECT_TRUE(run.calibration.plotValid());
}

TEST_F(DataFileTest, MissingKeysGiveTheFormatMessage)
{
    // NOISE_REDUCTION is read after the rows: the grid is filled, nothing is applied.
    EXPECT_FALSE(loadText(dataFileText()));
    EXPECT_EQ(run.status.text(), kFormatError);
    EXPECT_TRUE(run.status.isError());
    EXPECT_EQ(run.grid.cellText(0, 4), "100.5");
    EXPECT_FALSE(run.calibration.plotValid());

    EXPECT_FALSE(loadDataFile(run.calibration, run.dir / "no such file.txt"));
    EXPECT_EQ(run.status.text(), kFormatError);
}

TEST_F(DataFileTest, RowsLoadUpToTheFirstBadOne)
{
    std::string text = dataFileText("1.00", "NOISE_REDUCTION=OFF\r\n");
    text.replace(text.find("MEASURED_DATA_4=52.5, 52.5, 52.5"), 32, "MEASURED_DATA_4=52.5, 52.5");
    EXPECT_FALSE(loadText(text));
    EXPECT_EQ(run.status.text(), kFormatError);
    EXPECT_EQ(run.grid.cellText(0, 2), "22.5");
    EXPECT_EQ(run.grid.cellText(0, 3), "0.000");
    EXPECT_FALSE(run.calibration.plotValid());

    text = dataFileText("1.00", "NOISE_REDUCTION=OFF\r\n");
    text.replace(text.find("MEASURED_DATA_5="), 16, "MEASURED_DATA_6=");
    EXPECT_FALSE(loadText(text));
    EXPECT_EQ(run.grid.cellText(0, 3), "52.5");

    text = dataFileText("1.00", "NOISE_REDUCTION=OFF\r\n");
    text.replace(text.find("MEASURED_DATA_2=5.5, 5.5, 5.5"), 29, "MEASURED_DATA_2=5.5,  , 5.5");
    EXPECT_FALSE(loadText(text));
}

TEST(DataFileVerificationTest, GrayscaleIsWrittenThreeTimesAndLoadsIntoOneColumn)
{
    LinearityRun saved(kFiveSteps);
    saved.calibration.selectStepCount(4);
    saved.calibration.setVerificationMode(true);
    saved.fillColumn(0, kWorkedExample);
    const std::filesystem::path file = saved.dir / "verification.txt";
    ASSERT_TRUE(saveDataFile(saved.calibration, file));
    const std::string content = readFile(file);
    EXPECT_NE(content.find("MEASURED_DATA_3= 22.5000,  22.5000,  22.5000\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("VERIFICATION_CHECK_BOX=ON\r\nVERIFICATION_STEP=5\r\n"), std::string::npos) << content;

    // Bright Region Correction and Clip Bright Region are not needed in verification mode.
    std::string text = content.substr(0, content.find("BRIGHT_REGION_CORRECTION"));
    LinearityRun loaded(kFiveSteps);
    writeFile(file, text);
    ASSERT_TRUE(loadDataFile(loaded.calibration, file)) << loaded.status.text();
    EXPECT_TRUE(loaded.calibration.verificationMode());
    EXPECT_EQ(loaded.grid.columnCount(), 1);
    EXPECT_EQ(loaded.grid.cellText(0, 2), "22.5000");
    EXPECT_EQ(loaded.calibration.stepCountSelection(), 4);
    EXPECT_TRUE(loaded.calibration.plotValid()) << loaded.status.text();
    EXPECT_EQ(loaded.calibration.gammaLabels()[0], "Grayscale: 2.16");
}

} // namespace
