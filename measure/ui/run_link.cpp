#include "measure/ui/run_link.h"

#include <algorithm>
#include <chrono>
#include <utility>

void RunLink::setPaused(bool paused)
{
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    changed_.notify_all();
}

void RunLink::cancel()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

void RunLink::stop()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        stopped_ = true;
    }
    changed_.notify_all();
}

void RunLink::patchPainted(std::uint64_t serial)
{
    {
        std::lock_guard lock(mutex_);
        painted_ = std::max(painted_, serial);
    }
    changed_.notify_all();
}

void RunLink::answer(std::uint64_t question, bool yes)
{
    {
        std::lock_guard lock(mutex_);
        answered_ = question;
        answer_ = yes;
    }
    changed_.notify_all();
}

std::uint64_t RunLink::nextSerial()
{
    std::lock_guard lock(mutex_);
    return ++serial_;
}

bool RunLink::cancelled()
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

RunControl RunLink::control(std::int64_t milliseconds)
{
    std::unique_lock lock(mutex_);
    if (paused_ && !cancelled_)
        changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !paused_ || cancelled_; });
    if (cancelled_)
        return RunControl::Cancel;
    return paused_ ? RunControl::Pause : RunControl::Continue;
}

void RunLink::sleep(std::int64_t milliseconds)
{
    if (milliseconds <= 0)
        return;
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return cancelled_; });
}

bool RunLink::waitUntilPainted(std::uint64_t serial, std::int64_t milliseconds)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this, serial] {
        return stopped_ || painted_ >= serial;
    }) && !stopped_;
}

bool RunLink::waitForAnswer(std::uint64_t question)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this, question] { return stopped_ || answered_ == question; });
    return !stopped_ && answer_;
}

WindowPacer::WindowPacer(RunLink& link, double scale) : link_(link), scale_(scale > 0 ? scale : 0)
{
}

void WindowPacer::wait(std::int64_t milliseconds)
{
    if (milliseconds <= 0)
        return;
    link_.sleep(static_cast<std::int64_t>(static_cast<double>(milliseconds) * scale_));
    now_ += milliseconds;
}

namespace {

// A window that cannot paint within this long is not showing what the meter reads.
constexpr std::int64_t kPaintMilliseconds = 10000;

} // namespace

WindowPatchDisplay::WindowPatchDisplay(RunLink& link, Post post, PatchDisplay* simulated)
    : link_(link)
    , post_(std::move(post))
    , simulated_(simulated)
{
}

Result<> WindowPatchDisplay::show(std::uint32_t colour)
{
    const std::uint64_t serial = link_.nextSerial();
    post_(colour, serial);
    if (!link_.waitUntilPainted(serial, kPaintMilliseconds))
        return Failure{"the window did not show it", {}};
    return simulated_ == nullptr ? Result<>() : simulated_->show(colour);
}

WindowRunObserver::WindowRunObserver(RunLink& link, std::function<void(const Report&)> post,
                                     std::int64_t pollMilliseconds)
    : link_(link)
    , post_(std::move(post))
    , pollMilliseconds_(pollMilliseconds)
{
}

void WindowRunObserver::patchShown(const Patch& patch, int index, int total)
{
    post_({patchName(patch), index, total, false, {}});
}

void WindowRunObserver::readingTaken(const Patch& patch, const MeterReading& reading, int done, int total)
{
    post_({patchName(patch), done, total, true, reading});
}
