#pragma once

// What an operation that can fail gives back: its value, or why it failed. A failure
// carries the tool's own text for the operator (`message`, shown exactly as the tools
// have always shown it) and, apart from it, the file and the system's reason (`reason`)
// for the command line and logs. Either may be empty.

#include <optional>
#include <string>
#include <utility>
#include <variant>

struct Failure {
    std::string message;
    std::string reason;

    // For a command line or a log: the message, then the reason on the line after it.
    std::string lines() const
    {
        if (message.empty() || reason.empty())
            return message + reason;
        return message + "\n" + reason;
    }
};

// A failure with the system's reason only: the caller chooses what the operator reads.
inline Failure systemFailure(std::string reason)
{
    return Failure{{}, std::move(reason)};
}

template <typename T = void> class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    explicit operator bool() const { return state_.index() == 0; }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    // Only for a result that failed.
    const Failure& failure() const { return std::get<1>(state_); }

private:
    std::variant<T, Failure> state_;
};

template <> class Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    explicit operator bool() const { return !failure_; }
    // Only for a result that failed.
    const Failure& failure() const { return *failure_; }

private:
    std::optional<Failure> failure_;
};
