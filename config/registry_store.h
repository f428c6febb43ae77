#pragma once

// The settings store, seen the way the programs see the registry: keys below one base
// key, addressed by paths joined with "\", holding named text values.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// Result of reading a value, as the registry reports it.
enum class ValueRead {
    Ok, // the bytes were copied and `byteCount` holds their number
    MoreData, // the value is larger than the buffer; `byteCount` holds its size
    NotFound, // no value of that name
};

// An open key. It stays usable while it lives, whatever happens to the store later.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // Copies the value's bytes as the registry reports them: a plain string counts its
    // terminating zero, a multi-string its separating zeros and the final one.
    virtual ValueRead queryValue(std::string_view name, std::span<char> buffer, std::uint32_t& byteCount) const = 0;

    // Writes a string value from `data`, which holds no terminating zero. The registry
    // stores exactly these bytes; a registry file stores a quoted string, which reads back
    // with its terminating zero.
    virtual bool setString(std::string_view name, std::string_view data) = 0;

    // Sub-keys, enumerated in case-insensitive name order.
    virtual std::uint32_t subKeyCount() const = 0;
    virtual bool subKeyName(std::uint32_t index, std::string& name) const = 0;
    virtual std::unique_ptr<RegistryKey> openSubKey(std::string_view name) const = 0;

    // This key's path below the base key ("" for the base key itself).
    virtual std::string path() const = 0;
};

class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    // Opens a key below the base key ("" opens the base key). Null when the key does not
    // exist or the store cannot be read.
    virtual std::unique_ptr<RegistryKey> openKey(std::string_view path) = 0;

    // Creates the key and the keys above it when missing (for installers and the
    // administration commands; the programs never create keys). Null on failure.
    virtual std::unique_ptr<RegistryKey> createKey(std::string_view path) = 0;

    // Why the last read or write could not use the store, naming its file and the
    // system's reason; "" when it could or the store keeps no such text.
    virtual std::string lastError() const { return {}; }
};

// Joins two key paths with "\".
std::string joinKeyPath(std::string_view parent, std::string_view child);
