#include "config/registry_file.h"

#include "config/utf_text.h"

#include <algorithm>
#include <map>

namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4Header = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::size_t kHexLineWidth = 80; // regedit wraps hex data before this column
// The registry's own limit; it also bounds the recursion of whoever walks the key tree.
constexpr std::size_t kMaxKeyDepth = 512;

// Registry value types whose data is text (string, expandable string, multi-string).
constexpr unsigned long kTextTypes[] = {1, 2, 7};
constexpr unsigned long kStringType = 1;
constexpr unsigned long kNumberType = 4;

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperAscii(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](char c) { return upperAscii(c); });
    return result;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upperAscii(x) == upperAscii(y); });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// True when `path` names a key strictly below `key`.
bool isBelow(std::string_view path, std::string_view key)
{
    if (key.empty())
        return !path.empty();
    return path.size() > key.size() && path[key.size()] == '\\' && equalsNoCase(path.substr(0, key.size()), key);
}

// True when deleting `deletedPath` removes `key` (the key itself or one of its parents).
bool deletionRemoves(std::string_view deletedPath, std::string_view key)
{
    return equalsNoCase(key, deletedPath) || isBelow(key, deletedPath);
}

// The name of the child of `key` on the way down to `path` (which is below `key`).
std::string_view childOnPath(std::string_view path, std::string_view key)
{
    const std::string_view rest = key.empty() ? path : path.substr(key.size() + 1);
    return rest.substr(0, rest.find('\\'));
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Digits of a hexadecimal number of at most `maxDigits` digits; false for anything else.
bool parseHexNumber(std::string_view digits, std::size_t maxDigits, unsigned long& value)
{
    if (digits.empty() || digits.size() > maxDigits)
        return false;
    value = 0;
    for (char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    return true;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = next;
    }
    return lines;
}

// Reads a quoted text starting at text[pos] == '"' with the escapes \\ and \", leaving
// `pos` after the closing quote.
bool readQuoted(std::string_view text, std::size_t& pos, std::string& out, std::string& error)
{
    out.clear();
    for (++pos; pos < text.size();) {
        const std::size_t special = std::min(text.find_first_of("\\\"", pos), text.size());
        out.append(text.substr(pos, special - pos));
        pos = special;
        if (pos == text.size())
            break;
        if (text[pos] == '"') {
            ++pos;
            return true;
        }
        if (pos + 1 == text.size())
            break;
        const char escaped = text[pos + 1];
        if (escaped != '\\' && escaped != '"') {
            error = std::string("unknown escape \"\\") + escaped + "\" in quoted text";
            return false;
        }
        out += escaped;
        pos += 2;
    }
    error = "quoted text without closing quote";
    return false;
}

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string valueLinePrefix(std::string_view valueName)
{
    return (valueName.empty() ? std::string("@") : quoted(valueName)) + "=";
}

std::string twoHexDigits(unsigned value)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

// A hex(type) value as regedit writes it: comma-separated bytes, wrapped with "\" before
// the line grows past kHexLineWidth, continuation lines indented by two spaces.
std::vector<std::string> hexValueLines(std::string_view valueName, unsigned long type, std::string_view bytes)
{
    std::vector<std::string> lines;
    std::string line = valueLinePrefix(valueName) + "hex(" + std::string(1, "0123456789abcdef"[type & 0xF]) + "):";
    bool lineHasBytes = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::string item = twoHexDigits(static_cast<unsigned char>(bytes[i]));
        if (i + 1 < bytes.size())
            item += ',';
        if (lineHasBytes && line.size() + item.size() + 1 > kHexLineWidth) {
            lines.push_back(line + "\\");
            line = "  ";
        }
        line += item;
        lineHasBytes = true;
    }
    lines.push_back(line);
    return lines;
}

std::string lineError(std::size_t line, std::string_view message)
{
    return "line " + std::to_string(line + 1) + ": " + std::string(message);
}

bool fail(std::string* error, std::string message)
{
    if (error)
        *error = std::move(message);
    return false;
}

// The type of "hex:" (binary) or "hex(N):" data and the byte list after it.
bool splitHexType(std::string_view data, unsigned long& type, std::string_view& list, std::string& error)
{
    if (startsWithNoCase(data, "hex:")) {
        list = data.substr(4);
        return true;
    }
    if (startsWithNoCase(data, "hex(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos || !parseHexNumber(data.substr(4, close - 4), 8, type)) {
            error = "bad value type in \"" + std::string(data.substr(0, 16)) + "\"";
            return false;
        }
        list = data.substr(close + 2);
        return true;
    }
    error = "unknown value data \"" + std::string(data.substr(0, 16)) + "\"";
    return false;
}

