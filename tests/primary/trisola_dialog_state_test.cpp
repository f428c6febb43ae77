#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "primary/trisola_dialog_state.h"
#include "primary_test_support.h"
#include "support/device_files.h"
#include "support/temp_dir.h"
#include "support/watching_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>
#include <vector>

namespace {

// The window's tests cover the fresh dialog, Clear, unreadable settings and a plain Save.
class TrisolaDialogStateTest : public ::testing::Test {
protected:
    TrisolaDialogStateTest() { std::filesystem::create_directory(dir / "Diagnostics"); }

    // A fresh dialog on a fresh store, as when the tool starts.
    void useStore(const std::string& matrixPath, const char* currentValid)
    {
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixPath, currentValid));
        dialog.reset();
        settings.emplace(store);
        dialog.emplace(*settings);
        dialog->initialise();
    }
    bool applyAndSave(const FieldTexts& texts)
    {
        dialog->setFieldTexts(texts);
        dialog->apply();
        return dialog->save();
    }
    std::string storedCurrentValid()
    {
        CalibrationSettings reread(store);
        EXPECT_TRUE(reread.load());
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

TEST_F(TrisolaDialogStateTest, SaveWritesTheLastComputedMatricesAndEndsTheDialog)
{
    useStore(matrixFile, "false");
    writeFile(matrixFile, std::string(1000, 'x'));
    dialog->setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog->apply());
    // An Apply that fails the matrix checks keeps those matrices; the diagnostics record
    // the texts as they stand.
    ASSERT_TRUE(applyAndSave(undefinedBlue())) << dialog->status().text();
    EXPECT_EQ(readFile(matrixFile), kRgbLedMatrixFile);
    EXPECT_EQ(storedCurrentValid(), "true");
    EXPECT_EQ(readFile(diagnosticsFile),
              "Red values: x=0.64, y=0.33, Y=0.2126\r\n"
              "Green values: x=0.30, y=0.60, Y=0.7152\r\n"
              "Blue values: x=0, y=0, Y=0.0722\r\n");
    EXPECT_TRUE(dialog->finished());
    std::filesystem::remove(matrixFile);
    EXPECT_FALSE(dialog->save());
    EXPECT_FALSE(std::filesystem::exists(matrixFile));
}

TEST_F(TrisolaDialogStateTest, FailedSavesKeepTheDialogOpenAndTheFlagInStepWithTheFile)
{
    std::vector<std::tuple<FieldTexts, std::string, const char*, const char*>> cases{
        // No Apply has computed matrices yet: nothing to write.
        {undefinedBlue(), matrixFile, "No calibration matrices to save - press Apply with valid measured values first.",
         "true"},
        {bt709FieldTexts(), (dir / "missing" / "m.txt").string(), "Unable to open the matrix file for writing",
         "true"}};
    // A device is never replaced by a matrix file.
    for (const std::string& device : unwritableDevices())
        cases.emplace_back(bt709FieldTexts(), device, "Unable to open the matrix file for writing", "true");
    for (const auto& [texts, matrixPath, message, currentValid] : cases) {
        SCOPED_TRACE(matrixPath);
        useStore(matrixPath, "true");
        EXPECT_FALSE(applyAndSave(texts));
        EXPECT_EQ(dialog->status().text(), message);
        EXPECT_EQ(storedCurrentValid(), currentValid);
        EXPECT_FALSE(dialog->finished());
        EXPECT_FALSE(std::filesystem::exists(diagnosticsFile));
    }
    EXPECT_FALSE(std::filesystem::exists(matrixFile));
}

// A save killed at any moment leaves no "true" flag over a partial file: whenever the flag
// is written, the file at the path is complete (the old one, then the new one).
TEST_F(TrisolaDialogStateTest, EveryFlagWriteFindsACompleteMatrixFile)
{
    useStore(matrixFile, "true");
    writeFile(matrixFile, kRgbLedMatrixFile);
    WatchingStore watching(store, [&](std::string_view) { return std::filesystem::path(matrixFile); });
    CalibrationSettings watched(watching);
    TrisolaDialogState saving(watched);
    saving.initialise();
    saving.setDisplayType(DisplayType::NonRgbLed);
    saving.setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(saving.apply());
    ASSERT_TRUE(saving.save()) << saving.status().text();
    ASSERT_EQ(watching.seen.size(), 2u);
    EXPECT_EQ(watching.seen[0].data, "false");
    EXPECT_EQ(watching.seen[0].fileBytes, kRgbLedMatrixFile);
    EXPECT_EQ(watching.seen[1].data, "true");
    EXPECT_EQ(watching.seen[1].fileBytes, readFile(matrixFile));
    EXPECT_NE(readFile(matrixFile), kRgbLedMatrixFile);
}

} // namespace
