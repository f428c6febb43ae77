#pragma once

// INI-style key files ("profile" files): named sections of key lines.
// Section and key names match without regard to letter case, a value is the text after
// the first "=" without surrounding blanks and at most 255 characters long, and a
// missing key and an empty value both count as missing. Writing a key updates it in
// place, or adds it at the end of its section, or adds the section at the end of the
// file; every other line stays as it was. Each write replaces the whole file atomically,
// so a failed write leaves the file as it was.

#include "config/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace keyfile {

inline constexpr std::size_t kMaxValueLength = 255;

// The value of `key` in `section` of the file's text, or nothing when missing or empty.
[[nodiscard]] std::optional<std::string> findValue(std::string_view content, std::string_view section,
                                                   std::string_view key);

// The file's text with `key` in `section` set to `value`; lines end with CR LF.
std::string withValue(std::string_view content, std::string_view section, std::string_view key, std::string_view value);

// Reads a key from a file; false when the file cannot be read or the key is missing.
[[nodiscard]] bool readValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                             std::string& value);

// Writes a key into a file, creating the file when it does not exist; on failure the
// file is as it was and the result names the file and the system's reason.
[[nodiscard]] Result<> writeValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                                  std::string_view value);

} // namespace keyfile
