#pragma once

// A status text and its colour state, kept in memory (the command line, the primary
// tool's dialog state, tests). Lines are joined with CR LF as the tools write them.

#include "config/status_report.h"

#include <string>
#include <vector>

class StatusText : public StatusReport {
public:
    void setStatus(std::string_view text, bool error) override;
    void appendStatus(std::string_view text, bool error) override;
    void clearStatus() override { text_.clear(); }

    const std::string& text() const { return text_; }
    bool isError() const { return isError_; }
    // The text split at its CR LF separators; no lines when the text is empty.
    std::vector<std::string> lines() const;

private:
    std::string text_;
    bool isError_ = false;
};
