#include "config/registry_file_store.h"
#include "download/download_selection.h"

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

TEST_F(DownloadSelectionTest, NewIsOfferedAndChosenOnlyWhereTheValidityFlagsAreTrueOnEachSelection)
{
    const struct {
        const char *matrix, *red, *green, *blue;
        bool primaryNew, linearityNew;
    } cases[] = {
        {"false", "true", "true", "true", false, true},
        {"true", "true", "true", "false", true, false},
        {"true", "true", "FALSE", "true", true, false},
        {"true", "", "true", "true", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.matrix) + " " + c.red + " " + c.green + " " + c.blue);
        setFlags(c.matrix, c.red, c.green, c.blue);
        DownloadSelection selection(settings);
        selection.selectNode("Type", "Set", false);
        EXPECT_TRUE(selection.primary().defaultEnabled && selection.primary().defaultChecked);
        EXPECT_TRUE(selection.linearity().defaultEnabled && selection.linearity().defaultChecked);
        EXPECT_EQ(selection.primary().newEnabled, c.primaryNew);
        EXPECT_EQ(selection.linearity().newEnabled, c.linearityNew);
        selection.choosePrimaryNew(true);
        selection.chooseLinearityNew(true);
        EXPECT_EQ(selection.choice().usePrimaryNew, c.primaryNew);
        EXPECT_EQ(selection.choice().useLinearityNew, c.linearityNew);

        // Each selection takes the matrix flag again and resets the options; the linearity
        // flags were taken once, when the selection was made.
        setFlags(c.primaryNew ? "false" : "true", "", "", "");
        selection.selectNode("Type", "Other", false);
        EXPECT_EQ(selection.primary().newEnabled, !c.primaryNew);
        EXPECT_EQ(selection.linearity().newEnabled, c.linearityNew);
        EXPECT_TRUE(selection.primary().defaultChecked && selection.linearity().defaultChecked);
        EXPECT_FALSE(selection.choice().usePrimaryNew || selection.choice().useLinearityNew);
    }
}

TEST_F(DownloadSelectionTest, DownloadNeedsATableSetACheckedBoxAndNoActiveRun)
{
    DownloadSelection selection(settings);
    EXPECT_FALSE(selection.downloadEnabled());
    for (const CalibrationOptions& options : {selection.primary(), selection.linearity()})
        EXPECT_FALSE(options.defaultEnabled || options.newEnabled || options.defaultChecked || options.newChecked);
    EXPECT_TRUE(selection.choice().colorTables && !selection.choice().calibrationValues);
    selection.setCalibrationValues(true); // no table set yet
    EXPECT_FALSE(selection.downloadEnabled());

    selection.selectNode("Velvane Orlam LED Projector", "Cinema", false);
    selection.setColorTables(false);
    EXPECT_TRUE(selection.downloadEnabled());
    const DownloadChoice choice = selection.choice();
    EXPECT_TRUE(!choice.colorTables && choice.calibrationValues);
    EXPECT_EQ(choice.displayType + "\\" + choice.table, "Velvane Orlam LED Projector\\Cinema");
    selection.setCalibrationValues(false);
    EXPECT_FALSE(selection.downloadEnabled());
    selection.setCalibrationValues(true);
    EXPECT_TRUE(selection.downloadEnabled());

    // No second run while one is active.
    selection.setRunActive(true);
    selection.selectNode("Type", "Other", false);
    EXPECT_FALSE(selection.downloadEnabled());
    selection.setRunActive(false);
    EXPECT_TRUE(selection.downloadEnabled());

    // A node with children offers nothing, whatever the boxes say, and keeps the table set.
    selection.selectNode("Display Type", "Type", true);
    EXPECT_FALSE(selection.downloadEnabled());
    EXPECT_FALSE(selection.primary().defaultEnabled || selection.linearity().defaultEnabled);
    EXPECT_EQ(selection.selectedTable(), "Other");
    selection.setColorTables(true);
    EXPECT_FALSE(selection.downloadEnabled());
}

} // namespace
