// Program start on POSIX systems: posix_spawn with the argument vector as given, waitpid.

#include "cli/program_run.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::filesystem::path runningProgramFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

std::vector<std::filesystem::path> searchPathFolders()
{
    std::vector<std::filesystem::path> folders;
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        // An empty entry means the working folder, as for the shell.
        folders.emplace_back(folder.empty() ? std::string_view(".") : folder);
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return folders;
}

std::string executableFileName(const std::string& program)
{
    return program;
}

Result<int> runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    if (started != 0)
        return systemFailure(program.string() + ": " + std::strerror(started));
    int status = 0;
    // The operator runs the measurement in the window as long as it takes; its own waits on the meter are limited.
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return systemFailure(program.string() + ": " + std::strerror(errno));
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return systemFailure(program.string() + " was ended by signal " + std::to_string(WTERMSIG(status)) + " ("
                             + strsignal(WTERMSIG(status)) + ")");
    return systemFailure(program.string() + " ended abnormally");
}
