#pragma once

// Which patches a measurement run shows, in order, from the step list: the same patch
// colours the target display paints for each step.

#include "config/step_table.h"

#include <cstdint>
#include <string>
#include <vector>

enum class MeasurementKind {
    Linearity, // every step in red, then green, then blue
    Primaries, // full red, green and blue
    Verification, // the first k steps in grey
};

enum class PatchChannel { Red, Green, Blue, Grey };

struct Patch {
    PatchChannel channel = PatchChannel::Red;
    // Step number of the step list (1 for the first); 0 for a primary.
    int step = 0;
    std::int32_t code = 0;
    // The colour word shown: red in bits 0-7, green 8-15, blue 16-23.
    std::uint32_t colour = 0;
};

// The grey steps measured by default, as many as the linearity tool's verification grid holds.
inline constexpr int kDefaultVerificationSteps = 21;

// The patches of a run. `verificationSteps` (1 to the number of steps) applies to
// Verification only.
std::vector<Patch> plannedPatches(MeasurementKind kind, const StepTable& steps, int verificationSteps);

// "Red step 3 (code 26)", "Grey step 1 (code 0)", "Red primary": what the run shows as it goes.
std::string patchName(const Patch& patch);
