#include "config/atomic_file.h"

#include <cerrno>
#include <random>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTemporaryNameAttempts = 16;

bool closeDescriptor(int fd)
{
    // Linux releases the descriptor even when close reports EINTR; retrying could close another file.
    return ::close(fd) == 0;
}

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string randomSuffix()
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix;
    auto bits = generator();
    for (int i = 0; i < 12; ++i, bits >>= 4)
        suffix += kHex[bits & 0xF];
    return suffix;
}

std::string temporaryPrefix(const std::filesystem::path& target)
{
    return "." + target.filename().string() + ".tmp-";
}

// Creates a new, empty temporary file beside `target`; -1 when none can be made.
int createTemporaryFile(const std::filesystem::path& target, mode_t mode, std::filesystem::path& temporary)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = folder / (temporaryPrefix(target) + std::to_string(::getpid()) + "-" + randomSuffix());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST && errno != EINTR)
            return -1;
    }
    return -1;
}

void syncFolder(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Only makes the rename durable sooner; the new content is already in place, so a
    // file system that cannot sync folders is no failure of the replacement.
    ::fsync(fd);
    ::close(fd);
}

} // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

bool replaceFileAtomically(const std::filesystem::path& file, std::string_view content)
{
    // Replace what a symbolic link points to, not the link itself.
    std::error_code error;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(file, error)) {
        target = std::filesystem::weakly_canonical(file, error);
        if (error)
            return false;
    }

    mode_t mode = 0666; // narrowed by the umask, as for any new file
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode))
            return false;
        mode = existing.st_mode & 07777;
    }

    std::filesystem::path temporary;
    const int fd = createTemporaryFile(target, mode, temporary);
    if (fd < 0)
        return false;

    bool ok = (!exists || ::fchmod(fd, mode) == 0) && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = closeDescriptor(fd) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(target);
    return true;
}

FileLock::FileLock(const std::filesystem::path& file)
{
    std::filesystem::path lockFile = file;
    lockFile += ".lock";
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return;
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

FileLock::~FileLock()
{
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

void removeLeftoverTemporaries(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const std::string prefix = temporaryPrefix(file);
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(it->path(), error);
    }
}
