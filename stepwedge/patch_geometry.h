#pragma once

// Where the patch goes inside the target area.

enum class TargetSize { FullScreen = 1, Centred = 2 };

// Left and top inclusive, right and bottom exclusive, in target-area pixels. May reach
// outside the area when it is much wider than high; painting clips it.
struct PatchRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const PatchRect&) const = default;
};

// FullScreen: the whole area. Centred: a square of side 16 % of the width around the
// centre, whatever the height, so the meter sees the same patch on any screen shape.
PatchRect patchRect(int width, int height, TargetSize size);
