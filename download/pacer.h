#pragma once

// Pauses and the millisecond tick count, injected so that tests and the command line run
// without real waiting and with simulated time-outs.

#include <cstdint>

class Pacer {
public:
    virtual ~Pacer() = default;
    virtual void pause(std::uint32_t milliseconds) = 0;
};

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::uint64_t nowMilliseconds() = 0;
};

// For work that has nobody to show its messages to: no pauses at all.
class NoPause : public Pacer {
public:
    void pause(std::uint32_t) override {}
};

// The real ones: a sleeping pacer and the steady clock.
class SleepingPacer : public Pacer {
public:
    void pause(std::uint32_t milliseconds) override;
};

class SteadyClock : public MonotonicClock {
public:
    std::uint64_t nowMilliseconds() override;
};
