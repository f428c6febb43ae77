#include "stepwedge/ui/target_area.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kRgbMask = 0xFFFFFF;

QImage painted(TargetArea& area)
{
    return area.grab().toImage();
}

QRgb rgbAt(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & kRgbMask;
}

// Qt's RGB order is red in the high byte; the colour word holds red in the low byte.
TEST(TargetArea, ShowsTheColourWordWithRedInItsLowByte)
{
    TargetArea area;
    area.resize(64, 48);
    area.showPatch(0x204080, TargetSize::FullScreen);
    const QImage image = painted(area);
    EXPECT_EQ(rgbAt(image, 0, 0), 0x804020u);
    EXPECT_EQ(rgbAt(image, 63, 47), 0x804020u);
}

TEST(TargetArea, CentredPatchOn1280By900)
{
    TargetArea area;
    area.resize(1280, 900);
    area.showPatch(0xFFFFFF, TargetSize::Centred);
    const QImage image = painted(area);
    // Patch columns 537..741 and rows 347..551; black around it.
    EXPECT_EQ(rgbAt(image, 537, 347), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 741, 551), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 536, 400), 0u);
    EXPECT_EQ(rgbAt(image, 742, 400), 0u);
    EXPECT_EQ(rgbAt(image, 600, 346), 0u);
    EXPECT_EQ(rgbAt(image, 600, 552), 0u);
    EXPECT_EQ(rgbAt(image, 0, 0), 0u);
    EXPECT_EQ(rgbAt(image, 1279, 899), 0u);
}

TEST(TargetArea, OddWidthMovesTheSquareHalfAPixelRight)
{
    TargetArea area;
    area.resize(1281, 900);
    area.showPatch(0x0000FF, TargetSize::Centred);
    const QImage image = painted(area);
    // Centre 641, half side 102.48: columns 538..742.
    EXPECT_EQ(rgbAt(image, 537, 450), 0u);
    EXPECT_EQ(rgbAt(image, 538, 450), 0xFF0000u);
    EXPECT_EQ(rgbAt(image, 742, 450), 0xFF0000u);
    EXPECT_EQ(rgbAt(image, 743, 450), 0u);
}

TEST(TargetArea, PaintsNothingBeforeTheFirstPatch)
{
    TargetArea area;
    EXPECT_FALSE(area.patchColourWord().has_value());
    area.showPatch(0, TargetSize::FullScreen);
    EXPECT_EQ(area.patchColourWord(), 0u);
}

} // namespace
