#pragma once

// What a download run reports from its worker thread, held until the window's thread
// collects it. The readers report after every value, so reports are coalesced: a status
// text replaces everything shown before it (only the lines appended after the last one are
// kept with it), and progress, the Download state and the Cancel caption keep their latest
// value. Collecting gives the window the same final picture as showing every report.

#include "download/download_observer.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class RunMailbox : public DownloadObserver {
public:
    // `wake` is called on the reporting thread whenever an empty mailbox receives a report;
    // it must only arrange for deliverTo to be called later on the window's thread.
    explicit RunMailbox(std::function<void()> wake);

    void setStatus(std::string_view text, bool error) override;
    void appendStatus(std::string_view text, bool error) override;
    void setProgress(int percent) override;
    void setDownloadEnabled(bool enabled) override;
    void setCancelCaption(const std::string& caption) override;
    void beep(Beep kind) override;

    // Hands what arrived since the last delivery to `target` and empties the mailbox.
    void deliverTo(DownloadObserver& target);

private:
    struct StatusLine {
        std::string text;
        bool error = false;
        bool appended = false;
    };

    struct Contents {
        std::vector<StatusLine> status; // a replacement first, if any, then appended lines
        std::optional<int> progress;
        std::optional<bool> downloadEnabled;
        std::optional<std::string> cancelCaption;
        std::vector<Beep> beeps;
    };

    template <typename Change> void post(Change change);

    const std::function<void()> wake_;
    std::mutex mutex_;
    Contents contents_;
    bool holdsReports_ = false;
};
