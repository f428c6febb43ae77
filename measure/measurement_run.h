#pragma once

// A measurement run: shows each patch, waits for the display to settle, takes a reading,
// and reports as it goes. The observer can pause or cancel it between waits.

#include "measure/colour_meter.h"
#include "measure/measurement_plan.h"
#include "measure/patch_display.h"
#include "measure/run_pacer.h"

#include <cstdint>
#include <string>
#include <vector>

enum class RunControl { Continue, Pause, Cancel };

class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void patchShown(const Patch&, int /*index*/, int /*total*/) {}
    // After each reading; `done` readings of `total` taken so far.
    virtual void readingTaken(const Patch&, const MeterReading&, int /*done*/, int /*total*/) {}
    // Asked before each patch and during every wait.
    virtual RunControl control() { return RunControl::Continue; }
};

struct RunSettings {
    std::int64_t settleMilliseconds = 1000;
    // How often a paused or waiting run asks the observer again.
    std::int64_t pollMilliseconds = 50;
};

enum class RunOutcome { Completed, Cancelled, Failed };

struct RunResult {
    RunOutcome outcome = RunOutcome::Failed;
    // Empty when completed; the operator's message otherwise.
    std::string message;
    // One per patch, in the plan's order; fewer when the run stopped early.
    std::vector<MeterReading> readings;
};

inline constexpr const char* kRunCancelled = "The measurement was cancelled; no file was written.";

// Runs the plan. The meter must be open; the run leaves it open.
RunResult runMeasurement(const std::vector<Patch>& patches, PatchDisplay& display, ColourMeter& meter, RunPacer& pacer,
                         RunObserver& observer, const RunSettings& settings);
