#include "config/store_values.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace {
constexpr std::size_t kValueBufferSize = 260;
}

bool readValueBytes(const RegistryKey& key, std::string_view name, std::string& bytes)
{
    char buffer[kValueBufferSize + 1] = {};
    std::uint32_t byteCount = 0;
    if (key.queryValue(name, std::span<char>(buffer, kValueBufferSize), byteCount) != ValueRead::Ok)
        return false;
    bytes.assign(buffer, std::min<std::size_t>(byteCount, kValueBufferSize));
    return true;
}

bool appendValueText(const RegistryKey& key, std::string_view name, std::string& field)
{
    std::string bytes;
    if (!readValueBytes(key, name, bytes))
        return false;
    field.append(bytes.c_str());
    return true;
}
