#pragma once

// One region of the colour processor's flash that a download writes, with the buffer a
// run fills from the region's files.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct FlashRegion {
    std::uint32_t start = 0; // flash address of the region's first byte
    std::uint32_t paddedSize = 0; // dataSize rounded up to a 64 KiB multiple: erased, written, verified
    std::uint32_t dataSize = 0; // bytes the region's files must fill exactly
    std::vector<std::uint8_t> data; // paddedSize bytes, zero-filled at the start of every run
    int index = 0;
    bool selected = false;
    std::uint32_t fillCount = 0; // bytes filled so far; where a reader writes next
    std::string name; // used in messages
};

inline constexpr std::uint32_t kFlashSize = 0x800000;
inline constexpr std::uint32_t kFlashBlockSize = 0x10000;

// The three regions, as the dialog sets them up: 3D colour tables, their OSD images,
// and the 1D LUTs with the matrices.
std::array<FlashRegion, 3> makeFlashRegions();
