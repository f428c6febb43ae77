#include "config/windows_registry_store.h"

#include "config/utf_text.h"
#include "config/windows_text.h"

#include <algorithm>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

// An open registry key, closed with its owner.
class KeyHandle {
public:
    KeyHandle() = default;
    explicit KeyHandle(HKEY key) : key_(key) {}
    ~KeyHandle()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool isTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string upperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && upperAscii(a) == upperAscii(b);
}

// A value's data as our code sees it: text types as UTF-8 (every zero kept, so the byte
// count follows the registry's: a plain string's terminating zero, a multi-string's
// separators and final zero), other types as they are.
std::string narrowData(DWORD type, const std::vector<BYTE>& data)
{
    std::string bytes(reinterpret_cast<const char*>(data.data()), data.size());
    if (!isTextType(type))
        return bytes;
    // An odd trailing byte cannot be part of UTF-16 text.
    return utf16ToUtf8(std::string_view(bytes).substr(0, bytes.size() & ~std::size_t{1}), false).value_or("");
}

// The registry's form of data that our code holds: UTF-16LE for the text types.
std::string registryData(unsigned long type, std::string_view bytes)
{
    return isTextType(type) ? utf8ToUtf16(bytes) : std::string(bytes);
}

// Text that survives the trip through UTF-16 unchanged; anything else would be stored altered.
bool isStorableText(std::string_view text)
{
    return fromWide(toWide(text)) == std::string(text);
}

class WindowsRegistryKey final : public RegistryKey {
public:
    WindowsRegistryKey(HKEY key, std::string storePath, std::string displayPath,
                       std::shared_ptr<StoreErrorSlot> lastError)
        : key_(key)
        , storePath_(std::move(storePath))
        , displayPath_(std::move(displayPath))
        , lastError_(std::move(lastError))
        , subKeys_(enumerateSubKeys())
    {
    }

    ValueRead queryValue(std::string_view name, std::span<char> buffer, std::uint32_t& byteCount) const override
    {
        const std::wstring wideName = toWide(name);
        DWORD type = 0;
        DWORD size = 0;
        LONG result = RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
        std::vector<BYTE> data;
        // The value may grow between asking for its size and reading it.
        while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
            data.resize(size);
            result = RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, data.data(), &size);
            if (result == ERROR_SUCCESS) {
                data.resize(size);
                break;
            }
        }
        if (result != ERROR_SUCCESS) {
            if (result != ERROR_FILE_NOT_FOUND)
                lastError_->set(displayPath_ + ": \"" + std::string(name) + "\" cannot be read ("
                                + windowsErrorText(static_cast<unsigned long>(result)) + ")");
            return ValueRead::NotFound;
        }
        const std::string bytes = narrowData(type, data);
        byteCount = static_cast<std::uint32_t>(bytes.size());
        if (bytes.size() > buffer.size())
            return ValueRead::MoreData;
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return ValueRead::Ok;
    }

    bool setString(std::string_view name, std::string_view data) override
    {
        if (!isStorableText(name) || !isStorableText(data)) {
            lastError_->set(displayPath_ + ": \"" + std::string(name) + "\" is not UTF-8 text");
            return false;
        }
        // Exactly the given text, without a terminating zero, as the flag writers want it.
        const std::string bytes = utf8ToUtf16(data);
        HKEY writable = nullptr;
        LONG result = RegOpenKeyExW(key_.get(), nullptr, 0, KEY_SET_VALUE, &writable);
        if (result == ERROR_SUCCESS) {
            const KeyHandle owner(writable);
            result = RegSetValueExW(writable, toWide(name).c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
        }
        if (result != ERROR_SUCCESS) {
            lastError_->set(displayPath_ + ": \"" + std::string(name) + "\" cannot be written ("
                            + windowsErrorText(static_cast<unsigned long>(result)) + ")");
            return false;
        }
        return true;
    }

    std::uint32_t subKeyCount() const override { return static_cast<std::uint32_t>(subKeys_.size()); }

    bool subKeyName(std::uint32_t index, std::string& name) const override
    {
        if (index >= subKeys_.size())
            return false;
        name = subKeys_[index];
        return true;
    }

    std::unique_ptr<RegistryKey> openSubKey(std::string_view name) const override
    {
        HKEY child = nullptr;
        if (RegOpenKeyExW(key_.get(), toWide(name).c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS)
            return nullptr;
        return std::make_unique<WindowsRegistryKey>(child, joinKeyPath(storePath_, name),
                                                    joinKeyPath(displayPath_, name), lastError_);
    }

    std::string path() const override { return storePath_; }

private:
    // The registry enumerates in an order of its own; the interface promises
    // case-insensitive name order, so the names are sorted once, when the key opens.
    std::vector<std::string> enumerateSubKeys() const
    {
        std::vector<std::string> names;
        DWORD count = 0;
        DWORD longest = 0;
        if (RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr)
            != ERROR_SUCCESS)
            return names;
        std::vector<wchar_t> name(longest + 1);
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(name.size());
            const LONG result =
                RegEnumKeyExW(key_.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_MORE_DATA) {
                name.resize(name.size() * 2);
                --index;
                continue;
            }
            if (result != ERROR_SUCCESS)
                break;
            if (const std::optional<std::string> narrow = fromWide(std::wstring_view(name.data(), length)))
                names.push_back(*narrow);
        }
        std::stable_sort(names.begin(), names.end(),
                         [](const std::string& a, const std::string& b) { return upperAscii(a) < upperAscii(b); });
        return names;
    }

    KeyHandle key_;
    std::string storePath_;
    std::string displayPath_;
    std::shared_ptr<StoreErrorSlot> lastError_;
    std::vector<std::string> subKeys_;
};

} // namespace

