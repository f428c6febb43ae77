#include "download/adapters/mpsse_spi.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::uint32_t kHighSpeedBaseHertz = 60'000'000;
constexpr std::uint32_t kPlainBaseHertz = 12'000'000;
constexpr std::uint32_t kMaxDivisor = 0xFFFF;
// One shift command moves at most this many bytes.
constexpr std::size_t kMaxShift = 65536;
// Queued commands beyond this size go out without waiting for a read.
constexpr std::size_t kQueueLimit = 65536;
// How long an answer may take beyond its bits on the wire before the adapter counts as
// silent.
constexpr std::uint64_t kAnswerGraceMilliseconds = 1000;
constexpr std::size_t kEchoSize = 2;

std::uint32_t baseHertz(FtdiChip chip)
{
    return isChannelChip(chip) ? kHighSpeedBaseHertz : kPlainBaseHertz;
}

bool hasUpperPins(FtdiChip chip)
{
    return chip != FtdiChip::FT4232H; // its MPSSE channels have one 8-bit bus each
}

} // namespace

MpsseSpi::MpsseSpi(std::unique_ptr<FtdiPort> port, FtdiChip chip, MonotonicClock& clock, std::uint32_t maxKiloHertz)
    : port_(std::move(port))
    , chip_(chip)
    , clock_(clock)
    , maxKiloHertz_(maxKiloHertz)
{
}

std::uint32_t MpsseSpi::clockHertz() const
{
    return baseHertz(chip_) / ((1 + divisor_) * 2);
}

bool MpsseSpi::initialise(std::uint32_t divisor)
{
    divisor_ = std::min(divisor, kMaxDivisor);
    if (maxKiloHertz_ > 0) {
        // The smallest divisor whose clock does not exceed the cap.
        const std::uint64_t limit = std::uint64_t{maxKiloHertz_} * 1000;
        const std::uint64_t needed = (baseHertz(chip_) + 2 * limit - 1) / (2 * limit);
        divisor_ =
            static_cast<std::uint32_t>(std::clamp<std::uint64_t>(needed > 0 ? needed - 1 : 0, divisor_, kMaxDivisor));
    }
    queue_.clear();
    queuedWritesLost_ = false;
    queueHoldsWrites_ = false;
    if (isChannelChip(chip_)) {
        // 60 MHz base clock, plain two-phase clocking, no waiting on a return clock.
        queue_.insert(queue_.end(), {mpsse::kDivideBy5Off, mpsse::kAdaptiveOff, mpsse::kThreePhaseOff});
    }
    queue_.insert(queue_.end(),
                  {mpsse::kLoopbackOff, mpsse::kSetClockDivisor, static_cast<std::uint8_t>(divisor_),
                   static_cast<std::uint8_t>(divisor_ >> 8)});
    queueLowByte(false);
    // Answers left over from an earlier user put the first check out of step; the purge
    // after it clears them, so one more check decides.
    return exchange({}) || exchange({});
}

bool MpsseSpi::setPins(const PinFlags& flags, std::span<const PinPair> upperPins)
{
    lowIdle_ = flags[0] != 0 ? mpsse::kChipSelectPin : 0;
    for (int gpio = 0; gpio < 4; ++gpio) {
        if (flags[static_cast<std::size_t>(gpio) + 1] != 0)
            lowIdle_ |= static_cast<std::uint8_t>(1u << (mpsse::kFirstGpioBit + gpio));
    }
    queueLowByte(false);
    if (hasUpperPins(chip_)) {
        for (std::size_t pin = 0; pin < upperPins.size() && pin < 8; ++pin) {
            const auto bit = static_cast<std::uint8_t>(1u << pin);
            highDirections_ = upperPins[pin].output != 0 ? (highDirections_ | bit) : (highDirections_ & ~bit);
            highLevels_ = upperPins[pin].high != 0 ? (highLevels_ | bit) : (highLevels_ & ~bit);
        }
        queue_.insert(queue_.end(), {mpsse::kSetHighByte, highLevels_, highDirections_});
    }
    // The pins change now, not with the next read: the processor watches them.
    return sendQueue();
}

bool MpsseSpi::readUpperPins(std::span<PinPair> upperPins)
{
    std::array<std::uint8_t, 1> levels{};
    const bool readable = hasUpperPins(chip_);
    if (readable)
        queue_.push_back(mpsse::kReadHighByte);
    if (!exchange(readable ? std::span<std::uint8_t>(levels) : std::span<std::uint8_t>()))
        return false;
    for (std::size_t pin = 0; pin < upperPins.size() && pin < 8; ++pin) {
        upperPins[pin].output = (std::uint32_t{highDirections_} >> pin) & 1u;
        upperPins[pin].high = (std::uint32_t{levels[0]} >> pin) & 1u;
    }
    return true;
}

