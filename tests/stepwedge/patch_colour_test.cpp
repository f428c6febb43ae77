#include "stepwedge/patch_colour.h"

#include <gtest/gtest.h>

namespace {

// Blue lacks step 4, so grey there shows whether each channel is read on its own.
TEST(PatchColour, CodeGoesIntoTheSelectedBytesAndStepsOutsideTheListAreBlack)
{
    StepTable table;
    parseStepList(table, Channel::Red, "0~64~128~255~");
    parseStepList(table, Channel::Green, "0~64~128~255~");
    parseStepList(table, Channel::Blue, "0~64~128~");
    using enum ColourSelection;
    const struct {
        std::int32_t step;
        ColourSelection selection;
        std::uint32_t word;
    } cases[] = {
        {2, Red, 0x000040},       {2, Green, 0x004000},     {2, Blue, 0x400000},
        {3, Grayscale, 0x808080}, {4, Grayscale, 0x00FFFF}, {0, Red, 0},
        {5, Grayscale, 0},        {INT32_MAX, Green, 0},    {INT32_MIN, Blue, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(patchColour(table, c.step, c.selection), c.word) << "step " << c.step;
}

} // namespace
