#include "primary/chromaticity_triangle.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kAxisColumn = 47;
constexpr int kAxisRow = 400;
constexpr double kPixelsForXSpan = 346.0;
constexpr double kPixelsForYSpan = 370.0;
constexpr double kXSpan = 0.8;
constexpr double kYSpan = 0.9;
// Far beyond the 416 x 450 field, yet safe to convert to int and to draw.
constexpr double kPixelLimit = 10000.0;

int truncatedPixels(double pixels)
{
    return static_cast<int>(std::trunc(std::clamp(pixels, -kPixelLimit, kPixelLimit)));
}

} // namespace

std::array<std::pair<FieldPixel, FieldPixel>, 3> ChromaticityTriangle::lines() const
{
    const FieldPixel& red = corners[channelIndex(Channel::Red)];
    const FieldPixel& green = corners[channelIndex(Channel::Green)];
    const FieldPixel& blue = corners[channelIndex(Channel::Blue)];
    return {{{red, green}, {green, blue}, {red, blue}}};
}

std::optional<ChromaticityTriangle> chromaticityTriangle(const MeasuredPrimaries& measured)
{
    ChromaticityTriangle triangle;
    for (std::size_t c = 0; c < 3; ++c) {
        const PrimaryMeasurement& primary = measured.primaries[c];
        const float scaledX = static_cast<float>(primary.x / kXSpan);
        const float scaledY = static_cast<float>(primary.y / kYSpan);
        if (!std::isfinite(scaledX) || !std::isfinite(scaledY))
            return std::nullopt;
        triangle.corners[c] = {kAxisColumn + truncatedPixels(kPixelsForXSpan * scaledX),
                               kAxisRow - truncatedPixels(kPixelsForYSpan * scaledY)};
    }
    return triangle;
}
