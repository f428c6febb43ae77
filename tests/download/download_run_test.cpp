#include "download/download_run.h"
#include "config/registry_file_store.h"
#include "download/table_readers.h"
#include "download_test_support.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kTableValues{"0", "0.125", "0.25", "0.5", "0.75", "1"};
const std::vector<std::uint16_t> kTableFields{0, 128, 256, 512, 767, 1023}; // v x 1023 + 0.5, truncated

// Six 64-cubed tables, each with its own output value; written once for all tests.
class SharedTables {
public:
    static const SharedTables& get()
    {
        static SharedTables tables;
        return tables;
    }
    std::string path(int k) const { return (dir / ("table_" + std::to_string(k) + ".txt")).string(); }

private:
    SharedTables()
    {
        for (int k = 1; k <= 6; ++k) {
            const std::string& v = kTableValues[k - 1];
            writeFile(path(k), repeatedLines("0 0 0 " + v + " " + v + " " + v, 64 * 64 * 64));
        }
    }
    TempDir dir;
};

class DownloadRunTest : public ::testing::Test {
protected:
    DownloadRunTest() : pacer(&observer)
    {
        fs::create_directories(dir / "Diagnostics");
        const char* words[] = {"red", "green", "blue"};
        const char* names[] = {"Red", "Green", "Blue"};
        const char* firstValues[] = {"0.25", "0.5", "1"};
        for (int c = 0; c < 3; ++c) {
            const std::string word = words[c];
            set("First1D\\Default", names[c], file("first_" + word + ".txt", repeatedLines(firstValues[c], 1024)));
            set("Second1D\\Default", names[c], file("second_default_" + word + ".txt", repeatedLines(firstValues[c], 8192)));
            set("Second1D\\Current", names[c], file("second_current_" + word + ".txt", repeatedLines("0.125", 8192)));
            set("Second1D\\Current", std::string("Valid") + names[c], "true");
        }
        set("", "install directory", dir.path().string());
        set("Matrix", "Default", file("matrix_default.txt", "1 0 0\r\n0 1 0\r\n0 0 1\r\n1 0 0\r\n0 1 0\r\n0 0 1\r\n"));
        set("Matrix", "Current", file("matrix_current.txt", "0.5 0 0\r\n0 0.5 0\r\n0 0 0.5\r\n1 0 0\r\n0 1 0\r\n0 0 1\r\n"));
        set("Matrix", "Current Valid", "true");
        set("StepWedge", "steps", "0~128~255");
        set("ColorTable\\Display Type", "Velvane Orlam LED Projector", "Orlam");
        for (int k = 1; k <= 6; ++k)
            set(kCinema, std::to_string(k), SharedTables::get().path(k));
        for (int i = 0; i < 14; ++i) {
            const std::string image = file("osd_" + std::to_string(i + 1) + ".bin", std::string(20000, static_cast<char>(i + 1)));
            const std::string valueName = i < 6 ? std::to_string(i + 1) + "_OSD_NATIVE"
                                          : i < 12 ? std::to_string(i - 5) + "_OSD_D65"
                                                   : i == 12 ? "7_OSD_NATIVE" : "7_OSD_D65";
            set(kCinema, valueName, image);
        }
        choice.displayType = "Orlam";
        choice.table = "Cinema";
    }

    std::string file(const std::string& name, const std::string& content)
    {
        writeFile(dir / name, content);
        return (dir / name).string();
    }
    void set(const std::string& key, const std::string& name, const std::string& value) { values[key][name] = value; }

    // Loads the settings from the values as they stand, then starts and runs a download.
    bool run()
    {
        StoreFileText text;
        for (const auto& [key, named] : values) {
            text.key(key);
            for (const auto& [name, value] : named)
                text.value(name, value);
        }
        writeFile(dir / "registry.reg", text.text());
        store = std::make_unique<RegistryFileStore>(dir / "registry.reg");
        settings = std::make_unique<CalibrationSettings>(*store);
        settings->load(true);
        if (!startDownload(regions, state, choice, observer))
            return false;
        runDownload(regions, state, *settings, writer, observer, pacer);
        return true;
    }

