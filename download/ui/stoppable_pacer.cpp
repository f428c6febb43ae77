#include "download/ui/stoppable_pacer.h"

#include <chrono>

StoppablePacer::StoppablePacer(double scale) : scale_(scale > 0 ? scale : 0)
{
}

void StoppablePacer::pause(std::uint32_t milliseconds)
{
    const auto length = std::chrono::duration<double, std::milli>(milliseconds * scale_);
    if (length.count() <= 0)
        return;
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, length, [this] { return stopped_; });
}

void StoppablePacer::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

void StoppablePacer::restart()
{
    std::lock_guard lock(mutex_);
    stopped_ = false;
}
