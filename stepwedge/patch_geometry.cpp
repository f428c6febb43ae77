#include "stepwedge/patch_geometry.h"

PatchRect patchRect(int width, int height, TargetSize size)
{
    if (size == TargetSize::FullScreen)
        return {0, 0, width, height};

    const int centreX = width - width / 2;
    const int centreY = height / 2;
    const double halfSide = 0.08 * width;
    // Conversion to int truncates toward zero, also for edges left of or above the area.
    return {static_cast<int>(centreX - halfSide), static_cast<int>(centreY - halfSide),
            static_cast<int>(centreX + halfSide), static_cast<int>(centreY + halfSide)};
}
