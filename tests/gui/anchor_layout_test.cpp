#include "stepwedge/ui/anchor_layout.h"

#include "gui/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(AnchorLayout, PlacesControlsFromTheCapturedRectanglesEveryTime)
{
    QWidget dialog;
    const auto child = [&dialog](QRect geometry) {
        auto* widget = new QWidget(&dialog);
        widget->setGeometry(geometry);
        return widget;
    };
    QWidget* stretching = child({10, 10, 380, 200});
    QWidget* reanchored = child({10, 250, 50, 20});
    QWidget* tall = child({100, 20, 50, 20});

    AnchorLayout layout;
    layout.anchor(stretching, anchors::All);
    layout.anchor(reanchored, anchors::Right | anchors::Bottom);
    layout.anchor(reanchored, anchors::Left | anchors::Bottom); // replaces the first anchors
    layout.anchor(tall, anchors::Top | anchors::Bottom);

    layout.capture(QSize(400, 300));
    layout.apply(QSize(600, 500));
    EXPECT_EQ(stretching->geometry(), QRect(10, 10, 580, 400));
    EXPECT_EQ(reanchored->geometry(), QRect(10, 450, 50, 20));
    EXPECT_EQ(tall->geometry(), QRect(100, 20, 50, 220));
    layout.apply(QSize(400, 300));
    EXPECT_EQ(tall->geometry(), QRect(100, 20, 50, 20));

    // Far below the designed size a stretching control shrinks to nothing, never below.
    layout.apply(QSize(10, 10));
    EXPECT_EQ(stretching->size(), QSize(0, 0));
}

} // namespace
