#pragma once

// Files that are no regular files, as each platform has them, for the tests that check a
// reader or writer refuses them at once. The one place those tests differ by platform.

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

// A FIFO at `path`; false where there are none at paths of one's choosing (Windows).
inline bool makeFifo(const std::filesystem::path& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

// Character devices that read without end. None on Windows: its devices ("NUL") have no
// place in the file system that a path test such as std::filesystem::exists sees.
inline std::vector<std::string> endlessDevices()
{
#ifdef _WIN32
    return {};
#else
    return {"/dev/zero"};
#endif
}

// Devices that accept no file in their place (every write fails); none on Windows.
inline std::vector<std::string> unwritableDevices()
{
#ifdef _WIN32
    return {};
#else
    return {"/dev/full"};
#endif
}
