#pragma once

// Conversion between UTF-16LE bytes and UTF-8 text, for files that Windows tools write
// in UTF-16.

#include <optional>
#include <string>
#include <string_view>

// UTF-16LE bytes as UTF-8. An unpaired surrogate fails when `strict`, else it becomes
// U+FFFD. An odd number of bytes always fails.
[[nodiscard]] std::optional<std::string> utf16ToUtf8(std::string_view bytes, bool strict);

// UTF-8 text as UTF-16LE bytes; malformed bytes become U+FFFD.
std::string utf8ToUtf16(std::string_view text);
