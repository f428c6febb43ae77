#include "uikit/dialog_units.h"

#include "gui/qt_printers.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

TEST(DialogUnits, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(mulDivRounded(701, 6, 4), 1052);  // 1051.5
    EXPECT_EQ(mulDivRounded(369, 13, 8), 600);  // 599.625
    EXPECT_EQ(mulDivRounded(338, 13, 8), 549);  // 549.25
    EXPECT_EQ(mulDivRounded(-3, 6, 4), -5);     // -4.5
    EXPECT_EQ(mulDivRounded(0, 7, 4), 0);
}

TEST(DialogUnits, MapsEachEdgeSoNeighboursStillTouch)
{
    // Base 6 x 13: x * 1.5 and y * 1.625, each edge rounded on its own.
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.toPixels(7, 7, 687, 308), QRect(11, 11, 1041 - 11, 512 - 11));
    // Two 1-unit-wide neighbours at 1 and 2: 1.5 -> 2, 3 -> 3, 4.5 -> 5.
    const QRect first = units.toPixels(1, 0, 1, 8);
    const QRect second = units.toPixels(2, 0, 1, 8);
    EXPECT_EQ(first.left() + first.width(), second.left());
    EXPECT_EQ(first.width() + second.width(), 3);
    EXPECT_EQ(units.toPixels(QSize(701, 369)), QSize(1052, 600));
}

TEST(DialogUnits, FollowTheFontSize)
{
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(12);
    QFont large = small;
    large.setPixelSize(24);
    const DialogUnits smallUnits(small);
    const DialogUnits largeUnits(large);
    EXPECT_EQ(smallUnits.baseHeight(), QFontMetrics(small).height());
    EXPECT_NEAR(largeUnits.baseWidth(), 2 * smallUnits.baseWidth(), 1);
    EXPECT_NEAR(largeUnits.baseHeight(), 2 * smallUnits.baseHeight(), 1);
}

TEST(DialogUnits, AverageWidthIsThatOfTheLatinLetters)
{
    // Every letter of a monospaced font has the same advance, so the average is that advance.
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(20);
    const int advance = QFontMetrics(mono).horizontalAdvance(QLatin1Char('M'));
    EXPECT_EQ(DialogUnits(mono).baseWidth(), advance);
}

} // namespace
