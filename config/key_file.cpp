#include "config/key_file.h"

#include "config/atomic_file.h"

#include <vector>

namespace keyfile {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

// The file's text split into lines without their line ends (LF or CR LF), the byte order
// mark set apart so that it neither hides the first section nor gets lost on write.
struct Lines {
    bool byteOrderMark = false;
    std::vector<std::string_view> lines;
};

Lines splitLines(std::string_view content)
{
    Lines result;
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        result.byteOrderMark = true;
        content.remove_prefix(kByteOrderMark.size());
    }
    while (!content.empty()) {
        const auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        result.lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        content.remove_prefix(end + 1);
    }
    return result;
}

// The name of a section header line "[name]", or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const auto close = line.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// A "key=value" line; comment lines (";") and lines without "=" hold no key.
std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimBlanks(trimmed.substr(0, equals)), trimBlanks(trimmed.substr(equals + 1))};
}

// Where a key sits in the lines: the section's header line and the lines after it up to
// the next header, and the key's line when the section holds it.
struct Location {
    std::optional<std::size_t> header;
    std::size_t sectionEnd = 0;
    std::optional<std::size_t> keyLine;
};

Location locate(const std::vector<std::string_view>& lines, std::string_view section, std::string_view key)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    Location location;
    std::size_t i = 0;
    for (; i < lines.size() && !location.header; ++i) {
        const auto name = sectionName(lines[i]);
        if (name && sameName(*name, section))
            location.header = i;
    }
    if (!location.header)
        return location;
    for (; i < lines.size() && !sectionName(lines[i]); ++i) {
        if (location.keyLine)
            continue;
        const auto entry = keyLine(lines[i]);
        if (entry && sameName(entry->key, key))
            location.keyLine = i;
    }
    location.sectionEnd = i;
    return location;
}

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A name or value that would not read back as written: line breaks would start new lines,
// and a key with "=", or one that reads as a comment or a section header, is another key.
bool isWritable(std::string_view section, std::string_view key, std::string_view value)
{
    key = trimBlanks(key);
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        return false;
    if (key.empty() || key.find('=') != std::string_view::npos)
        return false;
    return key.front() != ';' && key.front() != '[';
}

std::string joinLines(const Lines& file)
{
    std::string text;
    if (file.byteOrderMark)
        text += kByteOrderMark;
    for (const auto line : file.lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

} // namespace

std::optional<std::string> findValue(std::string_view content, std::string_view section, std::string_view key)
{
    const Lines file = splitLines(content);
    const Location location = locate(file.lines, section, key);
    if (!location.keyLine)
        return std::nullopt;
    const std::string_view value = keyLine(file.lines[*location.keyLine])->value.substr(0, kMaxValueLength);
    if (value.empty())
        return std::nullopt;
    return std::string(value);
}

std::string withValue(std::string_view content, std::string_view section, std::string_view key, std::string_view value)
{
    Lines file = splitLines(content);
    if (!isWritable(section, key, value))
        return joinLines(file);

    // The lines are views: the new texts must outlive the join below.
    const Location location = locate(file.lines, section, key);
    // Only the value of an existing key changes; its name keeps the spelling the file has.
    const std::string_view keyName = location.keyLine ? keyLine(file.lines[*location.keyLine])->key : trimBlanks(key);
    const std::string keyText = std::string(keyName) + "=" + std::string(value);
    const std::string header = "[" + std::string(trimBlanks(section)) + "]";
    if (location.keyLine) {
        file.lines[*location.keyLine] = keyText;
    } else if (location.header) {
        std::size_t insertAt = location.sectionEnd;
        while (insertAt > *location.header + 1 && trimBlanks(file.lines[insertAt - 1]).empty())
            --insertAt;
        file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyText);
    } else {
        file.lines.push_back(header);
        file.lines.push_back(keyText);
    }
    return joinLines(file);
}

bool readValue(const std::filesystem::path& file, std::string_view section, std::string_view key, std::string& value)
{
    const Result<std::string> content = readWholeFile(file, kSettingsFileLimit);
    if (!content)
        return false;
    auto found = findValue(*content, section, key);
    if (!found)
        return false;
    value = std::move(*found);
    return true;
}

Result<> writeValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                    std::string_view value)
{
    if (!isWritable(section, key, value))
        return systemFailure("a name or value that a key file cannot hold");
    std::error_code error;
    const bool exists = std::filesystem::exists(file, error);
    if (error)
        return systemFailure(file.string() + ": " + error.message());
    std::string content;
    if (exists) {
        // An existing file that cannot be read must not be replaced by one holding only this key.
        Result<std::string> current = readWholeFile(file, kSettingsFileLimit);
        if (!current)
            return systemFailure(file.string() + ": " + current.failure().reason);
        content = std::move(*current);
    }
    if (Result<> written = replaceFileAtomically(file, withValue(content, section, key, value)); !written)
        return systemFailure(file.string() + ": " + written.failure().reason);
    return {};
}

} // namespace keyfile
