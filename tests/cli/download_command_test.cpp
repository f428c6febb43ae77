// chromix download against the demo installation's simulated processor.

#include "cli/commands.h"
#include "cli/demo_install.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

const CommandArguments kCalibrationValues{"--table-set", "Velvane Orlam LED Projector\\Cinema",
                                          "--calibration-values"};

// One demo installation for the suite: building its tables takes a while.
class DownloadCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        std::string error;
        ASSERT_TRUE(createDemoInstallation(dir->path() / "demo", error)) << error;
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override
    {
        ::setenv("CHROMIX_REGISTRY", (demo / "registry.reg").c_str(), 1);
        ::unsetenv("CHROMIX_SPI_ADAPTER");
    }
    void TearDown() override
    {
        ::unsetenv("CHROMIX_REGISTRY");
        ::unsetenv("CHROMIX_SPI_ADAPTER");
    }

    int run(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runDownloadCommand(args, out, err);
    }

    static inline TempDir* dir = nullptr;
    std::filesystem::path demo = dir->path() / "demo";
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(DownloadCommand, WritesTheSameBytesAsTheImageCommandBuilds)
{
    ASSERT_EQ(run(kCalibrationValues), kExitSuccess) << err.str();
    EXPECT_EQ(err.str(), "");
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("Adapter: simulated processor, flash image ", 0), 0u);
    EXPECT_NE(text.find("\nSimulated Chromix Processor\n"), std::string::npos);
    EXPECT_NE(text.find("\nWriting Flash for 1D LUTs and Matrices ... 6356992 Bytes\n"), std::string::npos)
        << "the last page's count closes the writing phase";
    EXPECT_EQ(text.find("Writing Flash for 1D LUTs and Matrices ... 6291712 Bytes"), std::string::npos)
        << "plain output keeps only the last count of a phase";
    EXPECT_TRUE(text.ends_with("\nFlash download completed successfully\n")) << text;
    EXPECT_TRUE(std::filesystem::exists(demo / "Diagnostics" / "download_parameters.txt"));

    CommandArguments imageArgs = kCalibrationValues;
    imageArgs.insert(imageArgs.end(), {"-o", (*dir / "expected.bin").string()});
    std::ostringstream imageOut;
    ASSERT_EQ(runImageCommand(imageArgs, imageOut, err), kExitSuccess) << err.str();
    EXPECT_TRUE(readFile(demo / "processor_flash.bin") == readFile(*dir / "expected.bin"));
}

TEST_F(DownloadCommand, NoAdapterIsAFailureWithTheDevicesMessage)
{
    ::setenv("CHROMIX_SPI_ADAPTER", "none", 1);
    EXPECT_EQ(run(kCalibrationValues), kExitFailure);
    EXPECT_EQ(err.str(), "No device connection\n");
}

TEST_F(DownloadCommand, AFailedRunEndsWithItsErrorAndLeavesTheFlashAlone)
{
    // A matrix file that cannot be opened: the run fails before the flash is touched.
    const auto matrix = demo / "calibration" / "default_matrix.txt";
    std::filesystem::rename(matrix, demo / "moved_matrix.txt");
    const std::string before = readFile(demo / "processor_flash.bin");
    const int status = run(kCalibrationValues);
    std::filesystem::rename(demo / "moved_matrix.txt", matrix);
    EXPECT_EQ(status, kExitFailure);
    EXPECT_NE(err.str().find("Unable to open file"), std::string::npos) << err.str();
    EXPECT_EQ(out.str().find("Erasing Flash"), std::string::npos);
    EXPECT_TRUE(readFile(demo / "processor_flash.bin") == before);
}

TEST_F(DownloadCommand, RefusesBadWords)
{
    CommandArguments args = kCalibrationValues;
    args.insert(args.end(), {"--pause-ms", "-5"});
    EXPECT_EQ(run(args), kExitUsage);
    EXPECT_NE(err.str().find("--pause-ms takes a number of milliseconds"), std::string::npos);
    EXPECT_EQ(run({"--calibration-values", "extra"}), kExitUsage);
}

} // namespace
