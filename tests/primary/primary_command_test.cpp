#include "cli/commands.h"
#include "primary_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

constexpr const char* kBt709Data = "[DATA]\r\n"
                                   "MEASURED_DATA_RED=0.64, 0.33, 21.26\r\n"
                                   "MEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\n"
                                   "MEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n"
                                   "[PARAMETERS]\r\n"
                                   "VERSION=1.00\r\n"
                                   "DISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n";

constexpr const char* kRgbLedRows = "D65 Download Matrix \n"
                                    "1.347225 -0.389109 0.012867 \n"
                                    "-0.083244 1.059130 -0.057228 \n"
                                    "-0.015378 -0.061803 1.077181 \n"
                                    "Native Download Matrix \n";

class PrimaryCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir / "Diagnostics");
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixPath(), "false"));
        writeFile(dir / "bt709.txt", kBt709Data);
        setenv("CHROMIX_REGISTRY", (dir / "registry.reg").c_str(), 1);
    }
    void TearDown() override { unsetenv("CHROMIX_REGISTRY"); }

    int run(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runPrimaryCommand(args, out, err);
    }

    std::string matrixPath() const { return (dir / "matrix.txt").string(); }
    std::string dataPath() const { return (dir / "bt709.txt").string(); }

    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(PrimaryCommandTest, PrintsTheReportOfTheLoadedFile)
{
    EXPECT_EQ(run({"--data", dataPath()}), kExitSuccess) << err.str();
    EXPECT_NE(out.str().find("D65 Download Matrix \n0.999934 "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("red (323, 265), green (176, 154), blue (111, 376)"), std::string::npos);
    EXPECT_EQ(out.str().find("Status:"), std::string::npos);
    EXPECT_EQ(out.str().find('\r'), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
}

TEST_F(PrimaryCommandTest, TheDisplayTypeOptionOverridesTheFile)
{
    EXPECT_EQ(run({"--data", dataPath(), "--display-type", "rgb-led"}), kExitSuccess);
    EXPECT_NE(out.str().find(kRgbLedRows), std::string::npos) << out.str();
}

TEST_F(PrimaryCommandTest, SaveWritesTheMatrixAndMarksItValid)
{
    EXPECT_EQ(run({"--data", dataPath(), "--display-type", "rgb-led", "--save"}), kExitSuccess) << err.str();
    EXPECT_EQ(readFile(matrixPath()), "1 0 0\r\n0 1 0\r\n0 0 1\r\n"
                                      "1.34723 -0.389109 0.0128668\r\n"
                                      "-0.0832443 1.05913 -0.0572284\r\n"
                                      "-0.0153776 -0.0618034 1.07718\r\n");
    EXPECT_NE(readFile(dir / "registry.reg").find("\"Current Valid\"=\"true\""), std::string::npos);
    EXPECT_EQ(readFile(dir / "Diagnostics" / "measured_primaries.txt").substr(0, 36),
              "Red values: x=0.64, y=0.33, Y=21.26\r");
}

TEST_F(PrimaryCommandTest, ApplyFailuresExitWithOneAndSaveNothing)
{
    writeFile(dir / "dark.txt", "[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33, 0\r\nMEASURED_DATA_GREEN=0.3, 0.6, 0\r\n"
                                "MEASURED_DATA_BLUE=0.15, 0.06, 0\r\n[PARAMETERS]\r\nVERSION=1.00\r\n"
                                "DISPLAY_TYPE=RGB_LED_DISPLAY\r\n");
    EXPECT_EQ(run({"--data", (dir / "dark.txt").string(), "--save"}), kExitFailure);
    EXPECT_NE(out.str().find("Status: Invalid Luminance values"), std::string::npos) << out.str();
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
    EXPECT_NE(readFile(dir / "registry.reg").find("\"Current Valid\"=\"false\""), std::string::npos);

    // Without a file every field is 0, as in a freshly opened dialog.
    EXPECT_EQ(run({"--save"}), kExitFailure);
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
}

TEST_F(PrimaryCommandTest, BadDataFilesAreReported)
{
    writeFile(dir / "v2.txt", "[PARAMETERS]\r\nVERSION=2.00\r\n");
    EXPECT_EQ(run({"--data", (dir / "v2.txt").string()}), kExitFailure);
    EXPECT_NE(out.str().find("Status: Invalid version number for the primary data file!"), std::string::npos);
    EXPECT_EQ(run({"--data", (dir / "none.txt").string()}), kExitFailure);
    EXPECT_NE(err.str().find("cannot read the primary data file"), std::string::npos);
}

TEST_F(PrimaryCommandTest, ASaveFailureExitsWithOne)
{
    writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), (dir / "no" / "m.txt").string(), "true"));
    EXPECT_EQ(run({"--data", dataPath(), "--save"}), kExitFailure);
    EXPECT_NE(out.str().find("Status: Unable to open the matrix file for writing"), std::string::npos);
}

TEST_F(PrimaryCommandTest, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(run({"--display-type", "oled"}), kExitUsage);
    EXPECT_EQ(run({"--data"}), kExitUsage);
    EXPECT_EQ(run({"--frobnicate"}), kExitUsage);
    EXPECT_EQ(run({dataPath()}), kExitUsage);
    EXPECT_NE(err.str().find("usage: chromix primary"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
}

} // namespace