// A comma-separated list of two-digit hex bytes; an empty list is no bytes.
bool parseHexBytes(std::string_view joined, std::string& bytes, std::string& error)
{
    if (trimmed(joined).empty())
        return true;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(joined.find(',', start), joined.size());
        unsigned long byte = 0;
        const std::string_view item = trimmed(joined.substr(start, comma - start));
        if (!parseHexNumber(item, 2, byte)) {
            error = "bad hex byte \"" + std::string(item.substr(0, 8)) + "\"";
            return false;
        }
        bytes += static_cast<char>(byte);
        if (comma == joined.size())
            return true;
        start = comma + 1;
    }
}

} // namespace

std::optional<RegistryFile> RegistryFile::parse(std::string_view fileBytes, std::string* error)
{
    RegistryFile file;
    std::string text;
    if (fileBytes.substr(0, kUtf16Bom.size()) == kUtf16Bom) {
        auto decoded = utf16ToUtf8(fileBytes.substr(kUtf16Bom.size()), true);
        if (!decoded) {
            fail(error, "the file starts as UTF-16 text but is not valid UTF-16");
            return std::nullopt;
        }
        file.encoding_ = Encoding::Utf16;
        text = std::move(*decoded);
    } else if (fileBytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        file.encoding_ = Encoding::Utf8WithBom;
        text = fileBytes.substr(kUtf8Bom.size());
    } else {
        text = fileBytes;
    }
    file.lines_ = splitLines(text);
    if (!file.index(error))
        return std::nullopt;
    return file;
}

RegistryFile RegistryFile::empty()
{
    RegistryFile file;
    file.lines_ = {std::string(kVersion5Header), ""};
    file.index(nullptr);
    return file;
}

std::string RegistryFile::serialize() const
{
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    switch (encoding_) {
    case Encoding::Utf8:
        return text;
    case Encoding::Utf8WithBom:
        return std::string(kUtf8Bom) + text;
    case Encoding::Utf16:
        return std::string(kUtf16Bom) + utf8ToUtf16(text);
    }
    return text;
}

// Sections apply in file order, as an import would: a "[...]" section creates its key and
// the keys above it, a "[-...]" section removes its key and everything below.
bool RegistryFile::hasKey(std::string_view keyPath) const
{
    bool exists = false;
    for (const Section& section : sections_) {
        if (section.deleted) {
            if (deletionRemoves(section.path, keyPath))
                exists = false;
        } else if (equalsNoCase(section.path, keyPath) || isBelow(section.path, keyPath)) {
            exists = true;
        }
    }
    return exists;
}

std::optional<std::string> RegistryFile::valueBytes(std::string_view keyPath, std::string_view valueName) const
{
    if (!hasKey(keyPath))
        return std::nullopt;
    std::optional<std::string> bytes;
    for (const Section& section : sections_) {
        if (section.deleted) {
            if (deletionRemoves(section.path, keyPath))
                bytes.reset();
        } else if (equalsNoCase(section.path, keyPath)) {
            for (const Value& value : section.values) {
                if (equalsNoCase(value.name, valueName))
                    bytes = value.bytes;
            }
        }
    }
    return bytes;
}

std::vector<std::string> RegistryFile::keyPaths() const
{
    std::vector<std::string> paths;
    for (const Section& section : sections_) {
        if (section.deleted || !hasKey(section.path))
            continue;
        const bool known = std::any_of(paths.begin(), paths.end(),
                                       [&](const std::string& path) { return equalsNoCase(path, section.path); });
        if (!known)
            paths.push_back(section.path);
    }
    return paths;
}

std::vector<RegistryFile::TypedValue> RegistryFile::values(std::string_view keyPath) const
{
    std::vector<TypedValue> values;
    if (!hasKey(keyPath))
        return values;
    for (const Section& section : sections_) {
        if (section.deleted) {
            if (deletionRemoves(section.path, keyPath))
                values.clear();
            continue;
        }
        if (!equalsNoCase(section.path, keyPath))
            continue;
        for (const Value& value : section.values) {
            const auto known = std::find_if(values.begin(), values.end(), [&](const TypedValue& typed) {
                return equalsNoCase(typed.name, value.name);
            });
            if (!value.bytes) {
                if (known != values.end())
                    values.erase(known);
            } else if (known != values.end()) {
                known->type = value.type;
                known->bytes = *value.bytes;
            } else {
                values.push_back({value.name, value.type, *value.bytes});
            }
        }
    }
    return values;
}

