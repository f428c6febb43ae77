#include "download/number_scanner.h"

#include "config/atomic_file.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

// Large enough that refills are rare; a single token longer than this is not a number.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
constexpr std::size_t kShownTokenLength = 24;

// The white space of the "C" locale, which is what separates numbers for "%f".
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Most numbers in the tables are plain decimals such as "0.01563". With fewer than 2^24
// significant units and at most ten decimals, both the digits and the power of ten are
// exact floats, so one float division rounds exactly as from_chars would, only faster.
// False, with nothing read, for anything else.
bool parsePlainDecimal(const char* first, const char* last, float& value, const char*& end)
{
    constexpr std::uint32_t kExactLimit = std::uint32_t{1} << 24;
    constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const char* at = first;
    const bool negative = at != last && *at == '-';
    if (negative)
        ++at;
    std::uint32_t units = 0;
    int digits = 0;
    int decimals = 0;
    bool inFraction = false;
    for (; at != last; ++at) {
        if (isDigit(*at)) {
            if (units >= kExactLimit)
                return false;
            units = units * 10 + static_cast<std::uint32_t>(*at - '0');
            ++digits;
            decimals += inFraction ? 1 : 0;
        } else if (*at == '.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (digits == 0 || units >= kExactLimit || decimals > 10 || (at != last && (*at == 'e' || *at == 'E')))
        return false;
    const float magnitude = static_cast<float>(units) / kPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    end = at;
    return true;
}

// "%f" stores infinity for a value too large for a float and zero for one too small;
// from_chars reports both as out of range and leaves the value alone.
float outOfRangeValue(const char* first, const char* last)
{
    double wide = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, wide, std::chars_format::general);
    if (ec == std::errc())
        return static_cast<float>(wide);
    const bool negative = *first == '-';
    bool negativeExponent = false;
    for (const char* c = first; c + 1 < ptr; ++c) {
        if (*c == 'e' || *c == 'E') {
            negativeExponent = c[1] == '-';
            break;
        }
    }
    const float magnitude = negativeExponent ? 0.0f : std::numeric_limits<float>::infinity();
    return negative ? -magnitude : magnitude;
}

// The number at `first`, the plain decimal form first (the common case, and quicker).
std::from_chars_result parseNumber(const char* first, const char* last, float& value)
{
    const char* plainEnd = nullptr;
    if (parsePlainDecimal(first, last, value, plainEnd))
        return {plainEnd, std::errc()};
    return std::from_chars(first, last, value, std::chars_format::general);
}

} // namespace

NumberScanner::~NumberScanner()
{
    if (file_)
        std::fclose(file_);
}

bool NumberScanner::open(const std::string& path, std::uint64_t maxBytes)
{
    if (path.empty())
        return false;
    std::string reason;
    file_ = openRegularFile(path, maxBytes, reason);
    if (!file_) {
        std::error_code ignored;
        if (std::filesystem::exists(path, ignored))
            refusal_ = reason;
        return false;
    }
    buffer_.resize(kBufferSize);
    return true;
}

bool NumberScanner::refill()
{
    if (endOfFile_)
        return false;
    std::memmove(buffer_.data(), buffer_.data() + position_, end_ - position_);
    end_ -= position_;
    position_ = 0;
    if (end_ == buffer_.size())
        return false;
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        endOfFile_ = true;
        readFailed_ = std::ferror(file_) != 0;
        return false;
    }
    return true;
}

bool NumberScanner::skipWhiteSpace()
{
    for (;;) {
        while (position_ < end_ && isSpace(buffer_[position_]))
            ++position_;
        if (position_ < end_)
            return true;
        if (!refill())
            return false;
    }
}

bool NumberScanner::tokenReachesBufferEnd(std::size_t from) const
{
    while (from < end_ && !isSpace(buffer_[from]))
        ++from;
    return from == end_;
}

NumberScanner::Result NumberScanner::next(float& value)
{
    if (!file_)
        return Result::ReadError;
    if (!skipWhiteSpace())
        return readFailed_ ? Result::ReadError : Result::End;
    for (;;) {
        const char* first = buffer_.data() + position_;
        const char* last = buffer_.data() + end_;
        const char* number = first + (*first == '+' ? 1 : 0);
        // "%f" takes one sign only.
        if (number != first && number != last && *number == '-')
            return Result::NotANumber;
        float parsed = 0.0f;
        const auto [ptr, ec] = parseNumber(number, last, parsed);
        const std::size_t stop =
            static_cast<std::size_t>((ec == std::errc::invalid_argument ? number : ptr) - buffer_.data());
        // The number may go on in the part of the file not read yet.
        if (!endOfFile_ && tokenReachesBufferEnd(stop)) {
            if (refill())
                continue;
            if (readFailed_)
                return Result::ReadError;
            if (!endOfFile_)
                return Result::NotANumber; // one token fills the whole buffer
            continue;
        }
        if (ec == std::errc::invalid_argument)
            return Result::NotANumber;
        value = ec == std::errc::result_out_of_range ? outOfRangeValue(number, ptr) : parsed;
        position_ = stop;
        ++count_;
        return Result::Number;
    }
}

std::string NumberScanner::offendingText() const
{
    std::string text;
    for (std::size_t at = position_; at < end_ && !isSpace(buffer_[at]); ++at) {
        if (text.size() == kShownTokenLength) {
            text += "...";
            break;
        }
        const unsigned char c = static_cast<unsigned char>(buffer_[at]);
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return text;
}
