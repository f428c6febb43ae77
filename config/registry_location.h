#pragma once

// Where the operator's settings store and personal data live on this platform (one file
// per platform: registry_location_posix.cpp, registry_location_windows.cpp).

#include "config/registry_store.h"

#include "config/result.h"

#include <filesystem>
#include <memory>
#include <string>

// The store file: $CHROMIX_REGISTRY, else (not on Windows) $XDG_CONFIG_HOME/chromix/registry.reg,
// else ~/.config/chromix/registry.reg. Empty on Windows without $CHROMIX_REGISTRY, where the
// registry itself is the store.
std::filesystem::path defaultRegistryFile();

// The store every program opens at start.
std::unique_ptr<RegistryStore> openDefaultStore();

// That store for the operator: the file's path, or the registry key.
std::string defaultStoreName();

// The folder for the operator's own data ($XDG_DATA_HOME/chromix, ~/.local/share/chromix;
// %LOCALAPPDATA%\Chromix on Windows); empty when there is no home to put it in.
std::filesystem::path personalDataFolder();

// The command that points the programs at the store file `store` in the platform's shell.
std::string useStoreCommand(const std::filesystem::path& store);

// Makes the programs started without $CHROMIX_REGISTRY use the demo's store file
// `demoStore` (a link to it; on Windows its settings copied into the registry), unless the
// operator has a store already, which is left as it is. The result says what happened, for
// the operator.
[[nodiscard]] Result<std::string> adoptDemoStore(const std::filesystem::path& demoStore);
