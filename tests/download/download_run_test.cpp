#include "config/registry_file_store.h"
#include "download/download_run.h"
#include "download/table_readers.h"
#include "download_test_support.h"
#include "support/store_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;

using Events = std::vector<std::string>;

const std::vector<std::uint16_t> kTableFields{0, 128, 256, 512, 767, 1023}; // v x 1023 + 0.5, truncated

// Six 64-cubed tables with the outputs 0, 0.125, 0.25, 0.5, 0.75 and 1; written once for all tests.
std::string tablePath(int k)
{
    static const TempDir dir;
    static const bool written = [] {
        const char* values[] = {"0", "0.125", "0.25", "0.5", "0.75", "1"};
        for (int t = 1; t <= 6; ++t) {
            const std::string v = values[t - 1];
            writeFile(dir / ("table_" + std::to_string(t) + ".txt"),
                      repeatedLines("0 0 0 " + v + " " + v + " " + v, 64 * 64 * 64));
        }
        return true;
    }();
    return written ? (dir / ("table_" + std::to_string(k) + ".txt")).string() : "";
}

Events& operator+=(Events& events, const Events& more)
{
    events.insert(events.end(), more.begin(), more.end());
    return events;
}

// The events a reading step shows: its message between two pauses.
Events reading(const std::string& message)
{
    return {"pause 2000", "status: " + message, "pause 2000"};
}

std::uint16_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

// The settings of an installation with the first LUTs 0.25 / 0.5 / 1, the default second
// LUTs likewise, the current ones 0.125, an identity default matrix, a halved current one,
// and the table set "Orlam\Cinema" with its six tables and fourteen OSD images (image i all
// bytes i). Calibration values are chosen. Tests change the choice, the settings or the
// catalogue, then run a download.
struct RunRig : ScratchFolder {
    RunRig() : pacer(&observer)
    {
        fs::create_directories(dir / "Diagnostics");
        const char* words[] = {"red", "green", "blue"};
        const char* values[] = {"0.25", "0.5", "1"};
        for (std::size_t c = 0; c < 3; ++c) {
            const std::string word = words[c];
            settings.record.firstLutDefault[c] = file("first_" + word + ".txt", repeatedLines(values[c], 1024));
            settings.record.secondLutDefault[c] =
                file("second_default_" + word + ".txt", repeatedLines(values[c], 8192));
            settings.record.secondLutCurrent[c] = file("second_current_" + word + ".txt", repeatedLines("0.125", 8192));
        }
        settings.record.installDirectory = dir.path().string();
        settings.record.matrixDefault =
            file("matrix_default.txt", "1 0 0\r\n0 1 0\r\n0 0 1\r\n1 0 0\r\n0 1 0\r\n0 0 1\r\n");
        settings.record.matrixCurrent =
            file("matrix_current.txt", "0.5 0 0\r\n0 0.5 0\r\n0 0 0.5\r\n1 0 0\r\n0 1 0\r\n0 0 1\r\n");
        for (int k = 1; k <= 6; ++k)
            catalogue[std::to_string(k)] = tablePath(k);
        for (int i = 0; i < 14; ++i) {
            const std::string valueName = i < 6 ? std::to_string(i + 1) + "_OSD_NATIVE"
                : i < 12                        ? std::to_string(i - 5) + "_OSD_D65"
                : i == 12                       ? "7_OSD_NATIVE"
                                                : "7_OSD_D65";
            catalogue[valueName] =
                file("osd_" + std::to_string(i + 1) + ".bin", std::string(20000, static_cast<char>(i + 1)));
        }
        choice = {.displayType = "Orlam", .table = "Cinema", .colorTables = false, .calibrationValues = true};
    }

    // Writes the catalogue to the store, then starts and runs a download.
    void run()
    {
        StoreFileText text;
        text.key("ColorTable\\Display Type\\Orlam\\Cinema");
        for (const auto& [name, path] : catalogue)
            text.value(name, path);
        writeFile(dir / "registry.reg", text.text());
        ASSERT_TRUE(startDownload(regions, state, choice, observer));
        runDownload(regions, state, settings, writer, observer, pacer);
    }

    fs::path diagnosticsFile() const { return dir / "Diagnostics" / "download_parameters.txt"; }
    Events lastEvents(std::size_t count) const
    {
        const Events events = observer.withoutProgress();
        return Events(events.end() - static_cast<std::ptrdiff_t>(std::min(count, events.size())), events.end());
    }

    static inline const Events kDone{"pause 2000", "status: Flash download completed successfully", "caption: Done",
                                     "beep default", "download on"};

