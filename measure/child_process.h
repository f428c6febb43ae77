#pragma once

// A program run as a child on a terminal of its own, for meter programs that talk to an
// operator's console (ArgyllCMS spotread reads single keys and prompts for them). One
// implementation per platform.

#include "config/result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    // Starts `arguments[0]`, looked up on PATH when it holds no "/"; a failure holds the
    // system's reason.
    [[nodiscard]] virtual Result<> start(const std::vector<std::string>& arguments) = 0;
    // Sends text as if typed.
    virtual bool send(const std::string& text) = 0;
    // What the child printed, waiting at most `milliseconds` for something to arrive.
    // Empty when nothing came; `ended` is set once the child has closed its output.
    virtual std::string receive(std::int64_t milliseconds, bool& ended) = 0;
    // Waits up to `milliseconds` for the child to end, then kills it; always reaps it.
    virtual void finish(std::int64_t milliseconds) = 0;
};

std::unique_ptr<ChildProcess> createChildProcess();
