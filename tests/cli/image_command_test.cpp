// chromix image and chromix inspect on a small installation.

#include "cli/commands.h"
#include "download/command_installation.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;

class ImageCommand : public ::testing::Test {
protected:
    void SetUp() override { CommandInstallation::use(); }

    int image(CommandArguments args)
    {
        args.insert(args.end(), {"-o", (work / "flash.bin").string()});
        return runImageCommand(args, out = {}, err = {});
    }
    int inspect(const fs::path& file) { return runInspectCommand({file.string()}, out = {}, err = {}); }

    TempDir work;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ImageCommand, CalibrationValuesMakeAnErasedImageWithRegion2AndItsLayout)
{
    ASSERT_EQ(image({"--calibration-values", "--layout", (work / "flash.layout").string()}), kExitSuccess) << err.str();
    const std::string bytes = readFile(work / "flash.bin");
    ASSERT_EQ(bytes.size(), 0x800000u);
    EXPECT_EQ(bytes.find_first_not_of('\xff'), 0x600000u);
    EXPECT_EQ(bytes.find_first_not_of('\xff', 0x610000), std::string::npos);
    EXPECT_EQ(readFile(work / "flash.layout"), "0x600000:0x60ffff 1d_luts_and_matrices\r\n");
    EXPECT_NE(out.str().find("Reading display primary calibration file ... Waiting\n"), std::string::npos);
    EXPECT_EQ(out.str().find("Read count"), std::string::npos);

    ASSERT_EQ(inspect(work / "flash.bin"), kExitSuccess) << out.str();
    const std::string report = out.str();
    EXPECT_NE(report.find("  Native download matrix:\n      0.999985   0.000000   0.000000\n"), std::string::npos)
        << report;
    EXPECT_NE(report.find("  Second 1D LUT Blue: 8192 values, first 0 (0.000000), last 1023 (1.000000), monotonic\n"),
              std::string::npos);
    EXPECT_NE(report.find("3D Color Tables at 0x000000:0x5fffff: erased (not written)\n"), std::string::npos);
    EXPECT_NE(report.find("Everything decodes.\n"), std::string::npos);
}

TEST_F(ImageCommand, TablesDecodeAndADamagedFillerIsReported)
{
    ASSERT_EQ(image({"--table-set", "Velvane Orlam LED Projector\\Cinema", "--3d-tables"}), kExitSuccess) << err.str();
    ASSERT_EQ(inspect(work / "flash.bin"), kExitSuccess) << out.str();
    EXPECT_NE(out.str().find("6 of 6 tables written, 6 with every row's 0x5A filler bytes intact"), std::string::npos);
    EXPECT_NE(out.str().find("14 images of 20000 bytes, 14 followed by their 224 zero bytes"), std::string::npos);

    std::string bytes = readFile(work / "flash.bin");
    bytes[0x200000 + 3 * 256 + 255] = 0x5B;
    writeFile(work / "damaged.bin", bytes);
    EXPECT_EQ(inspect(work / "damaged.bin"), kExitFailure);
    EXPECT_NE(out.str().find("Does not decode:\n  3D table 3: 1 rows without their 16 bytes of 0x5A\n"),
              std::string::npos)
        << out.str();
}

TEST_F(ImageCommand, WordsThatDoNotFitOrChoicesNotOfferedWriteNoImage)
{
    struct Case {
        CommandArguments args;
        int status;
        std::string firstLine;
    };
    const Case cases[] = {
        {{}, kExitUsage, "choose what to write"},
        {{"--3d-tables"}, kExitUsage, "--3d-tables needs --table-set"},
        {{"--calibration-values", "--primary", "newest"}, kExitUsage, "--primary takes new or default"},
        {{"--table-set", "Cinema", "--3d-tables"}, kExitUsage, "--table-set takes"},
        {{"--table-set", "Velvane Orlam LED Projector\\Drama", "--3d-tables"},
         kExitFailure,
         "it offers \"Velvane Orlam LED Projector\\Cinema\""},
        // New stays refused while the calibration tools have not marked their files complete.
        {{"--calibration-values", "--primary", "new"},
         kExitFailure,
         "chromix image: --primary new is not offered: the primary calibration's matrix file is not marked complete "
         "(\"Current Valid\" is not true)"},
        {{"--calibration-values", "--linearity", "new"}, kExitFailure, "--linearity new is not offered"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstLine);
        EXPECT_EQ(image(c.args), c.status);
        EXPECT_NE(err.str().substr(0, err.str().find('\n')).find(c.firstLine), std::string::npos) << err.str();
        EXPECT_FALSE(fs::exists(work / "flash.bin"));
    }
    EXPECT_EQ(runImageCommand({"--calibration-values"}, out, err), kExitUsage) << "no -o";
    EXPECT_EQ(runInspectCommand({}, out, err), kExitUsage);

    const fs::path matrix = CommandInstallation::get() / "default_matrix.txt";
    fs::rename(matrix, work / "kept.txt");
    const int status = image({"--calibration-values"});
    fs::rename(work / "kept.txt", matrix);
    EXPECT_EQ(status, kExitFailure);
    EXPECT_EQ(err.str(), "chromix image: Unable to open file " + matrix.string() + "\n");
    EXPECT_FALSE(fs::exists(work / "flash.bin"));
}

} // namespace
