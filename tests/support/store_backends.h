#pragma once

// The back ends the store's tests run against: the registry file on every platform, and on
// Windows the registry itself, below a scratch key of the test's own that goes with it.
// Each is filled from a registry file's text, so one test text serves both.

#include "config/registry_file_store.h"
#include "config/registry_store.h"

#include "support/temp_dir.h"

#include <memory>
#include <string>
#include <vector>

class StoreBackend {
public:
    virtual ~StoreBackend() = default;
    // A fresh store holding what the registry file `text` holds; nothing when the text is no
    // registry file.
    virtual RegistryStore& fill(const std::string& text) = 0;
    // True when nothing was written since the last fill.
    virtual bool unchangedSinceFill() const = 0;
};

// The store file itself.
class FileStoreBackend : public StoreBackend {
public:
    RegistryStore& fill(const std::string& text) override
    {
        text_ = text;
        writeFile(file_, text);
        store_ = std::make_unique<RegistryFileStore>(file_);
        return *store_;
    }
    bool unchangedSinceFill() const override { return readFile(file_) == text_; }

private:
    TempDir dir_;
    std::filesystem::path file_ = dir_ / "registry.reg";
    std::string text_;
    std::unique_ptr<RegistryFileStore> store_;
};

// "file", and "registry" where there is one (one file per platform).
std::vector<std::string> storeBackendNames();
std::unique_ptr<StoreBackend> makeStoreBackend(const std::string& name);
