#include "config/status_text.h"

namespace {
constexpr std::string_view kLineSeparator = "\r\n";
}

void StatusText::setStatus(std::string_view text, bool error)
{
    isError_ = error;
    text_ = text;
}

void StatusText::appendStatus(std::string_view text, bool error)
{
    isError_ = error;
    if (!text_.empty())
        text_ += kLineSeparator;
    text_ += text;
}

std::vector<std::string> StatusText::lines() const
{
    std::vector<std::string> result;
    if (text_.empty())
        return result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text_.find(kLineSeparator, start);
        result.emplace_back(text_.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return result;
        start = end + kLineSeparator.size();
    }
}
