#pragma once

// A store in front of another that, at every value write, notes the value and the bytes
// of the file that value vouches for, as they are at that moment.

#include "config/registry_store.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct ValueWriteSeen {
    std::string name;
    std::string data;
    std::string fileBytes;
};

class WatchingStore : public RegistryStore {
public:
    using FileOf = std::function<std::filesystem::path(std::string_view valueName)>;

    WatchingStore(RegistryStore& inner, FileOf fileOf) : inner_(inner), fileOf_(std::move(fileOf)) {}

    std::unique_ptr<RegistryKey> openKey(std::string_view path) override { return wrap(inner_.openKey(path)); }
    std::unique_ptr<RegistryKey> createKey(std::string_view path) override { return wrap(inner_.createKey(path)); }

    std::vector<ValueWriteSeen> seen;

private:
    class Key : public RegistryKey {
    public:
        Key(std::unique_ptr<RegistryKey> inner, WatchingStore& store) : inner_(std::move(inner)), store_(store) {}
        ValueRead queryValue(std::string_view name, std::span<char> buffer, std::uint32_t& byteCount) const override
        {
            return inner_->queryValue(name, buffer, byteCount);
        }
        bool setString(std::string_view name, std::string_view data) override
        {
            store_.seen.push_back({std::string(name), std::string(data), readFile(store_.fileOf_(name))});
            return inner_->setString(name, data);
        }
        std::uint32_t subKeyCount() const override { return inner_->subKeyCount(); }
        bool subKeyName(std::uint32_t index, std::string& name) const override
        {
            return inner_->subKeyName(index, name);
        }
        std::unique_ptr<RegistryKey> openSubKey(std::string_view name) const override
        {
            return store_.wrap(inner_->openSubKey(name));
        }
        std::string path() const override { return inner_->path(); }

    private:
        std::unique_ptr<RegistryKey> inner_;
        WatchingStore& store_;
    };

    std::unique_ptr<RegistryKey> wrap(std::unique_ptr<RegistryKey> key)
    {
        return key ? std::make_unique<Key>(std::move(key), *this) : nullptr;
    }

    RegistryStore& inner_;
    FileOf fileOf_;
};
