#include "download/download_selection.h"
#include "config/registry_file_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

// Only the record's flag fields matter here; the store behind it is never read.
class DownloadSelectionTest : public ::testing::Test {
protected:
    DownloadSelectionTest() : store(dir / "unused.reg"), settings(store) { setFlags("false", "true", "true", "true"); }

    void setFlags(const std::string& matrix, const std::string& red, const std::string& green, const std::string& blue)
    {
        settings.matrixCurrentValid = matrix;
        settings.validRed = red;
        settings.validGreen = green;
        settings.validBlue = blue;
    }

    TempDir dir;
    RegistryFileStore store;
    CalibrationSettings settings;
};

TEST_F(DownloadSelectionTest, AtStartNothingCanBeDownloadedAndNoOptionIsOffered)
{
    DownloadSelection selection(settings);
    EXPECT_FALSE(selection.downloadEnabled());
    EXPECT_TRUE(selection.colorTables());
    EXPECT_FALSE(selection.calibrationValues());
    for (const CalibrationOptions& options : {selection.primary(), selection.linearity()}) {
        EXPECT_FALSE(options.defaultEnabled || options.newEnabled || options.defaultChecked || options.newChecked);
    }
}

TEST_F(DownloadSelectionTest, SelectingATableSetOffersDefaultAndNewOnlyWhereTheFlagsAllow)
{
    DownloadSelection selection(settings);
    selection.selectNode("Velvane Orlam LED Projector", "Cinema", false);
    EXPECT_TRUE(selection.downloadEnabled());
    EXPECT_EQ(selection.selectedDisplayType(), "Velvane Orlam LED Projector");
    EXPECT_EQ(selection.selectedTable(), "Cinema");
    // "Current Valid" is false: the primary New stays disabled.
    EXPECT_TRUE(selection.primary().defaultEnabled && selection.primary().defaultChecked);
    EXPECT_FALSE(selection.primary().newEnabled || selection.primary().newChecked);
    EXPECT_TRUE(selection.linearity().defaultChecked && selection.linearity().newEnabled);

    selection.choosePrimaryNew(true); // disabled: ignored
    selection.chooseLinearityNew(true);
    const DownloadChoice choice = selection.choice();
    EXPECT_FALSE(choice.usePrimaryNew);
    EXPECT_TRUE(choice.useLinearityNew);
    EXPECT_TRUE(choice.colorTables);
    EXPECT_FALSE(choice.calibrationValues);
    EXPECT_EQ(choice.table, "Cinema");
}

TEST_F(DownloadSelectionTest, OneLinearityFlagNotTrueKeepsItsNewDisabled)
{
    for (const char* blue : {"false", "FALSE", ""}) {
        setFlags("true", "true", "true", blue);
        DownloadSelection selection(settings);
        selection.selectNode("Type", "Set", false);
        EXPECT_FALSE(selection.linearity().newEnabled) << blue;
        EXPECT_TRUE(selection.primary().newEnabled);
        selection.chooseLinearityNew(true);
        EXPECT_FALSE(selection.choice().useLinearityNew);
    }
}

TEST_F(DownloadSelectionTest, TheMatrixFlagIsTakenAgainAtEachSelectionTheLinearityFlagsOnce)
{
    DownloadSelection selection(settings);
    selection.selectNode("Type", "Set", false);
    EXPECT_FALSE(selection.primary().newEnabled);
    setFlags("true", "false", "false", "false");
    selection.selectNode("Type", "Other", false);
    EXPECT_TRUE(selection.primary().newEnabled);
    EXPECT_TRUE(selection.linearity().newEnabled);
}

TEST_F(DownloadSelectionTest, ANewSelectionResetsTheOptionsToDefault)
{
    setFlags("true", "true", "true", "true");
    DownloadSelection selection(settings);
    selection.selectNode("Type", "Set", false);
    selection.choosePrimaryNew(true);
    EXPECT_TRUE(selection.choice().usePrimaryNew);
    selection.selectNode("Type", "Other", false);
    EXPECT_TRUE(selection.primary().defaultChecked);
    EXPECT_FALSE(selection.choice().usePrimaryNew);
}

TEST_F(DownloadSelectionTest, ANodeWithChildrenDisablesDownloadEvenWithBothBoxesChecked)
{
    DownloadSelection selection(settings);
    selection.selectNode("Type", "Set", false);
    selection.setCalibrationValues(true);
    selection.selectNode("Display Type", "Type", true);
    EXPECT_FALSE(selection.downloadEnabled());
    EXPECT_FALSE(selection.primary().defaultEnabled || selection.linearity().defaultEnabled);
    // The earlier table set is kept, and clicking a box does not bring Download back.
    EXPECT_EQ(selection.selectedTable(), "Set");
    selection.setColorTables(false);
    selection.setColorTables(true);
    EXPECT_FALSE(selection.downloadEnabled());
}

TEST_F(DownloadSelectionTest, CheckBoxesDecideDownloadOnceATableSetIsSelected)
{
    DownloadSelection selection(settings);
    selection.setCalibrationValues(true); // no table set yet
    EXPECT_FALSE(selection.downloadEnabled());
    selection.selectNode("Type", "Set", false);
    EXPECT_TRUE(selection.downloadEnabled());
    selection.setColorTables(false);
    EXPECT_TRUE(selection.downloadEnabled());
    selection.setCalibrationValues(false);
    EXPECT_FALSE(selection.downloadEnabled());
    selection.setCalibrationValues(true);
    EXPECT_TRUE(selection.downloadEnabled());
    const DownloadChoice choice = selection.choice();
    EXPECT_FALSE(choice.colorTables);
    EXPECT_TRUE(choice.calibrationValues);
}

TEST_F(DownloadSelectionTest, ADisplayTypeWithoutTableSetsIsItselfTheChoice)
{
    DownloadSelection selection(settings);
    selection.selectNode("Display Type", "Velvane Aster LCD Monitor", false);
    EXPECT_TRUE(selection.downloadEnabled());
    EXPECT_EQ(selection.choice().displayType, "Display Type");
    EXPECT_EQ(selection.choice().table, "Velvane Aster LCD Monitor");
}

TEST_F(DownloadSelectionTest, NoSecondRunWhileOneIsActive)
{
    DownloadSelection selection(settings);
    selection.selectNode("Type", "Set", false);
    selection.setRunActive(true);
    selection.selectNode("Type", "Other", false);
    selection.setCalibrationValues(true);
    EXPECT_FALSE(selection.downloadEnabled());
    selection.setRunActive(false);
    EXPECT_TRUE(selection.downloadEnabled());
}

} // namespace
