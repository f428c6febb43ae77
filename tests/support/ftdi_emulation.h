#pragma once

// FTDI chips as libftdi shows them, emulated for tests and benchmarks: the MPSSE command
// stream goes in, answers come out, and a simulated W25Q64 sits on interface A's SPI
// pins. Time runs on a simulated clock with FTDI's documented costs: an answer flushed
// at once (send-immediate) costs one USB round trip, any other waits for the latency
// timer; shifted bits cost their time at the SPI clock. Commands run when they are
// written, so a status read samples the chip before its round trip is paid.

#include "download/adapters/ftdi_usb.h"
#include "download/adapters/simulated_clock.h"
#include "download/adapters/simulated_flash_chip.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct FtdiCosts {
    std::uint32_t roundTripMicros = 250;
    std::uint32_t latencyMicros = 16000;
};

// One MPSSE interface: its engine, pins and what it saw.
class EmulatedMpsse {
public:
    EmulatedMpsse(FtdiChip chip, SimulatedClock& clock, const FtdiCosts& costs, SimulatedFlashChip* flash);

    void take(const std::uint8_t* data, std::size_t size);
    std::size_t give(std::uint8_t* data, std::size_t size);
    void purge();

    std::uint32_t clockHertz() const;
    std::uint8_t lowLevels() const { return lowLevels_; }
    std::uint8_t highLevels() const { return highLevels_; }
    // ADBUS4 (the processor's reload line) going from low to high while driven.
    int reloadEdges() const { return reloadEdges_; }
    std::vector<std::uint8_t> highSpeedCommandsRefused; // H-chip commands sent to an FT2232C
    std::vector<std::string> faults; // anything not SPI mode 0 as wired
    std::uint64_t roundTrips = 0;
    // Bytes put into the answer stream as if the engine had refused a command.
    void injectAnswer(std::vector<std::uint8_t> bytes) { injected_ = std::move(bytes); }

private:
    std::size_t execute(std::size_t at);
    void setLow(std::uint8_t levels, std::uint8_t directions);
    void refuse(std::uint8_t opcode);
    void shift(std::size_t bytes);
    void answer(std::uint8_t byte) { answers_.push_back(byte); }

    const FtdiChip chip_;
    SimulatedClock& clock_;
    const FtdiCosts& costs_;
    SimulatedFlashChip* flash_;
    std::vector<std::uint8_t> pending_;
    std::deque<std::uint8_t> answers_;
    std::size_t flushed_ = 0; // answers a send-immediate released
    bool charged_ = false; // the answers' round trip is paid
    bool divideBy5_ = true;
    std::uint32_t divisor_ = 0xFFFF;
    std::uint8_t lowLevels_ = 0;
    std::uint8_t lowDirections_ = 0;
    std::uint8_t highLevels_ = 0;
    std::uint8_t highDirections_ = 0;
    bool selected_ = false;
    bool cycleRead_ = false;
    std::vector<std::uint8_t> cycleSent_;
    int reloadEdges_ = 0;
    std::vector<std::uint8_t> injected_;
};

class EmulatedFtdiDevice {
public:
    // The flash contents live in `imageFile` when one is given (written back at write disable).
    EmulatedFtdiDevice(FtdiDevice device, SimulatedClock& clock, const FtdiCosts& costs,
                       std::filesystem::path imageFile = {});

    const FtdiDevice& device() const { return device_; }
    SimulatedFlashChip& flash() { return flash_; }
    EmulatedMpsse& mpsse(int interfaceIndex) { return *interfaces_[static_cast<std::size_t>(interfaceIndex)]; }
    int openCount() const { return openCount_; }

    // Faults: the n-th write from now on fails; from the n-th write on nothing answers.
    void failWrite(std::uint64_t occurrence) { failingWrite_ = writes_ + occurrence; }
    void goSilentAtWrite(std::uint64_t occurrence) { silentFrom_ = writes_ + occurrence; }

private:
    friend class EmulatedFtdiPort;
    FtdiDevice device_;
    SimulatedClock& clock_;
    const FtdiCosts& costs_;
    SimulatedFlashChip flash_;
    std::vector<std::unique_ptr<EmulatedMpsse>> interfaces_;
    std::uint64_t writes_ = 0;
    std::optional<std::uint64_t> failingWrite_;
    std::optional<std::uint64_t> silentFrom_;
    int openCount_ = 0;
};

class EmulatedFtdiUsb : public FtdiUsb {
public:
    explicit EmulatedFtdiUsb(SimulatedClock& clock, FtdiCosts costs = {}) : clock_(clock), costs_(costs) {}

    EmulatedFtdiDevice& attach(FtdiChip chip, std::string serial = {}, std::uint8_t port = 0,
                               std::filesystem::path imageFile = {});
    void denyAccess(bool deny) { denyAccess_ = deny; }

    FtdiDeviceList findDevices() override;
    FtdiOpenResult open(const FtdiDevice& device, int interfaceIndex) override;

private:
    SimulatedClock& clock_;
    const FtdiCosts costs_;
    std::vector<std::unique_ptr<EmulatedFtdiDevice>> devices_;
    bool denyAccess_ = false;
};
