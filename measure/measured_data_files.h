#pragma once

// The data files a measurement run leaves, in the formats the linearity and primary
// calibration tools load (their Load buttons and chromix linearity / primary --data).
// A file is written whole beside its final name and renamed over it, so a failed write
// leaves an existing file as it was.

#include "config/result.h"
#include "measure/colour_meter.h"
#include "measure/measurement_plan.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct LinearityMeasurements {
    // Luminance in cd/m² of red, green and blue per step (index 0 is step 1); a step
    // without a value is written as not measured. In verification mode only `red` is
    // used: it holds the grey readings.
    std::vector<std::optional<double>> red;
    std::vector<std::optional<double>> green;
    std::vector<std::optional<double>> blue;
    // The number of steps of the step list: the file holds one key per step.
    int stepCount = 0;
    bool verificationMode = false;
    // The Step Count list's value: the grey steps measured in verification mode, else
    // what the window selects at start (21, or 0 with fewer steps).
    int verificationStep = 0;
};

std::string linearityDataText(const LinearityMeasurements& measurements);

// The red, green and blue primary readings (x, y and Y as "%.4f"), display type non-RGB LED.
std::string primaryDataText(const std::vector<MeterReading>& primaries);

// The text of a number as it stands in the primary data file.
std::string primaryNumberText(double value);

// The data file of a completed run: the readings in the plan's order, one per patch.
std::string measurementDataText(MeasurementKind kind, const std::vector<Patch>& patches,
                                const std::vector<MeterReading>& readings, int stepCount);

// Replaces `file` whole with `text`; a failure leaves it as it was and holds the reason.
[[nodiscard]] Result<> writeDataFile(const std::filesystem::path& file, const std::string& text);
