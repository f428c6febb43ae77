#include "stepwedge/patch_colour.h"

#include <gtest/gtest.h>

namespace {

TEST(PatchColour, CodeGoesIntoTheSelectedBytesAndStepsOutsideTheListAreBlack)
{
    StepTable table;
    for (Channel channel : kAllChannels)
        parseStepList(table, channel, "0~64~128~255~");
    using enum ColourSelection;
    const struct {
        std::int32_t step;
        ColourSelection selection;
        std::uint32_t word;
    } cases[] = {
        {2, Red, 0x000040}, {2, Green, 0x004000}, {2, Blue, 0x400000}, {4, Blue, 0xFF0000},
        {3, Grayscale, 0x808080}, {4, Grayscale, 0xFFFFFF}, {1, Green, 0},
        {0, Red, 0}, {5, Grayscale, 0}, {-1, Blue, 0}, {INT32_MAX, Green, 0}, {INT32_MIN, Grayscale, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(patchColour(table, c.step, c.selection), c.word) << "step " << c.step;
}

TEST(PatchColour, GreyOfAPartlyFilledTableCountsMissingChannelsAsBlack)
{
    StepTable table;
    parseStepList(table, Channel::Red, "16~");
    parseStepList(table, Channel::Blue, "32~");
    EXPECT_EQ(patchColour(table, 1, ColourSelection::Grayscale), 0x200010u);
}

} // namespace
