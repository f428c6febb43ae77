#pragma once

// What a serial flash chip is, as data: size, identification, geometry and the datasheet's
// operation times. The simulated processor is built from these, and the protocol takes its
// time limits from them.

#include <cstdint>

struct FlashChipFacts {
    const char* name;
    std::uint8_t manufacturerId; // first byte answered to the identification command
    std::uint8_t deviceId; // second byte
    std::uint32_t sizeBytes;
    std::uint32_t pageSize; // page program wraps inside one page
    std::uint32_t blockSize; // block erase unit
    std::uint32_t pageProgramTypicalMicros;
    std::uint32_t pageProgramMaxMicros;
    std::uint32_t blockEraseTypicalMicros;
    std::uint32_t blockEraseMaxMicros;
};

// Winbond W25Q64 (64 Mbit): the colour processor's flash.
inline constexpr FlashChipFacts kW25Q64{
    "W25Q64", 0xEF, 0x16, 0x800000, 256, 0x10000, 700, 3000, 150000, 2000000,
};
