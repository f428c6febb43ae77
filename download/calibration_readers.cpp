#include "config/atomic_file.h"
#include "config/number_text.h"
#include "download/number_scanner.h"
#include "download/reader_support.h"
#include "download/table_readers.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t kFirstLutScale = 65535;
constexpr std::int32_t kSecondLutScale = 1023;
constexpr std::int32_t kMatrixScale = 65535;
constexpr std::uint32_t kMatrixBlockSize = 256;
constexpr std::uint32_t kMatrixNumbers = 18; // native then D65 matrix, row by row
constexpr float kMatrixMagnitudeLimit = 2.0f;

// Both LUT kinds: each value converted with `scale` into a 16-bit big-endian word.
bool readLutFile(const std::string& path, std::int32_t scale, FlashRegion& region, RunState& state,
                 DownloadObserver& observer)
{
    NumberScanner scanner;
    if (!scanner.open(path, kSmallTableFileLimit)) {
        reportUnopenedFile(path, state, scanner.refusal());
        return false;
    }
    ReadProgress progress(region, observer);
    float value = 0.0f;
    for (;;) {
        const NumberScanner::Result result = scanner.next(value);
        if (result == NumberScanner::Result::End)
            return true;
        if (result != NumberScanner::Result::Number) {
            reportScanFailure(path, result, scanner, state);
            return false;
        }
        const std::optional<std::int32_t> field = convertToUnsignedField(value, scale);
        if (!field) {
            reportValueOutOfRange(path, value, "0 to 1", state);
            return false;
        }
        if (!hasRoom(region, 2)) {
            reportRegionOverflow(state);
            return false;
        }
        region.data[region.fillCount] |= static_cast<std::uint8_t>(*field >> 8);
        region.data[region.fillCount + 1] |= static_cast<std::uint8_t>(*field & 0xFF);
        region.fillCount += 2;
        progress.unitStored();
    }
}

// One coefficient as a sign-magnitude word: sign in bit 31, magnitude in units of 2 / 65535.
void storeCoefficient(std::int32_t field, FlashRegion& region)
{
    std::uint8_t* word = region.data.data() + region.fillCount;
    word[0] = field < 0 ? std::uint8_t{0x80} : std::uint8_t{0x00};
    word[1] = 0x00;
    const std::uint32_t magnitude = static_cast<std::uint32_t>(field < 0 ? -field : field) / 2;
    word[2] |= static_cast<std::uint8_t>(magnitude >> 8 & 0xFF);
    word[3] |= static_cast<std::uint8_t>(magnitude & 0xFF);
    region.fillCount += 4;
}

} // namespace

bool readFirstLutFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    return readLutFile(path, kFirstLutScale, region, state, observer);
}

bool readSecondLutFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    return readLutFile(path, kSecondLutScale, region, state, observer);
}

bool readMatrixFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    NumberScanner scanner;
    if (!scanner.open(path, kSmallTableFileLimit)) {
        reportUnopenedFile(path, state, scanner.refusal());
        return false;
    }
    if (!hasRoom(region, kMatrixBlockSize)) {
        reportRegionOverflow(state);
        return false;
    }
    const std::uint32_t blockStart = region.fillCount;
    const std::uint32_t blockEnd = region.fillCount + kMatrixBlockSize;
    ReadProgress progress(region, observer);
    float value = 0.0f;
    std::uint32_t numbers = 0;
    for (;; ++numbers) {
        const NumberScanner::Result result = scanner.next(value);
        if (result == NumberScanner::Result::End)
            break;
        if (result != NumberScanner::Result::Number) {
            reportScanFailure(path, result, scanner, state);
            return false;
        }
        if (numbers >= kMatrixNumbers)
            continue; // counted for the message, never stored past the block
        if (!(std::fabs(value) < kMatrixMagnitudeLimit)) {
            reportValueOutOfRange(path, value, "magnitude below 2", state);
            return false;
        }
        storeCoefficient(*convertToField(value, kMatrixScale), region);
        progress.unitStored();
    }
    // Anything but the two matrices (an empty file, one cut short by a save, or a longer
    // one) would download as a wrong matrix that the processor cannot tell from a right one.
    if (numbers != kMatrixNumbers) {
        std::fill(region.data.begin() + static_cast<std::ptrdiff_t>(blockStart),
                  region.data.begin() + static_cast<std::ptrdiff_t>(blockEnd), std::uint8_t{0});
        region.fillCount = blockStart;
        state.errorText += std::string(kSizeMismatchText) + " " + path + ": " + formatInteger(numbers)
            + " numbers instead of six lines of three";
        return false;
    }
    std::fill(region.data.begin() + static_cast<std::ptrdiff_t>(region.fillCount),
              region.data.begin() + static_cast<std::ptrdiff_t>(blockEnd), std::uint8_t{0});
    region.fillCount = blockEnd;
    return true;
}
