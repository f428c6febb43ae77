#include "stepwedge/ui/anchor_layout.h"

#include "gui/qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const EdgeRect& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

TEST(AnchoredRect, EachAnchorSetMovesOrStretchesWithTheDialog)
{
    const EdgeRect captured{10, 20, 110, 70};
    const auto moved = [&](int anchorSet) { return anchoredRect(captured, anchorSet, 300, -5); };
    EXPECT_EQ(moved(anchors::All), (EdgeRect{10, 20, 410, 65}));
    EXPECT_EQ(moved(anchors::Right | anchors::Bottom), (EdgeRect{310, 15, 410, 65}));
    EXPECT_EQ(moved(anchors::Left | anchors::Bottom), (EdgeRect{10, 15, 110, 65}));
    EXPECT_EQ(moved(anchors::Top | anchors::Bottom), (EdgeRect{10, 20, 110, 65}));
    EXPECT_EQ(moved(anchors::Left | anchors::Top), captured);
}

TEST(AnchorLayout, PlacesControlsFromTheCapturedRectanglesEveryTime)
{
    QWidget dialog;
    auto* stretching = new QWidget(&dialog);
    stretching->setGeometry(10, 10, 380, 200);
    auto* moving = new QWidget(&dialog);
    moving->setGeometry(300, 250, 80, 30);
    auto* reanchored = new QWidget(&dialog);
    reanchored->setGeometry(10, 250, 50, 20);

    AnchorLayout layout;
    layout.anchor(stretching, anchors::All);
    layout.anchor(moving, anchors::Right | anchors::Bottom);
    layout.anchor(reanchored, anchors::Right | anchors::Bottom);
    layout.anchor(reanchored, anchors::Left | anchors::Bottom); // replaces the first anchors
    layout.apply(QSize(900, 900));
    EXPECT_EQ(moving->geometry(), QRect(300, 250, 80, 30)) << "nothing moves before the layout is captured";

    layout.capture(QSize(400, 300));
    layout.apply(QSize(600, 500));
    EXPECT_EQ(stretching->geometry(), QRect(10, 10, 580, 400));
    EXPECT_EQ(moving->geometry(), QRect(500, 450, 80, 30));
    EXPECT_EQ(reanchored->geometry(), QRect(10, 450, 50, 20));
    layout.apply(QSize(400, 300));
    EXPECT_EQ(moving->geometry(), QRect(300, 250, 80, 30));

    // Far below the designed size a stretching control shrinks to nothing, never below.
    layout.apply(QSize(10, 10));
    EXPECT_EQ(stretching->size(), QSize(0, 0));
}

} // namespace
