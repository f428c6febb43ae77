#include "primary/matrix_file.h"

#include "config/atomic_file.h"
#include "config/calibration_settings.h"
#include "config/number_text.h"
#include "config/paths.h"

namespace {

constexpr const char* kNoMatricesMessage =
    "No calibration matrices to save - press Apply with valid measured values first.";
constexpr const char* kOpenFailedMessage = "Unable to open the matrix file for writing";
constexpr const char* kWriteFailedMessage = "Error during writing of the matrix file";
constexpr const char* kDiagnosticsFileName = "measured_primaries.txt";

void appendRows(std::string& text, const Matrix3& matrix)
{
    for (const auto& row : matrix)
        text += formatGeneral(row[0]) + ' ' + formatGeneral(row[1]) + ' ' + formatGeneral(row[2]) + "\r\n";
}

void writeDiagnosticsFile(const std::string& installDirectory, const FieldTexts& texts)
{
    const std::string path = diagnosticsFilePath(installDirectory, kDiagnosticsFileName);
    if (path.empty())
        return;
    // The record is a convenience; the calibration itself is already complete, so a record
    // that cannot be written is let go. Replaced whole, so a FIFO or device at the path is
    // refused, never waited on.
    static_cast<void>(replaceFileAtomically(path, primaryDiagnosticsText(texts)));
}

} // namespace

std::string matrixFileText(const CalibrationMatrices& matrices)
{
    std::string text;
    appendRows(text, matrices.native);
    appendRows(text, matrices.d65);
    return text;
}

std::string primaryDiagnosticsText(const FieldTexts& texts)
{
    std::string text;
    for (Channel channel : kAllChannels) {
        const PrimaryFieldTexts& fields = texts[channelIndex(channel)];
        text += std::string(channelName(channel)) + " values: x=" + fields.x + ", y=" + fields.y
            + ", Y=" + fields.luminance + "\r\n";
    }
    return text;
}

Result<> saveCalibrationFiles(CalibrationSettings& settings, const CalibrationMatrices& matrices,
                              const FieldTexts& texts)
{
    if (!matrices.computed)
        return Failure{kNoMatricesMessage, {}};
    // An empty matrixCurrent (no path in the store) does not open either.
    if (settings.matrixCurrent.empty())
        return Failure{kOpenFailedMessage, "the settings name no matrix file"};
    // The new file is written beside the old one and only a complete file replaces it, so
    // a reader, or a save killed half-way, never finds a partial file under a "true" flag.
    FileReplacement file(settings.matrixCurrent);
    if (!file.opened())
        return Failure{kOpenFailedMessage, settings.matrixCurrent + ": " + file.error()};
    settings.setMatrixCurrentValid(false);
    if (!file.write(matrixFileText(matrices)) || !file.commit())
        return Failure{kWriteFailedMessage, settings.matrixCurrent + ": " + file.error()};
    settings.setMatrixCurrentValid(true);
    writeDiagnosticsFile(settings.installDirectory, texts);
    return {};
}
