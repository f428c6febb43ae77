#include "measure/measurement_plan.h"

#include "config/number_text.h"

namespace {

constexpr Channel kChannels[] = {Channel::Red, Channel::Green, Channel::Blue};

PatchChannel patchChannel(Channel channel)
{
    switch (channel) {
    case Channel::Red:
        return PatchChannel::Red;
    case Channel::Green:
        return PatchChannel::Green;
    case Channel::Blue:
        break;
    }
    return PatchChannel::Blue;
}

} // namespace

std::vector<Patch> plannedPatches(MeasurementKind kind, const StepTable& steps, int verificationSteps)
{
    std::vector<Patch> patches;
    const int count = steps.stepCount();
    switch (kind) {
    case MeasurementKind::Linearity:
        for (Channel channel : kChannels) {
            for (int step = 1; step <= count; ++step) {
                patches.push_back({patchChannel(channel), step, steps.codeValue(channel).valueOr(step, 0),
                                   steps.colour(channel).valueOr(step, 0)});
            }
        }
        break;
    case MeasurementKind::Primaries:
        for (Channel channel : kChannels)
            patches.push_back({patchChannel(channel), 0, 255, colourWord(channel, 255)});
        break;
    case MeasurementKind::Verification:
        for (int step = 1; step <= verificationSteps && step <= count; ++step) {
            std::uint32_t grey = 0;
            for (Channel channel : kChannels)
                grey |= steps.colour(channel).valueOr(step, 0);
            patches.push_back({PatchChannel::Grey, step, steps.codeValue(Channel::Red).valueOr(step, 0), grey});
        }
        break;
    }
    return patches;
}

std::string patchName(const Patch& patch)
{
    static const char* const kNames[] = {"Red", "Green", "Blue", "Grey"};
    const std::string name = kNames[static_cast<int>(patch.channel)];
    if (patch.step == 0)
        return name + " primary";
    return name + " step " + formatInteger(patch.step) + " (code " + formatInteger(patch.code) + ")";
}
