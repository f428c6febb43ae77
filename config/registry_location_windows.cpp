// Settings and personal data on Windows: the registry key below HKEY_CURRENT_USER, unless
// $CHROMIX_REGISTRY names a store file; personal data below %LOCALAPPDATA%.

#include "config/registry_location.h"

#include "config/atomic_file.h"
#include "config/registry_file_store.h"
#include "config/windows_registry_store.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

fs::path defaultRegistryFile()
{
    return environmentValue("CHROMIX_REGISTRY");
}

std::unique_ptr<RegistryStore> openDefaultStore()
{
    const fs::path file = defaultRegistryFile();
    if (!file.empty())
        return std::make_unique<RegistryFileStore>(file);
    return std::make_unique<WindowsRegistryStore>();
}

std::string defaultStoreName()
{
    const fs::path file = defaultRegistryFile();
    return file.empty() ? WindowsRegistryStore().name() : file.string();
}

fs::path personalDataFolder()
{
    const std::string localData = environmentValue("LOCALAPPDATA");
    if (!localData.empty())
        return fs::path(localData) / "Chromix";
    const std::string profile = environmentValue("USERPROFILE");
    if (!profile.empty())
        return fs::path(profile) / "AppData" / "Local" / "Chromix";
    return {};
}

std::string useStoreCommand(const fs::path& store)
{
    return "set CHROMIX_REGISTRY=" + store.string();
}

// The demo's settings go into the registry key, where the programs look for them; an
// operator's own key is never overwritten.
Result<std::string> adoptDemoStore(const fs::path& demoStore)
{
    WindowsRegistryStore registry;
    if (registry.openKey(""))
        return "Your settings store " + registry.name()
            + " is left as it is.\nUse the demo with: " + useStoreCommand(demoStore) + "\n";
    const Result<std::string> bytes = readWholeFile(demoStore, kSettingsFileLimit);
    std::string reason = bytes ? std::string() : bytes.failure().reason;
    const std::optional<RegistryFile> file = bytes ? RegistryFile::parse(*bytes, &reason) : std::nullopt;
    if (!file)
        return systemFailure(demoStore.string() + ": " + reason);
    if (!importRegistryFile(*file, kBaseKeyPath, registry, reason)) {
        // Half a store would read as an incomplete installation: none is better.
        registry.removeAll();
        return systemFailure(registry.name() + " cannot take the demo's settings: " + reason);
    }
    return "Your settings store " + registry.name() + " now holds the demo's settings: the programs use the demo.\n";
}
