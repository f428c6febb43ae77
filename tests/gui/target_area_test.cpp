#include "stepwedge/ui/target_area.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Painted pixels as a user sees them: Qt's RGB has red in the high byte, the colour word
// in the low byte. The full-screen patch is checked through the window.
TEST(TargetArea, PaintsTheCentredSquareOnBlack)
{
    TargetArea area;
    area.resize(1280, 900);
    // Columns 537..741 and rows 347..551 of a 1280 x 900 area.
    area.showPatch(0x204080, TargetSize::Centred);
    const QImage image = area.grab().toImage();
    const struct {
        int x, y;
        QRgb rgb;
    } pixels[] = {{537, 347, 0x804020}, {741, 551, 0x804020}, {536, 400, 0}, {742, 400, 0},
                  {600, 346, 0},        {600, 552, 0},        {0, 0, 0}};
    for (const auto& p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y) & 0xFFFFFF, p.rgb) << p.x << ", " << p.y;
}

} // namespace