    std::string diagnostics() const { return readFile(dir / "Diagnostics" / "download_parameters.txt"); }

    // The events a reading step shows: its message between two pauses.
    static std::vector<std::string> reading(const std::string& message)
    {
        return {"pause 2000", "status: " + message, "pause 2000"};
    }

    static constexpr const char* kCinema = "ColorTable\\Display Type\\Orlam\\Cinema";

    TempDir dir;
    std::map<std::string, std::map<std::string, std::string>> values;
    std::unique_ptr<RegistryFileStore> store;
    std::unique_ptr<CalibrationSettings> settings;
    std::array<FlashRegion, 3> regions = makeFlashRegions();
    RunState state;
    DownloadChoice choice;
    RecordingObserver observer;
    RecordingPacer pacer;
    FakeFlashWriter writer;
};

std::vector<std::string>& operator+=(std::vector<std::string>& events, const std::vector<std::string>& more)
{
    events.insert(events.end(), more.begin(), more.end());
    return events;
}

std::uint16_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

TEST(FlashRegions, TheThreeRegionsAndTheirPlacesInTheFlash)
{
    const std::array<FlashRegion, 3> regions = makeFlashRegions();
    EXPECT_EQ(regions[0].name, "3D Color Tables");
    EXPECT_EQ(regions[0].start, 0x000000u);
    EXPECT_EQ(regions[0].dataSize, 6291456u);
    EXPECT_EQ(regions[0].paddedSize, 0x600000u);
    EXPECT_EQ(regions[1].name, "3D Color Table's OSD Images");
    EXPECT_EQ(regions[1].start, 0x700000u);
    EXPECT_EQ(regions[1].dataSize, 283136u);
    EXPECT_EQ(regions[1].paddedSize, 327680u);
    EXPECT_EQ(regions[2].name, "1D LUTs and Matrices");
    EXPECT_EQ(regions[2].start, 0x600000u);
    EXPECT_EQ(regions[2].dataSize, 55552u);
    EXPECT_EQ(regions[2].paddedSize, 65536u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(regions[i].index, i);
}

TEST_F(DownloadRunTest, CalibrationValuesAloneReadTheLutsAndMatrixInOrderAndWriteOnlyRegion2)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    ASSERT_TRUE(run());

    std::vector<std::string> expected{"download off"};
    for (const char* word : {"red", "green", "blue"})
        expected += reading(std::string("Reading ") + word + " Chromix nonlinearity 1D LUT file ... Waiting");
    expected += reading("Reading display primary calibration file ... Waiting");
    for (const char* word : {"red", "green", "blue"})
        expected += reading(std::string("Reading ") + word + " display linearity calibration files ... Waiting");
    expected += {"pause 2000", "status: Flash download completed successfully", "caption: Done", "beep default", "download on"};
    EXPECT_EQ(observer.withoutProgress(), expected);
    EXPECT_EQ(writer.reloadCalls, 1);

    ASSERT_EQ(writer.writeCalls, 1);
    EXPECT_FALSE(writer.written[0].selected || writer.written[1].selected);
    const FlashRegion& lut = writer.written[2];
    ASSERT_TRUE(lut.selected);
    EXPECT_EQ(lut.fillCount, 0xD900u);
    EXPECT_EQ(lut.data.size(), 0x10000u);
    // First LUTs at 0x0000, 0x0800, 0x1000; matrix at 0x1800; second LUTs at 0x1900,
    // 0x5900, 0x9900; zero from 0xD900 on.
    EXPECT_EQ(wordAt(lut.data, 0x0000), 0x4000);
    EXPECT_EQ(wordAt(lut.data, 0x07FE), 0x4000);
    EXPECT_EQ(wordAt(lut.data, 0x0800), 0x8000);
    EXPECT_EQ(wordAt(lut.data, 0x1000), 0xFFFF);
    EXPECT_EQ(wordAt(lut.data, 0x17FE), 0xFFFF);
    EXPECT_EQ(wordAt(lut.data, 0x1800), 0x0000); // default matrix: +1.0
    EXPECT_EQ(wordAt(lut.data, 0x1802), 0x7FFF);
    EXPECT_EQ(wordAt(lut.data, 0x1800 + 72), 0x0000);
    EXPECT_EQ(wordAt(lut.data, 0x1900), 0x0100);
    EXPECT_EQ(wordAt(lut.data, 0x5900), 0x0200);
    EXPECT_EQ(wordAt(lut.data, 0x9900), 0x03FF);
    EXPECT_EQ(wordAt(lut.data, 0xD8FE), 0x03FF);
    EXPECT_EQ(std::vector<std::uint8_t>(lut.data.begin() + 0xD900, lut.data.end()), std::vector<std::uint8_t>(0x10000 - 0xD900, 0));

    const std::string d = dir.path().string() + "/";
    EXPECT_EQ(diagnostics(), "Matrix filename=" + d + "matrix_default.txt\r\n"
                             "First 1D LUT filename=" + d + "first_red.txt\r\n"
                             "First 1D LUT filename=" + d + "first_green.txt\r\n"
                             "First 1D LUT filename=" + d + "first_blue.txt\r\n"
                             "Second 1D LUT filename=" + d + "second_default_red.txt\r\n"
                             "Second 1D LUT filename=" + d + "second_default_green.txt\r\n"
                             "Second 1D LUT filename=" + d + "second_default_blue.txt\r\n");
    // The run gives its buffers back.
    EXPECT_TRUE(regions[2].data.empty());
}

