// Save: the three LUT files byte for byte, the validity flags around each file, the
// diagnostics file, and the ways a save fails.

#include "linearity/correction_tables.h"
#include "linearity/diagnostics_file.h"
#include "linearity/lut_file.h"
#include "linearity/save_tables.h"
#include "linearity_test_support.h"
#include "support/device_files.h"
#include "support/file_size_limit.h"
#include "support/watching_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The worked example's gamma as python computes it from the same five steps.
constexpr double kWorkedExampleGamma = 2.1579742663646924;

// The file an unclipped table of (i / 8191)^(1 / gamma) gives: "%g" through the C library
// (the test never sets a locale), exponent widened to three digits.
std::string referenceLutFile(double gamma)
{
    std::string file;
    for (int i = 0; i < 8192; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%g\r\n", std::pow(i / 8191.0, 1.0 / gamma));
        std::string line(text);
        if (const std::size_t e = line.find('e'); e != std::string::npos && line.size() - e == 6)
            line.insert(e + 2, "0");
        file += line;
    }
    return file;
}

std::vector<std::string> fileLines(const std::string& content)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    return lines;
}

class SaveTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        run.fillAllColumns(kWorkedExample);
        run.calibration.apply();
        ASSERT_TRUE(run.calibration.saveEnabled());
    }
    std::filesystem::path lut(Channel channel) const { return lutPathFor(run.dir, channel); }
    std::filesystem::path diagnostics() const { return run.dir / "Diagnostics" / "measured_linearities.txt"; }

    LinearityRun run{kFiveSteps};
};

TEST(LutFileTest, GeneralFormWithThreeDigitExponentsAndCrLf)
{
    CorrectionTable table;
    fillCorrectionTable(table, 0.5, std::nullopt); // (i / 8191)^2: many entries below 0.0001
    ASSERT_EQ(formatLutFile(table), referenceLutFile(0.5));
    // Texts from python's "%g" of (i / 8191)**2, exponent widened by hand.
    const std::vector<std::string> lines = fileLines(formatLutFile(table));
    EXPECT_EQ(lines[1], "1.49048e-008");
    EXPECT_EQ(lines[100], "0.000149048");
}

TEST_F(SaveTablesTest, WritesThreeFilesMarksThemValidAndWritesDiagnostics)
{
    const TableSaveResult result = saveTables(run.calibration);
    EXPECT_TRUE(result.tablesWritten);
    EXPECT_TRUE(result.diagnosticsWritten);
    EXPECT_TRUE(run.status.text().empty());
    for (Channel channel : kAllChannels) {
        EXPECT_EQ(readFile(lut(channel)), referenceLutFile(kWorkedExampleGamma)) << channelName(channel);
        EXPECT_EQ(run.storedFlag(channel), "true");
    }
    const std::vector<std::string> lines = fileLines(readFile(lut(Channel::Red)));
    EXPECT_EQ(lines[1], "0.0153663");
    EXPECT_EQ(lines[4096], "0.725317");
    EXPECT_EQ(readFile(diagnostics()), formatMeasuredLinearities(run.calibration.measurements()));

    // Clearing a column disables Save: the files keep the last successful computation.
    run.calibration.clearColumn(0);
    EXPECT_FALSE(saveTables(run.calibration).tablesWritten);
    EXPECT_EQ(readFile(lut(Channel::Red)), referenceLutFile(kWorkedExampleGamma));
    EXPECT_EQ(run.storedFlag(Channel::Red), "true");
}

