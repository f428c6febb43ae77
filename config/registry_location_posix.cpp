// Settings and personal data on POSIX systems: files below the XDG folders of the home.

#include "config/registry_location.h"

#include "config/registry_file_store.h"

#include <cstdlib>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path homeFolder()
{
    const std::string home = environmentValue("HOME");
    if (!home.empty())
        return home;
    // Services started without a HOME still have a home folder in the user database.
    const passwd* user = ::getpwuid(::getuid());
    return (user && user->pw_dir) ? fs::path(user->pw_dir) : fs::path();
}

} // namespace

fs::path defaultRegistryFile()
{
    const std::string explicitFile = environmentValue("CHROMIX_REGISTRY");
    if (!explicitFile.empty())
        return explicitFile;
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    const fs::path configHome = environmentValue("XDG_CONFIG_HOME");
    const fs::path configFolder = configHome.is_absolute() ? configHome : homeFolder() / ".config";
    return configFolder / "chromix" / "registry.reg";
}

std::unique_ptr<RegistryStore> openDefaultStore()
{
    return std::make_unique<RegistryFileStore>(defaultRegistryFile());
}

std::string defaultStoreName()
{
    return defaultRegistryFile().string();
}

fs::path personalDataFolder()
{
    const std::string data = environmentValue("XDG_DATA_HOME");
    if (!data.empty() && data.front() == '/')
        return fs::path(data) / "chromix";
    const std::string home = environmentValue("HOME");
    if (!home.empty())
        return fs::path(home) / ".local" / "share" / "chromix";
    return {};
}

std::string useStoreCommand(const fs::path& store)
{
    return "export CHROMIX_REGISTRY=" + store.string();
}

// The operator's store becomes a link to the demo's, so that the programs started from the
// desktop's menu read it; a store that exists already (even as a broken link) is kept.
Result<std::string> adoptDemoStore(const fs::path& demoStore)
{
    const fs::path store = defaultRegistryFile();
    std::error_code ec;
    if (fs::symlink_status(store, ec).type() != fs::file_type::not_found)
        return "Your settings store " + store.string()
            + " is left as it is.\nUse the demo with: " + useStoreCommand(demoStore) + "\n";
    fs::create_directories(store.parent_path(), ec);
    if (!ec)
        fs::create_symlink(demoStore, store, ec);
    if (ec)
        return systemFailure(store.string() + " cannot link to the demo: " + ec.message());
    return "Your settings store " + store.string() + " now links to it: the programs use the demo.\n";
}
