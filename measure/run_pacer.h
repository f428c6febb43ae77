#pragma once

// Time for a measurement run: the settle delay, the pause poll, and the time the simulated
// display needs to settle. Tests pass a simulated pacer, so runs take no real time.

#include <cstdint>

class RunPacer {
public:
    virtual ~RunPacer() = default;
    virtual void wait(std::int64_t milliseconds) = 0;
    // Milliseconds since an arbitrary start; never goes back.
    virtual std::int64_t now() const = 0;
};

// Real time: sleeps on the steady clock.
class SteadyPacer : public RunPacer {
public:
    void wait(std::int64_t milliseconds) override;
    std::int64_t now() const override;
};

// Simulated time: a wait only moves the clock on.
class SimulatedPacer : public RunPacer {
public:
    void wait(std::int64_t milliseconds) override { now_ += milliseconds > 0 ? milliseconds : 0; }
    std::int64_t now() const override { return now_; }

private:
    std::int64_t now_ = 0;
};
