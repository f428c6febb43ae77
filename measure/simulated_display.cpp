#include "measure/simulated_display.h"

#include <cmath>
#include <numbers>

Tristimulus simulatedLight(const SimulatedDisplayModel& model, std::uint32_t colour)
{
    const Matrix3x3 toXyz = rgbToXyz(model.primaries, model.white);
    const double range = model.whiteLuminance - model.blackLuminance;
    std::array<double, 3> linear{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double code = static_cast<double>((colour >> (8 * c)) & 0xFFu);
        linear[c] = std::pow(code / 255.0, model.gamma[c]) * range;
    }
    const Tristimulus drive = multiply(toXyz, linear);
    const Tristimulus black = fromChromaticity(model.white, model.blackLuminance);
    return {drive.X + black.X, drive.Y + black.Y, drive.Z + black.Z};
}

SimulatedDisplay::SimulatedDisplay(SimulatedDisplayModel model, const RunPacer& pacer)
    : model_(model)
    , pacer_(pacer)
    , previous_(simulatedLight(model_, 0))
    , target_(previous_)
    , shownAt_(pacer.now())
{
}

Result<> SimulatedDisplay::show(std::uint32_t colour)
{
    previous_ = light();
    target_ = simulatedLight(model_, colour);
    shownAt_ = pacer_.now();
    return {};
}

Tristimulus SimulatedDisplay::light() const
{
    const std::int64_t elapsed = pacer_.now() - shownAt_;
    if (model_.settleMilliseconds <= 0 || elapsed >= model_.settleMilliseconds)
        return target_;
    const double f = static_cast<double>(elapsed) / static_cast<double>(model_.settleMilliseconds);
    return {previous_.X + (target_.X - previous_.X) * f, previous_.Y + (target_.Y - previous_.Y) * f,
            previous_.Z + (target_.Z - previous_.Z) * f};
}

SimulatedMeter::SimulatedMeter(const SimulatedDisplay& display) : display_(display), random_(display.model().seed)
{
}

double SimulatedMeter::normal()
{
    // 53-bit uniforms from two 32-bit draws; u1 kept away from 0 for the logarithm.
    const auto uniform = [this] {
        const std::uint64_t high = random_() >> 5;
        const std::uint64_t low = random_() >> 6;
        return (static_cast<double>(high) * 67108864.0 + static_cast<double>(low)) / 9007199254740992.0;
    };
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

Result<MeterReading> SimulatedMeter::read()
{
    const Tristimulus light = display_.light();
    const double noise = display_.model().noise;
    const double X = light.X * (1.0 + noise * normal());
    const double Y = light.Y * (1.0 + noise * normal());
    const double Z = light.Z * (1.0 + noise * normal());
    return readingFromXyz(X, Y, Z);
}
