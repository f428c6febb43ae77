#pragma once

// What the table readers share: the texts they leave in the run, the conversion of a
// number to an integer field, room checks on the region buffer, and the progress text.

#include "download/download_observer.h"
#include "download/flash_region.h"
#include "download/number_scanner.h"
#include "download/run_state.h"

#include <cstdint>
#include <optional>
#include <string>

// "Unable to open file %s", or "Unable to open file" for an empty path; a file that exists
// but was refused (not a regular file, too large) adds the reason.
void reportUnopenedFile(const std::string& path, RunState& state, const std::string& refusal = {});

// A number scan that ended in anything but a number or the end of the file.
void reportScanFailure(const std::string& path, NumberScanner::Result result, const NumberScanner& scanner,
                       RunState& state);

// A value that does not fit its field; `fits` names what does ("0 to 1").
void reportValueOutOfRange(const std::string& path, float value, const char* fits, RunState& state);

// A file that would fill the region beyond its buffer: the run ends with the size text.
void reportRegionOverflow(RunState& state);

// True when `bytes` more bytes fit into the region buffer at fillCount.
bool hasRoom(const FlashRegion& region, std::uint64_t bytes);

// v × scale + 0.5 in double precision, truncated toward zero. Nothing when the value is
// not finite or the result does not fit a signed 32-bit integer.
std::optional<std::int32_t> convertToField(float value, std::int32_t scale);

// The same, and nothing also when the result lies outside 0 to scale. Inline: the 3D
// tables convert millions of values.
inline std::optional<std::int32_t> convertToUnsignedField(float value, std::int32_t scale)
{
    const double scaled = static_cast<double>(value) * scale + 0.5;
    // Truncation gives 0 to scale exactly for this open interval; NaN fails both tests.
    if (!(scaled > -1.0 && scaled < scale + 1.0))
        return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

// Shows "Read count is %d and total is %d" after each stored unit of a file: the bytes
// this file has added so far and the region's fillCount. Whoever shows the texts decides
// how often to repaint.
class ReadProgress {
public:
    ReadProgress(const FlashRegion& region, DownloadObserver& observer);
    ReadProgress(const ReadProgress&) = delete;
    ReadProgress& operator=(const ReadProgress&) = delete;

    // After each stored unit (value, byte or table row).
    void unitStored();

private:
    const FlashRegion& region_;
    DownloadObserver& observer_;
    std::uint32_t startFill_;
    std::string text_; // reused: the readers report after every byte
};
