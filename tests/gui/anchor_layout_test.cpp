#include "stepwedge/ui/anchor_layout.h"

#include "gui/qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const EdgeRect& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

const EdgeRect kCaptured{10, 20, 110, 70};

TEST(AnchoredRect, EachAnchorSetMovesOrStretchesAsTheDialogGrows)
{
    const int dW = 300;
    const int dH = -5;
    EXPECT_EQ(anchoredRect(kCaptured, anchors::All, dW, dH), (EdgeRect{10, 20, 410, 65}));
    EXPECT_EQ(anchoredRect(kCaptured, anchors::Right | anchors::Bottom, dW, dH), (EdgeRect{310, 15, 410, 65}));
    EXPECT_EQ(anchoredRect(kCaptured, anchors::Left | anchors::Bottom, dW, dH), (EdgeRect{10, 15, 110, 65}));
    EXPECT_EQ(anchoredRect(kCaptured, anchors::Left | anchors::Top, dW, dH), kCaptured);
    EXPECT_EQ(anchoredRect(kCaptured, 0, dW, dH), kCaptured);
    EXPECT_EQ(anchoredRect(kCaptured, anchors::Top | anchors::Bottom, dW, dH), (EdgeRect{10, 20, 110, 65}));
}

TEST(AnchorLayout, PlacesControlsFromTheCapturedRectanglesEveryTime)
{
    QWidget dialog;
    dialog.resize(400, 300);
    auto* stretching = new QWidget(&dialog);
    stretching->setGeometry(10, 10, 380, 200);
    auto* moving = new QWidget(&dialog);
    moving->setGeometry(300, 250, 80, 30);

    AnchorLayout layout;
    layout.anchor(stretching, anchors::All);
    layout.anchor(moving, anchors::Right | anchors::Bottom);
    layout.apply(QSize(900, 900));
    EXPECT_EQ(moving->geometry(), QRect(300, 250, 80, 30)) << "nothing moves before the layout is captured";

    layout.capture(dialog.size());
    layout.apply(QSize(600, 500));
    EXPECT_EQ(stretching->geometry(), QRect(10, 10, 580, 400));
    EXPECT_EQ(moving->geometry(), QRect(500, 450, 80, 30));
    layout.apply(QSize(400, 300));
    EXPECT_EQ(stretching->geometry(), QRect(10, 10, 380, 200));
    EXPECT_EQ(moving->geometry(), QRect(300, 250, 80, 30));
}

TEST(AnchorLayout, ShrinkingBelowTheDesignedSizeNeverGivesANegativeSize)
{
    QWidget dialog;
    auto* stretching = new QWidget(&dialog);
    stretching->setGeometry(10, 10, 100, 100);
    AnchorLayout layout;
    layout.anchor(stretching, anchors::All);
    layout.capture(QSize(200, 200));
    layout.apply(QSize(50, 50));
    EXPECT_EQ(stretching->geometry().size(), QSize(0, 0));
}

TEST(AnchorLayout, RegisteringAgainReplacesTheAnchors)
{
    QWidget dialog;
    auto* control = new QWidget(&dialog);
    control->setGeometry(10, 10, 50, 20);
    AnchorLayout layout;
    layout.anchor(control, anchors::Left | anchors::Top);
    layout.anchor(control, anchors::Right | anchors::Bottom);
    layout.capture(QSize(200, 100));
    layout.apply(QSize(300, 150));
    EXPECT_EQ(control->geometry(), QRect(110, 60, 50, 20));
}

} // namespace
