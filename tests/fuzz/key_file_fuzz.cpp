// Arbitrary bytes as a key file: reading never fails badly, and a written value reads back
// while every other key keeps its value.

#include "config/key_file.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Name {
    std::string_view text;
    int identity; // names with the same identity match each other (case and blanks aside)
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<Name, 4> kSections{{{"DATA", 0}, {"data", 0}, {" Data ", 0}, {"PARAMETERS", 1}}};
constexpr std::array<Name, 4> kKeys{{{"VERSION", 0}, {"version", 0}, {"A", 1}, {"MEASURED_DATA_1", 2}}};

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const Name& section = kSections[data[0] & 3];
    const Name& key = kKeys[(data[0] >> 2) & 3];
    const std::size_t valueLength = std::min<std::size_t>(data[1] % 64, size - 2);
    const std::string_view value(reinterpret_cast<const char*>(data) + 2, valueLength);
    const std::string_view content(reinterpret_cast<const char*>(data) + 2 + valueLength, size - 2 - valueLength);

    for (const auto& s : kSections)
        for (const auto& k : kKeys) {
            const auto found = keyfile::findValue(content, s.text, k.text);
            check(!found || (!found->empty() && found->size() <= keyfile::kMaxValueLength));
        }

    const std::string written = keyfile::withValue(content, section.text, key.text, value);
    for (std::size_t i = 0; i < written.size(); ++i)
        if (written[i] == '\n')
            check(i > 0 && written[i - 1] == '\r');
    // A file of nothing but a byte order mark keeps it and gains no line when nothing is written.
    std::string_view lines = written;
    if (lines.starts_with(kByteOrderMark))
        lines.remove_prefix(kByteOrderMark.size());
    check(lines.empty() || lines.back() == '\n');

    const bool writable = value.find_first_of("\r\n") == std::string_view::npos;
    if (writable && !trimBlanks(value).empty() && trimBlanks(value).size() <= keyfile::kMaxValueLength)
        check(keyfile::findValue(written, section.text, key.text) == std::string(trimBlanks(value)));

    for (const auto& s : kSections)
        for (const auto& k : kKeys) {
            if (writable && s.identity == section.identity && k.identity == key.identity)
                continue;
            check(keyfile::findValue(written, s.text, k.text) == keyfile::findValue(content, s.text, k.text));
        }
    return 0;
}
