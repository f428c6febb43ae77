#pragma once

// The flash protocol wired to the simulated processor, with a recording observer and
// pacer, and regions filled the way a run leaves them.

#include "download/adapters/simulated_adapter_library.h"
#include "download/cspi_flash.h"
#include "download_test_support.h"

#include <array>
#include <string>

struct FlashRig {
    explicit FlashRig(SimulatedAdapterSetup setup = {}) : library(chip, clock, std::move(setup)) {}

    bool check() { return flash.checkDevice(observer, pacer); }
    // How a run ended (the run state itself cannot be copied out).
    struct Outcome {
        bool ok;
        std::string errorText;
    };
    Outcome write(std::array<FlashRegion, 3>& regions)
    {
        RunState state;
        flash.writeFlashRegions(regions, state, observer, pacer);
        return {state.ok, state.errorText};
    }
    bool contentsMatch(const FlashRegion& region) const
    {
        return std::equal(region.data.begin(), region.data.begin() + region.paddedSize,
                          chip.contents().begin() + region.start);
    }

    SimulatedClock clock;
    SimulatedFlashChip chip{kW25Q64, clock};
    SimulatedAdapterLibrary library;
    CSPI_Flash flash{library, clock};
    RecordingObserver observer;
    RecordingPacer pacer;
};

// The dialog's three regions with only `index` selected, its data a pattern that differs
// from page to page, zero past the data as a run leaves it. `seed` varies the pattern.
inline std::array<FlashRegion, 3> regionsSelecting(int index, unsigned seed = 1)
{
    std::array<FlashRegion, 3> regions = makeFlashRegions();
    FlashRegion& region = regions[static_cast<std::size_t>(index)];
    region.selected = true;
    region.data.assign(region.paddedSize, 0);
    for (std::uint32_t i = 0; i < region.dataSize; ++i)
        region.data[i] = static_cast<std::uint8_t>(i * seed + (i >> 8) + 0x11);
    region.fillCount = region.dataSize;
    return regions;
}
