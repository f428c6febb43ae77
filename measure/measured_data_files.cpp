#include "measure/measured_data_files.h"

#include "config/atomic_file.h"
#include "config/key_file.h"
#include "config/number_text.h"

#include <algorithm>

namespace {

// Right-aligned like the numbers around it.
constexpr const char* kNotMeasured = "       x";

std::string valueText(const std::vector<std::optional<double>>& values, std::size_t index)
{
    if (index >= values.size() || !values[index])
        return kNotMeasured;
    return formatFixed(*values[index], 8, 4);
}

const char* onOff(bool on)
{
    return on ? "ON" : "OFF";
}

} // namespace

std::string linearityDataText(const LinearityMeasurements& m)
{
    std::string text;
    for (std::size_t index = 0; index < static_cast<std::size_t>(std::max(m.stepCount, 0)); ++index) {
        // Verification mode writes the grey value in all three columns.
        std::string value = valueText(m.red, index);
        value.append(", ").append(valueText(m.verificationMode ? m.red : m.green, index));
        value.append(", ").append(valueText(m.verificationMode ? m.red : m.blue, index));
        text = keyfile::withValue(text, "DATA", "MEASURED_DATA_" + formatInteger(static_cast<long long>(index) + 1),
                                  value);
    }
    text = keyfile::withValue(text, "PARAMETERS", "VERSION", "1.00");
    text = keyfile::withValue(text, "PARAMETERS", "NOISE_REDUCTION", "OFF");
    text = keyfile::withValue(text, "PARAMETERS", "VERIFICATION_CHECK_BOX", onOff(m.verificationMode));
    text = keyfile::withValue(text, "PARAMETERS", "VERIFICATION_STEP", formatInteger(m.verificationStep));
    text = keyfile::withValue(text, "PARAMETERS", "BRIGHT_REGION_CORRECTION", "OFF");
    text = keyfile::withValue(text, "PARAMETERS", "CLIP_BRIGHT_REGION", "OFF");
    return text;
}

std::string primaryNumberText(double value)
{
    return formatFixed(value, 0, 4);
}

std::string primaryDataText(const std::vector<MeterReading>& primaries)
{
    static const char* const kKeys[] = {"MEASURED_DATA_RED", "MEASURED_DATA_GREEN", "MEASURED_DATA_BLUE"};
    std::string text;
    for (std::size_t c = 0; c < 3 && c < primaries.size(); ++c) {
        const MeterReading& r = primaries[c];
        text =
            keyfile::withValue(text, "DATA", kKeys[c],
                               primaryNumberText(r.x) + ", " + primaryNumberText(r.y) + ", " + primaryNumberText(r.Y));
    }
    text = keyfile::withValue(text, "PARAMETERS", "VERSION", "1.00");
    text = keyfile::withValue(text, "PARAMETERS", "DISPLAY_TYPE", "NONRGB_LED_DISPLAY");
    return text;
}

std::string measurementDataText(MeasurementKind kind, const std::vector<Patch>& patches,
                                const std::vector<MeterReading>& readings, int stepCount)
{
    if (kind == MeasurementKind::Primaries)
        return primaryDataText(readings);
    LinearityMeasurements m;
    m.stepCount = stepCount;
    m.verificationMode = kind == MeasurementKind::Verification;
    m.verificationStep = m.verificationMode ? static_cast<int>(patches.size())
                                            : (stepCount >= kDefaultVerificationSteps ? kDefaultVerificationSteps : 0);
    for (auto* values : {&m.red, &m.green, &m.blue})
        values->assign(static_cast<std::size_t>(std::max(stepCount, 0)), std::nullopt);
    for (std::size_t i = 0; i < patches.size() && i < readings.size(); ++i) {
        const Patch& patch = patches[i];
        auto& values = patch.channel == PatchChannel::Green ? m.green
            : patch.channel == PatchChannel::Blue           ? m.blue
                                                            : m.red;
        // A patch outside the step list has no line in the file.
        if (patch.step >= 1 && patch.step <= stepCount)
            values[static_cast<std::size_t>(patch.step - 1)] = readings[i].Y;
    }
    return linearityDataText(m);
}

Result<> writeDataFile(const std::filesystem::path& file, const std::string& text)
{
    return replaceFileAtomically(file, text);
}
