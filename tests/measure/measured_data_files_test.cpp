// The data files a run writes, byte for byte.

#include "measure/measured_data_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(MeasuredDataFiles, LinearityAndVerificationFiles)
{
    LinearityMeasurements m;
    m.stepCount = 3;
    m.red = {0.08, 25.1234567, 120.0};
    m.green = {0.0812, 1000.5, std::nullopt};
    m.blue = {0.079, 3.25, 7.5};
    EXPECT_EQ(linearityDataText(m),
              "[DATA]\r\n"
              "MEASURED_DATA_1=  0.0800,   0.0812,   0.0790\r\n"
              "MEASURED_DATA_2= 25.1235, 1000.5000,   3.2500\r\n"
              "MEASURED_DATA_3=120.0000,        x,   7.5000\r\n"
              "[PARAMETERS]\r\n"
              "VERSION=1.00\r\n"
              "NOISE_REDUCTION=OFF\r\n"
              "VERIFICATION_CHECK_BOX=OFF\r\n"
              "VERIFICATION_STEP=0\r\n"
              "BRIGHT_REGION_CORRECTION=OFF\r\n"
              "CLIP_BRIGHT_REGION=OFF\r\n");
    m.verificationMode = true;
    m.verificationStep = 2;
    m.red = {0.08, 25.0};
    EXPECT_EQ(linearityDataText(m),
              "[DATA]\r\n"
              "MEASURED_DATA_1=  0.0800,   0.0800,   0.0800\r\n"
              "MEASURED_DATA_2= 25.0000,  25.0000,  25.0000\r\n"
              "MEASURED_DATA_3=       x,        x,        x\r\n"
              "[PARAMETERS]\r\n"
              "VERSION=1.00\r\n"
              "NOISE_REDUCTION=OFF\r\n"
              "VERIFICATION_CHECK_BOX=ON\r\n"
              "VERIFICATION_STEP=2\r\n"
              "BRIGHT_REGION_CORRECTION=OFF\r\n"
              "CLIP_BRIGHT_REGION=OFF\r\n");
}

TEST(MeasuredDataFiles, PrimaryFileAndAFailedWriteKeepsTheOldFile)
{
    const std::vector<MeterReading> primaries{
        {41.24, 21.26, 1.93, 0.64, 0.33}, {35.76, 71.52, 11.92, 0.30, 0.60}, {18.05, 7.22, 95.05, 0.15, 0.06}};
    const std::string text = primaryDataText(primaries);
    EXPECT_EQ(text,
              "[DATA]\r\n"
              "MEASURED_DATA_RED=0.6400, 0.3300, 21.2600\r\n"
              "MEASURED_DATA_GREEN=0.3000, 0.6000, 71.5200\r\n"
              "MEASURED_DATA_BLUE=0.1500, 0.0600, 7.2200\r\n"
              "[PARAMETERS]\r\n"
              "VERSION=1.00\r\n"
              "DISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n");

    TempDir dir;
    ASSERT_TRUE(writeDataFile(dir / "primaries.txt", text));
    EXPECT_EQ(readFile(dir / "primaries.txt"), text);
    std::filesystem::create_directory(dir / "folder");
    const Result<> refused = writeDataFile(dir / "folder", text);
    ASSERT_FALSE(refused);
    EXPECT_FALSE(refused.failure().reason.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
}

} // namespace
