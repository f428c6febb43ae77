#include "download/reader_support.h"

#include "config/number_text.h"
#include "download/table_readers.h"

#include <cmath>
#include <limits>

void reportUnopenedFile(const std::string& path, RunState& state, const std::string& refusal)
{
    state.errorText += path.empty() ? "Unable to open file" : "Unable to open file " + path;
    if (!refusal.empty())
        state.errorText += ": " + refusal;
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
    state.errorText +=
        "Unable to use file " + path + ": the value " + formatGeneral(value) + " does not fit its field (" + fits + ")";
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
    : region_(region)
    , observer_(observer)
    , startFill_(region.fillCount)
{
}

void ReadProgress::unitStored()
{
    text_.assign("Read count is ");
    text_ += formatInteger(region_.fillCount - startFill_);
    text_ += " and total is ";
    text_ += formatInteger(region_.fillCount);
    observer_.setStatus(text_, false);
}
