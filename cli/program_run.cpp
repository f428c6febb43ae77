#include "cli/program_run.h"

#include <system_error>

std::optional<std::filesystem::path> findProgram(const std::string& program)
{
    const std::string file = executableFileName(program);
    std::vector<std::filesystem::path> folders;
    if (const std::filesystem::path own = runningProgramFolder(); !own.empty()) {
        folders.push_back(own);
        folders.push_back(own.parent_path() / "bin");
    }
    for (const std::filesystem::path& folder : searchPathFolders())
        folders.push_back(folder);
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        const std::filesystem::path candidate = folder / file;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return std::nullopt;
}
