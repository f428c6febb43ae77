// chromix report: an HTML report of a linearity, verification or primary data file.

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/report_writer.h"

#include "config/atomic_file.h"
#include "config/calibration_settings.h"
#include "config/number_text.h"
#include "config/registry_location.h"
#include "config/step_table.h"
#include "measure/linearity_report.h"
#include "measure/primaries_report.h"
#include "primary/trisola_dialog_state.h"

#include <optional>
#include <ostream>

namespace {

int usageError(std::ostream& err, const std::string& message)
{
    err << "chromix report: " << message << "\n" << commandUsage("report");
    return kExitUsage;
}

// The report's matrices as the primary calibration computes them from the same file.
std::vector<ReportMatrix> computedMatrices(const std::string& dataFile, std::ostream& err)
{
    std::unique_ptr<RegistryStore> store = openDefaultStore();
    CalibrationSettings settings(*store);
    TrisolaDialogState dialog(settings);
    dialog.initialise();
    if (!dialog.loadData(dataFile) || !dialog.matricesValid()) {
        err << "chromix report: no matrix in the report: " << dialog.status().text() << "\n";
        return {};
    }
    return {{"D65 Download Matrix", dialog.matrices().d65}, {"Native Download Matrix", dialog.matrices().native}};
}

std::optional<std::string> linearityReport(const std::string& dataFile, double targetGamma, std::ostream& err)
{
    std::unique_ptr<RegistryStore> store = openDefaultStore();
    CalibrationSettings settings(*store);
    if (!settings.load()) {
        err << "chromix report: Unable to get needed registry values, please reinstall program.\n";
        return std::nullopt;
    }
    StepTable steps;
    parseStepList(steps, Channel::Red, settings.stepList);
    std::vector<int> codes;
    for (int step = 1; step <= steps.stepCount(); ++step)
        codes.push_back(steps.codeValue(Channel::Red).valueOr(step, 0));
    const Result<LinearityDataValues> values = readLinearityData(dataFile, steps.stepCount());
    if (!values) {
        err << "chromix report: " << values.failure().lines() << "\n";
        return std::nullopt;
    }
    return linearityReportHtml(analyseLinearity(codes, *values, targetGamma), dataFile);
}

} // namespace

int runReportCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CommandArguments words = args;
    for (std::string& word : words) {
        if (word == "-o")
            word = "--output";
    }
    Arguments arguments(words, {"--data", "--output", "--target-gamma"});
    if (!arguments.ok())
        return usageError(err, arguments.error());
    if (arguments.positional().size() != 1)
        return usageError(err,
                          arguments.positional().empty() ? "which report: linearity or primaries"
                                                         : "unexpected argument " + arguments.positional()[1]);
    const std::string kind = arguments.positional()[0];
    if (kind != "linearity" && kind != "primaries")
        return usageError(err, "no report \"" + kind + "\"; linearity or primaries");
    const std::optional<std::string> dataFile = arguments.value("--data");
    const std::optional<std::string> output = arguments.value("--output");
    if (!dataFile || !output)
        return usageError(err, dataFile ? "-o REPORT.html is missing" : "--data FILE is missing");
    double targetGamma = 2.2;
    if (const auto text = arguments.value("--target-gamma")) {
        std::size_t used = 0;
        if (kind != "linearity" || !parseLeadingDouble(*text, targetGamma, &used) || used != text->size()
            || !(targetGamma > 0.0 && targetGamma < 10.0))
            return usageError(
                err, "--target-gamma takes a gamma above 0 and below 10 for a linearity report, not \"" + *text + "\"");
    }

    return writeReport(kind == "linearity", *dataFile, *output, targetGamma, out, err) ? kExitSuccess : kExitFailure;
}

bool writeReport(bool linearity, const std::string& dataFile, const std::string& output, double targetGamma,
                 std::ostream& out, std::ostream& err)
{
    std::optional<std::string> html;
    if (linearity) {
        html = linearityReport(dataFile, targetGamma, err);
    } else {
        if (const Result<PrimaryDataValues> values = readPrimaryData(dataFile))
            html = primariesReportHtml(analysePrimaries(*values), dataFile, computedMatrices(dataFile, err));
        else
            err << "chromix report: " << values.failure().lines() << "\n";
    }
    if (!html)
        return false;
    if (const Result<> written = replaceFileAtomically(output, *html); !written) {
        err << "chromix report: cannot write " << output << ": " << written.failure().reason << "\n";
        return false;
    }
    out << "Report written: " << output << "\n";
    return true;
}