TEST_F(DownloadRunTest, NewCalibrationFilesAreTakenFromTheCurrentNames)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    choice.usePrimaryNew = choice.useLinearityNew = true;
    ASSERT_TRUE(run());
    const FlashRegion& lut = writer.written[2];
    EXPECT_EQ(wordAt(lut.data, 0x1802), 0x4000); // 0.5
    EXPECT_EQ(wordAt(lut.data, 0x1900), 0x0080); // 0.125
    const std::string text = diagnostics();
    EXPECT_EQ(text.rfind("Matrix filename=" + (dir / "matrix_current.txt").string() + "\r\n", 0), 0u);
    EXPECT_NE(text.find("Second 1D LUT filename=" + (dir / "second_current_blue.txt").string() + "\r\n"), std::string::npos);
}

TEST_F(DownloadRunTest, TheTablesAndTheirOsdImagesFillRegions0And1InCatalogueOrder)
{
    ASSERT_TRUE(run());
    std::vector<std::string> expected{"download off"};
    for (int k = 0; k < 6; ++k)
        expected += reading("Reading Chromix 3D tables ... Waiting");
    for (int i = 0; i < 14; ++i)
        expected += reading("Reading OSD images ... Waiting");
    expected += {"pause 2000", "status: Flash download completed successfully", "caption: Done", "beep default", "download on"};
    EXPECT_EQ(observer.withoutProgress(), expected);

    ASSERT_EQ(writer.writeCalls, 1);
    const FlashRegion& tables = writer.written[0];
    const FlashRegion& osd = writer.written[1];
    ASSERT_TRUE(tables.selected && osd.selected);
    EXPECT_FALSE(writer.written[2].selected);
    EXPECT_EQ(tables.fillCount, 0x600000u);
    for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t table = k * 0x100000;
        EXPECT_EQ(unpackField(tables.data, table, 0), kTableFields[k]) << k;
        EXPECT_EQ(unpackField(tables.data, table + 0xFFF00, 191), kTableFields[k]) << k;
        EXPECT_EQ(tables.data[table + 0xFFFFF], 0x5A);
    }
    EXPECT_EQ(osd.fillCount, 283136u);
    for (std::size_t i = 0; i < 14; ++i) {
        EXPECT_EQ(osd.data[i * 20224], i + 1) << i;
        EXPECT_EQ(osd.data[i * 20224 + 19999], i + 1) << i;
        EXPECT_EQ(osd.data[i * 20224 + 20000], 0) << i;
    }

    std::string lines;
    for (int k = 1; k <= 6; ++k)
        lines += "Chromix 3D Color Table filename=" + SharedTables::get().path(k) + "\r\n";
    for (int i = 1; i <= 14; ++i)
        lines += "OSD Image filename=" + (dir / ("osd_" + std::to_string(i) + ".bin")).string() + "\r\n";
    EXPECT_EQ(diagnostics(), lines);
}

