#pragma once

// What the shared part of atomic_file.cpp needs from the platform's file (one per
// platform: atomic_file_posix.cpp, atomic_file_windows.cpp).

#include <cstdint>
#include <filesystem>
#include <string>

namespace atomic_file_detail {

std::uint64_t currentProcessId();
// True only when no process with this id runs any more.
bool processHasEnded(std::uint64_t processId);

// A new temporary's name beside `target`: "<folder>/.<name>.tmp-<process id>-<random>".
std::filesystem::path temporaryName(const std::filesystem::path& target);

std::string tooLargeText(std::uint64_t maxBytes);

} // namespace atomic_file_detail
