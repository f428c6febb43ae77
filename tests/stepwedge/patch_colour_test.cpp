#include "stepwedge/patch_colour.h"

#include <gtest/gtest.h>

namespace {

StepTable parsedTable(std::string_view stepList)
{
    StepTable table;
    for (Channel channel : kAllChannels)
        parseStepList(table, channel, stepList);
    return table;
}

TEST(PatchColour, PrimariesPutTheCodeIntoTheirOwnByte)
{
    const StepTable table = parsedTable("0~64~128~255~");
    EXPECT_EQ(patchColour(table, 2, ColourSelection::Red), 0x000040u);
    EXPECT_EQ(patchColour(table, 2, ColourSelection::Green), 0x004000u);
    EXPECT_EQ(patchColour(table, 2, ColourSelection::Blue), 0x400000u);
    EXPECT_EQ(patchColour(table, 4, ColourSelection::Blue), 0xFF0000u);
    EXPECT_EQ(patchColour(table, 1, ColourSelection::Green), 0u);
}

TEST(PatchColour, GrayscaleHasAllThreeComponentsEqual)
{
    const StepTable table = parsedTable("0~64~128~255~");
    EXPECT_EQ(patchColour(table, 3, ColourSelection::Grayscale), 0x808080u);
    EXPECT_EQ(patchColour(table, 4, ColourSelection::Grayscale), 0xFFFFFFu);
    EXPECT_EQ(patchColour(table, 1, ColourSelection::Grayscale), 0u);
}

TEST(PatchColour, StepsOutsideTheListAreBlackInEverySelection)
{
    const StepTable table = parsedTable("255~255~");
    for (auto selection : {ColourSelection::Red, ColourSelection::Green, ColourSelection::Blue, ColourSelection::Grayscale}) {
        for (std::int32_t step : {0, -1, 3, 1000, INT32_MAX, INT32_MIN})
            EXPECT_EQ(patchColour(table, step, selection), 0u) << "step " << step;
        EXPECT_NE(patchColour(table, 2, selection), 0u);
    }
}

TEST(PatchColour, GreyOfAPartlyFilledTableCountsMissingChannelsAsBlack)
{
    StepTable table;
    parseStepList(table, Channel::Red, "16~");
    parseStepList(table, Channel::Blue, "32~");
    EXPECT_EQ(patchColour(table, 1, ColourSelection::Grayscale), 0x200010u);
}

} // namespace
