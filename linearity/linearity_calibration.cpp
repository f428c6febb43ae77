#include "linearity/linearity_calibration.h"

#include "config/number_text.h"
#include "linearity/corrections.h"
#include "linearity/gamma_fit.h"
#include "linearity/step_queries.h"

namespace {

constexpr const char* kSettingsMissing = "Unable to get needed registry values, please reinstall program.";
constexpr const char* kPoorFit = "Warning - this display has a poor gamma fit. Try adjusting your display.";
constexpr const char* kAdviceHeader = "You can get a more accurate gamma fit by turning on the following option(s).";
constexpr const char* kAdviseBrightRegion =
    "'Bright Region Correction' option in the 'Display Error Compensation' panel.";
constexpr const char* kAdviseNoiseReduction = "'Noise Reduction' option in the 'Advanced Linearization' panel.";
constexpr const char* kSameValues = "If values are the same please re-measure or change them so there are ascending";

// The Step Count list starts on its 21st entry when the list has one.
constexpr int kInitialStepCountIndex = 20;
constexpr int kNormalColumns = 3;

std::string gammaText(const char* name, double gamma)
{
    return std::string(name) + ": " + formatFixed(gamma, 1, 2);
}

} // namespace

LinearityCalibration::LinearityCalibration(CalibrationSettings& settings, MeasurementGrid& grid, StatusReport& status)
    : settings_(settings)
    , status_(status)
    , set_(grid, status)
{
}

bool LinearityCalibration::start()
{
    const bool loaded = settings_.load();
    if (!loaded)
        status_.setStatus(kSettingsMissing, true);
    set_.parseSteps(settings_.stepList);
    const int steps = set_.stepCount();
    brightStep_ = steps;
    set_.grid().createMeasurementGrid(steps, kNormalColumns);
    saveEnabled_ = false;
    applyEnabled_ = true;
    stepCountSelection_ = steps > kInitialStepCountIndex ? std::optional<int>(kInitialStepCountIndex) : std::nullopt;
    set_.setVerificationMode(false);
    initialized_ = true;
    return loaded;
}

void LinearityCalibration::apply()
{
    saveEnabled_ = false;
    applyEnabled_ = false;
    status_.clearStatus();
    gammaLabelsEnabled_ = true;
    // Gammas of earlier tables must not stay on screen when this Apply computes none.
    showUnknownGammas();
    adviseCorrections();
    updateTargetLabels();
    applyEnabled_ = true;
}

void LinearityCalibration::clearColumn(int column)
{
    // Every row the grid has: in verification mode that is 21, whatever N is.
    for (int row = 0; row < set_.grid().rowCount(); ++row)
        set_.grid().setCellText(column, row, kFreshCellText);
    saveEnabled_ = false;
    applyEnabled_ = true;
}

void LinearityCalibration::clearAll()
{
    const int columns = set_.verificationMode() ? 1 : kNormalColumns;
    for (int column = 0; column < columns; ++column)
        clearColumn(column);
}

void LinearityCalibration::setBrightRegionCorrection(bool checked)
{
    options_.brightRegionCorrection = checked;
    if (!checked)
        brightStep_ = set_.stepCount();
    clipBrightRegionEnabled_ = checked;
}

void LinearityCalibration::setVerificationMode(bool checked)
{
    if (checked) {
        set_.grid().createMeasurementGrid(kVerificationRows, 1);
        options_.brightRegionCorrection = false;
        options_.clipBrightRegion = false;
        clipBrightRegionEnabled_ = false;
        set_.setVerificationMode(true);
        onStepCountChange();
    } else {
        set_.grid().createMeasurementGrid(set_.stepCount(), kNormalColumns);
        clipBrightRegionEnabled_ = true;
        set_.setVerificationMode(false);
        apply();
    }
}

void LinearityCalibration::selectStepCount(std::optional<int> index)
{
    if (index && (*index < 0 || *index >= set_.stepCount()))
        index.reset();
    stepCountSelection_ = index;
}

void LinearityCalibration::onStepCountChange()
{
    const int steps = stepCountSelection_ ? *stepCountSelection_ + 1 : 0;
    set_.setVerificationSteps(steps);
    set_.selectVerificationSteps(steps);
    apply();
}

std::array<double, 3> LinearityCalibration::fitAllChannels(std::int32_t lastStep)
{
    std::array<double, 3> result{};
    for (Channel channel : kAllChannels)
        result[channelIndex(channel)] = fitGamma(set_.workingTable(), channel, 2, lastStep);
    return result;
}

