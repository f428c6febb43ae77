#pragma once

// What passes between the measuring window's thread and its run's worker thread: the
// operator's pause and cancel, the patch that must be on the screen before the settle
// delay starts, the run's waits, and the meter's calibration questions, which the operator
// answers in the window. Stopping (the window closes) ends every wait at once.

#include "measure/measurement_run.h"
#include "measure/patch_display.h"
#include "measure/run_pacer.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

class RunLink {
public:
    // Window side.
    void setPaused(bool paused);
    void cancel();
    // Cancels, ends every wait and answers an open question with No.
    void stop();
    void patchPainted(std::uint64_t serial);
    void answer(std::uint64_t question, bool yes);

    // Worker side. While paused, waits up to `milliseconds` for a change before answering.
    RunControl control(std::int64_t milliseconds);
    // Sleeps, ending early when the run is cancelled or stopped.
    void sleep(std::int64_t milliseconds);
    // Waits for the window to report `serial` painted; false when stopped or out of time.
    bool waitUntilPainted(std::uint64_t serial, std::int64_t milliseconds);
    // Waits for the answer to `question`; No when the window stops first.
    bool waitForAnswer(std::uint64_t question);
    std::uint64_t nextSerial();
    bool cancelled();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool paused_ = false;
    bool cancelled_ = false;
    bool stopped_ = false;
    std::uint64_t serial_ = 0;
    std::uint64_t painted_ = 0;
    std::uint64_t answered_ = 0;
    bool answer_ = false;
};

// The run's time: waits last their length times `scale` (0 in tests) and end early on
// cancel; the clock is the sum of the waits, so a simulated display settles in run time
// however short the real waits are.
class WindowPacer : public RunPacer {
public:
    WindowPacer(RunLink& link, double scale);
    void wait(std::int64_t milliseconds) override;
    std::int64_t now() const override { return now_; }

private:
    RunLink& link_;
    double scale_;
    std::int64_t now_ = 0;
};

// Shows each patch in the window (through `post`, which must paint it on the window's
// thread and then call patchPainted) and waits until it is there; then shows it on the
// simulated display too, when the run measures one.
class WindowPatchDisplay : public PatchDisplay {
public:
    using Post = std::function<void(std::uint32_t colour, std::uint64_t serial)>;
    WindowPatchDisplay(RunLink& link, Post post, PatchDisplay* simulated);
    Result<> show(std::uint32_t colour) override;

private:
    RunLink& link_;
    Post post_;
    PatchDisplay* simulated_;
};

// Reports the run to the window through `post` (called on the worker thread) and takes
// pause and cancel from the link.
class WindowRunObserver : public RunObserver {
public:
    struct Report {
        std::string patch;
        int done = 0;
        int total = 0;
        bool hasReading = false;
        MeterReading reading;
    };
    WindowRunObserver(RunLink& link, std::function<void(const Report&)> post, std::int64_t pollMilliseconds);

    void patchShown(const Patch& patch, int index, int total) override;
    void readingTaken(const Patch& patch, const MeterReading& reading, int done, int total) override;
    RunControl control() override { return link_.control(pollMilliseconds_); }

private:
    RunLink& link_;
    std::function<void(const Report&)> post_;
    std::int64_t pollMilliseconds_;
};
