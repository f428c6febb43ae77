#pragma once

// What a download reports to whoever shows it (the dialog, the command line, a test).
// Called from the worker thread.

#include "config/status_report.h"

#include <string>
#include <string_view>

enum class Beep { Default, Exclamation };

// The status texts go through StatusReport: red for an error, else blue.
class DownloadObserver : public StatusReport {
public:
    // Progress in percent, 0 to 100.
    virtual void setProgress(int percent) = 0;
    virtual void setDownloadEnabled(bool enabled) = 0;
    virtual void setCancelCaption(const std::string& caption) = 0;
    virtual void beep(Beep kind) = 0;
};

// For work that has nobody to show its messages to.
class SilentObserver : public DownloadObserver {
public:
    void setStatus(std::string_view, bool) override {}
    void appendStatus(std::string_view, bool) override {}
    void setProgress(int) override {}
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string&) override {}
    void beep(Beep) override {}
};
