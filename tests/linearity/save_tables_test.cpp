// Save: the three LUT files byte for byte, the validity flags around each file, the
// diagnostics file, and the ways a save fails.

#include "linearity/correction_tables.h"
#include "linearity/diagnostics_file.h"
#include "linearity/lut_file.h"
#include "linearity/save_tables.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// The worked example's gamma as python computes it from the same five steps.
constexpr double kWorkedExampleGamma = 2.1579742663646924;

// "%g" through the C library (the test never sets a locale), exponent widened to three digits.
std::string referenceGeneral(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    std::string text(buffer);
    const std::size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string digits = text.substr(e + 2);
        while (digits.size() < 3)
            digits.insert(0, "0");
        text = text.substr(0, e + 2) + digits;
    }
    return text;
}

// The file a table of (i / 8191)^(1 / gamma) gives, clipped above `clipFrom` when given.
std::string referenceLutFile(double gamma, std::optional<int> clipFrom = std::nullopt)
{
    std::string text;
    for (int i = 0; i < 8192; ++i) {
        const int source = clipFrom && i > *clipFrom ? *clipFrom : i;
        text += referenceGeneral(std::pow(source / 8191.0, 1.0 / gamma)) + "\r\n";
    }
    return text;
}

std::vector<std::string> fileLines(const std::string& content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos)
            break;
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class SaveTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        run.fillAllColumns({"0.5", "5.5", "22.5", "52.5", "100.5"});
        run.calibration.apply();
        ASSERT_TRUE(run.calibration.saveEnabled());
    }
    std::filesystem::path lut(Channel channel) const { return lutPathFor(run.dir, channel); }
    std::filesystem::path diagnostics() const { return run.dir / "Diagnostics" / "measured_linearities.txt"; }

    LinearityRun run{"0~64~128~192~255"};
};

TEST(LutFileTest, GeneralFormWithThreeDigitExponentsAndCrLf)
{
    CorrectionTable table;
    fillCorrectionTable(table, 0.5, std::nullopt); // (i / 8191)^2: many entries below 0.0001
    const std::string content = formatLutFile(table);
    const std::vector<std::string> lines = fileLines(content);
    ASSERT_EQ(lines.size(), 8192u);
    // Texts from python's "%g" of (i / 8191)**2, exponent widened by hand.
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[1], "1.49048e-008");
    EXPECT_EQ(lines[81], "9.77904e-005");
    EXPECT_EQ(lines[100], "0.000149048");
    EXPECT_EQ(lines[8191], "1");
    EXPECT_EQ(content, referenceLutFile(0.5));
}

TEST_F(SaveTablesTest, WritesThreeFilesMarksThemValidAndWritesDiagnostics)
{
    const TableSaveResult result = saveTables(run.calibration);
    EXPECT_TRUE(result.tablesWritten);
    EXPECT_TRUE(result.diagnosticsWritten);
    EXPECT_TRUE(run.status.text().empty());
    const std::string expected = referenceLutFile(kWorkedExampleGamma);
    for (Channel channel : kAllChannels) {
        const std::string content = readFile(lut(channel));
        EXPECT_EQ(content, expected) << channelName(channel);
        EXPECT_EQ(run.storedFlag(channel), "true");
    }
    const std::vector<std::string> lines = fileLines(readFile(lut(Channel::Red)));
    EXPECT_EQ(lines[1], "0.0153663");
    EXPECT_EQ(lines[4096], "0.725317");
    EXPECT_EQ(readFile(diagnostics()), "Row 1: Red Y=0.5, Green Y=0.5, Blue Y=0.5\r\n"
                                       "Row 2: Red Y=5.5, Green Y=5.5, Blue Y=5.5\r\n"
                                       "Row 3: Red Y=22.5, Green Y=22.5, Blue Y=22.5\r\n"
                                       "Row 4: Red Y=52.5, Green Y=52.5, Blue Y=52.5\r\n"
                                       "Row 5: Red Y=100.5, Green Y=100.5, Blue Y=100.5\r\n");
}

