#pragma once

// The state a download run shares between its reading and its flash phases.

#include <atomic>
#include <cstdint>
#include <string>

struct RunState {
    std::uint8_t packPhase = 0; // bit phase of the 10-bit packer, carried across 3D table files
    std::string errorText;      // accumulated error texts, shown at the end of a failed run
    bool ok = true;
    bool usePrimaryNew = false;
    bool useLinearityNew = false;
    std::atomic<bool> stopRequested{false}; // set by the window's Cancel; checked between steps
};
