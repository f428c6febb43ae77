#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "primary/trisola_dialog_state.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

class TrisolaDialogStateTest : public ::testing::Test {
protected:
    TrisolaDialogStateTest()
    {
        std::filesystem::create_directory(dir / "Diagnostics");
        useStore(dir.path().string(), matrixFile, "true");
    }

    // A fresh dialog on a fresh store, as when the tool starts.
    void useStore(const std::string& installDirectory, const std::string& matrixPath, const char* currentValid)
    {
        writeFile(dir / "registry.reg", primaryStoreText(installDirectory, matrixPath, currentValid));
        dialog.reset();
        settings.emplace(store);
        dialog.emplace(*settings);
        dialog->initialise();
    }
    bool applyAndSave(const FieldTexts& texts = bt709FieldTexts())
    {
        dialog->setFieldTexts(texts);
        dialog->apply();
        return dialog->save();
    }
    std::string storedCurrentValid()
    {
        CalibrationSettings reread(store);
        reread.load();
        return reread.matrixCurrentValid;
    }
    // Passes the input checks but leaves the measured matrix undefined (0/0).
    static FieldTexts undefinedBlue()
    {
        FieldTexts texts = bt709FieldTexts();
        texts[2].x = texts[2].y = "0";
        return texts;
    }

    TempDir dir;
    const std::string matrixFile = (dir / "matrix.txt").string();
    const std::filesystem::path diagnosticsFile = dir / "Diagnostics" / "measured_primaries.txt";
    RegistryFileStore store{dir / "registry.reg"};
    std::optional<CalibrationSettings> settings;
    std::optional<TrisolaDialogState> dialog;
};

TEST_F(TrisolaDialogStateTest, StartsWithZerosRgbLedAndSaveDisabledAndClearsOnePrimary)
{
    EXPECT_EQ(dialog->fieldTexts()[2].luminance, "0");
    EXPECT_EQ(dialog->displayType(), DisplayType::RgbLed);
    EXPECT_FALSE(dialog->save());

    dialog->setFieldTexts(bt709FieldTexts());
    dialog->clearPrimary(Channel::Green);
    const FieldTexts& texts = dialog->fieldTexts();
    EXPECT_EQ(texts[0].x + "|" + texts[1].x + texts[1].y + texts[1].luminance + "|" + texts[2].luminance,
              "0.64|000|0.0722");

    RegistryFileStore missing(dir / "no_store.reg");
    CalibrationSettings unread(missing);
    TrisolaDialogState unconfigured(unread);
    unconfigured.initialise();
    EXPECT_EQ(unconfigured.status().text, "Unable to get needed registry values, please reinstall program.");
}

TEST_F(TrisolaDialogStateTest, SaveWritesTheLastComputedMatricesAndEndsTheDialog)
{
    useStore(dir.path().string(), matrixFile, "false");
    writeFile(matrixFile, std::string(1000, 'x'));
    dialog->setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog->apply());
    // An Apply that fails the matrix checks keeps those matrices; the diagnostics record
    // the texts as they stand.
    ASSERT_TRUE(applyAndSave(undefinedBlue())) << dialog->status().text;
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_EQ(readFile(diagnosticsFile), "Red values: x=0.64, y=0.33, Y=0.2126\r\n"
                                         "Green values: x=0.30, y=0.60, Y=0.7152\r\n"
                                         "Blue values: x=0, y=0, Y=0.0722\r\n");
    EXPECT_TRUE(dialog->finished());
    std::filesystem::remove(matrixFile);
    EXPECT_FALSE(dialog->save());
    EXPECT_FALSE(std::filesystem::exists(matrixFile));

    // Without an install directory there are no diagnostics.
    useStore("", matrixFile, "false");
    std::filesystem::remove(diagnosticsFile);
    ASSERT_TRUE(applyAndSave()) << dialog->status().text;
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_FALSE(std::filesystem::exists(diagnosticsFile));
}

TEST_F(TrisolaDialogStateTest, SaveRefusesWhenNoApplyComputedMatrices)
{
    EXPECT_FALSE(applyAndSave(undefinedBlue()));
    EXPECT_EQ(dialog->status().text, "No calibration matrices to save - press Apply with valid measured values first.");
    EXPECT_FALSE(std::filesystem::exists(matrixFile));
    EXPECT_EQ(storedCurrentValid(), "true");
    dialog->clearStatus();
    EXPECT_EQ(dialog->status().text, "");
    EXPECT_FALSE(dialog->status().error);
}

TEST_F(TrisolaDialogStateTest, SaveFailuresKeepTheDialogOpenAndTheFlagInStepWithTheFile)
{
    for (const std::string& path : {(dir / "missing" / "m.txt").string(), std::string()}) {
        useStore(dir.path().string(), path, "true");
        EXPECT_FALSE(applyAndSave()) << path;
        EXPECT_EQ(dialog->status().text, "Unable to open the matrix file for writing");
        EXPECT_EQ(storedCurrentValid(), "true");
    }
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    useStore(dir.path().string(), "/dev/full", "true");
    EXPECT_FALSE(applyAndSave());
    EXPECT_EQ(dialog->status().text, "Error during writing of the matrix file");
    EXPECT_EQ(storedCurrentValid(), "false");
    EXPECT_FALSE(std::filesystem::exists(diagnosticsFile));
    EXPECT_FALSE(dialog->finished());
}

} // namespace
