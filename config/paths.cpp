#include "config/paths.h"

std::string diagnosticsFilePath(std::string_view installDirectory, std::string_view fileName)
{
    if (installDirectory.empty())
        return {};
    std::string path(installDirectory);
    path += kPathSeparator;
    path += "Diagnostics";
    path += kPathSeparator;
    path += fileName;
    return path;
}
