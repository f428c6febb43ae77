// A full download (all three regions) to the simulated processor at the chip's typical
// times: how many adapter transfers it takes, and how long the device is kept busy against
// the chip's own floor (the erase time of the blocks erased plus the program time of the
// pages written). The argument is the bus time of one adapter call in microseconds.

#include "download/adapters/simulated_adapter_library.h"
#include "download/cspi_flash.h"

#include <benchmark/benchmark.h>

namespace {

std::array<FlashRegion, 3> fullImage()
{
    std::array<FlashRegion, 3> regions = makeFlashRegions();
    for (FlashRegion& region : regions) {
        region.selected = true;
        region.data.assign(region.paddedSize, 0);
        for (std::uint32_t i = 0; i < region.dataSize; ++i)
            region.data[i] = static_cast<std::uint8_t>(i * 13 + (i >> 10));
    }
    return regions;
}

void FullSimulatedDownload(benchmark::State& benchState)
{
    std::array<FlashRegion, 3> regions = fullImage();
    SimulatedAdapterSetup setup;
    setup.bus.callMicros = static_cast<std::uint32_t>(benchState.range(0));
    SilentObserver observer;
    NoPause pacer;
    double deviceSeconds = 0;
    double floorSeconds = 0;
    std::uint64_t transfers = 0;
    std::uint64_t statusReads = 0;
    for (auto _ : benchState) {
        benchState.PauseTiming();
        SimulatedClock clock;
        SimulatedFlashChip chip(kW25Q64, clock);
        SimulatedAdapterLibrary library(chip, clock, setup);
        CSPI_Flash flash(library, clock);
        if (!flash.checkDevice(observer, pacer)) {
            benchState.SkipWithError("the simulated processor did not answer");
            return;
        }
        library.resetCounts();
        const std::uint64_t start = clock.nowMicroseconds();
        RunState state;
        benchState.ResumeTiming();

        flash.writeFlashRegions(regions, state, observer, pacer);

        benchState.PauseTiming();
        if (!state.ok) {
            benchState.SkipWithError(state.errorText.c_str());
            return;
        }
        deviceSeconds = static_cast<double>(clock.nowMicroseconds() - start) / 1e6;
        floorSeconds = (static_cast<double>(library.transferCount(TransferKind::BlockErase)) * kW25Q64.blockEraseTypicalMicros
                        + static_cast<double>(library.transferCount(TransferKind::PageProgram)) * kW25Q64.pageProgramTypicalMicros)
                     / 1e6;
        transfers = library.totalTransfers();
        statusReads = library.transferCount(TransferKind::ReadStatus);
        benchState.ResumeTiming();
    }
    benchState.counters["transfers"] = static_cast<double>(transfers);
    benchState.counters["status_reads"] = static_cast<double>(statusReads);
    benchState.counters["device_s"] = deviceSeconds;
    benchState.counters["floor_s"] = floorSeconds;
    benchState.counters["device_per_floor"] = deviceSeconds / floorSeconds;
}

} // namespace

BENCHMARK(FullSimulatedDownload)->Arg(125)->Arg(250)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
