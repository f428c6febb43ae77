#include "linearity/save_tables.h"

#include "config/atomic_file.h"
#include "config/paths.h"
#include "linearity/diagnostics_file.h"
#include "linearity/lut_file.h"

#include <string>

namespace {

constexpr const char* kOpenFailed = "Unable to open the 1DLUT output file for writing";
constexpr const char* kWriteFailed = "Error during writing of the 1DLUT output file";
constexpr const char* kFlagFailed = "Unable to update the 1DLUT valid flag in the settings";

// One channel's file under the validity protocol: the flag goes "false" before the file
// at the path changes and "true" only once the complete new file has replaced it, so a
// save killed at any moment never leaves a "true" flag over an incomplete file.
bool saveChannel(LinearityCalibration& calibration, Channel channel, const CorrectionTable& table, std::string& reason)
{
    CalibrationSettings& settings = calibration.settings();
    StatusReport& status = calibration.status();
    const std::string& path = settings.secondLutCurrent[channelIndex(channel)];
    if (path.empty()) {
        status.setStatus(kOpenFailed, true);
        reason = "the settings name no file for the " + std::string(channelName(channel)) + " channel";
        return false;
    }
    FileReplacement file(path);
    if (!file.opened()) {
        status.setStatus(kOpenFailed, true);
        reason = path + ": " + file.error();
        return false;
    }
    if (!settings.setLinearityValid(channel, false)) {
        status.setStatus(kFlagFailed, true);
        reason = settings.lastStoreError();
        return false;
    }
    if (!file.write(formatLutFile(table)) || !file.commit()) {
        status.setStatus(kWriteFailed, true);
        reason = path + ": " + file.error();
        return false;
    }
    if (!settings.setLinearityValid(channel, true)) {
        status.setStatus(kFlagFailed, true);
        reason = settings.lastStoreError();
        return false;
    }
    return true;
}

bool saveDiagnostics(const LinearityCalibration& calibration)
{
    const std::string path = diagnosticsFilePath(calibration.settings().installDirectory, kMeasuredLinearitiesFileName);
    if (path.empty())
        return false;
    // Replaced like the LUT files: a FIFO or device at the path is refused, never waited on.
    return static_cast<bool>(replaceFileAtomically(path, formatMeasuredLinearities(calibration.measurements())));
}

} // namespace

TableSaveResult saveTables(LinearityCalibration& calibration)
{
    TableSaveResult result;
    if (!calibration.saveEnabled())
        return result;
    calibration.status().clearStatus();
    for (Channel channel : kAllChannels) {
        const Channel source = calibration.verificationMode() ? Channel::Red : channel;
        if (!saveChannel(calibration, channel, calibration.table(source), result.reason))
            return result;
    }
    result.tablesWritten = true;
    result.diagnosticsWritten = saveDiagnostics(calibration);
    return result;
}
