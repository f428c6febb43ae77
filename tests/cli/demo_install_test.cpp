#include "cli/demo_install.h"
#include "config/calibration_settings.h"
#include "config/key_file.h"
#include "config/number_text.h"
#include "config/registry_file_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Counts the numbers of a text file, as the readers see it (any white space separates).
std::size_t countNumbers(const std::string& text)
{
    std::istringstream words(text);
    std::size_t count = 0;
    for (std::string word; words >> word; ++count) {
        double value = 0;
        std::size_t used = 0;
        if (!parseLeadingDouble(word, value, &used) || used != word.size()) {
            ADD_FAILURE() << "not a number: " << word;
            break;
        }
    }
    return count;
}

std::size_t countLines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// One installation for the whole suite: creating it is the slow part.
class DemoInstallation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(createDemoInstallation(root(), error)) << error;
    }
    void SetUp() override { ASSERT_TRUE(settings.load(true)); }

    static fs::path root() { return dir.path() / "demo"; }

    static inline TempDir dir;
    RegistryFileStore store{root() / "registry.reg"};
    CalibrationSettings settings{store};
};

TEST_F(DemoInstallation, EveryProgramLoadsItsSettings)
{
    EXPECT_EQ(settings.installDirectory, root().string());
    EXPECT_EQ(settings.stepList, "0~13~26~38~51~64~77~89~102~115~128~140~153~166~179~191~204~217~230~242~255~");
    EXPECT_EQ(settings.displayType, "Velvane Orlam LED Projector");
    EXPECT_EQ(settings.matrixCurrentValid, "false");
    EXPECT_TRUE(fs::is_directory(root() / "Diagnostics"));

    ASSERT_EQ(settings.displayTypeTree.roots.size(), 1u);
    const auto& types = settings.displayTypeTree.roots[0].children;
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].name, "Velvane Orlam LED Projector");
    EXPECT_EQ(types[0].children.size(), 2u);
    EXPECT_EQ(types[1].name, "Velvane Aster LCD Monitor");

    // The files the calibrations write are not there yet; the others are read below.
    EXPECT_FALSE(fs::exists(settings.matrixCurrent));
    EXPECT_FALSE(fs::exists(settings.secondLutCurrent[1]));

    auto base = store.openKey("");
    ASSERT_NE(base, nullptr);
    char buffer[300] = {};
    std::uint32_t size = 0;
    ASSERT_EQ(base->queryValue("spi adapter", buffer, size), ValueRead::Ok);
    EXPECT_EQ(std::string(buffer), "sim:" + (root() / "processor_flash.bin").string());
}

TEST_F(DemoInstallation, CalibrationFilesHaveTheirSizes)
{
    EXPECT_EQ(readFile(settings.matrixDefault), "1 0 0\r\n0 1 0\r\n0 0 1\r\n1 0 0\r\n0 1 0\r\n0 0 1\r\n");
    for (int c = 0; c < 3; ++c) {
        const std::string first = readFile(settings.firstLutDefault[c]);
        EXPECT_EQ(countLines(first), 1024u);
        EXPECT_EQ(countNumbers(first), 1024u);
        const std::string second = readFile(settings.secondLutDefault[c]);
        EXPECT_EQ(countLines(second), 8192u);
        EXPECT_EQ(second.substr(0, 16), "0\r\n0.000122085\r\n") << "1/8191 in the general 6-digit form";
        EXPECT_EQ(second.substr(second.size() - 3), "1\r\n");
    }
    const std::string flash = readFile(root() / "processor_flash.bin");
    EXPECT_TRUE(flash == std::string(8u * 1024 * 1024, '\xFF')) << "an erased 8 MiB flash image; size " << flash.size();
}

TEST_F(DemoInstallation, TableSetsHoldEveryCatalogueFile)
{
    const std::string type = "Velvane Orlam LED Projector";
    const std::pair<const char*, std::size_t> sets[] = {{"Cinema", 65}, {"Studio", 64}};
    for (const auto& [set, size] : sets) {
        std::string table;
        ASSERT_TRUE(settings.readTableFileName(type, set, "3", table));
        const std::string text = readFile(table);
        EXPECT_EQ(countLines(text), size * size * size) << table;
        EXPECT_EQ(countNumbers(text), 6 * size * size * size) << table;
        for (int n = 1; n <= 7; ++n) {
            std::string native;
            std::string d65;
            ASSERT_TRUE(settings.readOsdNativeFileName(type, set, formatInteger(n), native));
            ASSERT_TRUE(settings.readOsdD65FileName(type, set, formatInteger(n), d65));
            EXPECT_EQ(fs::file_size(native), 20000u);
            EXPECT_EQ(fs::file_size(d65), 20000u);
        }
        std::string description;
        EXPECT_TRUE(settings.readTableDescription(type, set, description));
        EXPECT_FALSE(description.empty());
    }
}

TEST_F(DemoInstallation, SampleMeasurementFilesAreComplete)
{
    const fs::path linearity = root() / "samples" / "linearity_data.txt";
    std::string value;
    ASSERT_TRUE(keyfile::readValue(linearity, "PARAMETERS", "VERSION", value));
    EXPECT_EQ(value, "1.00");
    for (int step = 1; step <= 21; ++step)
        EXPECT_TRUE(keyfile::readValue(linearity, "DATA", "MEASURED_DATA_" + formatInteger(step), value)) << step;
    EXPECT_FALSE(keyfile::readValue(linearity, "DATA", "MEASURED_DATA_22", value));

    const fs::path primary = root() / "samples" / "primary_data.txt";
    ASSERT_TRUE(keyfile::readValue(primary, "DATA", "MEASURED_DATA_GREEN", value));
    EXPECT_EQ(value, "0.2652, 0.6903, 68.87");
    ASSERT_TRUE(keyfile::readValue(primary, "PARAMETERS", "DISPLAY_TYPE", value));
    EXPECT_EQ(value, "RGB_LED_DISPLAY");
}

TEST(DemoInstallationTarget, RefusesAFolderThatIsNotEmpty)
{
    TempDir dir;
    writeFile(dir / "keep.txt", "operator data");
    std::string error;
    EXPECT_FALSE(createDemoInstallation(dir.path(), error));
    EXPECT_NE(error.find("is not empty"), std::string::npos) << error;
    EXPECT_EQ(readFile(dir / "keep.txt"), "operator data");
    EXPECT_FALSE(fs::exists(dir / "registry.reg"));

    EXPECT_FALSE(createDemoInstallation(dir / "keep.txt", error));
    EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
}

} // namespace
