#pragma once

// What the benchmarks share: an observer that shows nothing.

#include "download/download_observer.h"

#include <string>

class SilentObserver : public DownloadObserver {
public:
    void setStatus(const std::string&, bool) override {}
    void appendStatus(const std::string&, bool) override {}
    void setProgress(int) override {}
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string&) override {}
    void beep(Beep) override {}
};
