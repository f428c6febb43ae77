#pragma once

// SPI mode 0, most significant bit first, over one FTDI interface in MPSSE mode.
//
// A USB round trip costs far more than the bytes: a chip holds a partly filled answer back
// until its latency timer runs out unless a send-immediate follows. So transfers that need
// no answer are only queued, and go out together with the next transfer that reads; every
// read ends with send-immediate, so it costs one round trip and no latency wait. Each read
// also ends with an echo check (a deliberately unknown opcode whose answer is known), so
// an answer that is short, long or shifted by a bad-command answer is caught at once.
// A queued transfer that could not be sent fails the next read, and the reads after it
// until the next transfer is queued, so its loss is reported for the operation it belonged to.

#include "download/adapters/ftdi_usb.h"
#include "download/adapters/mpsse_commands.h"
#include "download/adapters/spi_adapter_library.h"
#include "download/pacer.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class MpsseSpi {
public:
    // `maxKiloHertz` caps the SPI clock (0: the divisor alone decides).
    MpsseSpi(std::unique_ptr<FtdiPort> port, FtdiChip chip, MonotonicClock& clock, std::uint32_t maxKiloHertz);

    // Sets up the engine with SCK = base / ((1 + divisor) * 2), base 60 MHz on the H chips
    // and 12 MHz on the FT2232C/D, and checks that it answers.
    bool initialise(std::uint32_t divisor);
    std::uint32_t clockHertz() const;

    // Idle levels of chip select and GPIOL1-4 (ADBUS3-7), and (output, high) of the first
    // upper pins (ACBUS); the other upper pins keep their state. Sent at once.
    bool setPins(const PinFlags& flags, std::span<const PinPair> upperPins);
    // The upper pins' directions and levels, after a round trip that proves the adapter
    // took every earlier command.
    bool readUpperPins(std::span<PinPair> upperPins);

    // One chip-select cycle that only sends: queued.
    void write(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data);
    // One chip-select cycle that sends `command` and then reads `received.size()` bytes.
    bool read(std::span<const std::uint8_t> command, std::span<std::uint8_t> received);

    // Why the last failed operation failed.
    const std::string& lastError() const { return lastError_; }
    // Round trips so far (each costs one wait for the adapter's answer).
    std::uint64_t roundTrips() const { return roundTrips_; }

private:
    void queueLowByte(bool selected);
    void queueShiftOut(std::span<const std::uint8_t> bytes);
    bool sendQueue();
    bool exchange(std::span<std::uint8_t> answer);
    bool collect(std::span<std::uint8_t> answer);
    bool fail(const std::string& reason);

    std::unique_ptr<FtdiPort> port_;
    const FtdiChip chip_;
    MonotonicClock& clock_;
    const std::uint32_t maxKiloHertz_;
    std::uint32_t divisor_ = 0;

    std::uint8_t lowIdle_ = mpsse::kChipSelectPin;
    std::uint8_t highLevels_ = 0;
    std::uint8_t highDirections_ = 0;
    std::vector<std::uint8_t> queue_;
    std::vector<std::uint8_t> answer_;
    bool queueHoldsWrites_ = false;
    bool queuedWritesLost_ = false;
    std::string lastError_;
    std::uint64_t roundTrips_ = 0;
};
