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
    failureReason_.clear();
    if (const Result<> saved = saveCalibrationFiles(settings_, matrices_, fieldTexts_); !saved) {
        showError(saved.failure().message);
        failureReason_ = saved.failure().reason;
        return false;
    }
    finished_ = true;
    saveEnabled_ = false;
    return true;
}

bool TrisolaDialogState::saveData(const std::filesystem::path& file)
{
    clearStatus();
    failureReason_.clear();
    if (const Result<> saved = savePrimaryData(file, fieldTexts_, displayType_); !saved) {
        showError(saved.failure().message);
        failureReason_ = saved.failure().reason;
        return false;
    }
    return true;
}

bool TrisolaDialogState::loadData(const std::filesystem::path& file)
{
    clearStatus();
    if (const Result<> loaded = loadPrimaryData(file, fieldTexts_, displayType_); !loaded) {
        showError(loaded.failure().message);
        return false;
    }
    apply();
    return true;
}
