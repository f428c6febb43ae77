#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "primary/trisola_dialog_state.h"
#include "primary_store.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class TrisolaDialogStateTest : public ::testing::Test {
protected:
    TrisolaDialogStateTest()
    {
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixFile, "false"));
        dialog.initialise();
    }

    TempDir dir;
    const std::string matrixFile = (dir / "matrix.txt").string();
    RegistryFileStore store{dir / "registry.reg"};
    CalibrationSettings settings{store};
    TrisolaDialogState dialog{settings};
};

TEST_F(TrisolaDialogStateTest, StartsWithZerosRgbLedAndSaveDisabled)
{
    EXPECT_EQ(dialog.fieldTexts()[2].luminance, "0");
    EXPECT_EQ(dialog.displayType(), DisplayType::RgbLed);
    EXPECT_FALSE(dialog.saveEnabled());
    EXPECT_FALSE(dialog.triangle());
    EXPECT_EQ(dialog.status().text, "");

    RegistryFileStore missing(dir / "no_store.reg");
    CalibrationSettings unread(missing);
    TrisolaDialogState unconfigured(unread);
    unconfigured.initialise();
    EXPECT_EQ(unconfigured.status().text, "Unable to get needed registry values, please reinstall program.");
    EXPECT_TRUE(unconfigured.status().error);
}

TEST_F(TrisolaDialogStateTest, ClearAndDisplayTypeChangeOnlyWhatTheySay)
{
    dialog.setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog.apply());
    const std::string report = dialog.reportText();
    dialog.clearPrimary(Channel::Green);
    dialog.setDisplayType(DisplayType::NonRgbLed);
    EXPECT_EQ(dialog.fieldTexts()[0].x, "0.64");
    EXPECT_EQ(dialog.fieldTexts()[1].x + dialog.fieldTexts()[1].y + dialog.fieldTexts()[1].luminance, "000");
    EXPECT_EQ(dialog.fieldTexts()[2].luminance, "0.0722");
    EXPECT_EQ(dialog.reportText(), report);
}

TEST_F(TrisolaDialogStateTest, SaveNeedsAnApplyThatComputedMatricesAndEndsTheDialog)
{
    EXPECT_FALSE(dialog.save()); // disabled at start
    EXPECT_FALSE(dialog.apply()); // all zeros
    EXPECT_FALSE(dialog.save());

    FieldTexts undefined = bt709FieldTexts();
    undefined[2].x = "0";
    undefined[2].y = "0";
    dialog.setFieldTexts(undefined);
    EXPECT_FALSE(dialog.apply());
    EXPECT_TRUE(dialog.saveEnabled());
    EXPECT_FALSE(dialog.save());
    EXPECT_EQ(dialog.status().text, "No calibration matrices to save - press Apply with valid measured values first.");
    EXPECT_FALSE(std::filesystem::exists(matrixFile));

    dialog.setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog.apply());
    ASSERT_TRUE(dialog.save()) << dialog.status().text;
    EXPECT_TRUE(dialog.finished());
    std::filesystem::remove(matrixFile);
    EXPECT_FALSE(dialog.save());
    EXPECT_FALSE(std::filesystem::exists(matrixFile));
}

TEST_F(TrisolaDialogStateTest, LoadAppliesAndAFailedLoadKeepsEverything)
{
    dialog.setFieldTexts(bt709FieldTexts());
    dialog.setDisplayType(DisplayType::NonRgbLed);
    ASSERT_TRUE(dialog.apply());
    const Matrix3 d65 = dialog.matrices().d65;
    ASSERT_TRUE(dialog.saveData(dir / "data.txt"));

    TrisolaDialogState other(settings);
    ASSERT_TRUE(other.loadData(dir / "data.txt"));
    EXPECT_EQ(other.displayType(), DisplayType::NonRgbLed);
    EXPECT_EQ(other.fieldTexts()[1].luminance, "0.7152");
    EXPECT_TRUE(other.saveEnabled());
    EXPECT_EQ(other.matrices().d65, d65);

    writeFile(dir / "bad.txt", "[DATA]\r\nMEASURED_DATA_RED=0.7, 21.26\r\n[PARAMETERS]\r\nVERSION=1.00\r\n");
    const std::string report = other.reportText();
    EXPECT_FALSE(other.loadData(dir / "bad.txt"));
    EXPECT_EQ(other.status().text, "The primary data file has format or data errors!");
    EXPECT_EQ(other.fieldTexts()[0].x, "0.64");
    EXPECT_EQ(other.displayType(), DisplayType::NonRgbLed);
    EXPECT_EQ(other.reportText(), report);
}

} // namespace
