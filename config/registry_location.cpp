#include "config/registry_location.h"

#include "config/registry_file_store.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::filesystem::path homeFolder()
{
    const std::string home = environmentValue("HOME");
    if (!home.empty())
        return home;
    // Services started without a HOME still have a home folder in the user database.
    const passwd* user = ::getpwuid(::getuid());
    return (user && user->pw_dir) ? std::filesystem::path(user->pw_dir) : std::filesystem::path();
}

} // namespace

std::filesystem::path defaultRegistryFile()
{
    const std::string explicitFile = environmentValue("CHROMIX_REGISTRY");
    if (!explicitFile.empty())
        return explicitFile;
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    const std::filesystem::path configHome = environmentValue("XDG_CONFIG_HOME");
    const std::filesystem::path configFolder = configHome.is_absolute() ? configHome : homeFolder() / ".config";
    return configFolder / "chromix" / "registry.reg";
}

std::unique_ptr<RegistryStore> openDefaultStore()
{
    return std::make_unique<RegistryFileStore>(defaultRegistryFile());
}
