#pragma once

// Where the measured primaries land on the chromaticity chart: pixels of the chart's
// picture field (origin top left), whose axes lie at column 47 (x = 0) and row 400 (y = 0),
// with 346 pixels for 0.8 in x and 370 pixels for 0.9 in y.

#include "primary/primary_types.h"

#include <array>
#include <optional>
#include <utility>

struct FieldPixel {
    int x = 0;
    int y = 0;
    bool operator==(const FieldPixel&) const = default;
};

struct ChromaticityTriangle {
    // Red, green, blue; index with channelIndex().
    std::array<FieldPixel, 3> corners;

    // The lines in drawing order: red to green, green to blue, red to blue.
    std::array<std::pair<FieldPixel, FieldPixel>, 3> lines() const;
};

// Nothing when a coordinate is not finite: such a primary has no place on the chart.
// Points far off the chart are kept within a few thousand pixels so the painter can clip.
std::optional<ChromaticityTriangle> chromaticityTriangle(const MeasuredPrimaries& measured);
