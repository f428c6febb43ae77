#pragma once

// The flash side of a download run, as the run needs it: write the selected regions
// (erase, program, verify) and reload the processor. The SPI flash protocol implements it;
// tests put a fake in its place.

#include "download/download_observer.h"
#include "download/flash_region.h"
#include "download/pacer.h"
#include "download/run_state.h"

#include <array>

class FlashWriter {
public:
    virtual ~FlashWriter() = default;

    // Erases, writes and verifies every selected region; reports through the observer and
    // records a failure in the run state (ok = false, errorText).
    virtual void writeFlashRegions(std::array<FlashRegion, 3>& regions, RunState& state, DownloadObserver& observer,
                                   Pacer& pacer) = 0;
    // Makes the processor load the new flash contents; false when the adapter refused.
    virtual bool reloadProcessor(Pacer& pacer) = 0;
};
