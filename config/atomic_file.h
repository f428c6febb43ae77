#pragma once

// Whole-file replacement that a crash can never tear: the new content goes to a
// temporary file in the same folder, is flushed to disk, and is renamed over the target.
// And reading that a FIFO, a device or an endless file can never stall or exhaust.

#include "config/result.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Read limits by kind of file: generous for what the tool set writes, small enough that
// a wrong file is refused before it fills the memory.
inline constexpr std::uint64_t kSettingsFileLimit = 16u << 20; // store and data (key) files
inline constexpr std::uint64_t kTableFileLimit = 256u << 20; // 3D colour tables, the largest text
inline constexpr std::uint64_t kSmallTableFileLimit = 16u << 20; // LUT, matrix and OSD image files

// Opens a file for reading in binary mode without blocking (a FIFO never stalls the
// caller) and refuses anything but a regular file of at most `maxBytes` bytes. The open
// file, or null with the system's reason in `reason` ("No such file or directory", "not a
// regular file but a FIFO").
[[nodiscard]] std::FILE* openRegularFile(const std::filesystem::path& file, std::uint64_t maxBytes,
                                         std::string& reason);

// The whole content of a regular file of at most `maxBytes` bytes, or the system's reason
// why it cannot be read.
[[nodiscard]] Result<std::string> readWholeFile(const std::filesystem::path& file, std::uint64_t maxBytes);

// The file a path finally names once its symbolic links are followed, even when that
// file does not exist yet (a dangling link names its target). The path itself when it is
// no link or the links loop.
std::filesystem::path resolveLinks(const std::filesystem::path& file);

// A replacement in progress: the new content goes to a temporary file beside the file
// the path resolves to, and only `commit` puts it in place. Until then the file at the
// path stays as it was; a replacement that is dropped, or a writer that is killed,
// never exposes a partial file there.
class FileReplacement {
public:
    // Opens the temporary file. A target that exists must be a writable regular file.
    explicit FileReplacement(const std::filesystem::path& file);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool opened() const { return fd_ >= 0; }
    [[nodiscard]] bool write(std::string_view content);
    // Flushes the content to disk and renames it over the target.
    [[nodiscard]] bool commit();
    // Why the last step failed: the system's reason.
    const std::string& error() const { return error_; }

private:
    void fail(std::string reason);

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    std::string error_;
};

// Replaces (or creates) `file` with `content`. On any failure the old file is left
// untouched, no temporary file is left behind, and the result holds the system's reason.
[[nodiscard]] Result<> replaceFileAtomically(const std::filesystem::path& file, std::string_view content);

// Removes the temporary files that writers of `file` killed half-way left behind. Only
// safe while holding the FileLock that every writer of `file` takes.
void removeLeftoverTemporaries(const std::filesystem::path& file);

// Removes only those whose writer process has ended; safe without a lock.
void removeTemporariesOfEndedWriters(const std::filesystem::path& file);

// An exclusive advisory lock on a companion lock file ("<file>.lock"), held while the
// object lives. Serialises read-modify-write cycles of several processes on one file.
class FileLock {
public:
    enum class Wait { UntilFree, No };
    explicit FileLock(const std::filesystem::path& file, Wait wait = Wait::UntilFree);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return fd_ >= 0; }
    // Why the lock was not taken: "<lock file>: <the system's reason>".
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};