TEST_F(DownloadRunTest, BothRegionSetsInOneRun)
{
    choice.calibrationValues = true;
    ASSERT_TRUE(run());
    ASSERT_EQ(writer.writeCalls, 1);
    for (const FlashRegion& region : writer.written)
        EXPECT_EQ(region.fillCount, region.dataSize) << region.name;
    const std::string text = diagnostics();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 6 + 14 + 3 + 3);
}

TEST_F(DownloadRunTest, OneValueTooManyEndsRegion2At55554BytesAndTheFlashIsNotTouched)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    file("second_default_blue.txt", repeatedLines("1", 8193));
    ASSERT_TRUE(run());
    EXPECT_EQ(regions[2].fillCount, 55554u);
    EXPECT_EQ(writer.writeCalls, 0);
    EXPECT_EQ(writer.reloadCalls, 0);
    const std::vector<std::string> events = observer.withoutProgress();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()),
              (std::vector<std::string>{"pause 2000", std::string("error: ") + kSizeMismatchText, "beep exclamation", "download on"}));
    EXPECT_FALSE(fs::exists(dir / "Diagnostics" / "download_parameters.txt"));
}

TEST_F(DownloadRunTest, AMissingFileNameEndsTheRunWithItsText)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    values["First1D\\Default"].erase("Green");
    ASSERT_TRUE(run());
    EXPECT_EQ(state.errorText, "Unable to determine the file name of the green Chromix nonlinearity 1D LUT");
    const std::vector<std::string> events = observer.withoutProgress();
    // Red read, green announced and refused, nothing after it read.
    std::vector<std::string> expected{"download off"};
    expected += reading("Reading red Chromix nonlinearity 1D LUT file ... Waiting");
    expected += reading("Reading green Chromix nonlinearity 1D LUT file ... Waiting");
    expected += {"pause 2000", "error: " + state.errorText, "beep exclamation", "download on"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(writer.writeCalls, 0);
}

TEST_F(DownloadRunTest, ATableSetMissingFromTheCatalogueCannotOpenItsFiles)
{
    choice.displayType = "Display Type";
    choice.table = "Velvane Aster LCD Monitor";
    ASSERT_TRUE(run());
    EXPECT_EQ(state.errorText, "Unable to open file");
    EXPECT_EQ(writer.writeCalls, 0);
    EXPECT_EQ(observer.events.back(), "download on");
}

TEST_F(DownloadRunTest, A3DTableOfTheWrongSizeEndsTheRunWithItsName)
{
    const std::string small = file("small.txt", repeatedLines("0 0 0 1 1 1", 10));
    set(kCinema, "3", small);
    ASSERT_TRUE(run());
    EXPECT_EQ(writer.writeCalls, 0);
    const std::vector<std::string> events = observer.withoutProgress();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[events.size() - 3], "error: Unable to use the Chromix 3D table file " + small
                                             + ": it holds 10 groups of six numbers instead of 262144 (64 x 64 x 64) or 274625 (65 x 65 x 65)");
}

