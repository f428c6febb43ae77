#include "cli/commands.h"
#include "primary/primary_test_support.h"
#include "support/environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

class PrimaryCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixFile, "false"));
        writeFile(dataPath, primaryDataFileText("0.64, 0.33, 21.26", "1.00", "NONRGB_LED_DISPLAY"));
        setEnvironment("CHROMIX_REGISTRY", (dir / "registry.reg").string());
    }
    void TearDown() override { unsetEnvironment("CHROMIX_REGISTRY"); }

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

TEST_F(PrimaryCommandTest, ReproducesTheWorkedExamplesFromADataFileAndSaves)
{
    EXPECT_EQ(run({"--data", dataPath}), kExitSuccess) << err.str();
    EXPECT_TRUE(printed("D65 Download Matrix \n0.999934 -0.000000 0.000066 \n")) << out.str();
    EXPECT_TRUE(printed("red (323, 265), green (176, 154), blue (111, 376)"));
    EXPECT_FALSE(printed("Status:"));
    EXPECT_FALSE(std::filesystem::exists(matrixFile));

    EXPECT_EQ(run({"--data", dataPath, "--display-type", "rgb-led", "--save"}), kExitSuccess) << err.str();
    EXPECT_TRUE(printed("1.347225 -0.389109 0.012867 \n-0.083244 1.059130 -0.057228 \n"
                        "-0.015378 -0.061803 1.077181 \n"))
        << out.str();
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
    EXPECT_NE(readFile(dir / "registry.reg").find("\"Current Valid\"=\"true\""), std::string::npos);
}

TEST_F(PrimaryCommandTest, FailuresExitWithOneAndSaveNothing)
{
    EXPECT_EQ(run({"--save"}), kExitFailure); // every field 0, as in a fresh dialog
    EXPECT_TRUE(printed("Status: Invalid Luminance values")) << out.str();
    EXPECT_FALSE(std::filesystem::exists(matrixFile));

    EXPECT_EQ(run({"--data", (dir / "none.txt").string()}), kExitFailure);
    EXPECT_TRUE(printed("Status: The primary data file has format or data errors!")) << out.str();
    EXPECT_EQ(err.str(),
              "chromix primary: cannot read the primary data file " + (dir / "none.txt").string()
                  + ": No such file or directory\n");

    // The window's text, and beneath it the file and the system's reason.
    const std::string matrixPath = (dir / "no" / "m.txt").string();
    writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixPath, "true"));
    EXPECT_EQ(run({"--data", dataPath, "--save"}), kExitFailure);
    EXPECT_TRUE(printed("Status: Unable to open the matrix file for writing"));
    EXPECT_EQ(err.str(), "chromix primary: " + matrixPath + ": No such file or directory\n");
}

TEST_F(PrimaryCommandTest, UsageErrorsExitWithTwo)
{
    for (const CommandArguments& args :
         {CommandArguments{"--display-type", "oled"}, CommandArguments{"--data"}, CommandArguments{"stray"}}) {
        EXPECT_EQ(run(args), kExitUsage) << args.front();
        EXPECT_NE(err.str().find("usage: chromix primary"), std::string::npos);
    }
}

} // namespace
