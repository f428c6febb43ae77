#pragma once

// Decodes what a flash image holds: the matrices and LUTs of the calibration region, the
// 3D tables with their row fillers, the OSD image area, and every part that does not
// decode as a download writes it.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct LutSummary {
    std::size_t length = 0;
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    bool monotonic = true; // never decreases
    std::size_t firstDecrease = 0; // index of the first value below its predecessor
};

struct CalibrationArea {
    bool erased = true;
    std::array<LutSummary, 3> firstLuts; // red, green, blue; 16-bit values
    std::array<LutSummary, 3> secondLuts; // 10-bit values
    std::array<std::array<double, 3>, 3> nativeMatrix{};
    std::array<std::array<double, 3>, 3> d65Matrix{};
};

struct ColorTableSummary {
    bool erased = true;
    std::uint32_t damagedRows = 0; // rows whose 16 filler bytes are not all 0x5A
    std::array<std::uint16_t, 3> firstEntry{}; // the table's first and last entries, 10-bit
    std::array<std::uint16_t, 3> lastEntry{};
};

struct OsdArea {
    bool erased = true;
    std::uint32_t imagesWithCleanGap = 0; // images whose 224 following bytes are all zero
};

struct FlashImageInspection {
    std::uint64_t size = 0;
    CalibrationArea calibration;
    std::array<ColorTableSummary, 6> colorTables;
    std::uint32_t intactTables = 0; // written tables with every filler intact
    OsdArea osd;
    bool untouchedErased = true; // the areas no download writes are all 0xFF
    std::vector<std::string> problems; // what does not decode
};

inline constexpr std::uint32_t kOsdImageBytes = 20000;

FlashImageInspection inspectFlashImage(std::span<const std::uint8_t> image);
