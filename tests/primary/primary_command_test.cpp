#include "cli/commands.h"
#include "primary_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

std::string dataFile(const std::string& redY, const std::string& greenY, const std::string& displayType)
{
    return "[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33, " + redY + "\r\nMEASURED_DATA_GREEN=0.30, 0.60, " + greenY +
           "\r\nMEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n[PARAMETERS]\r\nVERSION=1.00\r\nDISPLAY_TYPE=" + displayType +
           "\r\n";
}

class PrimaryCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir / "Diagnostics");
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixFile, "false"));
        writeFile(dataPath, dataFile("21.26", "71.52", "NONRGB_LED_DISPLAY"));
        setenv("CHROMIX_REGISTRY", (dir / "registry.reg").c_str(), 1);
    }
    void TearDown() override { unsetenv("CHROMIX_REGISTRY"); }

    int run(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runPrimaryCommand(args, out, err);
    }
    bool printed(const std::string& text) const { return out.str().find(text) != std::string::npos; }

    TempDir dir;
    const std::string matrixFile = (dir / "matrix.txt").string();
    const std::string dataPath = (dir / "bt709.txt").string();
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(PrimaryCommandTest, ReproducesTheWorkedExamplesFromADataFile)
{
    EXPECT_EQ(run({"--data", dataPath}), kExitSuccess) << err.str();
    EXPECT_TRUE(printed("D65 Download Matrix \n0.999934 -0.000000 0.000066 \n")) << out.str();
    EXPECT_TRUE(printed("red (323, 265), green (176, 154), blue (111, 376)"));
    EXPECT_FALSE(printed("Status:"));
    EXPECT_FALSE(std::filesystem::exists(matrixFile));

    EXPECT_EQ(run({"--data", dataPath, "--display-type", "rgb-led"}), kExitSuccess);
    EXPECT_TRUE(printed("1.347225 -0.389109 0.012867 \n-0.083244 1.059130 -0.057228 \n"
                        "-0.015378 -0.061803 1.077181 \n")) << out.str();
}

TEST_F(PrimaryCommandTest, SaveWritesTheMatrixAndMarksItValid)
{
    EXPECT_EQ(run({"--data", dataPath, "--display-type", "rgb-led", "--save"}), kExitSuccess) << err.str();
    EXPECT_EQ(readFile(matrixFile), "1 0 0\r\n0 1 0\r\n0 0 1\r\n1.34723 -0.389109 0.0128668\r\n"
                                    "-0.0832443 1.05913 -0.0572284\r\n-0.0153776 -0.0618034 1.07718\r\n");
    EXPECT_NE(readFile(dir / "registry.reg").find("\"Current Valid\"=\"true\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "Diagnostics" / "measured_primaries.txt"));
}

TEST_F(PrimaryCommandTest, FailuresExitWithOneAndSaveNothing)
{
    // Luminances that cancel out.
    writeFile(dir / "dark.txt", dataFile("-7.22", "0", "RGB_LED_DISPLAY"));
    EXPECT_EQ(run({"--data", (dir / "dark.txt").string(), "--save"}), kExitFailure);
    EXPECT_TRUE(printed("Status: Invalid Luminance values")) << out.str();
    EXPECT_EQ(run({"--save"}), kExitFailure); // every field 0, as in a fresh dialog
    EXPECT_FALSE(std::filesystem::exists(matrixFile));

    writeFile(dir / "v2.txt", "[PARAMETERS]\r\nVERSION=2.00\r\n");
    EXPECT_EQ(run({"--data", (dir / "v2.txt").string()}), kExitFailure);
    EXPECT_TRUE(printed("Status: Invalid version number for the primary data file!"));
    EXPECT_EQ(run({"--data", (dir / "none.txt").string()}), kExitFailure);

    writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), (dir / "no" / "m.txt").string(), "true"));
    EXPECT_EQ(run({"--data", dataPath, "--save"}), kExitFailure);
    EXPECT_TRUE(printed("Status: Unable to open the matrix file for writing"));
}

TEST_F(PrimaryCommandTest, UsageErrorsExitWithTwo)
{
    for (const CommandArguments& args : {CommandArguments{"--display-type", "oled"}, CommandArguments{"--data"},
                                         CommandArguments{"--frobnicate"}, CommandArguments{"stray"}}) {
        EXPECT_EQ(run(args), kExitUsage) << args.front();
        EXPECT_NE(err.str().find("usage: chromix primary"), std::string::npos);
    }
}

} // namespace
