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
        std::filesystem::create_directory(dir / "Diagnostics");
        writeFile(dir / "registry.reg", primaryStoreText(dir.path().string(), matrixPath(), "false"));
        dialog.initialise();
    }

    std::string matrixPath() const { return (dir / "matrix.txt").string(); }

    TempDir dir;
    RegistryFileStore store{dir / "registry.reg"};
    CalibrationSettings settings{store};
    TrisolaDialogState dialog{settings};
};

TEST_F(TrisolaDialogStateTest, StartsWithZerosRgbLedAndSaveDisabled)
{
    for (const PrimaryFieldTexts& primary : dialog.fieldTexts()) {
        EXPECT_EQ(primary.x, "0");
        EXPECT_EQ(primary.y, "0");
        EXPECT_EQ(primary.luminance, "0");
    }
    EXPECT_EQ(dialog.displayType(), DisplayType::RgbLed);
    EXPECT_FALSE(dialog.saveEnabled());
    EXPECT_FALSE(dialog.triangle());
    EXPECT_EQ(dialog.status().text, "");
    EXPECT_EQ(dialog.reportText(), "");
}

TEST_F(TrisolaDialogStateTest, AStoreThatDoesNotLoadIsReportedAndTheDialogCarriesOn)
{
    RegistryFileStore missing(dir / "no_such_store.reg");
    CalibrationSettings emptySettings(missing);
    TrisolaDialogState unconfigured(emptySettings);
    unconfigured.initialise();
    EXPECT_EQ(unconfigured.status().text, "Unable to get needed registry values, please reinstall program.");
    EXPECT_TRUE(unconfigured.status().error);

    unconfigured.setFieldTexts(bt709FieldTexts());
    EXPECT_TRUE(unconfigured.apply());
    EXPECT_FALSE(unconfigured.save());
    EXPECT_EQ(unconfigured.status().text, "Unable to open the matrix file for writing");
    EXPECT_FALSE(unconfigured.finished());
}

TEST_F(TrisolaDialogStateTest, ClearResetsOnlyThatPrimary)
{
    dialog.setFieldTexts(bt709FieldTexts());
    dialog.clearPrimary(Channel::Green);
    EXPECT_EQ(dialog.fieldTexts()[0].x, "0.64");
    EXPECT_EQ(dialog.fieldTexts()[1].x, "0");
    EXPECT_EQ(dialog.fieldTexts()[1].y, "0");
    EXPECT_EQ(dialog.fieldTexts()[1].luminance, "0");
    EXPECT_EQ(dialog.fieldTexts()[2].luminance, "0.0722");
}

TEST_F(TrisolaDialogStateTest, ChangingTheDisplayTypeWaitsForApply)
{
    dialog.setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog.apply());
    const std::string report = dialog.reportText();
    const Matrix3 d65 = dialog.matrices().d65;
    dialog.setDisplayType(DisplayType::NonRgbLed);
    EXPECT_EQ(dialog.reportText(), report);
    EXPECT_EQ(dialog.matrices().d65, d65);
    ASSERT_TRUE(dialog.apply());
    EXPECT_NE(dialog.reportText(), report);
}

TEST_F(TrisolaDialogStateTest, SaveIsOnlyPossibleAfterAnApplyThatPassedTheInputChecks)
{
    EXPECT_FALSE(dialog.save());
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));

    EXPECT_FALSE(dialog.apply()); // all zeros: no luminance
    EXPECT_FALSE(dialog.saveEnabled());
    EXPECT_FALSE(dialog.save());

    FieldTexts degenerate = bt709FieldTexts();
    degenerate[2].x = "0";
    degenerate[2].y = "0";
    dialog.setFieldTexts(degenerate);
    EXPECT_FALSE(dialog.apply());
    EXPECT_TRUE(dialog.saveEnabled());
    EXPECT_FALSE(dialog.save());
    EXPECT_EQ(dialog.status().text, "No calibration matrices to save - press Apply with valid measured values first.");
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
}

TEST_F(TrisolaDialogStateTest, SuccessfulSaveEndsTheDialog)
{
    dialog.setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog.apply());
    ASSERT_TRUE(dialog.save()) << dialog.status().text;
    EXPECT_TRUE(dialog.finished());
    EXPECT_EQ(dialog.status().text, "");
    EXPECT_TRUE(std::filesystem::exists(dir / "Diagnostics" / "measured_primaries.txt"));
    std::filesystem::remove(matrixPath());
    EXPECT_FALSE(dialog.save());
    EXPECT_FALSE(std::filesystem::exists(matrixPath()));
}

TEST_F(TrisolaDialogStateTest, LoadFillsTheFieldsAndApplies)
{
    writeFile(dir / "data.txt", "[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33, 21.26\r\n"
                                "MEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\nMEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n"
                                "[PARAMETERS]\r\nVERSION=1.00\r\nDISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n");
    ASSERT_TRUE(dialog.loadData(dir / "data.txt"));
    EXPECT_EQ(dialog.fieldTexts()[1].luminance, "71.52");
    EXPECT_EQ(dialog.displayType(), DisplayType::NonRgbLed);
    EXPECT_TRUE(dialog.matricesValid());
    EXPECT_TRUE(dialog.saveEnabled());
    EXPECT_EQ(dialog.reportText().substr(0, 31), "D65 Download Matrix \r\n0.999934 ");
}

TEST_F(TrisolaDialogStateTest, AFailedLoadKeepsFieldsTypeAndResults)
{
    dialog.setFieldTexts(bt709FieldTexts());
    ASSERT_TRUE(dialog.apply());
    const std::string report = dialog.reportText();
    writeFile(dir / "data.txt", "[DATA]\r\nMEASURED_DATA_RED=0.64, 21.26\r\n"
                                "MEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\nMEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n"
                                "[PARAMETERS]\r\nVERSION=1.00\r\nDISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n");
    EXPECT_FALSE(dialog.loadData(dir / "data.txt"));
    EXPECT_EQ(dialog.status().text, "The primary data file has format or data errors!");
    EXPECT_TRUE(dialog.status().error);
    EXPECT_EQ(dialog.fieldTexts()[0].luminance, "0.2126");
    EXPECT_EQ(dialog.displayType(), DisplayType::RgbLed);
    EXPECT_EQ(dialog.reportText(), report);
    EXPECT_TRUE(dialog.saveEnabled());
}

TEST_F(TrisolaDialogStateTest, SavedDataLoadsBackToTheSameMatrices)
{
    dialog.setFieldTexts(bt709FieldTexts());
    dialog.setDisplayType(DisplayType::NonRgbLed);
    ASSERT_TRUE(dialog.apply());
    const Matrix3 d65 = dialog.matrices().d65;
    ASSERT_TRUE(dialog.saveData(dir / "data.txt"));

    TrisolaDialogState other(settings);
    ASSERT_TRUE(other.loadData(dir / "data.txt"));
    EXPECT_EQ(other.displayType(), DisplayType::NonRgbLed);
    EXPECT_EQ(other.matrices().d65, d65);

    EXPECT_FALSE(dialog.saveData(dir / "missing" / "data.txt"));
    EXPECT_EQ(dialog.status().text, "Unable to write to the primary data file!");
}

} // namespace
