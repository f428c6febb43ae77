#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "primary/matrix_file.h"
#include "primary/primary_apply.h"
#include "primary_store.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr const char* kRgbLedMatrixFile = "1 0 0\r\n0 1 0\r\n0 0 1\r\n"
                                          "1.34723 -0.389109 0.0128668\r\n"
                                          "-0.0832443 1.05913 -0.0572284\r\n"
                                          "-0.0153776 -0.0618034 1.07718\r\n";

CalibrationMatrices computed(DisplayType displayType)
{
    MeasuredPrimaries measured;
    CalibrationMatrices matrices;
    applyPrimaryCalibration(bt709FieldTexts(), displayType, measured, matrices);
    return matrices;
}

TEST(MatrixFileTextTest, NativeIdentityThenTheD65RowsInGeneralForm)
{
    EXPECT_EQ(matrixFileText(computed(DisplayType::RgbLed)), kRgbLedMatrixFile);
    // Off-diagonal values below 1e-4 take the exponent form with three exponent digits.
    const std::string nearIdentity = matrixFileText(computed(DisplayType::NonRgbLed));
    EXPECT_EQ(nearIdentity.substr(0, 21), "1 0 0\r\n0 1 0\r\n0 0 1\r\n");
    EXPECT_EQ(nearIdentity.substr(21, 36), "0.999934 -2.36131e-008 6.64572e-005\r");
    EXPECT_EQ(nearIdentity.substr(58, 37), "-8.33637e-005 0.999645 -5.52956e-006\r");
    EXPECT_EQ(nearIdentity.substr(96), "-2.40938e-005 5.00412e-008 0.999504\r\n");
}

TEST(MatrixFileTextTest, DiagnosticsRecordTheTextsAsTyped)
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

    bool save(const std::string& installDirectory, const std::string& matrixFile, const CalibrationMatrices& matrices,
              const std::string& currentValid = "true")
    {
        writeFile(dir / "registry.reg", primaryStoreText(installDirectory, matrixFile, currentValid));
        RegistryFileStore store(dir / "registry.reg");
        CalibrationSettings settings(store);
        EXPECT_TRUE(settings.load());
        return saveCalibrationFiles(settings, matrices, bt709FieldTexts(), error);
    }

    std::string storedCurrentValid()
    {
        RegistryFileStore store(dir / "registry.reg");
        CalibrationSettings settings(store);
        settings.load();
        return settings.matrixCurrentValid;
    }

    TempDir dir;
    const std::string installDirectory = dir.path().string();
    const std::string matrixFile = (dir / "current_matrix.txt").string();
    const std::filesystem::path diagnosticsFile = dir / "Diagnostics" / "measured_primaries.txt";
    std::string error;
};

TEST_F(MatrixSaveTest, WritesTheMatrixMarksItValidAndRecordsTheMeasurements)
{
    writeFile(matrixFile, std::string(1000, 'x'));
    ASSERT_TRUE(save(installDirectory, matrixFile, computed(DisplayType::RgbLed), "false")) << error;
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_EQ(readFile(diagnosticsFile), primaryDiagnosticsText(bt709FieldTexts()));
}

TEST_F(MatrixSaveTest, AfterAFailedApplyTheLastComputedMatricesAreWritten)
{
    CalibrationMatrices matrices = computed(DisplayType::RgbLed);
    matrices.valid = false;
    ASSERT_TRUE(save(installDirectory, matrixFile, matrices));
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
}

TEST_F(MatrixSaveTest, NothingIsWrittenFromMatricesNoApplyComputed)
{
    CalibrationMatrices never;
    never.valid = true;
    EXPECT_FALSE(save(installDirectory, matrixFile, never));
    EXPECT_EQ(error, "No calibration matrices to save - press Apply with valid measured values first.");
    EXPECT_FALSE(std::filesystem::exists(matrixFile));
    EXPECT_EQ(storedCurrentValid(), "true");
}

TEST_F(MatrixSaveTest, DiagnosticsAreSkippedWithoutInstallDirectoryOrFolder)
{
    ASSERT_TRUE(save("", matrixFile, computed(DisplayType::RgbLed), "false"));
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_FALSE(std::filesystem::exists(diagnosticsFile));

    std::filesystem::remove(dir / "Diagnostics");
    ASSERT_TRUE(save(installDirectory, matrixFile, computed(DisplayType::RgbLed), "false"));
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_FALSE(std::filesystem::exists(dir / "Diagnostics"));
}

TEST_F(MatrixSaveTest, AMatrixFileThatDoesNotOpenLeavesTheStoreAlone)
{
    std::filesystem::create_directory(dir / "folder");
    for (const std::string& path : {(dir / "missing" / "m.txt").string(), (dir / "folder").string(), std::string()}) {
        EXPECT_FALSE(save(installDirectory, path, computed(DisplayType::RgbLed))) << path;
        EXPECT_EQ(error, "Unable to open the matrix file for writing");
        EXPECT_EQ(storedCurrentValid(), "true");
        EXPECT_FALSE(std::filesystem::exists(diagnosticsFile));
    }
}

TEST_F(MatrixSaveTest, AWriteFailureLeavesTheMatrixMarkedNotValid)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_FALSE(save(installDirectory, "/dev/full", computed(DisplayType::RgbLed)));
    EXPECT_EQ(error, "Error during writing of the matrix file");
    EXPECT_EQ(storedCurrentValid(), "false");
    EXPECT_FALSE(std::filesystem::exists(diagnosticsFile));
}

} // namespace
