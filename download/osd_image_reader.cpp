#include "download/reader_support.h"
#include "download/table_readers.h"

#include "config/atomic_file.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

// Zero bytes that follow every image in the region.
constexpr std::uint32_t kImageGap = 224;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool readOsdImageFile(const std::string& path, FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    // Binary mode: the image's bytes exactly, CR LF pairs and 0x1A bytes included.
    std::string refusal;
    std::unique_ptr<std::FILE, FileCloser> file(path.empty() ? nullptr
                                                             : openRegularFile(path, kSmallTableFileLimit, refusal));
    if (!file) {
        std::error_code ignored;
        reportUnopenedFile(path, state, std::filesystem::exists(path, ignored) ? refusal : std::string());
        return false;
    }
    ReadProgress progress(region, observer);
    std::array<std::uint8_t, 65536> block;
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        if (got == 0)
            break;
        if (!hasRoom(region, got)) {
            reportRegionOverflow(state);
            return false;
        }
        for (std::size_t at = 0; at < got; ++at) {
            region.data[region.fillCount++] |= block[at];
            progress.unitStored();
        }
    }
    if (std::ferror(file.get())) {
        state.errorText += "Unable to read file " + path;
        return false;
    }
    // The gap is part of what the image fills: an image that leaves no room for it does not fit.
    if (!hasRoom(region, kImageGap)) {
        reportRegionOverflow(state);
        return false;
    }
    region.fillCount += kImageGap;
    return true;
}
