#include "download/ui/run_mailbox.h"

#include <utility>

RunMailbox::RunMailbox(std::function<void()> wake) : wake_(std::move(wake))
{
}

template <typename Change> void RunMailbox::post(Change change)
{
    bool wasEmpty = false;
    {
        std::lock_guard lock(mutex_);
        change(contents_);
        wasEmpty = !holdsReports_;
        holdsReports_ = true;
    }
    if (wasEmpty && wake_)
        wake_();
}

void RunMailbox::setStatus(std::string_view text, bool error)
{
    post([&](Contents& contents) {
        contents.status.clear();
        contents.status.push_back({std::string(text), error, false});
    });
}

void RunMailbox::appendStatus(std::string_view text, bool error)
{
    post([&](Contents& contents) { contents.status.push_back({std::string(text), error, true}); });
}

void RunMailbox::setProgress(int percent)
{
    post([&](Contents& contents) { contents.progress = percent; });
}

void RunMailbox::setDownloadEnabled(bool enabled)
{
    post([&](Contents& contents) { contents.downloadEnabled = enabled; });
}

void RunMailbox::setCancelCaption(const std::string& caption)
{
    post([&](Contents& contents) { contents.cancelCaption = caption; });
}

void RunMailbox::beep(Beep kind)
{
    post([&](Contents& contents) { contents.beeps.push_back(kind); });
}

void RunMailbox::deliverTo(DownloadObserver& target)
{
    Contents delivered;
    {
        std::lock_guard lock(mutex_);
        delivered = std::exchange(contents_, Contents{});
        holdsReports_ = false;
    }
    for (const StatusLine& line : delivered.status) {
        if (line.appended)
            target.appendStatus(line.text, line.error);
        else
            target.setStatus(line.text, line.error);
    }
    if (delivered.progress)
        target.setProgress(*delivered.progress);
    if (delivered.downloadEnabled)
        target.setDownloadEnabled(*delivered.downloadEnabled);
    if (delivered.cancelCaption)
        target.setCancelCaption(*delivered.cancelCaption);
    for (Beep kind : delivered.beeps)
        target.beep(kind);
}
