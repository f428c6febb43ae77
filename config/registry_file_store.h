#pragma once

// The settings store kept in a registry export file (".reg" text). Every read takes a
// fresh snapshot of the file; every write takes an exclusive lock, applies the change to
// the file as it is now, and replaces the file atomically. A file that cannot be parsed
// opens no key and is never overwritten.

#include "config/registry_store.h"
#include "config/store_error_slot.h"

#include <filesystem>
#include <memory>
#include <string>

// The base key the tool set keeps its settings under.
inline constexpr std::string_view kBaseKeyPath = "HKEY_CURRENT_USER\\Software\\Quillomar\\Velvane Chromix Application";

class RegistryFileStore : public RegistryStore {
public:
    explicit RegistryFileStore(std::filesystem::path file);

    std::unique_ptr<RegistryKey> openKey(std::string_view path) override;
    std::unique_ptr<RegistryKey> createKey(std::string_view path) override;

    const std::filesystem::path& file() const { return file_; }

    // Why the file could not be used at the last read or write, through the store or any
    // key it opened ("" when it could). The download worker opens keys while the window
    // may too, so the text is guarded.
    std::string lastError() const override;

private:
    std::filesystem::path file_;
    std::shared_ptr<StoreErrorSlot> lastError_ = std::make_shared<StoreErrorSlot>();
};
