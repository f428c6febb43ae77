#pragma once

// One run of the linearity tool: the state its window shows (options, verification mode,
// Step Count selection, enabled buttons, gamma and target labels) and the handlers that
// change it. The Ramvel window binds its controls to this class and the chromix command
// drives it directly, so both run the same code.

#include "config/calibration_settings.h"
#include "config/channel.h"
#include "config/status_report.h"
#include "linearity/correction_tables.h"
#include "linearity/measurement_grid.h"
#include "linearity/measurement_set.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct LinearityOptions {
    bool noiseReduction = false;
    bool brightRegionCorrection = false;
    bool clipBrightRegion = false;
};

// The rows of the grid's single column in verification mode.
inline constexpr int kVerificationRows = 21;

class LinearityCalibration {
public:
    LinearityCalibration(CalibrationSettings& settings, MeasurementGrid& grid, StatusReport& status);

    // Start-up: loads the settings (a failure is reported and the run goes on with what
    // was read), parses the step list, creates the N x 3 grid. Returns the load's result.
    bool start();

    // The Apply button: advice, computation, target labels.
    void apply();
    // The Clear Column and Clear All buttons: cells back to 0.000, Save disabled.
    void clearColumn(int column);
    void clearAll();
    // The operator changed a reading: the tables describe the old ones, so Save waits for
    // the next successful Apply.
    void readingsEdited() { saveEnabled_ = false; }

    // Check boxes. The Bright Region Correction and Verification Mode setters also run
    // the box's click handler; Noise Reduction and Clip Bright Region have none.
    void setNoiseReduction(bool checked) { options_.noiseReduction = checked; }
    void setBrightRegionCorrection(bool checked);
    void setClipBrightRegion(bool checked) { options_.clipBrightRegion = checked; }
    void setVerificationMode(bool checked);

    // The Step Count list: an index of 0 to N - 1, or nothing. Selecting does not run the
    // selection-change handler; onStepCountChange does (and applies).
    void selectStepCount(std::optional<int> index);
    void onStepCountChange();

    // The steps of Apply, public for the window's tests and the tests of the computation.
    void adviseCorrections();
    bool computeCalibration();
    bool checkTables();

    // State the window shows.
    const LinearityOptions& options() const { return options_; }
    bool clipBrightRegionEnabled() const { return clipBrightRegionEnabled_; }
    bool brightRegionCorrectionEnabled() const { return !set_.verificationMode(); }
    bool verificationMode() const { return set_.verificationMode(); }
    std::optional<int> stepCountSelection() const { return stepCountSelection_; }
    bool stepCountEnabled() const { return set_.verificationMode(); }
    bool plotChannelEnabled(Channel channel) const { return !set_.verificationMode() || channel == Channel::Red; }
    bool saveEnabled() const { return saveEnabled_; }
    bool applyEnabled() const { return applyEnabled_; }
    bool initialized() const { return initialized_; }
    bool plotValid() const { return plotValid_; }
    std::int32_t brightStep() const { return brightStep_; }
    // "Average: ...", "Red: ...", "Green: ...", "Blue: ..." (in verification mode
    // "Grayscale: ..." and three empty labels).
    const std::array<std::string, 4>& gammaLabels() const { return gammaLabels_; }
    bool gammaLabelsEnabled() const { return gammaLabelsEnabled_; }
    // "Step Code Value: ..." and "Step Number: ...".
    const std::array<std::string, 2>& targetLabels() const { return targetLabels_; }

    // Results of the last computation.
    double gamma(Channel channel) const { return gammas_[channelIndex(channel)]; }
    const CorrectionTable& table(Channel channel) const { return tables_[channelIndex(channel)]; }

    int stepCount() const { return set_.stepCount(); }
    MeasurementSet& measurements() { return set_; }
    const MeasurementSet& measurements() const { return set_; }
    CalibrationSettings& settings() const { return settings_; }
    StatusReport& status() const { return status_; }

private:
    std::optional<std::int32_t> clipCode() const;
    void showGammaLabels();
    void showUnknownGammas();
    void updateTargetLabels();
    std::array<double, 3> fitAllChannels(std::int32_t lastStep);

    CalibrationSettings& settings_;
    StatusReport& status_;
    MeasurementSet set_;
    LinearityOptions options_;
    bool clipBrightRegionEnabled_ = false;
    std::optional<int> stepCountSelection_;
    bool saveEnabled_ = false;
    bool applyEnabled_ = true;
    bool initialized_ = false;
    bool plotValid_ = false;
    std::int32_t brightStep_ = 0;
    std::array<std::string, 4> gammaLabels_{"Average: Unknown", "Red: Unknown", "Green: Unknown", "Blue: Unknown"};
    bool gammaLabelsEnabled_ = false;
    std::array<std::string, 2> targetLabels_{"Step Code Value: Unknown", "Step Number: Unknown"};
    std::array<double, 3> gammas_{};
    std::array<CorrectionTable, 3> tables_;
};
