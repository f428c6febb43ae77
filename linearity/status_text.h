#pragma once

// The status box's text and colour state, kept in memory.

#include "linearity/status_sink.h"

#include <string>
#include <vector>

class StatusText : public StatusSink {
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
