#include "stepwedge/patch_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const PatchRect& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

// Expected edges worked out by hand: centre (W - floor(W/2), floor(H/2)), half side 0.08 W,
// each edge truncated toward zero.

TEST(PatchGeometry, FullScreenCoversTheWholeArea)
{
    EXPECT_EQ(patchRect(1280, 900, TargetSize::FullScreen), (PatchRect{0, 0, 1280, 900}));
}

TEST(PatchGeometry, CentredSquareOnA1280By900Area)
{
    // centre (640, 450), half side 102.4
    EXPECT_EQ(patchRect(1280, 900, TargetSize::Centred), (PatchRect{537, 347, 742, 552}));
}

TEST(PatchGeometry, OddWidthPutsTheCentreRightOfTheMiddle)
{
    // centre x 1281 - 640 = 641, half side 102.48: 538.52 .. 743.48
    const PatchRect r = patchRect(1281, 900, TargetSize::Centred);
    EXPECT_EQ(r.left, 538);
    EXPECT_EQ(r.right, 743);
}

TEST(PatchGeometry, SideFollowsTheWidthWhateverTheHeight)
{
    // 1920 x 200: centre (960, 100), half side 153.6; the top edge lies above the area
    // and truncates toward zero.
    EXPECT_EQ(patchRect(1920, 200, TargetSize::Centred), (PatchRect{806, -53, 1113, 253}));
}

} // namespace
