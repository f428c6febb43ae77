#pragma once

// A serial flash chip as the colour processor carries it, simulated at the level of
// chip-select cycles: status register with busy and write-enable latch, write enable
// required before (and cleared by) page program and block erase, page program that only
// clears bits and wraps inside its page, block erase to 0xFF, busy for the datasheet's
// typical times on the simulated clock. The contents live in an image file: loaded when
// the adapter opens, written back whole and atomically at write disable and at close.

#include "config/atomic_file.h"
#include "download/adapters/flash_chip_facts.h"
#include "download/adapters/simulated_clock.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

class SimulatedFlashChip {
public:
    // Without an image file the contents live in memory only.
    SimulatedFlashChip(const FlashChipFacts& facts, SimulatedClock& clock, std::filesystem::path imageFile = {});

    const FlashChipFacts& facts() const { return facts_; }
    const std::filesystem::path& imageFile() const { return imageFile_; }

    // Locks and reads the image file; a missing file is a blank (erased) chip, created at
    // the first write-back. False, with the reason, when the image's folder is missing, the
    // image is in use by another program, or it cannot be read or has another size.
    bool loadImage(std::string& error);
    // Lets other programs use the image again (after the last write-back).
    void releaseImage();
    // Writes the contents to the image file when they changed since the last load or
    // write-back. False, with the reason, when the file cannot be replaced.
    bool writeBack(std::string& error);

    // One chip-select cycle: `command` and then `data` are clocked in, then
    // `received.size()` bytes are clocked out. False only when a write disable could not
    // write the contents back.
    bool select(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data,
                std::span<std::uint8_t> received);

    std::uint8_t status() const;
    std::span<const std::uint8_t> contents() const { return memory_; }

    // Faults for tests.
    void answerIdentification(std::uint8_t manufacturer, std::uint8_t device);
    void stayBusyForever() { stuckBusy_ = true; }
    void flipBitOnRead(std::uint32_t address, std::uint8_t mask);
    void clearFaults();

private:
    bool busy() const;
    void startOperation(std::uint32_t durationMicros);
    void readData(std::uint32_t address, std::span<std::uint8_t> out) const;
    void identify(std::uint32_t address, std::size_t sentCount, std::span<std::uint8_t> received) const;
    void readAfterCommand(std::uint32_t address, std::size_t sentCount, std::span<std::uint8_t> received) const;
    void programPage(std::uint32_t address, std::span<const std::uint8_t> bytes);
    void eraseBlock(std::uint32_t address);

    const FlashChipFacts facts_;
    SimulatedClock& clock_;
    const std::filesystem::path imageFile_;
    std::optional<FileLock> imageLock_;
    std::vector<std::uint8_t> memory_;
    bool changed_ = false;
    bool writeEnableLatch_ = false;
    std::uint64_t busyUntilMicros_ = 0;

    std::uint8_t answeredManufacturer_;
    std::uint8_t answeredDevice_;
    bool stuckBusy_ = false;
    std::optional<std::uint32_t> flippedAddress_;
    std::uint8_t flipMask_ = 0;
};
