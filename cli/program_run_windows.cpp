// Program start on Windows: CreateProcessW with a command line that the C runtime parses
// back into exactly the given arguments, then a wait for the process to end.

#include "cli/program_run.h"

#include "config/windows_text.h"

#include <cstdlib>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

std::string pathText(const std::filesystem::path& path)
{
    return fromWide(path.wstring()).value_or("the program");
}

} // namespace

std::filesystem::path runningProgramFolder()
{
    std::wstring file(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, file.data(), static_cast<DWORD>(file.size()));
        if (length == 0)
            return {};
        if (length < file.size()) {
            file.resize(length);
            return std::filesystem::path(file).parent_path();
        }
        file.resize(file.size() * 2);
    }
}

std::vector<std::filesystem::path> searchPathFolders()
{
    std::vector<std::filesystem::path> folders;
    const wchar_t* path = _wgetenv(L"PATH");
    std::wstring_view rest = path ? path : L"";
    while (!rest.empty()) {
        const std::size_t separator = rest.find(L';');
        std::wstring folder(rest.substr(0, separator));
        // Folders with a semicolon in their name come quoted.
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (!folder.empty())
            folders.emplace_back(folder);
        if (separator == std::wstring_view::npos)
            break;
        rest.remove_prefix(separator + 1);
    }
    return folders;
}

std::string executableFileName(const std::string& program)
{
    return program + ".exe";
}

Result<int> runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    std::wstring commandLine = quotedArgument(program.wstring());
    for (const std::string& argument : arguments)
        commandLine += L" " + quotedArgument(toWide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return systemFailure(pathText(program) + ": " + windowsErrorText(GetLastError()));
    CloseHandle(process.hThread);
    // The operator runs the measurement in the window as long as it takes; its own waits on the meter are limited.
    const DWORD waited = WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code);
    const DWORD error = GetLastError();
    CloseHandle(process.hProcess);
    if (!known)
        return systemFailure(pathText(program) + ": " + windowsErrorText(error));
    return static_cast<int>(code);
}
