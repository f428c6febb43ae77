#include "uikit/dialog_units.h"

#include "gui/qt_printers.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

TEST(DialogUnits, MapsEachEdgeRoundingHalvesAwayFromZero)
{
    EXPECT_EQ(mulDivRounded(-3, 6, 4), -5); // -4.5

    // Base 6 x 13: x * 1.5 and y * 1.625; edges 10.5 -> 11, 11.375 -> 11, 694 -> 1041, 315 -> 511.875 -> 512.
    // The far edges come from x + width, so neighbouring controls still touch.
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.toPixels(7, 7, 687, 308), QRect(11, 11, 1041 - 11, 512 - 11));
}

TEST(DialogUnits, BaseUnitsAreTheFontsAverageLetterWidthAndLineHeight)
{
    // Every letter of a monospaced font has the same advance, so the average is that advance.
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(20);
    const QFontMetrics metrics(mono);
    const DialogUnits units(mono);
    EXPECT_EQ(units.baseWidth(), metrics.horizontalAdvance(QLatin1Char('M')));
    EXPECT_EQ(units.baseHeight(), metrics.height());
}

} // namespace
