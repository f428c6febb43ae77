#pragma once

// Which step the target display shows and how the operator moves over the steps.

#include "stepwedge/colour_selection.h"

#include <cstdint>
#include <optional>
#include <string_view>

class StepNavigator {
public:
    // Starts at step 1 in red, over the steps 1..lastStep (lastStep 0 for an empty list).
    void reset(std::int32_t lastStep);

    // Each moves currentStep and writes it into stepEntry, except goTo.
    void goStart();
    void goNext(); // one up, never above lastStep
    void goPrevious(); // one down, never below firstStep
    void goEnd();
    // The step typed into the step number field, unbounded; without a valid number the
    // previous stepEntry is shown again.
    void goTo(std::optional<std::int32_t> typedStep);

    void selectColour(ColourSelection selection) { colourSelection_ = selection; }

    std::int32_t firstStep() const { return firstStep_; }
    std::int32_t lastStep() const { return lastStep_; }
    std::int32_t currentStep() const { return currentStep_; }
    std::int32_t stepEntry() const { return stepEntry_; }
    ColourSelection colourSelection() const { return colourSelection_; }

private:
    void moveTo(std::int64_t step);

    std::int32_t firstStep_ = 1;
    std::int32_t lastStep_ = 0;
    std::int32_t currentStep_ = 1;
    std::int32_t stepEntry_ = 1;
    ColourSelection colourSelection_ = ColourSelection::Red;
};

// The step number field's text as a step: decimal digits with an optional sign and
// surrounding blanks, within the 32-bit range; anything else is no valid integer.
std::optional<std::int32_t> parseStepNumber(std::string_view text);
