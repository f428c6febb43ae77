#pragma once

// The linearity data file: the measured values and option settings of a run, kept as an
// INI-style key file so that a measurement need not be typed again.
//
//   [DATA]
//   MEASURED_DATA_1=  0.1520,   0.3000,   0.0500      (one key per step, "%8.4f, " x 3)
//   [PARAMETERS]
//   VERSION=1.00, NOISE_REDUCTION, VERIFICATION_CHECK_BOX, VERIFICATION_STEP,
//   BRIGHT_REGION_CORRECTION, CLIP_BRIGHT_REGION (ON / OFF, the step count in decimal)

#include "config/result.h"
#include "linearity/linearity_calibration.h"

#include <filesystem>
#include <optional>

// Option values that replace the file's when a run is scripted.
struct LinearityOptionOverrides {
    std::optional<bool> noiseReduction;
    std::optional<bool> brightRegionCorrection;
    std::optional<bool> clipBrightRegion;
    // Verification mode with this step count (1 to N).
    std::optional<int> verificationSteps;
};

// Writes the values as entered and the option states into `file`, keeping the file's
// other lines. The file is replaced in one step, so a failure leaves it as it was.
// A step that was not measured is written as "x" and loads back as not measured. A
// failure is also reported in the status box.
Result<> saveDataFile(LinearityCalibration& calibration, const std::filesystem::path& file);

// Reads `file` into the grid and the options the way the Load button does, then applies.
// A failure, with the format or version message in the status box, when the file is
// unusable; what was set before the fault stays set and nothing is applied. For a file
// that cannot be read the failure names the file and the system's reason.
Result<> loadDataFile(LinearityCalibration& calibration, const std::filesystem::path& file,
                      const LinearityOptionOverrides& overrides = {});
