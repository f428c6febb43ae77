#include "measure/measurement_run.h"

#include <algorithm>

namespace {

// Waits `milliseconds` in poll-sized slices, and for as long as the observer pauses.
// False when the observer cancels.
bool waitUnlessCancelled(std::int64_t milliseconds, RunPacer& pacer, RunObserver& observer, const RunSettings& settings)
{
    const std::int64_t slice = std::max<std::int64_t>(settings.pollMilliseconds, 1);
    std::int64_t left = milliseconds;
    for (;;) {
        const RunControl control = observer.control();
        if (control == RunControl::Cancel)
            return false;
        if (control == RunControl::Pause) {
            pacer.wait(slice);
            continue;
        }
        if (left <= 0)
            return true;
        const std::int64_t step = std::min(left, slice);
        pacer.wait(step);
        left -= step;
    }
}

} // namespace

RunResult runMeasurement(const std::vector<Patch>& patches, PatchDisplay& display, ColourMeter& meter, RunPacer& pacer,
                         RunObserver& observer, const RunSettings& settings)
{
    RunResult result;
    const int total = static_cast<int>(patches.size());
    for (int index = 0; index < total; ++index) {
        const Patch& patch = patches[static_cast<std::size_t>(index)];
        if (!waitUnlessCancelled(0, pacer, observer, settings)) {
            result.outcome = RunOutcome::Cancelled;
            result.message = kRunCancelled;
            return result;
        }
        if (const Result<> shown = display.show(patch.colour); !shown) {
            result.message = "Unable to show the patch " + patchName(patch) + ": " + shown.failure().message;
            return result;
        }
        observer.patchShown(patch, index, total);
        // A pause during the settle wait only lengthens it: the patch stays on the screen.
        if (!waitUnlessCancelled(settings.settleMilliseconds, pacer, observer, settings)) {
            result.outcome = RunOutcome::Cancelled;
            result.message = kRunCancelled;
            return result;
        }
        const Result<MeterReading> reading = meter.read();
        if (!reading) {
            result.message = "No reading of " + patchName(patch) + ": " + reading.failure().message;
            return result;
        }
        result.readings.push_back(*reading);
        observer.readingTaken(patch, *reading, index + 1, total);
    }
    result.outcome = RunOutcome::Completed;
    return result;
}
