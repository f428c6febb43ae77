#pragma once

// Where a tool reports to the operator: a window's status field, the command line, or
// StatusText in memory. The whole text shows in the error colour when the last report
// was an error, so the operator sees at a glance whether the last step worked.

#include <string_view>

class StatusReport {
public:
    virtual ~StatusReport() = default;

    // Replaces the whole text.
    virtual void setStatus(std::string_view text, bool error) = 0;
    // Adds a line after the text before it.
    virtual void appendStatus(std::string_view text, bool error) = 0;
    // Empties the text. Reports that keep a colour state keep it.
    virtual void clearStatus() { setStatus({}, false); }
};
