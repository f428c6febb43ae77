#pragma once

// The platform's own adapters behind the adapter choice: one file per platform
// (adapter_choice_linux.cpp, adapter_choice_windows.cpp) defines these.

#include "download/adapters/adapter_choice.h"

#include <memory>
#include <string>
#include <string_view>

// The platform's adapter that `setting` names (the empty setting names the default one);
// null when the setting names none of the platform's adapters.
std::unique_ptr<ChosenSpiAdapter> makePlatformAdapter(std::string_view setting);

// The settings an operator can use on this platform, for the advice on a setting that
// names no adapter.
std::string platformAdapterSettings();
