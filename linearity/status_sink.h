#pragma once

// Where the linearity tool reports: the window's status box, or StatusText in memory.
// The whole text is shown in the error colour when the last report was an error.

#include <string_view>

class StatusSink {
public:
    virtual ~StatusSink() = default;

    // Replaces the whole text.
    virtual void setStatus(std::string_view text, bool error) = 0;
    // Adds a line, separated from the text before it by CR LF.
    virtual void appendStatus(std::string_view text, bool error) = 0;
    // Empties the text; the colour state stays.
    virtual void clearStatus() = 0;
};
