#pragma once

// Registry export file texts for the parser and store tests.

#include <string>
#include <string_view>
#include <vector>

// Joins lines with CR LF, as regedit writes them.
inline std::string crlfLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// ASCII text as UTF-16LE: every byte followed by a zero byte.
inline std::string utf16Ascii(std::string_view text)
{
    std::string bytes;
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}
