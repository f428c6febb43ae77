#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "primary/matrix_file.h"
#include "primary/primary_apply.h"
#include "primary_store.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> crlfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line does not end with CR LF: " << text.substr(start);
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> splitAtBlanks(const std::string& line)
{
    std::vector<std::string> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = line.find(' ', start);
        numbers.push_back(line.substr(start, blank - start));
        if (blank == std::string::npos)
            return numbers;
        start = blank + 1;
    }
}

CalibrationMatrices computed(DisplayType displayType, const FieldTexts& texts = bt709FieldTexts())
{
    MeasuredPrimaries measured;
    CalibrationMatrices matrices;
    applyPrimaryCalibration(texts, displayType, measured, matrices);
    EXPECT_TRUE(matrices.valid);
    return matrices;
}

TEST(MatrixFileTextTest, Bt709OnNonRgbLedIsNativeIdentityThenNearIdentity)
{
    const std::vector<std::string> lines = crlfLines(matrixFileText(computed(DisplayType::NonRgbLed)));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "1 0 0");
    EXPECT_EQ(lines[1], "0 1 0");
    EXPECT_EQ(lines[2], "0 0 1");
    std::vector<std::vector<std::string>> d65;
    for (int row = 0; row < 3; ++row) {
        d65.push_back(splitAtBlanks(lines[3 + row]));
        ASSERT_EQ(d65.back().size(), 3u) << lines[3 + row];
    }
    EXPECT_EQ(d65[0][0], "0.999934");
    EXPECT_EQ(d65[1][1], "0.999645");
    EXPECT_EQ(d65[2][2], "0.999504");
    EXPECT_EQ(d65[0][2], "6.64572e-005");
    EXPECT_EQ(d65[1][0], "-8.33637e-005");
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (row == column)
                continue;
            const std::string& text = d65[row][column];
            double value = 1.0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            EXPECT_LT(std::fabs(value), 1e-4) << text;
            EXPECT_NE(text.find("e-0"), std::string::npos) << text;
        }
    }
}

TEST(MatrixFileTextTest, Bt709OnRgbLedGivesTheWideGamutRows)
{
    EXPECT_EQ(matrixFileText(computed(DisplayType::RgbLed)), "1 0 0\r\n0 1 0\r\n0 0 1\r\n"
                                                            "1.34723 -0.389109 0.0128668\r\n"
                                                            "-0.0832443 1.05913 -0.0572284\r\n"
                                                            "-0.0153776 -0.0618034 1.07718\r\n");
}

TEST(PrimaryDiagnosticsTextTest, RecordsTheTextsAsTyped)
{
    FieldTexts texts = bt709FieldTexts();
    texts[0].luminance = "21.26";
    texts[2].x = ".150";
    EXPECT_EQ(primaryDiagnosticsText(texts), "Red values: x=0.64, y=0.33, Y=21.26\r\n"
                                             "Green values: x=0.30, y=0.60, Y=0.7152\r\n"
                                             "Blue values: x=.150, y=0.06, Y=0.0722\r\n");
}

class MatrixSaveTest : public ::testing::Test {
protected:
    MatrixSaveTest() { std::filesystem::create_directory(dir / "Diagnostics"); }

    // Loads a settings record from a store with these values.
    CalibrationSettings& settingsWith(const std::string& installDirectory, const std::string& matrixCurrent,
                                      const std::string& currentValid = "true")
    {
        writeFile(dir / "registry.reg", primaryStoreText(installDirectory, matrixCurrent, currentValid));
        store = std::make_unique<RegistryFileStore>(dir / "registry.reg");
        settings = std::make_unique<CalibrationSettings>(*store);
        EXPECT_TRUE(settings->load());
        return *settings;
    }

    std::string storedCurrentValid()
    {
        RegistryFileStore reread(dir / "registry.reg");
        CalibrationSettings fresh(reread);
        fresh.load();
        return fresh.matrixCurrentValid;
    }

    std::string matrixPath() const { return (dir / "current_matrix.txt").string(); }
    std::string diagnosticsPath() const { return (dir / "Diagnostics" / "measured_primaries.txt").string(); }

    TempDir dir;
    std::unique_ptr<RegistryFileStore> store;
    std::unique_ptr<CalibrationSettings> settings;
    std::string error;
};

