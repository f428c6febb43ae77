#pragma once

// Whole-file replacement that a crash can never tear: the new content goes to a
// temporary file in the same folder, is flushed to disk, and is renamed over the target.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The whole content of a file read as bytes; nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& file);

// Replaces (or creates) `file` with `content`. False on any failure, with the old file
// left untouched and no temporary file left behind.
bool replaceFileAtomically(const std::filesystem::path& file, std::string_view content);

// Removes the temporary files that writers of `file` killed half-way left behind. Only
// safe while holding the FileLock that every writer of `file` takes.
void removeLeftoverTemporaries(const std::filesystem::path& file);

// An exclusive advisory lock on a companion lock file ("<file>.lock"), held while the
// object lives. Serialises read-modify-write cycles of several processes on one file.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
