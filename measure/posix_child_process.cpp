// The child process on POSIX systems: a pseudo-terminal, so that the child's console reads
// and line buffering behave as they do for a person at a terminal.

#include "measure/child_process.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

class PosixChildProcess : public ChildProcess {
public:
    ~PosixChildProcess() override { finish(0); }

    Result<> start(const std::vector<std::string>& arguments) override
    {
        if (arguments.empty())
            return systemFailure("no program to start");
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname(master_) == nullptr) {
            const std::string reason = std::string("no terminal for the meter program: ") + std::strerror(errno);
            closeMaster();
            return systemFailure(reason);
        }
        const std::string terminal = ptsname(master_);
        // The exec's failure comes back through a pipe that a successful exec closes.
        int report[2];
        if (pipe2(report, O_CLOEXEC) != 0) {
            const std::string reason = std::strerror(errno);
            closeMaster();
            return systemFailure(reason);
        }
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);

        pid_ = fork();
        if (pid_ < 0) {
            const std::string reason = std::strerror(errno);
            ::close(report[0]);
            ::close(report[1]);
            closeMaster();
            return systemFailure(reason);
        }
        if (pid_ == 0) {
            setsid();
            const int slave = ::open(terminal.c_str(), O_RDWR);
            if (slave >= 0) {
                termios settings{};
                if (tcgetattr(slave, &settings) == 0) {
                    settings.c_lflag &= static_cast<tcflag_t>(~ECHO);
                    tcsetattr(slave, TCSANOW, &settings);
                }
                dup2(slave, 0);
                dup2(slave, 1);
                dup2(slave, 2);
                if (slave > 2)
                    ::close(slave);
            }
            execvp(argv[0], argv.data());
            const int code = errno;
            [[maybe_unused]] const ssize_t written = ::write(report[1], &code, sizeof code);
            _exit(127);
        }
        ::close(report[1]);
        int code = 0;
        const ssize_t got = ::read(report[0], &code, sizeof code);
        ::close(report[0]);
        if (got == static_cast<ssize_t>(sizeof code)) {
            finish(0);
            return systemFailure(arguments[0] + ": " + std::strerror(code));
        }
        return {};
    }

    bool send(const std::string& text) override
    {
        return master_ >= 0 && ::write(master_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    std::string receive(std::int64_t milliseconds, bool& ended) override
    {
        ended = master_ < 0;
        if (ended)
            return {};
        pollfd descriptor{master_, POLLIN, 0};
        const int ready = ::poll(&descriptor, 1, static_cast<int>(milliseconds));
        if (ready <= 0)
            return {};
        char buffer[4096];
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0) {
            // A terminal whose last user has gone reads as an error (EIO), not as an end of file.
            ended = true;
            return {};
        }
        return std::string(buffer, static_cast<std::size_t>(got));
    }

    void finish(std::int64_t milliseconds) override
    {
        if (pid_ > 0) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
            int status = 0;
            while (waitpid(pid_, &status, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    ::kill(pid_, SIGKILL);
                    waitpid(pid_, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            pid_ = -1;
        }
        closeMaster();
    }

private:
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    int master_ = -1;
    pid_t pid_ = -1;
};

} // namespace

std::unique_ptr<ChildProcess> createChildProcess()
{
    return std::make_unique<PosixChildProcess>();
}
