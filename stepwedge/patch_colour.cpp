#include "stepwedge/patch_colour.h"

namespace {

std::uint32_t channelColour(const StepTable& table, Channel channel, std::int32_t step)
{
    return table.colour(channel).valueOr(step, 0);
}

} // namespace

std::uint32_t patchColour(const StepTable& table, std::int32_t step, ColourSelection selection)
{
    switch (selection) {
    case ColourSelection::Red:
        return channelColour(table, Channel::Red, step);
    case ColourSelection::Green:
        return channelColour(table, Channel::Green, step);
    case ColourSelection::Blue:
        return channelColour(table, Channel::Blue, step);
    case ColourSelection::Grayscale:
        // The three channels come from the same list, so this is the step's grey.
        return channelColour(table, Channel::Red, step) | channelColour(table, Channel::Green, step)
            | channelColour(table, Channel::Blue, step);
    }
    return 0;
}
