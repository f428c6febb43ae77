#pragma once

// A small parser for "--name value" options, "--flag" switches and positional words.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class Arguments {
public:
    // `valueOptions` take the next word as their value; `switches` take none. Anything
    // else that starts with "--" is an error.
    Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
              const std::set<std::string>& switches = {});

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    std::optional<std::string> value(const std::string& option) const;
    bool has(const std::string& option) const;
    const std::vector<std::string>& positional() const { return positional_; }

    // "on" / "off" value of an option; nothing when absent. Sets an error for other words.
    std::optional<bool> onOff(const std::string& option);

private:
    std::map<std::string, std::string> values_;
    std::set<std::string> switches_;
    std::vector<std::string> positional_;
    std::string error_;
};
