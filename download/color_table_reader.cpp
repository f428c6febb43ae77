#include "config/atomic_file.h"
#include "config/number_text.h"
#include "download/number_scanner.h"
#include "download/reader_support.h"
#include "download/table_readers.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::uint64_t kEdge = 64;
constexpr std::uint64_t kCube64Groups = kEdge * kEdge * kEdge; // 262,144
constexpr std::uint64_t kCube65Groups = (kEdge + 1) * (kEdge + 1) * (kEdge + 1); // 274,625
constexpr int kNumbersPerGroup = 6;
constexpr std::uint64_t kFieldsPerGroup = 3; // the last three numbers of a group
constexpr std::int32_t kFieldScale = 1023;
constexpr std::uint32_t kRowEnd = 0xF0; // low byte of fillCount after a row of 64 packed entries
constexpr std::uint32_t kFillerLength = 16;
constexpr std::uint8_t kFiller = 0x5A;

// Reads every group of the file, keeping the output values of at most 65-cubed groups.
bool readGroups(const std::string& path, RunState& state, std::vector<float>& outputs, std::uint64_t& groupCount)
{
    NumberScanner scanner;
    if (!scanner.open(path, kTableFileLimit)) {
        reportUnopenedFile(path, state, scanner.refusal());
        return false;
    }
    outputs.reserve(kCube65Groups * kFieldsPerGroup);
    std::uint64_t numbers = 0;
    for (float value = 0.0f;; ++numbers) {
        const NumberScanner::Result result = scanner.next(value);
        if (result == NumberScanner::Result::End)
            break;
        if (result != NumberScanner::Result::Number) {
            reportScanFailure(path, result, scanner, state);
            return false;
        }
        if (numbers % kNumbersPerGroup >= kNumbersPerGroup - kFieldsPerGroup
            && outputs.size() < kCube65Groups * kFieldsPerGroup)
            outputs.push_back(value);
    }
    if (numbers % kNumbersPerGroup != 0) {
        state.errorText +=
            "Unable to use the Chromix 3D table file " + path + ": it ends inside a group of six numbers";
        return false;
    }
    groupCount = numbers / kNumbersPerGroup;
    if (groupCount != kCube64Groups && groupCount != kCube65Groups) {
        state.errorText += "Unable to use the Chromix 3D table file " + path + ": it holds "
            + formatInteger(static_cast<long long>(groupCount))
            + " groups of six numbers instead of 262144 (64 x 64 x 64) or 274625 (65 x 65 x 65)";
        return false;
    }
    return true;
}

// Whether a group of a 65-cubed table lies inside the 64-cubed part that is stored.
bool isStoredGroup(std::uint64_t group)
{
    const std::uint64_t inner = group % (kEdge + 1);
    const std::uint64_t middle = group / (kEdge + 1) % (kEdge + 1);
    const std::uint64_t outer = group / ((kEdge + 1) * (kEdge + 1));
    return inner < kEdge && middle < kEdge && outer < kEdge;
}

// The stored groups' fields in file order; false with a text for a value that does not fit.
bool convertStoredFields(const std::string& path, const std::vector<float>& outputs, std::uint64_t groupCount,
                         RunState& state, std::vector<std::uint16_t>& fields)
{
    fields.reserve(kCube64Groups * kFieldsPerGroup);
    for (std::uint64_t group = 0; group < groupCount; ++group) {
        if (groupCount == kCube65Groups && !isStoredGroup(group))
            continue;
        for (std::uint64_t k = 0; k < kFieldsPerGroup; ++k) {
            const float value = outputs[static_cast<std::size_t>(group * kFieldsPerGroup + k)];
            const std::optional<std::int32_t> field = convertToUnsignedField(value, kFieldScale);
            if (!field) {
                reportValueOutOfRange(path, value, "0 to 1", state);
                return false;
            }
            fields.push_back(static_cast<std::uint16_t>(*field));
        }
    }
    return true;
}

// Bytes that a group of three fields touches from bit phase `phase`.
std::uint64_t groupSpan(std::uint8_t phase)
{
    return (phase + kFieldsPerGroup * 10 + 7) / 8;
}

bool storeFields(const std::vector<std::uint16_t>& fields, FlashRegion& region, RunState& state,
                 DownloadObserver& observer)
{
    ReadProgress progress(region, observer);
    for (std::size_t at = 0; at < fields.size(); at += kFieldsPerGroup) {
        if (!hasRoom(region, groupSpan(state.packPhase))) {
            reportRegionOverflow(state);
            return false;
        }
        for (std::uint64_t k = 0; k < kFieldsPerGroup; ++k)
            state.packPhase =
                packTenBits(state.packPhase, fields[static_cast<std::size_t>(at + k)], region.data, region.fillCount);
        if (state.packPhase == 0 && (region.fillCount & 0xFF) == kRowEnd) {
            if (!hasRoom(region, kFillerLength)) {
                reportRegionOverflow(state);
                return false;
            }
            std::fill_n(region.data.begin() + static_cast<std::ptrdiff_t>(region.fillCount), kFillerLength, kFiller);
            region.fillCount += kFillerLength;
            progress.unitStored();
        }
    }
    return true;
}

} // namespace

std::uint8_t packTenBits(std::uint8_t phase, std::uint16_t value, std::span<std::uint8_t> buffer,
                         std::uint32_t& position)
{
    const unsigned shift = 6u - (phase & 6u);
    const std::uint16_t word = static_cast<std::uint16_t>(value << shift);
    if (position < buffer.size())
        buffer[position] |= static_cast<std::uint8_t>(word >> 8);
    if (std::size_t{position} + 1 < buffer.size())
        buffer[position + 1] |= static_cast<std::uint8_t>(word & 0xFF);
    position += phase == 6 ? 2 : 1;
    return static_cast<std::uint8_t>((phase + 2) % 8);
}

bool readColorTableFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    std::vector<float> outputs;
    std::uint64_t groupCount = 0;
    if (!readGroups(path, state, outputs, groupCount))
        return false;
    std::vector<std::uint16_t> fields;
    if (!convertStoredFields(path, outputs, groupCount, state, fields))
        return false;
    return storeFields(fields, region, state, observer);
}
