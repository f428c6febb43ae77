#pragma once

// Makes writes past `bytes` in any file fail with "File too large" while the object lives:
// a full disk, as far as this process is concerned.

#include <csignal>
#include <cstdint>

#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};
