#pragma once

#include <string>
#include <string_view>

// The separator the settings' paths use on this platform ("\" on Windows, "/" elsewhere).
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// installDirectory + separator + "Diagnostics" + separator + fileName. Empty when the
// install directory is empty: then there is no diagnostics file.
std::string diagnosticsFilePath(std::string_view installDirectory, std::string_view fileName);