    RegistryFileStore store{dir / "registry.reg"};
    DownloadSettings settings{store};
    std::map<std::string, std::string> catalogue; // value names of the table set and their files
    std::array<FlashRegion, 3> regions = makeFlashRegions();
    RunState state;
    DownloadChoice choice;
    RecordingObserver observer;
    RecordingPacer pacer;
    FakeFlashWriter writer;
};

class DownloadRunTest : public ::testing::Test, public RunRig {};

TEST_F(DownloadRunTest, CalibrationValuesAloneReadTheLutsAndMatrixInOrderAndWriteOnlyRegion2)
{
    run();

    Events expected{"download off"};
    for (const char* word : {"red", "green", "blue"})
        expected += reading(std::string("Reading ") + word + " Chromix nonlinearity 1D LUT file ... Waiting");
    expected += reading("Reading display primary calibration file ... Waiting");
    for (const char* word : {"red", "green", "blue"})
        expected += reading(std::string("Reading ") + word + " display linearity calibration files ... Waiting");
    EXPECT_EQ(observer.withoutProgress(), expected += kDone);
    EXPECT_EQ(writer.reloadCalls, 1);

    ASSERT_EQ(writer.writeCalls, 1);
    EXPECT_FALSE(writer.written[0].selected || writer.written[1].selected);
    const FlashRegion& lut = writer.written[2];
    EXPECT_EQ(lut.fillCount, 0xD900u);
    ASSERT_EQ(lut.data.size(), 0x10000u);
    // First LUTs at 0x0000, 0x0800, 0x1000; matrix at 0x1800; second LUTs at 0x1900,
    // 0x5900, 0x9900; zero from 0xD900 on.
    const std::pair<std::size_t, std::uint16_t> words[] = {
        {0x0000, 0x4000}, {0x07FE, 0x4000}, {0x0800, 0x8000},      {0x1000, 0xFFFF}, {0x17FE, 0xFFFF},
        {0x1800, 0x0000}, {0x1802, 0x7FFF}, {0x1800 + 72, 0x0000}, // default matrix: +1.0, then nothing
        {0x1900, 0x0100}, {0x5900, 0x0200}, {0x9900, 0x03FF},      {0xD8FE, 0x03FF}};
    for (const auto& [offset, word] : words)
        EXPECT_EQ(wordAt(lut.data, offset), word) << std::hex << offset;
    EXPECT_TRUE(std::all_of(lut.data.begin() + 0xD900, lut.data.end(), [](std::uint8_t b) { return b == 0; }));

    std::string lines = "Matrix filename=" + (dir / "matrix_default.txt").string() + "\r\n";
    for (const std::string word : {"red", "green", "blue"})
        lines += "First 1D LUT filename=" + (dir / ("first_" + word + ".txt")).string() + "\r\n";
    for (const std::string word : {"red", "green", "blue"})
        lines += "Second 1D LUT filename=" + (dir / ("second_default_" + word + ".txt")).string() + "\r\n";
    EXPECT_EQ(readFile(diagnosticsFile()), lines);
    EXPECT_TRUE(regions[2].data.empty()) << "the run gives its buffers back";
}

TEST_F(DownloadRunTest, TheTablesAndTheirOsdImagesFillRegions0And1InCatalogueOrder)
{
    choice.colorTables = true;
    choice.calibrationValues = false;
    run();
    Events expected{"download off"};
    for (int k = 0; k < 6; ++k)
        expected += reading("Reading Chromix 3D tables ... Waiting");
    for (int i = 0; i < 14; ++i)
        expected += reading("Reading OSD images ... Waiting");
    EXPECT_EQ(observer.withoutProgress(), expected += kDone);

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
        lines += "Chromix 3D Color Table filename=" + tablePath(k) + "\r\n";
    for (int i = 1; i <= 14; ++i)
        lines += "OSD Image filename=" + (dir / ("osd_" + std::to_string(i) + ".bin")).string() + "\r\n";
    EXPECT_EQ(readFile(diagnosticsFile()), lines);
}

TEST_F(DownloadRunTest, BothRegionSetsInOneRunFromTheNewCalibrationFiles)
{
    choice.colorTables = choice.usePrimaryNew = choice.useLinearityNew = true;
    run();
    ASSERT_EQ(writer.writeCalls, 1);
    for (const FlashRegion& region : writer.written)
        EXPECT_EQ(region.fillCount, region.dataSize) << region.name;
    EXPECT_EQ(wordAt(writer.written[2].data, 0x1802), 0x4000); // 0.5
    EXPECT_EQ(wordAt(writer.written[2].data, 0x1900), 0x0080); // 0.125
    const std::string text = readFile(diagnosticsFile());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6 + 14 + 1 + 3 + 3);
    EXPECT_NE(text.find("Matrix filename=" + (dir / "matrix_current.txt").string() + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("Second 1D LUT filename=" + (dir / "second_current_blue.txt").string() + "\r\n"),
              std::string::npos);
}