void LinearityCalibration::adviseCorrections()
{
    if (!set_.validateMeasurements()) {
        plotValid_ = false;
        return;
    }
    const std::int32_t steps = set_.stepCount();
    const std::array<double, 3> baseline = fitAllChannels(steps);
    bool headerShown = false;

    if (!options_.brightRegionCorrection && !set_.verificationMode()) {
        set_.validateMeasurements();
        applyBrightRegionCorrection(set_, brightStep_);
        if (!nearlyEqual(fitGamma(set_.workingTable(), Channel::Red, 2, steps), baseline[channelIndex(Channel::Red)])) {
            status_.appendStatus(kPoorFit, false);
            status_.appendStatus(kAdviceHeader, false);
            status_.appendStatus(kAdviseBrightRegion, false);
            headerShown = true;
        }
    }
    if (!options_.noiseReduction) {
        set_.validateMeasurements();
        applyNoiseReduction(set_);
        const std::array<double, 3> trial = fitAllChannels(steps);
        const std::size_t compared = set_.verificationMode() ? 1 : 3;
        bool changed = false;
        for (std::size_t c = 0; c < compared; ++c)
            changed = changed || !nearlyEqual(trial[c], baseline[c]);
        if (changed) {
            if (!headerShown)
                status_.appendStatus(kAdviceHeader, false);
            status_.appendStatus(kAdviseNoiseReduction, false);
        }
    }
    brightStep_ = steps;
    computeCalibration();
}

std::optional<std::int32_t> LinearityCalibration::clipCode() const
{
    if (!options_.clipBrightRegion)
        return std::nullopt;
    return set_.workingTable().codeValue(Channel::Red).valueOr(brightStep_, 0);
}

bool LinearityCalibration::computeCalibration()
{
    plotValid_ = false;
    if (!set_.validateMeasurements())
        return false;
    if (options_.brightRegionCorrection && !set_.verificationMode())
        applyBrightRegionCorrection(set_, brightStep_);
    if (options_.noiseReduction)
        applyNoiseReduction(set_);

    gammas_ = fitAllChannels(set_.rowsToRead());
    for (Channel channel : kAllChannels)
        fillCorrectionTable(tables_[channelIndex(channel)], gammas_[channelIndex(channel)], clipCode());
    if (!checkTables())
        return false;
    showGammaLabels();
    plotValid_ = true;
    saveEnabled_ = true;
    return true;
}

bool LinearityCalibration::checkTables()
{
    bool allUsable = true;
    const std::size_t checked = set_.verificationMode() ? 1 : 3;
    for (std::size_t c = 0; c < checked; ++c) {
        if (isUsableTable(tables_[c], gammas_[c]))
            continue;
        status_.appendStatus("Invalid " + std::string(channelName(kAllChannels[c])) + " value(s), please re-enter",
                             true);
        allUsable = false;
    }
    if (!allUsable)
        status_.appendStatus(kSameValues, true);
    return allUsable;
}

void LinearityCalibration::showGammaLabels()
{
    if (set_.verificationMode()) {
        gammaLabels_ = {gammaText("Grayscale", gammas_[0]), "", "", ""};
        return;
    }
    const double average = (gammas_[0] + gammas_[1] + gammas_[2]) / 3.0;
    gammaLabels_ = {gammaText("Average", average), gammaText("Red", gammas_[0]), gammaText("Green", gammas_[1]),
                    gammaText("Blue", gammas_[2])};
}

void LinearityCalibration::showUnknownGammas()
{
    if (set_.verificationMode())
        gammaLabels_ = {"Grayscale: Unknown", "", "", ""};
    else
        gammaLabels_ = {"Average: Unknown", "Red: Unknown", "Green: Unknown", "Blue: Unknown"};
}

void LinearityCalibration::updateTargetLabels()
{
    const StepTable& working = set_.workingTable();
    std::int32_t code = 0;
    std::int32_t step = 0;
    if (set_.verificationMode()) {
        step = set_.verificationSteps();
        code = working.codeValue(Channel::Red).valueOr(step, 0);
    } else {
        step = brightStep_;
        code = lastPresentCode(working, Channel::Blue);
    }
    targetLabels_ = {"Step Code Value: " + formatInteger(code), "Step Number: " + formatInteger(step)};
}
