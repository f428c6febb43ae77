#pragma once

#include "config/step_table.h"
#include "stepwedge/colour_selection.h"

#include <cstdint>

// The colour word to paint for a step (red in bits 0-7, green 8-15, blue 16-23); a step
// that is not in the table gives 0, black.
std::uint32_t patchColour(const StepTable& table, std::int32_t step, ColourSelection selection);
