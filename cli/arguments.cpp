#include "cli/arguments.h"

Arguments::Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                     const std::set<std::string>& switches)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.rfind("--", 0) != 0 || word == "--") {
            positional_.push_back(word);
            continue;
        }
        if (switches.count(word)) {
            switches_.insert(word);
        } else if (valueOptions.count(word)) {
            if (i + 1 >= args.size()) {
                error_ = word + " needs a value";
                return;
            }
            values_[word] = args[++i];
        } else {
            error_ = "unknown option " + word;
            return;
        }
    }
}

std::optional<std::string> Arguments::value(const std::string& option) const
{
    auto it = values_.find(option);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

bool Arguments::has(const std::string& option) const
{
    return switches_.count(option) != 0 || values_.count(option) != 0;
}

std::optional<bool> Arguments::onOff(const std::string& option)
{
    auto text = value(option);
    if (!text)
        return std::nullopt;
    if (*text == "on")
        return true;
    if (*text == "off")
        return false;
    if (error_.empty())
        error_ = option + " takes on or off, not \"" + *text + "\"";
    return std::nullopt;
}
