// Arbitrary bytes as a registry export file: parsing never fails badly; a file that parses
// reads the same after being written out, and stays parseable after every kind of edit.

#include "config/registry_file.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr std::string_view kProbeNames[] = {"", "a", "steps", "Current Valid"};
constexpr std::size_t kMaxProbeDepth = 4;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The root's first sub-key, its first sub-key and so on: the keys the checks look at.
std::vector<std::string> probeKeys(const RegistryFile& file)
{
    std::vector<std::string> keys;
    std::string path;
    for (std::size_t depth = 0; depth < kMaxProbeDepth; ++depth) {
        const std::vector<std::string> children = file.subKeyNames(path);
        if (children.empty())
            break;
        path = path.empty() ? children.front() : path + "\\" + children.front();
        keys.push_back(path);
    }
    return keys;
}

void requireSameContent(const RegistryFile& a, const RegistryFile& b, const std::vector<std::string>& keys)
{
    for (const std::string& key : keys) {
        require(a.hasKey(key) == b.hasKey(key));
        require(a.subKeyNames(key) == b.subKeyNames(key));
        for (std::string_view name : kProbeNames)
            require(a.valueBytes(key, name) == b.valueBytes(key, name));
    }
}

RegistryFile reparsed(const RegistryFile& file)
{
    std::optional<RegistryFile> again = RegistryFile::parse(file.serialize());
    require(again.has_value());
    return *again;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    std::optional<RegistryFile> file =
        RegistryFile::parse(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!file) {
        require(!error.empty());
        return 0;
    }
    const std::vector<std::string> keys = probeKeys(*file);
    requireSameContent(*file, reparsed(*file), keys);
    if (keys.empty())
        return 0;

    const std::string& key = keys.back();
    const std::string child = key + "\\fuzz child";
    file->setString(key, "a", "x\"y\\z");
    file->setString(key, "steps", "two\r\nlines");
    file->createKey(child);
    file->setString(child, "", "default");

    const RegistryFile edited = reparsed(*file);
    requireSameContent(*file, edited, keys);
    require(edited.valueBytes(key, "a") == "x\"y\\z\0"s);
    require(edited.valueBytes(key, "steps") == "two\r\nlines\0"s);
    require(edited.valueBytes(child, "") == "default\0"s);
    return 0;
}
