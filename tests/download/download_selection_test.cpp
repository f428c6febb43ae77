#include "download/download_selection.h"
#include "config/registry_file_store.h"

#include <gtest/gtest.h>

namespace {

// Only the record's flag fields matter here; the store behind it is never read.
class DownloadSelectionTest : public ::testing::Test {
protected:
    DownloadSelectionTest() { setFlags("false", "true", "true", "true"); }

    void setFlags(const std::string& matrix, const std::string& red, const std::string& green, const std::string& blue)
    {
        settings.matrixCurrentValid = matrix;
        settings.validRed = red;
        settings.validGreen = green;
        settings.validBlue = blue;
    }

    RegistryFileStore store{"unused.reg"};
    CalibrationSettings settings{store};
};

TEST_F(DownloadSelectionTest, SelectingATableSetOffersDefaultAndNewOnlyWhereTheFlagsAllow)
{
    DownloadSelection selection(settings);
    EXPECT_FALSE(selection.downloadEnabled());
    for (const CalibrationOptions& options : {selection.primary(), selection.linearity()})
        EXPECT_FALSE(options.defaultEnabled || options.newEnabled || options.defaultChecked || options.newChecked);

    selection.selectNode("Velvane Orlam LED Projector", "Cinema", false);
    EXPECT_TRUE(selection.downloadEnabled());
    // "Current Valid" is false: the primary New stays disabled.
    EXPECT_TRUE(selection.primary().defaultEnabled && selection.primary().defaultChecked);
    EXPECT_FALSE(selection.primary().newEnabled || selection.primary().newChecked);
    EXPECT_TRUE(selection.linearity().defaultChecked && selection.linearity().newEnabled);

    selection.choosePrimaryNew(true); // disabled: ignored
    selection.chooseLinearityNew(true);
    const DownloadChoice choice = selection.choice();
    EXPECT_TRUE(!choice.usePrimaryNew && choice.useLinearityNew && choice.colorTables && !choice.calibrationValues);
    EXPECT_EQ(choice.displayType + "\\" + choice.table, "Velvane Orlam LED Projector\\Cinema");
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

TEST_F(DownloadSelectionTest, EachSelectionTakesTheMatrixFlagAgainAndResetsTheOptions)
{
    DownloadSelection selection(settings);
    selection.selectNode("Type", "Set", false);
    EXPECT_FALSE(selection.primary().newEnabled);
    // The linearity flags were taken once, when the selection was made.
    setFlags("true", "false", "false", "false");
    selection.selectNode("Type", "Other", false);
    EXPECT_TRUE(selection.primary().newEnabled);
    EXPECT_TRUE(selection.linearity().newEnabled);

    selection.choosePrimaryNew(true);
    EXPECT_TRUE(selection.choice().usePrimaryNew);
    selection.selectNode("Type", "Set", false);
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
    selection.setColorTables(false);
    EXPECT_TRUE(selection.downloadEnabled());
    selection.setCalibrationValues(false);
    EXPECT_FALSE(selection.downloadEnabled());
    selection.setCalibrationValues(true);
    EXPECT_TRUE(selection.downloadEnabled());
    EXPECT_TRUE(!selection.choice().colorTables && selection.choice().calibrationValues);

    // No second run while one is active.
    selection.setRunActive(true);
    selection.selectNode("Type", "Other", false);
    EXPECT_FALSE(selection.downloadEnabled());
    selection.setRunActive(false);
    EXPECT_TRUE(selection.downloadEnabled());
}

} // namespace
