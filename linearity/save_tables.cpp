#include "linearity/save_tables.h"

#include "config/paths.h"
#include "linearity/diagnostics_file.h"
#include "linearity/lut_file.h"

#include <fstream>
#include <string>

namespace {

constexpr const char* kOpenFailed = "Unable to open the 1DLUT output file for writing";
constexpr const char* kWriteFailed = "Error during writing of the 1DLUT output file";
constexpr const char* kFlagFailed = "Unable to update the 1DLUT valid flag in the settings";

bool writeWhole(std::ofstream& file, const std::string& content)
{
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.flush();
    return file.good();
}

// One channel's file under the validity protocol: "false" from the moment the file is
// open until it is complete, then "true".
bool saveChannel(LinearityCalibration& calibration, Channel channel, const CorrectionTable& table)
{
    CalibrationSettings& settings = calibration.settings();
    StatusSink& status = calibration.status();
    const std::string& path = settings.secondLutCurrent[static_cast<std::size_t>(channelIndex(channel))];
    std::ofstream file;
    if (!path.empty())
        file.open(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) {
        status.setStatus(kOpenFailed, true);
        return false;
    }
    if (!settings.setLinearityValid(channel, false)) {
        status.setStatus(kFlagFailed, true);
        return false;
    }
    const bool written = writeWhole(file, formatLutFile(table));
    file.close();
    if (!written || file.fail()) {
        status.setStatus(kWriteFailed, true);
        return false;
    }
    if (!settings.setLinearityValid(channel, true)) {
        status.setStatus(kFlagFailed, true);
        return false;
    }
    return true;
}

bool saveDiagnostics(const LinearityCalibration& calibration)
{
    const std::string path = diagnosticsFilePath(calibration.settings().installDirectory, kMeasuredLinearitiesFileName);
    if (path.empty())
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open())
        return false;
    const bool written = writeWhole(file, formatMeasuredLinearities(calibration.measurements()));
    file.close();
    return written && !file.fail();
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
        if (!saveChannel(calibration, channel, calibration.table(source)))
            return result;
    }
    result.tablesWritten = true;
    result.diagnosticsWritten = saveDiagnostics(calibration);
    return result;
}
