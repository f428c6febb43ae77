#pragma once

// The settings store in the Windows registry, below a base key of HKEY_CURRENT_USER.
// Text is UTF-8 here and UTF-16 in the registry (the "W" functions); string values report
// their bytes as the narrow text they hold, zeros included, as the file store does.

#include "config/registry_file.h"
#include "config/registry_store.h"
#include "config/store_error_slot.h"

#include <memory>
#include <string>
#include <string_view>

// The programs' base key, below HKEY_CURRENT_USER.
inline constexpr std::string_view kRegistryBaseSubKey = "Software\\Quillomar\\Velvane Chromix Application";

class WindowsRegistryStore : public RegistryStore {
public:
    // `baseSubKey` below HKEY_CURRENT_USER; tests use a scratch key of their own.
    explicit WindowsRegistryStore(std::string baseSubKey = std::string(kRegistryBaseSubKey));

    std::unique_ptr<RegistryKey> openKey(std::string_view path) override;
    std::unique_ptr<RegistryKey> createKey(std::string_view path) override;
    std::string lastError() const override;

    // "HKEY_CURRENT_USER\<base key>", for the operator.
    std::string name() const;
    const std::string& baseSubKey() const { return baseSubKey_; }
    // Deletes the base key with everything below it; true when it is gone.
    bool removeAll();

private:
    std::string baseSubKey_;
    std::shared_ptr<StoreErrorSlot> lastError_ = std::make_shared<StoreErrorSlot>();
};

// Copies the keys and values that `file` holds at and below `fileBaseKey` (a full path
// such as kBaseKeyPath) into the store, below its base key, each value with its type.
// False with the reason in `error` when a key or value cannot be written.
bool importRegistryFile(const RegistryFile& file, std::string_view fileBaseKey, WindowsRegistryStore& store,
                        std::string& error);
