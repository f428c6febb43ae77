// Arbitrary text as a step list: one step per non-empty "~" token, colours from the low byte.

#include "config/step_table.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    StepTable table;
    for (const Channel channel : kAllChannels)
        parseStepList(table, channel, text);

    int tokens = 0;
    bool inToken = false;
    for (const char c : text) {
        if (c != '~' && !inToken)
            ++tokens;
        inToken = c != '~';
    }
    if (table.stepCount() != tokens)
        std::abort();

    for (int step = 1; step <= tokens; ++step) {
        const std::int32_t code = *table.codeValue(Channel::Red).get(step);
        const std::uint32_t level = static_cast<std::uint32_t>(code) & 0xFF;
        if (table.colour(Channel::Red).get(step) != level || table.colour(Channel::Green).get(step) != level << 8
            || table.colour(Channel::Blue).get(step) != level << 16 || !table.isPresent(Channel::Blue, step))
            std::abort();
    }
    return 0;
}
