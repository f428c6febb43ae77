#pragma once

// Makes writes past `bytes` in any file fail with "File too large" while the object lives:
// a full disk, as far as this process is concerned. Windows has no such limit: there the
// object does nothing and kAvailable says so.

#include <cstdint>

#ifdef _WIN32

class FileSizeLimit {
public:
    static constexpr bool kAvailable = false;
    explicit FileSizeLimit(std::uint64_t) {}
};

#else

#include <csignal>

#include <sys/resource.h>

class FileSizeLimit {
public:
    static constexpr bool kAvailable = true;
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

#endif
