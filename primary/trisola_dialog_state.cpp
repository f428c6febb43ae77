#include "primary/trisola_dialog_state.h"

#include "config/calibration_settings.h"
#include "primary/matrix_file.h"
#include "primary/primary_apply.h"
#include "primary/primary_data_file.h"

namespace {

constexpr const char* kSettingsMessage = "Unable to get needed registry values, please reinstall program.";

} // namespace

TrisolaDialogState::TrisolaDialogState(CalibrationSettings& settings) : settings_(settings)
{
}

void TrisolaDialogState::initialise()
{
    if (!settings_.load())
        showError(kSettingsMessage);
}

void TrisolaDialogState::clearPrimary(Channel channel)
{
    fieldTexts_[channelIndex(channel)] = PrimaryFieldTexts{};
}

bool TrisolaDialogState::apply()
{
    ApplyResult result = applyPrimaryCalibration(fieldTexts_, displayType_, measured_, matrices_);
    status_.setStatus(result.failure, !result.failure.empty());
    reportText_ = std::move(result.reportText);
    saveEnabled_ = result.saveEnabled;
    triangle_ = result.triangle;
    return result.matricesValid && !status_.isError();
}

bool TrisolaDialogState::save()
{
    if (!saveEnabled_)
        return false;
    clearStatus();
    std::string error;
    failureReason_.clear();
    if (!saveCalibrationFiles(settings_, matrices_, fieldTexts_, error, &failureReason_)) {
        showError(error);
        return false;
    }
    finished_ = true;
    saveEnabled_ = false;
    return true;
}

bool TrisolaDialogState::saveData(const std::filesystem::path& file)
{
    clearStatus();
    std::string error;
    if (!savePrimaryData(file, fieldTexts_, displayType_, error)) {
        showError(error);
        return false;
    }
    return true;
}

bool TrisolaDialogState::loadData(const std::filesystem::path& file)
{
    clearStatus();
    std::string error;
    if (!loadPrimaryData(file, fieldTexts_, displayType_, error)) {
        showError(error);
        return false;
    }
    apply();
    return true;
}