TEST_F(SaveTablesTest, AFailingGreenFileStopsTheSaveAtGreen)
{
    struct Case {
        const char* greenPath;
        const char* message;
        const char* greenFlag; // a file that never opened leaves its flag alone
    };
    // A device is never replaced by a LUT file.
    std::vector<Case> failures{Case{"", "Unable to open the 1DLUT output file for writing", "true"}};
    const std::vector<std::string> devices = unwritableDevices();
    for (const std::string& device : devices)
        failures.push_back(Case{device.c_str(), "Unable to open the 1DLUT output file for writing", "true"});
    for (const Case& failure : failures) {
        run.settings.setLinearityValid(Channel::Green, true);
        run.settings.setLinearityValid(Channel::Blue, true);
        run.settings.secondLutCurrent[channelIndex(Channel::Green)] = failure.greenPath;

        EXPECT_FALSE(saveTables(run.calibration).tablesWritten);
        EXPECT_EQ(run.status.text(), failure.message);
        EXPECT_TRUE(run.status.isError());
        EXPECT_EQ(readFile(lut(Channel::Red)), referenceLutFile(kWorkedExampleGamma));
        EXPECT_EQ((std::vector<std::string>{run.storedFlag(Channel::Red), run.storedFlag(Channel::Green),
                                            run.storedFlag(Channel::Blue)}),
                  (std::vector<std::string>{"true", failure.greenFlag, "true"}));
        EXPECT_FALSE(std::filesystem::exists(lut(Channel::Blue)) || std::filesystem::exists(diagnostics()));
    }
}

// Whenever a flag is written, the file at its path is complete: a save killed at any
// moment leaves no "true" flag over a partial file. A write that fails keeps the old file.
TEST_F(SaveTablesTest, EveryFlagWriteFindsACompleteFileAndAFailedWriteKeepsTheOldOne)
{
    ASSERT_TRUE(saveTables(run.calibration).tablesWritten);
    const std::string complete = referenceLutFile(kWorkedExampleGamma);
    WatchingStore watching(run.store, [&](std::string_view name) {
        return lut(name.ends_with("Red") ? Channel::Red : name.ends_with("Green") ? Channel::Green : Channel::Blue);
    });
    CalibrationSettings settings(watching);
    LinearityCalibration again(settings, run.grid, run.status);
    again.start();
    run.fillAllColumns(kWorkedExample);
    again.apply();
    // A FIFO in place of the diagnostics file is skipped, not waited on for ever.
    std::filesystem::remove(diagnostics());
    const bool fifo = makeFifo(diagnostics());
    const TableSaveResult withFifo = saveTables(again);
    ASSERT_TRUE(withFifo.tablesWritten);
    EXPECT_NE(withFifo.diagnosticsWritten, fifo);
    ASSERT_EQ(watching.seen.size(), 6u);
    for (const ValueWriteSeen& write : watching.seen)
        EXPECT_TRUE(write.fileBytes == complete)
            << write.name << "=" << write.data << " over " << write.fileBytes.size() << " bytes";

    // Files larger than 32 KiB fail to write (the store file is smaller).
    if (!FileSizeLimit::kAvailable)
        return;
    const TableSaveResult failed = [&] {
        FileSizeLimit full(32768);
        return saveTables(again);
    }();
    EXPECT_FALSE(failed.tablesWritten);
    EXPECT_EQ(run.status.text(), "Error during writing of the 1DLUT output file");
    EXPECT_EQ(failed.reason, lut(Channel::Red).string() + ": File too large");
    EXPECT_EQ(readFile(lut(Channel::Red)), complete);
    EXPECT_EQ(run.storedFlag(Channel::Red), "false");
    for (const auto& entry : std::filesystem::directory_iterator(run.dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".lut_")) << entry.path() << " left behind";
}

TEST(DiagnosticsFileTest, CellsAsTypedInTheGeneralForm)
{
    LinearityRun run("0~255");
    run.fillColumn(0, {"0.150", "1,234.5"});
    run.fillColumn(1, {"0.3000", "x"});
    run.fillColumn(2, {"0.05", "0.000015"});
    EXPECT_EQ(formatMeasuredLinearities(run.calibration.measurements()),
              "Row 1: Red Y=0.15, Green Y=0.3, Blue Y=0.05\r\n"
              "Row 2: Red Y=1234.5, Green Y=x, Blue Y=1.5e-005\r\n");
}

} // namespace
