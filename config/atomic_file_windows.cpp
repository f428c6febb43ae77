// Files on Windows: CreateFileW handles behind C runtime descriptors, LockFileEx and
// MoveFileExW. Every stream is binary, so CR LF and 0x1A bytes pass unchanged.

#include "config/atomic_file.h"

#include "config/atomic_file_platform.h"
#include "config/windows_text.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <io.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr int kTemporaryNameAttempts = 16;
// A reader, a virus scanner or an indexer may hold the target open for a moment; the
// rename over it is retried this long before it counts as failed.
constexpr auto kReplaceRetryTime = std::chrono::milliseconds(2000);
constexpr auto kReplaceRetryPause = std::chrono::milliseconds(20);
constexpr unsigned int kWriteChunk = 1u << 30;

std::string lastErrorText()
{
    return windowsErrorText(GetLastError());
}

// The kind of an open handle's file, in the words the POSIX build uses; empty for a plain file.
std::string handleKind(HANDLE handle)
{
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION information{};
        if (GetFileInformationByHandle(handle, &information)
            && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return "a folder";
        return {};
    }
    case FILE_TYPE_CHAR:
        return "a character device";
    case FILE_TYPE_PIPE:
        return "a pipe";
    default:
        return "not a plain file";
    }
}

// A C runtime descriptor owning `handle`; -1 (and the handle closed) when none is left.
int descriptorOf(HANDLE handle, int flags)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

// Creates a new, empty temporary file beside `target`, open for writing by this process
// alone; -1 when none can be made.
int createTemporaryFile(const std::filesystem::path& target, std::filesystem::path& temporary, std::string& reason)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = atomic_file_detail::temporaryName(target);
        const HANDLE handle =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return descriptorOf(handle, _O_WRONLY);
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            reason = windowsErrorText(error);
            temporary.clear();
            return -1;
        }
    }
    reason = windowsErrorText(ERROR_FILE_EXISTS);
    temporary.clear();
    return -1;
}

bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason)
{
    const auto deadline = std::chrono::steady_clock::now() + kReplaceRetryTime;
    for (;;) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            || std::chrono::steady_clock::now() >= deadline) {
            reason = windowsErrorText(error);
            return false;
        }
        std::this_thread::sleep_for(kReplaceRetryPause);
    }
}

} // namespace

namespace atomic_file_detail {

std::uint64_t currentProcessId()
{
    return GetCurrentProcessId();
}

bool processHasEnded(std::uint64_t processId)
{
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (process == nullptr)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no such process
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

} // namespace atomic_file_detail

std::FILE* openRegularFile(const std::filesystem::path& file, std::uint64_t maxBytes, std::string& reason)
{
    if (file.empty()) {
        reason = "no file name";
        return nullptr;
    }
    // Pipes and devices open without waiting; the handle's type tells them apart. Backup
    // semantics let a folder open too, so that it is named as what it is.
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastErrorText();
        return nullptr;
    }
    if (const std::string kind = handleKind(handle); !kind.empty()) {
        reason = "not a regular file but " + kind;
        CloseHandle(handle);
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        reason = lastErrorText();
        CloseHandle(handle);
        return nullptr;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        reason = atomic_file_detail::tooLargeText(maxBytes);
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = descriptorOf(handle, _O_RDONLY);
    std::FILE* stream = fd < 0 ? nullptr : _fdopen(fd, "rb");
    if (stream == nullptr) {
        reason = "no file descriptor left";
        if (fd >= 0)
            _close(fd);
    }
    return stream;
}

FileReplacement::FileReplacement(const std::filesystem::path& file) : target_(resolveLinks(file))
{
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            fail("not a regular file but a folder");
            return;
        }
        // Renaming would replace a file its owner made read-only.
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            fail(windowsErrorText(ERROR_ACCESS_DENIED));
            return;
        }
    } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
        fail(windowsErrorText(error));
        return;
    }
    removeTemporariesOfEndedWriters(target_);
    std::string reason;
    fd_ = createTemporaryFile(target_, temporary_, reason);
    if (fd_ < 0)
        fail(reason);
}

FileReplacement::~FileReplacement()
{
    if (fd_ >= 0)
        _close(fd_);
    if (!temporary_.empty())
        DeleteFileW(temporary_.c_str());
}

void FileReplacement::fail(std::string reason)
{
    error_ = std::move(reason);
    if (fd_ >= 0)
        _close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        DeleteFileW(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::write(std::string_view content)
{
    if (fd_ < 0)
        return false;
    while (!content.empty()) {
        const auto chunk = static_cast<unsigned int>(std::min<std::size_t>(content.size(), kWriteChunk));
        const int written = _write(fd_, content.data(), chunk);
        if (written <= 0) {
            fail(lastErrorText());
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool FileReplacement::commit()
{
    if (fd_ < 0)
        return false;
    if (_commit(fd_) != 0) {
        fail(lastErrorText());
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    std::string reason;
    if (_close(fd) != 0) {
        fail("the file cannot be closed");
        return false;
    }
    if (!moveOver(temporary_, target_, reason)) {
        fail(reason);
        return false;
    }
    temporary_.clear();
    return true;
}

FileLock::FileLock(const std::filesystem::path& file, Wait wait)
{
    std::filesystem::path lockFile = file;
    lockFile += ".lock";
    // A folder in the lock's place is named as the POSIX build names it.
    if (const DWORD attributes = GetFileAttributesW(lockFile.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error_ = lockFile.string() + ": " + std::generic_category().message(EISDIR);
        return;
    }
    const HANDLE handle = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error_ = lockFile.string() + ": " + lastErrorText();
        return;
    }
    if (!handleKind(handle).empty()) {
        error_ = lockFile.string() + ": not a regular file";
        CloseHandle(handle);
        return;
    }
    // The lock goes with the handle: a writer that is killed leaves none behind.
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait == Wait::No ? LOCKFILE_FAIL_IMMEDIATELY : 0);
    if (!LockFileEx(handle, flags, 0, 1, 0, &whole)) {
        const DWORD error = GetLastError();
        error_ = lockFile.string() + ": "
            + (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? std::string("in use by another program")
                                                                          : windowsErrorText(error));
        CloseHandle(handle);
        return;
    }
    fd_ = descriptorOf(handle, _O_RDWR);
    if (fd_ < 0)
        error_ = lockFile.string() + ": no file descriptor left";
}

FileLock::~FileLock()
{
    if (fd_ < 0)
        return;
    // Closing the handle releases its lock.
    _close(fd_);
}
