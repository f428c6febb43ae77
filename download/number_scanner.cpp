#include "download/number_scanner.h"

#include <charconv>
#include <cstring>
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

} // namespace

NumberScanner::~NumberScanner()
{
    if (file_)
        std::fclose(file_);
}

bool NumberScanner::open(const std::string& path)
{
    if (path.empty())
        return false;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
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
        const char* number = first;
        if (*number == '+') {
            ++number;
            // "%f" takes one sign only.
            if (number != last && *number == '-')
                return Result::NotANumber;
        }
        float parsed = 0.0f;
        const auto [ptr, ec] = std::from_chars(number, last, parsed, std::chars_format::general);
        const std::size_t stop = static_cast<std::size_t>((ec == std::errc::invalid_argument ? number : ptr) - buffer_.data());
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
