#include "stepwedge/patch_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const PatchRect& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

// Edges worked out by hand: centre (W - floor(W/2), floor(H/2)), half side 0.08 W, each
// edge truncated toward zero.
TEST(PatchGeometry, CentredSquareFollowsTheWidthWhateverTheHeight)
{
    const struct {
        int width, height;
        TargetSize size;
        PatchRect expected;
    } cases[] = {
        {1280, 900, TargetSize::FullScreen, {0, 0, 1280, 900}},
        {1280, 900, TargetSize::Centred, {537, 347, 742, 552}}, // centre (640, 450), half 102.4
        {1281, 900, TargetSize::Centred, {538, 347, 743, 552}}, // centre x 641, half 102.48
        {1920, 200, TargetSize::Centred, {806, -53, 1113, 253}}, // top above the area, truncated
    };
    for (const auto& c : cases)
        EXPECT_EQ(patchRect(c.width, c.height, c.size), c.expected) << c.width << " x " << c.height;
}

} // namespace
