#pragma once

// Where a measurement run shows its patches: a full-screen window, or the simulated
// display that the simulated meter reads.

#include "config/result.h"

#include <cstdint>

class PatchDisplay {
public:
    virtual ~PatchDisplay() = default;
    // Fills the screen with a colour word (red in bits 0-7, green 8-15, blue 16-23).
    [[nodiscard]] virtual Result<> show(std::uint32_t colour) = 0;
};
