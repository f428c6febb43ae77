// Files on POSIX systems: descriptors, flock and rename.

#include "config/atomic_file.h"

#include "config/atomic_file_platform.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <signal.h>
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

// Creates a new, empty temporary file beside `target`; -1 when none can be made.
int createTemporaryFile(const std::filesystem::path& target, mode_t mode, std::filesystem::path& temporary)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = atomic_file_detail::temporaryName(target);
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

std::string systemReason(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

std::string fileKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a plain file";
}

} // namespace

namespace atomic_file_detail {

std::uint64_t currentProcessId()
{
    return static_cast<std::uint64_t>(::getpid());
}

bool processHasEnded(std::uint64_t processId)
{
    return ::kill(static_cast<pid_t>(processId), 0) != 0 && errno == ESRCH;
}

} // namespace atomic_file_detail

std::FILE* openRegularFile(const std::filesystem::path& file, std::uint64_t maxBytes, std::string& reason)
{
    if (file.empty()) {
        reason = "no file name";
        return nullptr;
    }
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        reason = systemReason(errno);
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = "not a regular file but " + fileKind(status.st_mode);
        ::close(fd);
        return nullptr;
    }
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        reason = atomic_file_detail::tooLargeText(maxBytes);
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        reason = systemReason(errno);
        ::close(fd);
    }
    return stream;
}

FileReplacement::FileReplacement(const std::filesystem::path& file) : target_(resolveLinks(file))
{
    mode_t mode = 0666; // narrowed by the umask, as for any new file
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode)) {
            fail("not a regular file but " + fileKind(existing.st_mode));
            return;
        }
        // Renaming would replace a file its owner made read-only.
        if (::access(target_.c_str(), W_OK) != 0) {
            fail(systemReason(errno));
            return;
        }
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        fail(systemReason(errno));
        return;
    }
    removeTemporariesOfEndedWriters(target_);
    fd_ = createTemporaryFile(target_, mode, temporary_);
    if (fd_ < 0) {
        fail(systemReason(errno));
        return;
    }
    if (exists && ::fchmod(fd_, mode) != 0)
        fail(systemReason(errno));
}

FileReplacement::~FileReplacement()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

void FileReplacement::fail(std::string reason)
{
    error_ = std::move(reason);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::write(std::string_view content)
{
    if (fd_ < 0)
        return false;
    if (!writeAll(fd_, content)) {
        fail(systemReason(errno));
        return false;
    }
    return true;
}

bool FileReplacement::commit()
{
    if (fd_ < 0)
        return false;
    if (::fsync(fd_) != 0) {
        fail(systemReason(errno));
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (!closeDescriptor(fd) || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(systemReason(errno));
        return false;
    }
    temporary_.clear();
    syncFolder(target_);
    return true;
}

FileLock::FileLock(const std::filesystem::path& file, Wait wait)
{
    std::filesystem::path lockFile = file;
    lockFile += ".lock";
    // O_NONBLOCK: a FIFO planted at the lock path must not stall the writer.
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = lockFile.string() + ": " + systemReason(errno);
        return;
    }
    struct stat status {};
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        error_ = lockFile.string() + ": not a regular file";
        ::close(fd_);
        fd_ = -1;
        return;
    }
    const int operation = wait == Wait::UntilFree ? LOCK_EX : LOCK_EX | LOCK_NB;
    while (::flock(fd_, operation) != 0) {
        if (errno != EINTR) {
            error_ =
                lockFile.string() + ": " + (errno == EWOULDBLOCK ? "in use by another program" : systemReason(errno));
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