TEST_F(SaveTablesTest, AFailingGreenFileStopsTheSaveAtGreen)
{
    struct Case {
        const char* greenPath;
        const char* message;
        const char* greenFlag; // a file that never opened leaves its flag alone
    };
    // /dev/full opens, and fails every flush with "no space left on device".
    for (const Case& failure : {Case{"", "Unable to open the 1DLUT output file for writing", "true"},
                                Case{"/dev/full", "Error during writing of the 1DLUT output file", "false"}}) {
        run.settings.setLinearityValid(Channel::Green, true);
        run.settings.setLinearityValid(Channel::Blue, true);
        run.settings.secondLutCurrent[channelIndex(Channel::Green)] = failure.greenPath;

        EXPECT_FALSE(saveTables(run.calibration).tablesWritten);
        EXPECT_EQ(run.status.text(), failure.message);
        EXPECT_TRUE(run.status.isError());
        EXPECT_EQ(readFile(lut(Channel::Red)), referenceLutFile(kWorkedExampleGamma));
        EXPECT_EQ(run.storedFlag(Channel::Red), "true");
        EXPECT_EQ(run.storedFlag(Channel::Green), failure.greenFlag);
        EXPECT_EQ(run.storedFlag(Channel::Blue), "true");
        EXPECT_FALSE(std::filesystem::exists(lut(Channel::Blue)));
        EXPECT_FALSE(std::filesystem::exists(diagnostics()));
    }
}

TEST_F(SaveTablesTest, NothingIsWrittenWithoutASuccessfulComputation)
{
    run.calibration.clearColumn(0);
    EXPECT_FALSE(saveTables(run.calibration).tablesWritten);
    EXPECT_FALSE(std::filesystem::exists(lut(Channel::Red)));
    EXPECT_EQ(run.storedFlag(Channel::Red), "false");
}

TEST(SaveClippedTest, TheClippedTailRepeatsOneValue)
{
    LinearityRun run(kNineSteps);
    run.fillAllColumns(compressedHighlights());
    run.calibration.setBrightRegionCorrection(true);
    run.calibration.setClipBrightRegion(true);
    run.calibration.apply();
    ASSERT_TRUE(saveTables(run.calibration).tablesWritten) << run.status.text();

    const std::vector<std::string> lines = fileLines(readFile(lutPathFor(run.dir, Channel::Blue)));
    ASSERT_EQ(lines.size(), 8192u);
    EXPECT_EQ(lines[6175], "0.879483"); // python: (6175 / 8191) ** (1 / 2.2)
    EXPECT_NE(lines[6174], lines[6175]);
    for (std::size_t i = 6176; i < lines.size(); ++i)
        ASSERT_EQ(lines[i], "0.879483") << "line " << i;
}

TEST(SaveVerificationTest, TheGrayscaleTableGoesIntoAllThreeFiles)
{
    LinearityRun run(stepListOf(kTwentyOneCodes));
    run.calibration.setVerificationMode(true);
    run.fillColumn(0, powerLawTexts(kTwentyOneCodes, 0.05, 80.0, 2.4));
    run.calibration.apply();
    ASSERT_TRUE(saveTables(run.calibration).tablesWritten) << run.status.text();

    const std::string red = readFile(lutPathFor(run.dir, Channel::Red));
    EXPECT_EQ(fileLines(red).size(), 8192u);
    EXPECT_EQ(fileLines(red)[1], referenceGeneral(std::pow(1 / 8191.0, 1 / 2.4)));
    for (Channel channel : {Channel::Green, Channel::Blue}) {
        const std::string content = readFile(lutPathFor(run.dir, channel));
        EXPECT_EQ(content, red) << channelName(channel);
        EXPECT_EQ(content.find("nan"), std::string::npos);
        EXPECT_EQ(content.find("inf"), std::string::npos);
        EXPECT_EQ(run.storedFlag(channel), "true");
    }
    // The verification layout has no green or blue column: those cells are "x".
    const std::string diagnostics = readFile(run.dir / "Diagnostics" / "measured_linearities.txt");
    EXPECT_EQ(diagnostics.substr(0, diagnostics.find("\r\n")), "Row 1: Red Y=0.05, Green Y=x, Blue Y=x");
}

TEST(DiagnosticsFileTest, CellsAsTypedInTheGeneralForm)
{
    InMemoryGrid grid(2, 3);
    StatusText status;
    MeasurementSet set(grid, status);
    set.parseSteps("0~255");
    grid.setCellText(0, 0, "0.150");
    grid.setCellText(1, 0, "0.3000");
    grid.setCellText(2, 0, "0.05");
    grid.setCellText(0, 1, "1,234.5");
    grid.setCellText(1, 1, "x");
    grid.setCellText(2, 1, "0.000015");
    EXPECT_EQ(formatMeasuredLinearities(set), "Row 1: Red Y=0.15, Green Y=0.3, Blue Y=0.05\r\n"
                                              "Row 2: Red Y=1234.5, Green Y=x, Blue Y=1.5e-005\r\n");
}

} // namespace
