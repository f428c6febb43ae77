#pragma once

#include "config/registry_store.h"

#include <filesystem>
#include <memory>

// Where the store file lives: $CHROMIX_REGISTRY, else $XDG_CONFIG_HOME/chromix/registry.reg,
// else ~/.config/chromix/registry.reg.
std::filesystem::path defaultRegistryFile();

// The store every program opens at start.
std::unique_ptr<RegistryStore> openDefaultStore();