TEST_F(DownloadRunTest, AFailedFlashWriteShowsItsTextAndNeitherRecordsNorReloads)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    writer.failWith = "Compare Data Error for 1D LUTs and Matrices";
    ASSERT_TRUE(run());
    const std::vector<std::string> events = observer.withoutProgress();
    EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
              (std::vector<std::string>{"error: Compare Data Error for 1D LUTs and Matrices", "beep exclamation", "download on"}));
    EXPECT_EQ(writer.reloadCalls, 0);
    EXPECT_FALSE(fs::exists(dir / "Diagnostics" / "download_parameters.txt"));
}

TEST_F(DownloadRunTest, AFailedReloadIsShownAfterDownloadIsEnabledAgain)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    writer.reloadSucceeds = false;
    ASSERT_TRUE(run());
    const std::vector<std::string> events = observer.withoutProgress();
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()),
              (std::vector<std::string>{"caption: Done", "beep default", "download on", "error: Flash reload command failed!"}));
}

TEST_F(DownloadRunTest, WithoutAnInstallDirectoryTheFlashIsStillWrittenAndTheRunEndsDone)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    values[""].erase("install directory");
    ASSERT_TRUE(run());
    EXPECT_EQ(writer.writeCalls, 1);
    EXPECT_EQ(writer.reloadCalls, 1);
    EXPECT_NE(std::find(observer.events.begin(), observer.events.end(), "caption: Done"), observer.events.end());
    EXPECT_FALSE(fs::exists(dir / "Diagnostics" / "download_parameters.txt"));
}

TEST_F(DownloadRunTest, AStopRequestBeforeTheFlashEndsTheRunWithoutWriting)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    state.stopRequested = true;
    ASSERT_TRUE(run());
    EXPECT_EQ(writer.writeCalls, 0);
    EXPECT_EQ(writer.reloadCalls, 0);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"download off", "pause 2000", std::string("error: ") + kRunStoppedText,
                                                         "beep exclamation", "download on"}));
}

TEST_F(DownloadRunTest, AStopRequestAfterASuccessfulWriteKeepsTheRecordButSkipsTheReload)
{
    choice.colorTables = false;
    choice.calibrationValues = true;
    writer.stopDuringWrite = true;
    ASSERT_TRUE(run());
    EXPECT_EQ(writer.reloadCalls, 0);
    EXPECT_TRUE(fs::exists(dir / "Diagnostics" / "download_parameters.txt"));
}

TEST_F(DownloadRunTest, StartingGivesEachSelectedRegionAFreshZeroFilledBuffer)
{
    regions[0].data.assign(10, 0xEE);
    regions[2].data.assign(0x10000, 0xEE);
    regions[2].fillCount = 77;
    state.packPhase = 4;
    choice.colorTables = false;
    choice.calibrationValues = true;
    ASSERT_TRUE(startDownload(regions, state, choice, observer));
    EXPECT_TRUE(regions[0].data.empty());
    EXPECT_FALSE(regions[0].selected || regions[1].selected);
    EXPECT_TRUE(regions[2].selected);
    EXPECT_EQ(regions[2].data, std::vector<std::uint8_t>(0x10000, 0));
    EXPECT_EQ(regions[2].fillCount, 0u);
    EXPECT_EQ(state.packPhase, 0);
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(DownloadRunTest, ARegionSetBeyondTheFlashIsRefusedAtStart)
{
    regions[2].paddedSize = 0x300000; // a layout that no longer fits 8 MiB with the tables
    choice.calibrationValues = true;
    EXPECT_FALSE(startDownload(regions, state, choice, observer));
    EXPECT_EQ(observer.events, std::vector<std::string>{"error: Download data size exceeds maximum allowed of 8M bytes"});
    for (const FlashRegion& region : regions)
        EXPECT_TRUE(region.data.empty());
}

} // namespace
