#include "download/flash_image_report.h"

#include "config/channel.h"
#include "config/number_text.h"
#include "download/flash_region.h"

#include <algorithm>

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kErased = 0xFF;

// The calibration region as a download with the calibration tools' files lays it out.
constexpr std::size_t kFirstLutLength = 1024;
constexpr std::size_t kFirstLutsOffset = 0x0000;
constexpr std::size_t kMatrixOffset = 0x1800;
constexpr std::size_t kMatrixBlockSize = 256;
constexpr std::size_t kCoefficients = 18;
constexpr std::size_t kSecondLutLength = 8192;
constexpr std::size_t kSecondLutsOffset = 0x1900;
constexpr std::size_t kCalibrationEnd = 0xD900;

constexpr std::size_t kTableSize = 0x100000;
constexpr std::size_t kRowSize = 256;
constexpr std::size_t kPackedRowSize = 240;
constexpr std::uint8_t kFiller = 0x5A;

constexpr std::size_t kOsdGap = 224;
constexpr std::size_t kOsdImages = 14;

bool allBytes(Bytes bytes, std::uint8_t value)
{
    return std::all_of(bytes.begin(), bytes.end(), [value](std::uint8_t b) { return b == value; });
}

std::uint16_t wordAt(Bytes bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

std::string channelWord(std::size_t channel)
{
    return std::string(channelName(kAllChannels[channel]));
}

LutSummary summariseLut(Bytes bytes, std::size_t length, std::uint16_t mask, const std::string& name,
                        std::vector<std::string>& problems)
{
    LutSummary summary;
    summary.length = length;
    std::size_t oversized = 0;
    std::uint16_t previous = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint16_t raw = wordAt(bytes, 2 * i);
        if (raw & ~mask)
            ++oversized;
        const std::uint16_t value = raw & mask;
        if (i > 0 && value < previous && summary.monotonic) {
            summary.monotonic = false;
            summary.firstDecrease = i;
        }
        previous = value;
    }
    summary.first = wordAt(bytes, 0) & mask;
    summary.last = previous;
    if (oversized > 0)
        problems.push_back(name + ": " + formatInteger(static_cast<long long>(oversized))
                           + " words have bits above the 10-bit value set");
    return summary;
}

void decodeMatrices(Bytes block, CalibrationArea& area, std::vector<std::string>& problems)
{
    for (std::size_t k = 0; k < kCoefficients; ++k) {
        const Bytes word = block.subspan(4 * k, 4);
        if ((word[0] & 0x7F) != 0 || word[1] != 0)
            problems.push_back("matrix coefficient " + formatInteger(static_cast<long long>(k) + 1)
                               + ": bits 16 to 30 are not zero");
        const double magnitude = wordAt(word, 2) * 2.0 / 65535.0;
        const double value = (word[0] & 0x80) ? -magnitude : magnitude;
        auto& matrix = k < 9 ? area.nativeMatrix : area.d65Matrix;
        matrix[k % 9 / 3][k % 3] = value;
    }
    if (!allBytes(block.subspan(4 * kCoefficients), 0))
        problems.push_back("matrix block: the bytes after the 18 coefficients are not zero");
}

CalibrationArea inspectCalibration(Bytes region, std::vector<std::string>& problems)
{
    CalibrationArea area;
    area.erased = allBytes(region, kErased);
    if (area.erased)
        return area;
    for (std::size_t c = 0; c < 3; ++c) {
        area.firstLuts[c] = summariseLut(region.subspan(kFirstLutsOffset + c * 2 * kFirstLutLength), kFirstLutLength,
                                         0xFFFF, "first 1D LUT " + channelWord(c), problems);
        area.secondLuts[c] = summariseLut(region.subspan(kSecondLutsOffset + c * 2 * kSecondLutLength),
                                          kSecondLutLength, 0x03FF, "second 1D LUT " + channelWord(c), problems);
    }
    decodeMatrices(region.subspan(kMatrixOffset, kMatrixBlockSize), area, problems);
    if (!allBytes(region.subspan(kCalibrationEnd), 0))
        problems.push_back("1D LUTs and Matrices: the bytes after the second LUTs are not zero");
    return area;
}

