#include "stepwedge/ui/target_area.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Painted pixels as a user sees them: Qt's RGB has red in the high byte, the colour word
// in the low byte.
TEST(TargetArea, PaintsTheColourWordOverTheWholeAreaOrTheCentredSquare)
{
    TargetArea area;
    EXPECT_FALSE(area.patchColourWord().has_value()) << "nothing is painted before the first patch";
    area.resize(1280, 900);
    area.showPatch(0x204080, TargetSize::FullScreen);
    QImage image = area.grab().toImage();
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x804020u);
    EXPECT_EQ(image.pixel(1279, 899) & 0xFFFFFF, 0x804020u);

    // Columns 537..741 and rows 347..551 of a 1280 x 900 area.
    area.showPatch(0xFFFFFF, TargetSize::Centred);
    image = area.grab().toImage();
    const struct {
        int x, y;
        QRgb rgb;
    } pixels[] = {{537, 347, 0xFFFFFF}, {741, 551, 0xFFFFFF}, {536, 400, 0}, {742, 400, 0}, {600, 346, 0}, {600, 552, 0}, {0, 0, 0}};
    for (const auto& p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y) & 0xFFFFFF, p.rgb) << p.x << ", " << p.y;
}

} // namespace
