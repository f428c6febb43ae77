#include "stepwedge/ui/target_area.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QRgb rgbAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// Qt's RGB has red in the high byte; the colour word holds red in the low byte.
TEST(TargetArea, FullScreenFillsTheAreaWithTheColourWord)
{
    TargetArea area;
    EXPECT_FALSE(area.patchColourWord().has_value()) << "nothing is painted before the first patch";
    area.resize(64, 48);
    area.showPatch(0x204080, TargetSize::FullScreen);
    const QImage image = area.grab().toImage();
    EXPECT_EQ(rgbAt(image, 0, 0), 0x804020u);
    EXPECT_EQ(rgbAt(image, 63, 47), 0x804020u);
}

TEST(TargetArea, CentredPatchOn1280By900FillsColumns537To741AndRows347To551)
{
    TargetArea area;
    area.resize(1280, 900);
    area.showPatch(0xFFFFFF, TargetSize::Centred);
    const QImage image = area.grab().toImage();
    EXPECT_EQ(rgbAt(image, 537, 347), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 741, 551), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(image, 536, 400), 0u);
    EXPECT_EQ(rgbAt(image, 742, 400), 0u);
    EXPECT_EQ(rgbAt(image, 600, 346), 0u);
    EXPECT_EQ(rgbAt(image, 600, 552), 0u);
    EXPECT_EQ(rgbAt(image, 0, 0), 0u);
}

} // namespace
