#pragma once

// Reading a value of the store as every program does: into a zero-filled buffer with room
// for 260 bytes, so a longer value counts as missing, as it always has for these programs.

#include "config/registry_store.h"

#include <string>
#include <string_view>

// The bytes the store reports, terminating zeros included; false when the value is
// missing or longer than 260 bytes.
[[nodiscard]] bool readValueBytes(const RegistryKey& key, std::string_view name, std::string& bytes);

// The value as a C string (everything up to the first zero byte), appended to `field`.
[[nodiscard]] bool appendValueText(const RegistryKey& key, std::string_view name, std::string& field);
