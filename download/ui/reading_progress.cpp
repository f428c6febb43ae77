#include "download/ui/reading_progress.h"

ReadingProgress::ReadingProgress(DownloadObserver& target, const std::array<FlashRegion, 3>& regions)
    : target_(target)
    , regions_(regions)
{
}

void ReadingProgress::startRun()
{
    reading_ = true;
    total_ = 0;
    for (const FlashRegion& region : regions_) {
        if (region.selected)
            total_ += region.dataSize;
    }
    shown_ = -1;
}

// The readers report after every value they store, so the bytes read are counted here.
void ReadingProgress::setStatus(std::string_view text, bool error)
{
    target_.setStatus(text, error);
    if (!reading_ || total_ == 0)
        return;
    std::uint64_t read = 0;
    for (const FlashRegion& region : regions_) {
        if (region.selected)
            read += region.fillCount;
    }
    const int percent = static_cast<int>(read * 100 / total_);
    if (percent != shown_) {
        shown_ = percent;
        target_.setProgress(percent);
    }
}

void ReadingProgress::setProgress(int percent)
{
    reading_ = false;
    target_.setProgress(percent);
}
