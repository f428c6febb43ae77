// A full download (all three regions) at the flash chip's typical times, against the chip's
// own floor, two ways:
// - FullSimulatedDownload: to the simulated processor; how many adapter transfers it takes
//   and how long the device is kept busy against the erase and program times. The argument
//   is the bus time of one adapter call in microseconds.
// - FtdiFullDownload: through the FTDI back end to an emulated FT2232H, on the emulation's
//   clock with FTDI's documented costs (an answer flushed at once: 0.25 ms; any other: the
//   16 ms latency timer; queued writes: their bits at 30 MHz). Its floor adds the read-back
//   bits to the erases and page programs. Argument 0 is the back end as built; 1 is the
//   obvious way, every answer left to the latency timer (no send-immediate).
// The message pauses are left out.

#include "download/adapters/ftdi_adapter_library.h"
#include "download/adapters/mpsse_commands.h"
#include "download/adapters/simulated_adapter_library.h"
#include "download/cspi_flash.h"
#include "support/ftdi_emulation.h"

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
        floorSeconds =
            (static_cast<double>(library.transferCount(TransferKind::BlockErase)) * kW25Q64.blockEraseTypicalMicros
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

// The baseline: the same bytes without the send-immediate that ends each read.
class WithoutSendImmediate : public FtdiUsb {
public:
    explicit WithoutSendImmediate(FtdiUsb& usb) : usb_(usb) {}
    FtdiDeviceList findDevices() override { return usb_.findDevices(); }
    FtdiOpenResult open(const FtdiDevice& device, int interfaceIndex) override
    {
        FtdiOpenResult result = usb_.open(device, interfaceIndex);
        if (result.port)
            result.port = std::make_unique<Port>(std::move(result.port));
        return result;
    }

private:
    class Port : public FtdiPort {
    public:
        explicit Port(std::unique_ptr<FtdiPort> port) : port_(std::move(port)) {}
        int write(const std::uint8_t* data, int size) override
        {
            const bool dropLast = size > 0 && data[size - 1] == mpsse::kSendImmediate;
            const int written = port_->write(data, dropLast ? size - 1 : size);
            return written < 0 ? written : size;
        }
        int read(std::uint8_t* data, int size) override { return port_->read(data, size); }
        int purge() override { return port_->purge(); }
        std::string errorText() override { return port_->errorText(); }

    private:
        std::unique_ptr<FtdiPort> port_;
    };
    FtdiUsb& usb_;
};

void FtdiFullDownload(benchmark::State& benchState)
{
    const bool baseline = benchState.range(0) == 1;
    std::array<FlashRegion, 3> regions = fullImage();
    SilentObserver observer;
    NoPause pacer;
    double seconds = 0;
    double floorSeconds = 0;
    double roundTrips = 0;
    double roundTripsPerPage = 0;
    for (auto _ : benchState) {
        SimulatedClock clock;
        EmulatedFtdiUsb emulation(clock);
        EmulatedFtdiDevice& device = emulation.attach(FtdiChip::FT2232H, "FT01");
        WithoutSendImmediate withoutFlush(emulation);
        FtdiAdapterLibrary library(baseline ? static_cast<FtdiUsb&>(withoutFlush) : emulation, clock);
        CSPI_Flash flash(library, clock);
        if (!flash.checkDevice(observer, pacer)) {
            benchState.SkipWithError("the emulated adapter did not answer");
            return;
        }
        const std::uint64_t startMicros = clock.nowMicroseconds();
        const std::uint64_t startTrips = device.mpsse(0).roundTrips;
        RunState state;
        flash.writeFlashRegions(regions, state, observer, pacer);
        if (!state.ok) {
            benchState.SkipWithError(state.errorText.c_str());
            return;
        }
        seconds = static_cast<double>(clock.nowMicroseconds() - startMicros) / 1e6;
        roundTrips = static_cast<double>(device.mpsse(0).roundTrips - startTrips);

        // One more page, alone, for its round trips.
        const std::uint64_t beforePage = device.mpsse(0).roundTrips;
        flash.programPage(regions[2].data.data(), regions[2].start, 256);
        roundTripsPerPage = static_cast<double>(device.mpsse(0).roundTrips - beforePage);

        double bytes = 0;
        double blocks = 0;
        for (const FlashRegion& region : regions) {
            bytes += region.paddedSize;
            blocks += (region.paddedSize + kW25Q64.blockSize - 1) / kW25Q64.blockSize;
        }
        const double pages = bytes / kW25Q64.pageSize;
        floorSeconds = (blocks * kW25Q64.blockEraseTypicalMicros + pages * kW25Q64.pageProgramTypicalMicros) / 1e6
            + bytes * 8 / 30e6;
    }
    benchState.counters["download_s"] = seconds;
    benchState.counters["floor_s"] = floorSeconds;
    benchState.counters["ratio"] = seconds / floorSeconds;
    benchState.counters["round_trips"] = roundTrips;
    benchState.counters["round_trips_per_page"] = roundTripsPerPage;
}

} // namespace

BENCHMARK(FtdiFullDownload)->ArgName("latency_only")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FullSimulatedDownload)->Arg(125)->Arg(250)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
