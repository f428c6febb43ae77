#include "download/reader_support.h"

#include "config/number_text.h"
#include "download/table_readers.h"

#include <cmath>
#include <limits>

void reportUnopenedFile(const std::string& path, RunState& state)
{
    state.errorText += path.empty() ? "Unable to open file" : "Unable to open file " + path;
}

void reportScanFailure(const std::string& path, NumberScanner::Result result, const NumberScanner& scanner,
                       RunState& state)
{
    state.errorText += "Unable to read file " + path;
    if (result == NumberScanner::Result::NotANumber)
        state.errorText += ": \"" + scanner.offendingText() + "\" is not a number";
}

void reportValueOutOfRange(const std::string& path, float value, const char* fits, RunState& state)
{
    state.errorText += "Unable to use file " + path + ": the value " + formatGeneral(value) + " does not fit its field ("
                       + fits + ")";
}

void reportRegionOverflow(RunState& state)
{
    state.errorText += kSizeMismatchText;
}

bool hasRoom(const FlashRegion& region, std::uint64_t bytes)
{
    return std::uint64_t{region.fillCount} + bytes <= region.data.size();
}

std::optional<std::int32_t> convertToField(float value, std::int32_t scale)
{
    const double scaled = static_cast<double>(value) * scale + 0.5;
    // The comparison is false for NaN, so NaN is refused with the infinities.
    if (!(std::fabs(scaled) < static_cast<double>(std::numeric_limits<std::int32_t>::max())))
        return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

ReadProgress::ReadProgress(const FlashRegion& region, DownloadObserver& observer)
    : region_(region), observer_(observer), startFill_(region.fillCount), shownFill_(region.fillCount)
{
}

ReadProgress::~ReadProgress()
{
    if (pendingFill_)
        show(*pendingFill_);
}

void ReadProgress::unitStored()
{
    if (region_.fillCount - shownFill_ >= kStride)
        show(region_.fillCount);
    else
        pendingFill_ = region_.fillCount;
}

void ReadProgress::show(std::uint32_t fillCount)
{
    observer_.setStatus("Read count is " + formatInteger(fillCount - startFill_) + " and total is " + formatInteger(fillCount),
                        false);
    shownFill_ = fillCount;
    pendingFill_.reset();
}
