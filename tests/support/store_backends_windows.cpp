#include "support/store_backends.h"

#include "config/windows_registry_store.h"
#include "config/windows_text.h"

#include <gtest/gtest.h>

#include <random>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// Every key below `path` with its values, as text, to tell whether anything was written.
void dumpKey(HKEY parent, const std::wstring& path, std::wstring& dump)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    dump += L"[" + path + L"]\n";
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(65536);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength)
            != ERROR_SUCCESS)
            break;
        dump += std::wstring(name.data(), nameLength) + L"=" + std::to_wstring(type) + L":"
            + std::wstring(reinterpret_cast<const wchar_t*>(data.data()), dataLength / sizeof(wchar_t)) + L"\n";
    }
    std::vector<std::wstring> children;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name.data(), nameLength);
    }
    RegCloseKey(key);
    for (const std::wstring& child : children)
        dumpKey(parent, path + L"\\" + child, dump);
}

// A scratch key below HKEY_CURRENT_USER\Software, deleted with the back end.
class RegistryBackend : public StoreBackend {
public:
    RegistryBackend()
        : store_("Software\\Chromix test " + std::to_string(GetCurrentProcessId()) + "-"
                 + std::to_string(std::random_device{}()))
    {
    }
    ~RegistryBackend() override { store_.removeAll(); }

    RegistryStore& fill(const std::string& text) override
    {
        EXPECT_TRUE(store_.removeAll()) << store_.name();
        if (const std::optional<RegistryFile> file = RegistryFile::parse(text)) {
            std::string error;
            EXPECT_TRUE(importRegistryFile(*file, kBaseKeyPath, store_, error)) << error;
        }
        filled_ = dump();
        return store_;
    }
    bool unchangedSinceFill() const override { return dump() == filled_; }

private:
    std::wstring dump() const
    {
        std::wstring text;
        dumpKey(HKEY_CURRENT_USER, toWide(store_.baseSubKey()), text);
        return text;
    }

    WindowsRegistryStore store_;
    std::wstring filled_;
};

} // namespace

std::vector<std::string> storeBackendNames()
{
    return {"file", "registry"};
}

std::unique_ptr<StoreBackend> makeStoreBackend(const std::string& name)
{
    if (name == "registry")
        return std::make_unique<RegistryBackend>();
    return std::make_unique<FileStoreBackend>();
}
