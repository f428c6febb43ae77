#pragma once

// A display and a meter pointed at it, simulated: what the measurement runs, the demo and
// the tests measure when no instrument is attached.

#include "measure/chromaticity.h"
#include "measure/colour_meter.h"
#include "measure/patch_display.h"
#include "measure/run_pacer.h"

#include <array>
#include <cstdint>
#include <random>

struct SimulatedDisplayModel {
    // Response exponent of red, green and blue: light = (code / 255) ^ gamma.
    std::array<double, 3> gamma{2.2, 2.4, 2.3};
    std::array<Chromaticity, 3> primaries{{{0.650, 0.325}, {0.295, 0.610}, {0.148, 0.058}}};
    Chromaticity white{0.3127, 0.3290};
    // Luminance of full white and of code 0, in cd/m².
    double whiteLuminance = 120.0;
    double blackLuminance = 0.08;
    // Standard deviation of the meter's noise, relative to each of X, Y and Z.
    double noise = 0.002;
    std::uint32_t seed = 1;
    // The time a new patch needs to reach its final light; a reading taken earlier sees a
    // blend of the previous patch and the new one.
    std::int64_t settleMilliseconds = 200;
};

// The light the display gives, without noise, for a colour word once settled.
Tristimulus simulatedLight(const SimulatedDisplayModel& model, std::uint32_t colour);

class SimulatedDisplay : public PatchDisplay {
public:
    SimulatedDisplay(SimulatedDisplayModel model, const RunPacer& pacer);

    Result<> show(std::uint32_t colour) override;

    // The light at this moment, settled or on its way.
    Tristimulus light() const;
    const SimulatedDisplayModel& model() const { return model_; }

private:
    SimulatedDisplayModel model_;
    const RunPacer& pacer_;
    Tristimulus previous_;
    Tristimulus target_;
    std::int64_t shownAt_ = 0;
};

class SimulatedMeter : public ColourMeter {
public:
    explicit SimulatedMeter(const SimulatedDisplay& display);

    Result<> open() override { return {}; }
    Result<MeterReading> read() override;
    void close() override {}

private:
    // A normal deviate from the generator alone (Box-Muller), so a seed gives the same
    // readings with every standard library.
    double normal();

    const SimulatedDisplay& display_;
    std::mt19937 random_;
};
