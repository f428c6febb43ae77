#pragma once

// Reads the numbers of a text file the way "%f" reads them into a float, but in large
// blocks and with std::from_chars: white space of any kind separates numbers, a leading
// "+" is allowed, each value is rounded once to single precision, and the number ends
// where its longest valid prefix ends (so "0.5-0.25" holds two numbers). Independent of
// the process locale.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class NumberScanner {
public:
    enum class Result {
        Number, // `value` holds the next number
        End, // only white space was left
        NotANumber, // the text at the current place does not begin with a number
        ReadError, // the file could not be read to its end
    };

    NumberScanner() = default;
    ~NumberScanner();
    NumberScanner(const NumberScanner&) = delete;
    NumberScanner& operator=(const NumberScanner&) = delete;

    // False when the file does not open, or is no regular file of at most `maxBytes`
    // bytes; refusals of a file that exists leave the reason in refusal().
    bool open(const std::string& path, std::uint64_t maxBytes);
    const std::string& refusal() const { return refusal_; }
    Result next(float& value);

    // After NotANumber: the offending text, cut short for messages.
    std::string offendingText() const;
    // Numbers read so far.
    std::uint64_t count() const { return count_; }

private:
    // Moves the unread bytes to the front and reads more; false at end of file or error.
    bool refill();
    bool skipWhiteSpace();
    bool tokenReachesBufferEnd(std::size_t from) const;

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool endOfFile_ = false;
    bool readFailed_ = false;
    std::uint64_t count_ = 0;
    std::string refusal_;
};
