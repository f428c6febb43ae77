#pragma once

// The step wedge as keyed tables by step number (1 for the first step of the list): the
// patch colours, code values and present flags per channel, and the linearity tool's
// measured and normalised values.

#include "config/channel.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

template <typename T> class KeyedTable {
public:
    void set(std::int32_t step, T value) { entries_[step] = value; }

    std::optional<T> get(std::int32_t step) const
    {
        auto it = entries_.find(step);
        if (it == entries_.end())
            return std::nullopt;
        return it->second;
    }

    T valueOr(std::int32_t step, T fallback) const { return get(step).value_or(fallback); }
    bool contains(std::int32_t step) const { return entries_.count(step) != 0; }
    std::size_t count() const { return entries_.size(); }

private:
    std::map<std::int32_t, T> entries_;
};

class StepTable {
public:
    // Colour words hold red in bits 0-7, green in bits 8-15, blue in bits 16-23.
    KeyedTable<std::uint32_t>& colour(Channel c) { return colour_[channelIndex(c)]; }
    KeyedTable<std::int32_t>& codeValue(Channel c) { return codeValue_[channelIndex(c)]; }
    KeyedTable<bool>& present(Channel c) { return present_[channelIndex(c)]; }
    KeyedTable<double>& measuredY(Channel c) { return measuredY_[channelIndex(c)]; }
    KeyedTable<double>& normalizedY(Channel c) { return normalizedY_[channelIndex(c)]; }
    KeyedTable<double>& normalizedCode(Channel c) { return normalizedCode_[channelIndex(c)]; }

    const KeyedTable<std::uint32_t>& colour(Channel c) const { return colour_[channelIndex(c)]; }
    const KeyedTable<std::int32_t>& codeValue(Channel c) const { return codeValue_[channelIndex(c)]; }
    const KeyedTable<bool>& present(Channel c) const { return present_[channelIndex(c)]; }
    const KeyedTable<double>& measuredY(Channel c) const { return measuredY_[channelIndex(c)]; }
    const KeyedTable<double>& normalizedY(Channel c) const { return normalizedY_[channelIndex(c)]; }
    const KeyedTable<double>& normalizedCode(Channel c) const { return normalizedCode_[channelIndex(c)]; }

    // The number of steps: the entries of the red code-value table.
    int stepCount() const { return static_cast<int>(codeValue(Channel::Red).count()); }

    // A present entry that is missing counts as not present.
    bool isPresent(Channel c, std::int32_t step) const { return present(c).valueOr(step, false); }

private:
    std::array<KeyedTable<std::uint32_t>, 3> colour_;
    std::array<KeyedTable<std::int32_t>, 3> codeValue_;
    std::array<KeyedTable<bool>, 3> present_;
    std::array<KeyedTable<double>, 3> measuredY_;
    std::array<KeyedTable<double>, 3> normalizedY_;
    std::array<KeyedTable<double>, 3> normalizedCode_;
};

// The colour word of a code value in one channel; only the low 8 bits of the code count.
std::uint32_t colourWord(Channel channel, std::int32_t code);

// Fills one channel's colour, code-value and present tables from a "~"-separated step
// list (runs of "~" count as one separator; each token's leading integer is the code).
void parseStepList(StepTable& table, Channel channel, std::string_view stepList);
