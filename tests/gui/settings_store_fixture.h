#pragma once

// A settings store file with every key the settings need to load, for the window tests.

#include "config/registry_file_store.h"

#include <filesystem>
#include <string>
#include <string_view>

struct StoreContents {
    std::string steps = "0~64~128~255";
    std::string flags = "true"; // every validity flag
    bool withStepWedgeKey = true; // without it the settings cannot be loaded
};

inline void writeSettingsStore(const std::filesystem::path& file, const StoreContents& contents = {})
{
    std::filesystem::remove(file); // a fresh store, also when a test writes it again
    RegistryFileStore store(file);
    const auto set = [&store](std::string_view key, std::string_view name, std::string_view value) {
        store.createKey(key)->setString(name, value);
    };
    set("", "install directory", file.parent_path().string());
    set("Matrix", "Current", "/demo/current_matrix.txt");
    set("Matrix", "Current Valid", contents.flags);
    set("Matrix", "Default", "/demo/default_matrix.txt");
    for (const char* channel : {"Red", "Green", "Blue"}) {
        set("First1D\\Default", channel, std::string("/demo/first_") + channel);
        set("Second1D\\Default", channel, std::string("/demo/default_") + channel);
        set("Second1D\\Current", channel, std::string("/demo/current_") + channel);
        set("Second1D\\Current", std::string("Valid") + channel, contents.flags);
    }
    if (contents.withStepWedgeKey)
        set("StepWedge", "steps", contents.steps);
}
