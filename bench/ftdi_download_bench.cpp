// A full three-region download through the FTDI back end to an emulated FT2232H, timed on
// the emulation's clock with FTDI's documented costs (an answer flushed at once: 0.25 ms;
// any other: the 16 ms latency timer; queued writes: their bits at 30 MHz) and the flash
// chip's typical times. The floor is what the chip itself needs: the block erases, the
// page programs and the read-back bits. The message pauses are left out.
//
// Argument 0 is the back end as built; 1 is the obvious way, every answer left to the
// latency timer (no send-immediate), for comparison.

#include "download/adapters/ftdi_adapter_library.h"
#include "download/adapters/mpsse_commands.h"
#include "download/cspi_flash.h"
#include "support/ftdi_emulation.h"

#include <benchmark/benchmark.h>

namespace {

class SilentObserver : public DownloadObserver {
public:
    void setStatus(const std::string&, bool) override {}
    void appendStatus(const std::string&, bool) override {}
    void setProgress(int) override {}
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string&) override {}
    void beep(Beep) override {}
};

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

BENCHMARK_MAIN();
