// The child process on Windows: CreateProcessW with its input and output on pipes (Windows
// has no terminals to hand out; the child's console output arrives through the pipe).

#include "measure/child_process.h"

#include "config/windows_text.h"

#include <chrono>
#include <thread>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr auto kPollPause = std::chrono::milliseconds(10);

void closeHandle(HANDLE& handle)
{
    if (handle != nullptr)
        CloseHandle(handle);
    handle = nullptr;
}

class WindowsChildProcess : public ChildProcess {
public:
    ~WindowsChildProcess() override { finish(0); }

    Result<> start(const std::vector<std::string>& arguments) override
    {
        if (arguments.empty())
            return systemFailure("no program to start");
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE childInput = nullptr;
        HANDLE childOutput = nullptr;
        if (!CreatePipe(&childInput, &input_, &inheritable, 0)
            || !CreatePipe(&output_, &childOutput, &inheritable, 0)) {
            const std::string reason = "no pipe for the meter program: " + windowsErrorText(GetLastError());
            closeHandle(childInput);
            closeAll();
            return systemFailure(reason);
        }
        // Only the child's ends are inherited.
        SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);

        std::wstring commandLine;
        for (const std::string& argument : arguments)
            commandLine += (commandLine.empty() ? L"" : L" ") + quotedArgument(toWide(argument));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = childOutput;
        PROCESS_INFORMATION started{};
        // No application name: the system looks the program up as a command would (PATH, ".exe").
        const BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                            nullptr, nullptr, &startup, &started);
        const DWORD startError = GetLastError();
        closeHandle(childInput);
        closeHandle(childOutput);
        if (!created) {
            closeAll();
            return systemFailure(arguments[0] + ": " + windowsErrorText(startError));
        }
        CloseHandle(started.hThread);
        process_ = started.hProcess;
        return {};
    }

    bool send(const std::string& text) override
    {
        DWORD written = 0;
        return input_ != nullptr && WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
            && written == text.size();
    }

    std::string receive(std::int64_t milliseconds, bool& ended) override
    {
        ended = output_ == nullptr;
        if (ended)
            return {};
        // Anonymous pipes cannot be waited on; they are polled until the time is up.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            DWORD available = 0;
            if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr)) {
                // The child closed its end (ended, or its output went away).
                ended = true;
                return {};
            }
            if (available > 0) {
                char buffer[4096];
                DWORD got = 0;
                const DWORD wanted = available < sizeof buffer ? available : static_cast<DWORD>(sizeof buffer);
                if (!ReadFile(output_, buffer, wanted, &got, nullptr) || got == 0) {
                    ended = true;
                    return {};
                }
                return std::string(buffer, got);
            }
            if (std::chrono::steady_clock::now() >= deadline)
                return {};
            std::this_thread::sleep_for(kPollPause);
        }
    }

    void finish(std::int64_t milliseconds) override
    {
        if (process_ != nullptr) {
            if (WaitForSingleObject(process_, static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds))
                != WAIT_OBJECT_0) {
                TerminateProcess(process_, 1);
                WaitForSingleObject(process_, INFINITE);
            }
        }
        closeAll();
    }

private:
    void closeAll()
    {
        closeHandle(process_);
        closeHandle(input_);
        closeHandle(output_);
    }

    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr; // our end of the child's input
    HANDLE output_ = nullptr; // our end of the child's output
};

} // namespace

std::unique_ptr<ChildProcess> createChildProcess()
{
    return std::make_unique<WindowsChildProcess>();
}
