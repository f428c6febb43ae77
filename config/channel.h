#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The three display channels. Tables indexed by channel use this order.
enum class Channel { Red = 0, Green = 1, Blue = 2 };

inline constexpr std::array<Channel, 3> kAllChannels{Channel::Red, Channel::Green, Channel::Blue};

constexpr std::size_t channelIndex(Channel channel)
{
    return static_cast<std::size_t>(channel);
}

// "Red", "Green" or "Blue": the registry value names and the texts the programs show.
constexpr std::string_view channelName(Channel channel)
{
    switch (channel) {
    case Channel::Red:
        return "Red";
    case Channel::Green:
        return "Green";
    case Channel::Blue:
        return "Blue";
    }
    return "";
}