TEST_F(DownloadRunTest, OneValueTooManyEndsRegion2At55554BytesAndTheFlashIsNotTouched)
{
    file("second_default_blue.txt", repeatedLines("1", 8193));
    run();
    EXPECT_EQ(regions[2].fillCount, 55554u);
    EXPECT_EQ(writer.writeCalls + writer.reloadCalls, 0);
    EXPECT_EQ(lastEvents(4),
              (Events{"pause 2000", std::string("error: ") + kSizeMismatchText, "beep exclamation", "download on"}));
    EXPECT_FALSE(fs::exists(diagnosticsFile()));
}

TEST_F(DownloadRunTest, A3DTableOfTheWrongSizeEndsTheRunWithItsName)
{
    const std::string small = file("small.txt", repeatedLines("0 0 0 1 1 1", 10));
    catalogue["3"] = small;
    choice.colorTables = true;
    run();
    EXPECT_EQ(writer.writeCalls, 0);
    EXPECT_EQ(lastEvents(3).front(),
              "error: Unable to use the Chromix 3D table file " + small
                  + ": it holds 10 groups of six numbers instead of 262144 (64 x 64 x 64) or 274625 (65 x 65 x 65)");
}

TEST(DownloadRun, HowARunEndsWhenAFileNameTheFlashOrTheReloadFailsOrNothingIsRecorded)
{
    struct Ending {
        std::string what;
        std::function<void(RunRig&)> prepare;
        Events last;
        int writes, reloads;
        bool recorded;
    };
    const Ending endings[] = {
        {"failed write",
         [](RunRig& r) { r.writer.failWith = "Compare Data Error for 1D LUTs and Matrices"; },
         {"error: Compare Data Error for 1D LUTs and Matrices", "beep exclamation", "download on"},
         1,
         0,
         false},
        // A failed reload is shown after Download is enabled again.
        {"failed reload",
         [](RunRig& r) { r.writer.reloadSucceeds = false; },
         {"caption: Done", "beep default", "download on", "error: Flash reload command failed!"},
         1,
         1,
         true},
        // Without an install directory the flash is still written and the run ends Done.
        {"no install directory",
         [](RunRig& r) { r.settings.record.installDirectory.clear(); },
         {"caption: Done", "beep default", "download on"},
         1,
         1,
         false},
        // Green announced and refused, nothing after it read.
        {"missing file name",
         [](RunRig& r) { r.settings.record.firstLutDefault[1].clear(); },
         {"status: Reading green Chromix nonlinearity 1D LUT file ... Waiting", "pause 2000", "pause 2000",
          "error: Unable to determine the file name of the green Chromix nonlinearity 1D LUT", "beep exclamation",
          "download on"},
         0,
         0,
         false},
        // A stop request before the flash: nothing read, nothing written.
        {"stop request",
         [](RunRig& r) { r.state.stopRequested = true; },
         {"download off", "pause 2000", std::string("error: ") + kRunStoppedText, "beep exclamation", "download on"},
         0,
         0,
         false},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.what);
        RunRig rig;
        ending.prepare(rig);
        rig.run();
        EXPECT_EQ(rig.lastEvents(ending.last.size()), ending.last);
        EXPECT_EQ(rig.writer.writeCalls, ending.writes);
        EXPECT_EQ(rig.writer.reloadCalls, ending.reloads);
        EXPECT_EQ(fs::exists(rig.diagnosticsFile()), ending.recorded);
    }
}

TEST_F(DownloadRunTest, StartingGivesFreshZeroFilledBuffersOrRefusesARegionSetBeyondTheFlash)
{
    regions[0].data.assign(10, 0xEE);
    regions[2].data.assign(0x10000, 0xEE);
    regions[2].fillCount = 77;
    state.packPhase = 4;
    ASSERT_TRUE(startDownload(regions, state, choice, observer));
    EXPECT_TRUE(regions[0].data.empty());
    EXPECT_EQ(regions[2].data, std::vector<std::uint8_t>(0x10000, 0));
    EXPECT_EQ(regions[2].fillCount, 0u);
    EXPECT_EQ(state.packPhase, 0);

    regions[2].paddedSize = 0x300000; // a layout that no longer fits 8 MiB with the tables
    choice.colorTables = true;
    EXPECT_FALSE(startDownload(regions, state, choice, observer));
    EXPECT_EQ(observer.events, Events{"error: Download data size exceeds maximum allowed of 8M bytes"});
    for (const FlashRegion& region : regions)
        EXPECT_TRUE(region.data.empty());
}

} // namespace
