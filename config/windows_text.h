#pragma once

// Windows only: text between our UTF-8 strings and the system's UTF-16 ("W") interfaces,
// and the system's error codes as the reasons the operator reads.

#include <optional>
#include <string>
#include <string_view>

// UTF-8 as UTF-16; malformed bytes become U+FFFD.
std::wstring toWide(std::string_view text);

// UTF-16 as UTF-8; nothing when the text holds an unpaired surrogate.
std::optional<std::string> fromWide(std::wstring_view text);

// The reason for a system error code (GetLastError, or a registry function's result).
// Codes that have a C library counterpart read as they do on Linux ("No such file or
// directory"), so that messages are the same on both; the rest as the system words them.
std::string windowsErrorText(unsigned long code);

// One argument as the C runtime's command-line parser reads it back: quoted when it holds
// blanks or quotes, backslashes doubled only where they precede a quote.
std::wstring quotedArgument(const std::wstring& argument);
