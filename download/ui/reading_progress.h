#pragma once

// Passes a download run's reports on, and while the run reads its files shows how far it
// has got: the bytes read into the selected regions out of all they must hold. The flash
// phases that follow report their own progress; the first of those ends the reading.
// Used on the run's worker thread, which alone touches the regions meanwhile.

#include "download/download_observer.h"
#include "download/flash_region.h"

#include <array>
#include <cstdint>

class ReadingProgress final : public DownloadObserver {
public:
    ReadingProgress(DownloadObserver& target, const std::array<FlashRegion, 3>& regions);

    // Before each run, once its regions are selected.
    void startRun();

    void setStatus(std::string_view text, bool error) override;
    void appendStatus(std::string_view text, bool error) override { target_.appendStatus(text, error); }
    void setProgress(int percent) override;
    void setDownloadEnabled(bool enabled) override { target_.setDownloadEnabled(enabled); }
    void setCancelCaption(const std::string& caption) override { target_.setCancelCaption(caption); }
    void beep(Beep kind) override { target_.beep(kind); }

private:
    DownloadObserver& target_;
    const std::array<FlashRegion, 3>& regions_;
    bool reading_ = false;
    std::uint64_t total_ = 0;
    int shown_ = -1;
};