std::vector<std::string> RegistryFile::subKeyNames(std::string_view keyPath) const
{
    if (!hasKey(keyPath))
        return {};
    // Keyed by the upper-case name: the registry's own enumeration order.
    std::map<std::string, std::string> children;
    for (const Section& section : sections_) {
        if (section.deleted) {
            if (deletionRemoves(section.path, keyPath)) {
                children.clear();
            } else if (isBelow(section.path, keyPath)) {
                const std::string_view child = childOnPath(section.path, keyPath);
                const std::size_t childPathLength = (keyPath.empty() ? 0 : keyPath.size() + 1) + child.size();
                if (childPathLength == section.path.size())
                    children.erase(upperAscii(child));
            }
        } else if (isBelow(section.path, keyPath)) {
            const std::string_view child = childOnPath(section.path, keyPath);
            children.try_emplace(upperAscii(child), child);
        }
    }
    std::vector<std::string> names;
    names.reserve(children.size());
    for (auto& [upper, name] : children)
        names.push_back(std::move(name));
    return names;
}

void RegistryFile::setString(std::string_view keyPath, std::string_view valueName, std::string_view data)
{
    // A quoted value cannot hold line breaks or zeros; such text goes in as hex(1) bytes.
    if (data.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos) {
        setValueLines(keyPath, valueName, {valueLinePrefix(valueName) + quoted(data)});
        return;
    }
    std::string narrow(data);
    narrow += '\0';
    setValueLines(keyPath, valueName, hexValueLines(valueName, kStringType, textBytes(narrow)));
}

void RegistryFile::createKey(std::string_view keyPath)
{
    if (hasKey(keyPath))
        return;
    appendSection(keyPath, {});
    index(nullptr);
}

bool RegistryFile::index(std::string* error)
{
    sections_.clear();
    std::size_t line = 0;
    while (line < lines_.size() && trimmed(lines_[line]).empty())
        ++line;
    if (line == lines_.size())
        return fail(error, "the file is empty (no \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\" line)");
    const std::string_view header = trimmed(lines_[line]);
    if (header != kVersion5Header && header != kVersion4Header)
        return fail(error, lineError(line, "expected \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\""));
    regedit4_ = header == kVersion4Header;

    for (++line; line < lines_.size();) {
        const std::string_view text = trimmed(lines_[line]);
        if (text.empty() || text.front() == ';') {
            ++line;
        } else if (text.front() == '[') {
            Section section;
            std::string message;
            if (!parseKeyLine(text, section, message))
                return fail(error, lineError(line, message));
            section.headerLine = line++;
            sections_.push_back(std::move(section));
        } else if (text.front() == '"' || text.front() == '@') {
            if (sections_.empty())
                return fail(error, lineError(line, "a value before the first key line"));
            Value value;
            std::string message;
            if (!parseValue(line, value, message))
                return fail(error, lineError(line, message));
            line += value.lineCount;
            sections_.back().values.push_back(std::move(value));
        } else {
            return fail(error, lineError(line, "not a key, value or comment line"));
        }
    }
    return true;
}

bool RegistryFile::parseKeyLine(std::string_view text, Section& section, std::string& error)
{
    if (text.back() != ']') {
        error = "key line without closing \"]\"";
        return false;
    }
    std::string_view path = text.substr(1, text.size() - 2);
    section.deleted = !path.empty() && path.front() == '-';
    if (section.deleted)
        path.remove_prefix(1);
    if (path.empty() || path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos) {
        error = "bad key path \"" + std::string(path) + "\"";
        return false;
    }
    if (static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\')) >= kMaxKeyDepth) {
        error = "key path deeper than 512 levels";
        return false;
    }
    section.path = path;
    return true;
}

