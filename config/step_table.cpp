#include "config/step_table.h"

#include "config/number_text.h"

#include <algorithm>
#include <limits>

std::uint32_t colourWord(Channel channel, std::int32_t code)
{
    const std::uint32_t level = static_cast<std::uint32_t>(code) & 0xFFu;
    switch (channel) {
    case Channel::Red:
        return level;
    case Channel::Green:
        return level << 8;
    case Channel::Blue:
        return level << 16;
    }
    return 0;
}

void parseStepList(StepTable& table, Channel channel, std::string_view stepList)
{
    constexpr long long kMinCode = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMaxCode = std::numeric_limits<std::int32_t>::max();

    std::int32_t step = 0;
    std::size_t position = 0;
    while (step < std::numeric_limits<std::int32_t>::max()) {
        position = stepList.find_first_not_of('~', position);
        if (position == std::string_view::npos)
            break;
        const std::size_t end = std::min(stepList.find('~', position), stepList.size());
        const std::string_view token = stepList.substr(position, end - position);
        position = end;

        // A code beyond 32 bits is cut to the nearest value the tables can hold.
        const auto code = static_cast<std::int32_t>(std::clamp(parseLeadingInteger(token), kMinCode, kMaxCode));
        ++step;
        table.colour(channel).set(step, colourWord(channel, code));
        table.codeValue(channel).set(step, code);
        table.present(channel).set(step, true);
    }
}
