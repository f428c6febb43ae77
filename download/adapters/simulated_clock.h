#pragma once

// Time on the simulated processor's side of the cable. It moves only when the simulated
// adapter works (each transfer costs its bus time) or when a test advances it, so a
// download against the simulated chip runs at the chip's own timing without real waiting.
// Kept in microseconds because a page program (0.7 ms) is shorter than a millisecond tick.

#include "download/pacer.h"

#include <cstdint>

class SimulatedClock : public MonotonicClock {
public:
    std::uint64_t nowMilliseconds() override { return micros_ / 1000; }
    std::uint64_t nowMicroseconds() const { return micros_; }
    void advanceMicroseconds(std::uint64_t micros) { micros_ += micros; }

private:
    std::uint64_t micros_ = 0;
};
