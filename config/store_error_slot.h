#pragma once

// The text of a store's last failure, shared by the store and every key it opened. The
// download worker opens keys while the window may too, so the text is guarded.

#include <mutex>
#include <string>
#include <utility>

class StoreErrorSlot {
public:
    void set(std::string error)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        text_ = std::move(error);
    }

    std::string get() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};
