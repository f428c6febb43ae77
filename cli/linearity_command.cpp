// chromix linearity: the linearity calibration window's Load, Apply and Save without a screen.

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"

#include "config/calibration_settings.h"
#include "config/number_text.h"
#include "config/paths.h"
#include "config/registry_location.h"
#include "config/status_text.h"
#include "linearity/diagnostics_file.h"
#include "linearity/in_memory_grid.h"
#include "linearity/linearity_calibration.h"
#include "linearity/linearity_data_file.h"
#include "linearity/save_tables.h"

#include <optional>
#include <ostream>

namespace {

int usageError(std::ostream& err, const std::string& message)
{
    err << "chromix linearity: " << message << "\n" << commandUsage("linearity");
    return kExitUsage;
}

// A whole decimal number of at most six digits, or nothing.
std::optional<int> parseStepCount(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<int>(parseLeadingInteger(text));
}

void printWindow(const LinearityCalibration& calibration, const StatusText& status, std::ostream& out)
{
    out << "Status:\n";
    for (const std::string& line : status.lines())
        out << "  " << line << "\n";
    out << "Display Gamma Values:\n";
    for (const std::string& label : calibration.gammaLabels()) {
        if (!label.empty())
            out << "  " << label << "\n";
    }
    out << "Primary Calibration Target Values:\n";
    for (const std::string& label : calibration.targetLabels())
        out << "  " << label << "\n";
}

// Sets the options on a run without a data file, then applies (entering verification
// mode applies by itself).
void applyWithOptions(LinearityCalibration& calibration, const LinearityOptionOverrides& options)
{
    if (options.noiseReduction)
        calibration.setNoiseReduction(*options.noiseReduction);
    if (options.brightRegionCorrection)
        calibration.setBrightRegionCorrection(*options.brightRegionCorrection);
    if (options.clipBrightRegion)
        calibration.setClipBrightRegion(*options.clipBrightRegion);
    if (options.verificationSteps) {
        calibration.selectStepCount(*options.verificationSteps - 1);
        calibration.setVerificationMode(true);
    } else {
        calibration.apply();
    }
}

} // namespace

int runLinearityCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    Arguments arguments(
        args, {"--data", "--noise-reduction", "--bright-region-correction", "--clip-bright-region", "--verification"},
        {"--save"});
    LinearityOptionOverrides options;
    options.noiseReduction = arguments.onOff("--noise-reduction");
    options.brightRegionCorrection = arguments.onOff("--bright-region-correction");
    options.clipBrightRegion = arguments.onOff("--clip-bright-region");
    if (!arguments.ok())
        return usageError(err, arguments.error());
    if (!arguments.positional().empty())
        return usageError(err, "unexpected argument " + arguments.positional().front());
    const std::optional<std::string> verification = arguments.value("--verification");
    if (verification) {
        options.verificationSteps = parseStepCount(*verification);
        if (!options.verificationSteps || *options.verificationSteps < 1)
            return usageError(err, "--verification takes a step count of 1 or more, not \"" + *verification + "\"");
    }

    std::unique_ptr<RegistryStore> store = openDefaultStore();
    CalibrationSettings settings(*store);
    InMemoryGrid grid;
    StatusText status;
    LinearityCalibration calibration(settings, grid, status);
    if (!calibration.start())
        err << "chromix linearity: " << status.text() << "\n";
    if (options.verificationSteps && *options.verificationSteps > calibration.stepCount()) {
        return usageError(err,
                          "--verification takes a step count of 1 to " + formatInteger(calibration.stepCount())
                              + ", the steps of the step list");
    }

    const std::optional<std::string> dataFile = arguments.value("--data");
    if (dataFile) {
        if (const Result<> loaded = loadDataFile(calibration, *dataFile, options); !loaded) {
            printWindow(calibration, status, out);
            if (!loaded.failure().reason.empty())
                err << "chromix linearity: " << loaded.failure().reason << "\n";
            return kExitFailure;
        }
    } else {
        applyWithOptions(calibration, options);
    }
    printWindow(calibration, status, out);
    if (!calibration.plotValid()) {
        if (arguments.has("--save"))
            err << "chromix linearity: nothing saved: Apply did not produce valid correction tables\n";
        return kExitFailure;
    }
    if (!arguments.has("--save"))
        return kExitSuccess;

    const TableSaveResult saved = saveTables(calibration);
    if (!saved.tablesWritten) {
        out << "Status:\n  " << status.text() << "\n";
        if (!saved.reason.empty())
            err << "chromix linearity: " << saved.reason << "\n";
        return kExitFailure;
    }
    out << "1D LUT files written and marked valid:\n";
    for (const std::string& path : settings.secondLutCurrent)
        out << "  " << path << "\n";
    if (saved.diagnosticsWritten)
        out << "Diagnostics: " << diagnosticsFilePath(settings.installDirectory, kMeasuredLinearitiesFileName) << "\n";
    return kExitSuccess;
}