void MpsseSpi::queueLowByte(bool selected)
{
    // SCK idles low (mode 0); chip select is active low.
    const std::uint8_t levels = selected ? static_cast<std::uint8_t>(lowIdle_ & ~mpsse::kChipSelectPin) : lowIdle_;
    queue_.insert(queue_.end(), {mpsse::kSetLowByte, levels, mpsse::kLowDirection});
}

void MpsseSpi::queueShiftOut(std::span<const std::uint8_t> bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t length = std::min(bytes.size() - done, kMaxShift);
        queue_.insert(queue_.end(),
                      {mpsse::kBytesOutFallingEdge, static_cast<std::uint8_t>(length - 1),
                       static_cast<std::uint8_t>((length - 1) >> 8)});
        queue_.insert(queue_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(done),
                      bytes.begin() + static_cast<std::ptrdiff_t>(done + length));
        done += length;
    }
}

void MpsseSpi::write(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data)
{
    // A new operation starts: an earlier loss has been reported by now.
    queuedWritesLost_ = false;
    queueHoldsWrites_ = true;
    queueLowByte(true);
    queueShiftOut(command);
    queueShiftOut(data);
    queueLowByte(false);
    if (queue_.size() > kQueueLimit)
        sendQueue();
}

bool MpsseSpi::read(std::span<const std::uint8_t> command, std::span<std::uint8_t> received)
{
    queueLowByte(true);
    queueShiftOut(command);
    for (std::size_t done = 0; done < received.size();) {
        const std::size_t length = std::min(received.size() - done, kMaxShift);
        queue_.insert(queue_.end(),
                      {mpsse::kBytesInRisingEdge, static_cast<std::uint8_t>(length - 1),
                       static_cast<std::uint8_t>((length - 1) >> 8)});
        done += length;
    }
    queueLowByte(false);
    const bool answered = exchange(received);
    if (answered && queuedWritesLost_)
        return fail("a queued transfer before this one did not reach the adapter");
    return answered;
}

bool MpsseSpi::sendQueue()
{
    if (queue_.empty())
        return true;
    const int size = static_cast<int>(queue_.size());
    const int written = port_->write(queue_.data(), size);
    queue_.clear();
    const bool heldWrites = std::exchange(queueHoldsWrites_, false);
    if (written == size)
        return true;
    queuedWritesLost_ = queuedWritesLost_ || heldWrites;
    port_->purge();
    return fail(written < 0 ? "USB write failed: " + port_->errorText() : std::string("USB write was cut short"));
}

bool MpsseSpi::exchange(std::span<std::uint8_t> answer)
{
    queue_.insert(queue_.end(), {mpsse::kEchoCheck, mpsse::kSendImmediate});
    if (!sendQueue())
        return false;
    ++roundTrips_;
    answer_.resize(answer.size() + kEchoSize);
    if (!collect(answer_))
        return false;
    if (answer_[answer.size()] != mpsse::kBadCommandAnswer || answer_[answer.size() + 1] != mpsse::kEchoCheck) {
        // A bad-command answer or a lost byte moved the answer: drop what is left of it.
        port_->purge();
        return fail("the adapter's answer is out of step (bad command or lost bytes)");
    }
    std::copy_n(answer_.begin(), answer.size(), answer.begin());
    return true;
}

bool MpsseSpi::collect(std::span<std::uint8_t> answer)
{
    const std::uint64_t wireMilliseconds = answer.size() * 8 * std::uint64_t{1000} / clockHertz() + 1;
    const std::uint64_t deadline = clock_.nowMilliseconds() + 2 * wireMilliseconds + kAnswerGraceMilliseconds;
    std::size_t got = 0;
    while (got < answer.size()) {
        const int n = port_->read(answer.data() + got, static_cast<int>(answer.size() - got));
        if (n < 0) {
            port_->purge();
            return fail("USB read failed: " + port_->errorText());
        }
        got += static_cast<std::size_t>(n);
        if (n == 0 && clock_.nowMilliseconds() > deadline) {
            port_->purge();
            return fail("the adapter stopped answering");
        }
    }
    return true;
}

bool MpsseSpi::fail(const std::string& reason)
{
    lastError_ = reason;
    return false;
}