WindowsRegistryStore::WindowsRegistryStore(std::string baseSubKey) : baseSubKey_(std::move(baseSubKey))
{
}

std::string WindowsRegistryStore::lastError() const
{
    return lastError_->get();
}

std::string WindowsRegistryStore::name() const
{
    return joinKeyPath(kCurrentUser, baseSubKey_);
}

std::unique_ptr<RegistryKey> WindowsRegistryStore::openKey(std::string_view path)
{
    lastError_->set("");
    HKEY key = nullptr;
    const LONG result =
        RegOpenKeyExW(HKEY_CURRENT_USER, toWide(joinKeyPath(baseSubKey_, path)).c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) {
        if (result != ERROR_FILE_NOT_FOUND)
            lastError_->set(joinKeyPath(name(), path) + ": " + windowsErrorText(static_cast<unsigned long>(result)));
        return nullptr;
    }
    return std::make_unique<WindowsRegistryKey>(key, std::string(path), joinKeyPath(name(), path), lastError_);
}

std::unique_ptr<RegistryKey> WindowsRegistryStore::createKey(std::string_view path)
{
    lastError_->set("");
    HKEY key = nullptr;
    const LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, toWide(joinKeyPath(baseSubKey_, path)).c_str(), 0, nullptr,
                                        0, KEY_READ, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        lastError_->set(joinKeyPath(name(), path) + ": the key cannot be created ("
                        + windowsErrorText(static_cast<unsigned long>(result)) + ")");
        return nullptr;
    }
    return std::make_unique<WindowsRegistryKey>(key, std::string(path), joinKeyPath(name(), path), lastError_);
}

bool WindowsRegistryStore::removeAll()
{
    const std::wstring key = toWide(baseSubKey_);
    const LONG below = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    if (below != ERROR_SUCCESS && below != ERROR_FILE_NOT_FOUND)
        return false;
    const LONG itself = RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    return itself == ERROR_SUCCESS || itself == ERROR_FILE_NOT_FOUND;
}

bool importRegistryFile(const RegistryFile& file, std::string_view fileBaseKey, WindowsRegistryStore& store,
                        std::string& error)
{
    for (const std::string& keyPath : file.keyPaths()) {
        std::string_view below = keyPath;
        if (below.size() < fileBaseKey.size() || !equalsNoCase(below.substr(0, fileBaseKey.size()), fileBaseKey))
            continue;
        below.remove_prefix(fileBaseKey.size());
        if (!below.empty() && below.front() != '\\')
            continue;
        if (!below.empty())
            below.remove_prefix(1);
        if (!store.createKey(below)) {
            error = store.lastError();
            return false;
        }
        HKEY key = nullptr;
        const std::wstring subKey = toWide(joinKeyPath(store.baseSubKey(), below));
        LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_SET_VALUE, &key);
        const KeyHandle owner(key);
        for (const RegistryFile::TypedValue& value : file.values(keyPath)) {
            if (result != ERROR_SUCCESS)
                break;
            const std::string data = registryData(value.type, value.bytes);
            result = RegSetValueExW(key, toWide(value.name).c_str(), 0, static_cast<DWORD>(value.type),
                                    reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
        }
        if (result != ERROR_SUCCESS) {
            error = joinKeyPath(store.name(), below) + ": " + windowsErrorText(static_cast<unsigned long>(result));
            return false;
        }
    }
    return true;
}
