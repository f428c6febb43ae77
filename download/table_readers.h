#pragma once

// The readers that turn the installed tables, the OSD images and the calibration files into
// the processor's binary form, appending it to a region buffer at the region's fillCount.
// Every reader refuses a file it cannot use with a text in the run's errorText and returns
// false; nothing is ever written past the region buffer.

#include "download/download_observer.h"
#include "download/flash_region.h"
#include "download/run_state.h"

#include <cstdint>
#include <span>
#include <string>

inline constexpr const char* kSizeMismatchText =
    "Files have too much or too little data for a successfully download!  Please check files.";

// Packs one 10-bit field most significant bit first at `position` with bit phase `phase`
// (0, 2, 4 or 6), ORing into the two bytes it touches; returns the next phase and advances
// `position` past the bytes completed. Bytes beyond the buffer are not touched.
std::uint8_t packTenBits(std::uint8_t phase, std::uint16_t value, std::span<std::uint8_t> buffer,
                         std::uint32_t& position);

// A 64- or 65-cubed table of six-number groups; stores the last three numbers of each of
// the 64 x 64 x 64 groups it keeps as 10-bit fields, each row of 64 entries closed by 16
// bytes of 0x5A. Uses and advances the run's packPhase.
bool readColorTableFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer);

// The image's bytes as they are, followed by 224 zero bytes.
bool readOsdImageFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer);

// One channel of the processor's nonlinearity LUT: each value as a 16-bit big-endian word.
bool readFirstLutFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer);

// One channel of the display linearity LUT: each value as a 10-bit number in a 16-bit
// big-endian word.
bool readSecondLutFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer);

// The matrix file's coefficients as 32-bit sign-magnitude words, padded to a 256-byte block.
bool readMatrixFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer);
