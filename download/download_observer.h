#pragma once

// What a download reports to whoever shows it (the dialog, the command line, a test).
// Called from the worker thread.

#include <string>

enum class Beep { Default, Exclamation };

class DownloadObserver {
public:
    virtual ~DownloadObserver() = default;

    // Replaces the status line; `error` shows it in red, else in blue.
    virtual void setStatus(const std::string& text, bool error) = 0;
    // Adds a line to the status line.
    virtual void appendStatus(const std::string& text, bool error) = 0;
    // Progress in percent, 0 to 100.
    virtual void setProgress(int percent) = 0;
    virtual void setDownloadEnabled(bool enabled) = 0;
    virtual void setCancelCaption(const std::string& caption) = 0;
    virtual void beep(Beep kind) = 0;
};

// For work that has nobody to show its messages to.
class SilentObserver : public DownloadObserver {
public:
    void setStatus(const std::string&, bool) override {}
    void appendStatus(const std::string&, bool) override {}
    void setProgress(int) override {}
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string&) override {}
    void beep(Beep) override {}
};