TEST_F(MatrixSaveTest, WritesMatrixThenMarksItValidThenRecordsTheMeasurements)
{
    writeFile(matrixPath(), std::string(1000, 'x'));
    const CalibrationMatrices matrices = computed(DisplayType::RgbLed);
    ASSERT_TRUE(saveCalibrationFiles(settingsWith(dir.path().string(), matrixPath(), "false"), matrices,
                                     bt709FieldTexts(), error))
        << error;
    EXPECT_EQ(readFile(matrixPath()), "1 0 0\r\n0 1 0\r\n0 0 1\r\n"
                                      "1.34723 -0.389109 0.0128668\r\n"
                                      "-0.0832443 1.05913 -0.0572284\r\n"
                                      "-0.0153776 -0.0618034 1.07718\r\n");
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_EQ(readFile(diagnosticsPath()), "Red values: x=0.64, y=0.33, Y=0.2126\r\n"
                                           "Green values: x=0.30, y=0.60, Y=0.7152\r\n"
                                           "Blue values: x=0.15, y=0.06, Y=0.0722\r\n");
}

TEST_F(MatrixSaveTest, WritesTheLastComputedMatricesEvenAfterAFailedApply)
{
    CalibrationMatrices matrices = computed(DisplayType::NonRgbLed);
    const std::string expected = matrixFileText(matrices);
    MeasuredPrimaries measured;
    FieldTexts degenerate = bt709FieldTexts();
    degenerate[0].x = "0";
    degenerate[0].y = "0";
    applyPrimaryCalibration(degenerate, DisplayType::RgbLed, measured, matrices);
    ASSERT_FALSE(matrices.valid);
    ASSERT_TRUE(saveCalibrationFiles(settingsWith(dir.path().string(), matrixPath()), matrices, degenerate, error));
    EXPECT_EQ(readFile(matrixPath()), expected);
    // The record holds the texts as they stand now.
    EXPECT_EQ(readFile(diagnosticsPath()).substr(0, 29), "Red values: x=0, y=0, Y=0.212");
}

TEST_F(MatrixSaveTest, RefusesWhenNoApplyHasComputedMatrices)
{
    CalibrationMatrices never;
    never.valid = true; // whatever the flag says, nothing was computed
    EXPECT_FALSE(saveCalibrationFiles(settingsWith(dir.path().string(), matrixPath()), never, bt709FieldTexts(), error));
    EXPECT_EQ(error, "No calibration matrices to save - press Apply with valid measured values first.");
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
    EXPECT_FALSE(std::filesystem::exists(diagnosticsPath()));
    EXPECT_EQ(storedCurrentValid(), "true");
}

TEST_F(MatrixSaveTest, WithoutAnInstallDirectoryOnlyTheMatrixIsWritten)
{
    ASSERT_TRUE(saveCalibrationFiles(settingsWith("", matrixPath(), "false"), computed(DisplayType::RgbLed),
                                     bt709FieldTexts(), error));
    EXPECT_EQ(crlfLines(readFile(matrixPath())).size(), 6u);
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_FALSE(std::filesystem::exists(diagnosticsPath()));
}

TEST_F(MatrixSaveTest, AMissingDiagnosticsFolderIsSkippedQuietly)
{
    std::filesystem::remove(dir / "Diagnostics");
    ASSERT_TRUE(saveCalibrationFiles(settingsWith(dir.path().string(), matrixPath(), "false"),
                                     computed(DisplayType::RgbLed), bt709FieldTexts(), error));
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_FALSE(std::filesystem::exists(dir / "Diagnostics"));
}

TEST_F(MatrixSaveTest, AMatrixPathThatDoesNotOpenLeavesTheStoreAlone)
{
    std::filesystem::create_directory(dir / "a_folder");
    for (const std::string& path : {(dir / "missing" / "matrix.txt").string(), (dir / "a_folder").string(),
                                    std::string()}) {
        EXPECT_FALSE(saveCalibrationFiles(settingsWith(dir.path().string(), path), computed(DisplayType::RgbLed),
                                          bt709FieldTexts(), error))
            << path;
        EXPECT_EQ(error, "Unable to open the matrix file for writing");
        EXPECT_EQ(storedCurrentValid(), "true");
        EXPECT_FALSE(std::filesystem::exists(diagnosticsPath()));
    }
}

TEST_F(MatrixSaveTest, AWriteFailureLeavesTheMatrixMarkedNotValid)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    EXPECT_FALSE(saveCalibrationFiles(settingsWith(dir.path().string(), "/dev/full"), computed(DisplayType::RgbLed),
                                      bt709FieldTexts(), error));
    EXPECT_EQ(error, "Error during writing of the matrix file");
    EXPECT_EQ(storedCurrentValid(), "false");
    EXPECT_FALSE(std::filesystem::exists(diagnosticsPath()));
}

} // namespace