// The three 10-bit fields of entry `entry` of a row.
std::array<std::uint16_t, 3> entryAt(Bytes row, std::size_t entry)
{
    std::array<std::uint16_t, 3> fields{};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t bit = (entry * 3 + k) * 10;
        const std::uint16_t pair = wordAt(row, bit / 8);
        fields[k] = static_cast<std::uint16_t>(pair >> (6 - bit % 8) & 0x3FF);
    }
    return fields;
}

ColorTableSummary inspectTable(Bytes table)
{
    ColorTableSummary summary;
    summary.erased = allBytes(table, kErased);
    if (summary.erased)
        return summary;
    for (std::size_t row = 0; row < table.size() / kRowSize; ++row) {
        if (!allBytes(table.subspan(row * kRowSize + kPackedRowSize, kRowSize - kPackedRowSize), kFiller))
            ++summary.damagedRows;
    }
    summary.firstEntry = entryAt(table.first(kRowSize), 0);
    summary.lastEntry = entryAt(table.last(kRowSize), 63);
    return summary;
}

OsdArea inspectOsd(Bytes region, std::uint32_t dataSize, std::vector<std::string>& problems)
{
    OsdArea area;
    area.erased = allBytes(region, kErased);
    if (area.erased)
        return area;
    const std::size_t slot = kOsdImageBytes + kOsdGap;
    for (std::size_t i = 0; i < kOsdImages; ++i) {
        if (allBytes(region.subspan(i * slot + kOsdImageBytes, kOsdGap), 0))
            ++area.imagesWithCleanGap;
        else
            problems.push_back("OSD image " + formatInteger(static_cast<long long>(i) + 1)
                               + ": the 224 bytes after it are not zero");
    }
    if (!allBytes(region.subspan(dataSize), 0))
        problems.push_back("3D Color Table's OSD Images: the bytes after the 14 images are not zero");
    return area;
}

} // namespace

FlashImageInspection inspectFlashImage(std::span<const std::uint8_t> image)
{
    FlashImageInspection inspection;
    inspection.size = image.size();
    if (image.size() != kFlashSize) {
        inspection.problems.push_back("the image holds " + formatInteger(static_cast<long long>(image.size()))
                                      + " bytes, not " + formatInteger(kFlashSize));
        return inspection;
    }
    const std::array<FlashRegion, 3> regions = makeFlashRegions();
    const auto regionBytes = [&](const FlashRegion& region) { return image.subspan(region.start, region.paddedSize); };

    inspection.calibration = inspectCalibration(regionBytes(regions[2]), inspection.problems);

    const Bytes tables = regionBytes(regions[0]);
    for (std::size_t k = 0; k < inspection.colorTables.size(); ++k) {
        ColorTableSummary& table = inspection.colorTables[k];
        table = inspectTable(tables.subspan(k * kTableSize, kTableSize));
        if (table.erased)
            continue;
        if (table.damagedRows == 0)
            ++inspection.intactTables;
        else
            inspection.problems.push_back("3D table " + formatInteger(static_cast<long long>(k) + 1) + ": "
                                          + formatInteger(table.damagedRows) + " rows without their 16 bytes of 0x5A");
    }

    inspection.osd = inspectOsd(regionBytes(regions[1]), regions[1].dataSize, inspection.problems);

    const std::uint32_t calibrationEnd = regions[2].start + regions[2].paddedSize;
    const std::uint32_t osdEnd = regions[1].start + regions[1].paddedSize;
    inspection.untouchedErased = allBytes(image.subspan(calibrationEnd, regions[1].start - calibrationEnd), kErased)
        && allBytes(image.subspan(osdEnd), kErased);
    return inspection;
}
