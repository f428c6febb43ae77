#include "cli/commands.h"
#include "cli/demo_install.h"
#include "config/registry_file_store.h"
#include "download/adapters/adapter_choice.h"
#include "download/download_settings.h"
#include "support/environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// One installation for the whole suite: creating it is the slow part. The commands run on
// its store.
class DemoInstallation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const Result<> created = createDemoInstallation(root());
        ASSERT_TRUE(created) << created.failure().reason;
    }
    void SetUp() override
    {
        ASSERT_TRUE(download.load());
        setEnvironment("CHROMIX_REGISTRY", (root() / "registry.reg").string());
    }
    void TearDown() override { unsetEnvironment("CHROMIX_REGISTRY"); }

    static fs::path root() { return dir.path() / "demo"; }

    static inline TempDir dir;
    RegistryFileStore store{root() / "registry.reg"};
    DownloadSettings download{store};
    const CalibrationSettings& settings = download.record;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(DemoInstallation, EveryProgramLoadsItsSettings)
{
    EXPECT_EQ(settings.installDirectory, root().string());
    EXPECT_EQ(settings.stepList, "0~13~26~38~51~64~77~89~102~115~128~140~153~166~179~191~204~217~230~242~255~");
    EXPECT_EQ(settings.displayType, "Velvane Orlam LED Projector");
    EXPECT_EQ(settings.matrixCurrentValid, "false");
    EXPECT_TRUE(fs::is_directory(root() / "Diagnostics"));
    EXPECT_EQ(storedAdapterSetting(store), "sim:" + (root() / "processor_flash.bin").string());

    ASSERT_EQ(download.catalogue.displayTypeTree.roots.size(), 1u);
    const auto& types = download.catalogue.displayTypeTree.roots[0].children;
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[1].name, "Velvane Aster LCD Monitor");

    EXPECT_EQ(readFile(settings.matrixDefault), "1 0 0\r\n0 1 0\r\n0 0 1\r\n1 0 0\r\n0 1 0\r\n0 0 1\r\n");
    const std::string secondLut = readFile(settings.secondLutDefault[2]);
    EXPECT_TRUE(secondLut.starts_with("0\r\n0.000122085\r\n")) << "1/8191 in the general 6-digit form";
    const std::string flash = readFile(root() / "processor_flash.bin");
    EXPECT_TRUE(flash == std::string(8u * 1024 * 1024, '\xFF')) << "an erased 8 MiB flash image; size " << flash.size();
}

// A download reads every file of a table set and the calibration defaults, and ends with
// the size message unless each holds exactly what its region takes.
TEST_F(DemoInstallation, BothTableSetsAndTheDefaultsMakeAnImage)
{
    const std::string type = "Velvane Orlam LED Projector";
    const std::pair<std::string, long> sets[] = {{"Cinema", 65}, {"Studio", 64}};
    for (const auto& [set, size] : sets) {
        SCOPED_TRACE(set);
        std::string description;
        EXPECT_TRUE(download.catalogue.readTableDescription(type, set, description) && !description.empty());
        std::string table;
        ASSERT_TRUE(download.catalogue.readTableFileName(type, set, "6", table));
        const std::string text = readFile(table);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), size * size * size);
        const CommandArguments args{"--table-set", type + "\\" + set,   "--3d-tables", "--calibration-values",
                                    "-o",          (dir / set).string()};
        EXPECT_EQ(runImageCommand(args, out, err), kExitSuccess) << err.str();
    }
}

TEST_F(DemoInstallation, BothCalibrationsApplyToTheSampleMeasurements)
{
    const fs::path samples = root() / "samples";
    EXPECT_EQ(runLinearityCommand({"--data", (samples / "linearity_data.txt").string()}, out, err), kExitSuccess)
        << err.str() << out.str();
    EXPECT_EQ(runPrimaryCommand({"--data", (samples / "primary_data.txt").string()}, out, err), kExitSuccess)
        << err.str() << out.str();
}

TEST(DemoInstallationTarget, RefusesAFolderThatIsNotEmpty)
{
    TempDir dir;
    writeFile(dir / "keep.txt", "operator data");
    const Result<> notEmpty = createDemoInstallation(dir.path());
    ASSERT_FALSE(notEmpty);
    EXPECT_NE(notEmpty.failure().reason.find("is not empty"), std::string::npos) << notEmpty.failure().reason;
    EXPECT_EQ(readFile(dir / "keep.txt"), "operator data");
    EXPECT_FALSE(fs::exists(dir / "registry.reg"));

    const Result<> notAFolder = createDemoInstallation(dir / "keep.txt");
    ASSERT_FALSE(notAFolder);
    EXPECT_NE(notAFolder.failure().reason.find("is not a folder"), std::string::npos) << notAFolder.failure().reason;
}

} // namespace
