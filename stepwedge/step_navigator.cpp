#include "stepwedge/step_navigator.h"

#include <algorithm>
#include <charconv>

void StepNavigator::reset(std::int32_t lastStep)
{
    firstStep_ = 1;
    lastStep_ = lastStep;
    currentStep_ = 1;
    stepEntry_ = 1;
    colourSelection_ = ColourSelection::Red;
}

// Arithmetic in 64 bits: go-to can reach the ends of the 32-bit range, and one step
// beyond them must still clamp to the list instead of wrapping.
void StepNavigator::moveTo(std::int64_t step)
{
    currentStep_ = static_cast<std::int32_t>(step);
    stepEntry_ = currentStep_;
}

void StepNavigator::goStart()
{
    moveTo(firstStep_);
}

void StepNavigator::goNext()
{
    moveTo(std::min<std::int64_t>(std::int64_t{currentStep_} + 1, lastStep_));
}

void StepNavigator::goPrevious()
{
    moveTo(std::max<std::int64_t>(std::int64_t{currentStep_} - 1, firstStep_));
}

void StepNavigator::goEnd()
{
    moveTo(lastStep_);
}

void StepNavigator::goTo(std::optional<std::int32_t> typedStep)
{
    if (typedStep)
        stepEntry_ = *typedStep;
    currentStep_ = stepEntry_;
}

std::optional<std::int32_t> parseStepNumber(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    // from_chars takes a minus sign but no plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);

    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}