bool RegistryFile::parseValue(std::size_t line, Value& value, std::string& error) const
{
    const std::string_view text = trimmed(lines_[line]);
    std::size_t pos = 0;
    if (text.front() == '@')
        pos = 1;
    else if (!readQuoted(text, pos, value.name, error))
        return false;
    pos = text.find_first_not_of(" \t", pos);
    if (pos == std::string_view::npos || text[pos] != '=') {
        error = "expected \"=\" after the value name";
        return false;
    }
    const std::string_view data = trimmed(text.substr(pos + 1));
    value.firstLine = line;
    value.lineCount = 1;

    if (data == "-") {
        value.bytes.reset();
        return true;
    }
    if (!data.empty() && data.front() == '"') {
        std::string content;
        std::size_t end = 0;
        if (!readQuoted(data, end, content, error))
            return false;
        if (end != data.size()) {
            error = "unexpected text after the closing quote";
            return false;
        }
        value.bytes = content + '\0';
        value.type = kStringType;
        return true;
    }
    if (startsWithNoCase(data, "dword:")) {
        unsigned long number = 0;
        if (!parseHexNumber(data.substr(6), 8, number)) {
            error = "bad dword value \"" + std::string(data) + "\"";
            return false;
        }
        value.bytes = std::string{static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF),
                                  static_cast<char>((number >> 16) & 0xFF), static_cast<char>((number >> 24) & 0xFF)};
        value.type = kNumberType;
        return true;
    }

    return parseHexValue(line, data, value, error);
}

// "hex:" and "hex(N):" data: the type, the byte list with its continuation lines, and text
// types brought to UTF-8.
bool RegistryFile::parseHexValue(std::size_t line, std::string_view data, Value& value, std::string& error) const
{
    unsigned long type = 3; // plain "hex:" is binary data
    std::string_view list;
    if (!splitHexType(data, type, list, error))
        return false;

    // A trailing "\" continues the byte list on the next line.
    std::string joined;
    std::string_view part = trimmed(list);
    while (!part.empty() && part.back() == '\\') {
        joined += part.substr(0, part.size() - 1);
        if (line + value.lineCount >= lines_.size()) {
            error = "the hex value continues past the end of the file";
            return false;
        }
        part = trimmed(lines_[line + value.lineCount]);
        ++value.lineCount;
    }
    joined += part;

    std::string bytes;
    if (!parseHexBytes(joined, bytes, error))
        return false;
    const bool isText = std::find(std::begin(kTextTypes), std::end(kTextTypes), type) != std::end(kTextTypes);
    if (isText && !regedit4_) {
        auto narrow = utf16ToUtf8(bytes, false);
        if (!narrow) {
            error = "odd number of bytes in a UTF-16 text value";
            return false;
        }
        bytes = std::move(*narrow);
    }
    value.bytes = std::move(bytes);
    value.type = type;
    return true;
}

// Text data as the file's format stores it: UTF-16LE in version 5 files, narrow in REGEDIT4.
std::string RegistryFile::textBytes(std::string_view narrow) const
{
    return regedit4_ ? std::string(narrow) : utf8ToUtf16(narrow);
}

void RegistryFile::replaceLines(std::size_t first, std::size_t count, const std::vector<std::string>& replacement)
{
    const auto begin = lines_.begin() + static_cast<std::ptrdiff_t>(first);
    lines_.erase(begin, begin + static_cast<std::ptrdiff_t>(count));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(first), replacement.begin(), replacement.end());
}

void RegistryFile::appendSection(std::string_view keyPath, const std::vector<std::string>& valueLines)
{
    if (!lines_.empty() && !trimmed(lines_.back()).empty())
        lines_.emplace_back();
    lines_.push_back("[" + std::string(keyPath) + "]");
    lines_.insert(lines_.end(), valueLines.begin(), valueLines.end());
    lines_.emplace_back();
}

void RegistryFile::setValueLines(std::string_view keyPath, std::string_view valueName,
                                 const std::vector<std::string>& valueLines)
{
    // Only sections after the key's last deletion count; among them the last mention of the
    // value decides it, so that is the one to replace.
    std::size_t firstLive = 0;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].deleted && deletionRemoves(sections_[i].path, keyPath))
            firstLive = i + 1;
    }
    const Section* lastSection = nullptr;
    const Value* lastMention = nullptr;
    for (std::size_t i = firstLive; i < sections_.size(); ++i) {
        const Section& section = sections_[i];
        if (section.deleted || !equalsNoCase(section.path, keyPath))
            continue;
        lastSection = &section;
        for (const Value& value : section.values) {
            if (equalsNoCase(value.name, valueName))
                lastMention = &value;
        }
    }

    if (lastMention) {
        replaceLines(lastMention->firstLine, lastMention->lineCount, valueLines);
    } else if (lastSection) {
        const std::size_t after = lastSection->values.empty()
            ? lastSection->headerLine + 1
            : lastSection->values.back().firstLine + lastSection->values.back().lineCount;
        replaceLines(after, 0, valueLines);
    } else {
        appendSection(keyPath, valueLines);
    }
    index(nullptr);
}
