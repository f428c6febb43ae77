#pragma once

// The window's pauses: real sleeps (optionally shortened, for tests) that end at once when
// the window asks its run to stop, so that closing the window never waits out a pause.

#include "download/pacer.h"

#include <condition_variable>
#include <mutex>

class StoppablePacer : public Pacer {
public:
    // Each pause lasts its length times `scale`; 0 makes every pause return at once.
    explicit StoppablePacer(double scale = 1.0);

    void pause(std::uint32_t milliseconds) override;

    // Ends the current pause and makes later ones return at once (any thread).
    void stop();
    // Pauses last their length again, for the next run.
    void restart();

private:
    const double scale_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
};
