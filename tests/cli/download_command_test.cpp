// chromix download against a small installation's simulated processor.

#include "cli/commands.h"
#include "config/atomic_file.h"
#include "download/adapters/platform_adapter.h"
#include "download/command_installation.h"
#include "support/environment.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const CommandArguments kCalibrationValues{"--table-set", "Velvane Orlam LED Projector\\Cinema", "--calibration-values"};

class DownloadCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        CommandInstallation::use();
        unsetEnvironment("CHROMIX_SPI_ADAPTER");
    }
    void TearDown() override { unsetEnvironment("CHROMIX_SPI_ADAPTER"); }

    int run(const CommandArguments& args) { return runDownloadCommand(args, out = {}, err = {}); }

    const CommandInstallation& installation = CommandInstallation::get();
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(DownloadCommand, WritesTheSameBytesAsTheImageCommandBuilds)
{
    ASSERT_EQ(run(kCalibrationValues), kExitSuccess) << err.str();
    EXPECT_EQ(err.str(), "");
    const std::string text = out.str();
    EXPECT_NE(text.find("\nWriting Flash for 1D LUTs and Matrices ... 6356992 Bytes\n"), std::string::npos)
        << "the last page's count closes the writing phase";
    EXPECT_EQ(text.find("Writing Flash for 1D LUTs and Matrices ... 6291712 Bytes"), std::string::npos)
        << "plain output keeps only the last count of a phase";
    EXPECT_TRUE(text.ends_with("\nFlash download completed successfully\n")) << text;
    EXPECT_TRUE(fs::exists(installation / "Diagnostics" / "download_parameters.txt"));

    TempDir work;
    ASSERT_EQ(runImageCommand({"--calibration-values", "-o", (work / "expected.bin").string()}, out, err), kExitSuccess)
        << err.str();
    EXPECT_TRUE(readFile(installation / "processor_flash.bin") == readFile(work / "expected.bin"));
}

TEST_F(DownloadCommand, FailuresEndWithTheirMessageAndLeaveTheFlashAlone)
{
    const fs::path matrix = installation / "default_matrix.txt";
    fs::rename(matrix, installation / "moved_matrix.txt");
    const std::string before = readFile(installation / "processor_flash.bin");
    const int status = run(kCalibrationValues);
    fs::rename(installation / "moved_matrix.txt", matrix);
    EXPECT_EQ(status, kExitFailure);
    EXPECT_EQ(err.str(), "Unable to open file " + matrix.string() + "\n");
    EXPECT_EQ(out.str().find("Erasing Flash"), std::string::npos);
    EXPECT_TRUE(readFile(installation / "processor_flash.bin") == before);

    setEnvironment("CHROMIX_SPI_ADAPTER", "none");
    EXPECT_EQ(run(kCalibrationValues), kExitFailure);
    // The settings the platform offers are checked with each platform's adapters.
    EXPECT_EQ(err.str(),
              "No device connection\nThe adapter setting \"none\" names no adapter: use " + platformAdapterSettings()
                  + ".\n");

    EXPECT_EQ(run({"--calibration-values", "--pause-ms", "-5"}), kExitUsage);
    EXPECT_NE(err.str().find("--pause-ms takes a number of milliseconds"), std::string::npos);
    EXPECT_EQ(run({"--calibration-values", "extra"}), kExitUsage);
}

// An image the simulated processor cannot use fails the device check with the window's
// text and then the reason; each reason is checked with the simulated chip, here the one
// a second download meets.
TEST_F(DownloadCommand, AFlashImageInUseFailsTheDeviceCheckSayingWhy)
{
    const fs::path image = installation / "processor_flash.bin";
    const std::string before = readFile(image);
    {
        FileLock otherDownload(image);
        ASSERT_TRUE(otherDownload.locked());
        EXPECT_EQ(run(kCalibrationValues), kExitFailure);
    }
    EXPECT_EQ(err.str(),
              "No device connection\nThe flash image " + image.string() + " cannot be used: " + image.string()
                  + ".lock: in use by another program\n");
    EXPECT_TRUE(readFile(image) == before);
}

} // namespace
