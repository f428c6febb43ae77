// chromix measure: a measurement run with a colour meter, ending in the data file that the
// linearity or primary calibration loads.

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/program_run.h"
#include "cli/report_writer.h"

#include "config/calibration_settings.h"
#include "config/number_text.h"
#include "config/registry_location.h"
#include "config/step_table.h"
#include "measure/measured_data_files.h"
#include "measure/measurement_run.h"
#include "measure/simulated_display.h"
#include "measure/spotread_meter.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <system_error>

namespace {

int usageError(std::ostream& err, const std::string& message)
{
    err << "chromix measure: " << message << "\n" << commandUsage("measure");
    return kExitUsage;
}

std::optional<MeasurementKind> parseKind(const std::string& word)
{
    if (word == "linearity")
        return MeasurementKind::Linearity;
    if (word == "primaries")
        return MeasurementKind::Primaries;
    if (word == "verification")
        return MeasurementKind::Verification;
    return std::nullopt;
}

// A whole decimal number of at most nine digits, or nothing.
std::optional<long long> parseCount(const std::optional<std::string>& text)
{
    if (!text || text->empty() || text->size() > 9 || text->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return parseLeadingInteger(*text);
}

// Without a window (--patches manual) the operator shows each patch on the target display
// (Patchora) and confirms it here.
class OperatorPatchDisplay : public PatchDisplay {
public:
    OperatorPatchDisplay(const std::vector<Patch>& patches, std::istream& in, std::ostream& out)
        : patches_(patches)
        , in_(in)
        , out_(out)
    {
    }

    Result<> show(std::uint32_t) override
    {
        if (next_ >= patches_.size())
            return Failure{"no patch left to show", {}};
        const Patch& patch = patches_[next_++];
        out_ << "Show " << patchName(patch) << " full screen on the target display, then press Enter: " << std::flush;
        std::string line;
        if (!std::getline(in_, line))
            return Failure{"no answer from the operator", {}};
        return {};
    }

private:
    const std::vector<Patch>& patches_;
    std::istream& in_;
    std::ostream& out_;
    std::size_t next_ = 0;
};

// One line per reading, as the run goes.
class PrintingObserver : public RunObserver {
public:
    explicit PrintingObserver(std::ostream& out) : out_(out) {}

    void readingTaken(const Patch& patch, const MeterReading& r, int done, int total) override
    {
        out_ << "[" << done << "/" << total << "] " << patchName(patch) << ": Y " << formatFixed(r.Y, 0, 4)
             << " cd/m2, x " << formatFixed(r.x, 0, 4) << ", y " << formatFixed(r.y, 0, 4) << "\n";
    }

private:
    std::ostream& out_;
};

std::string dataFileWritten(MeasurementKind kind, const std::string& output)
{
    return std::string(kind == MeasurementKind::Primaries ? "Primary" : "Linearity") + " data file written: " + output;
}

// Candora's exit status when the readings were saved, but not all as asked (another file, or no report).
constexpr int kCandoraPartlySaved = 3;

// The command links no window code: the measuring window, Candora, shows the patches full
// screen and runs the meter; this waits for it and reports what it wrote.
int measureInWindow(MeasurementKind kind, const std::vector<std::string>& candoraArguments, const std::string& output,
                    std::ostream& out, std::ostream& err)
{
    const std::optional<std::filesystem::path> candora = findProgram("Candora");
    if (!candora) {
        err << "chromix measure: the measuring window Candora was not found beside chromix or on the PATH; install "
               "it, or measure with --patches manual (each patch shown in Patchora and confirmed with Enter)\n";
        return kExitFailure;
    }
    out << "Measuring in Candora: the patches are shown full screen; Space pauses, Esc cancels.\n" << std::flush;
    const Result<int> status = runProgram(*candora, candoraArguments);
    if (!status) {
        // Ended by a signal, it may have got as far as the file: nothing is claimed either way.
        err << "chromix measure: the measuring window did not run to its end: " << status.failure().reason
            << ". Without a display, measure with --patches manual.\n";
        return kExitFailure;
    }
    std::error_code error;
    if (*status == kExitSuccess && std::filesystem::is_regular_file(output, error)) {
        out << dataFileWritten(kind, output) << "\n";
        return kExitSuccess;
    }
    if (*status == kExitSuccess || *status == kCandoraPartlySaved) {
        err << "chromix measure: the readings were not all saved as asked; the measuring window's message above says "
               "what was written where\n";
        return kExitFailure;
    }
    err << "chromix measure: the measurement in the window did not complete (exit status " << *status
        << "); no data file was written\n";
    return kExitFailure;
}

} // namespace

int runMeasureCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CommandArguments words = args;
    for (std::string& word : words) {
        if (word == "-o")
            word = "--output";
    }
    Arguments arguments(
        words, {"--meter", "--output", "--settle-ms", "--steps", "--seed", "--report", "--patches", "--screen"});
    if (!arguments.ok())
        return usageError(err, arguments.error());
    if (arguments.positional().size() != 1)
        return usageError(err,
                          arguments.positional().empty() ? "which measurement: linearity, primaries or verification"
                                                         : "unexpected argument " + arguments.positional()[1]);
    const std::optional<MeasurementKind> kind = parseKind(arguments.positional()[0]);
    if (!kind)
        return usageError(err,
                          "no measurement \"" + arguments.positional()[0] + "\"; linearity, primaries or verification");
    const std::optional<std::string> meter = arguments.value("--meter");
    if (!meter)
        return usageError(err, "--meter sim|argyll is missing");
    if (*meter != "sim" && *meter != "argyll")
        return usageError(err, "--meter takes sim or argyll, not \"" + *meter + "\"");
    const std::optional<std::string> output = arguments.value("--output");
    if (!output)
        return usageError(err, "-o FILE is missing");
    const std::string patchesShown = arguments.value("--patches").value_or("window");
    if (patchesShown != "window" && patchesShown != "manual")
        return usageError(err, "--patches takes window or manual, not \"" + patchesShown + "\"");
    if (*meter == "sim" && (arguments.value("--patches") || arguments.value("--screen")))
        return usageError(err, "--patches and --screen are for --meter argyll");
    if (arguments.value("--screen") && (patchesShown != "window" || !parseCount(arguments.value("--screen"))))
        return usageError(err,
                          patchesShown != "window"
                              ? "--screen is for the patch window, not --patches manual"
                              : "--screen takes a screen number, not \"" + *arguments.value("--screen") + "\"");
    RunSettings runSettings;
    if (arguments.value("--settle-ms")) {
        const std::optional<long long> settle = parseCount(arguments.value("--settle-ms"));
        if (!settle)
            return usageError(
                err, "--settle-ms takes a number of milliseconds, not \"" + *arguments.value("--settle-ms") + "\"");
        runSettings.settleMilliseconds = *settle;
    }
    SimulatedDisplayModel model;
    if (arguments.value("--seed")) {
        const std::optional<long long> seed = parseCount(arguments.value("--seed"));
        if (!seed)
            return usageError(err, "--seed takes a whole number, not \"" + *arguments.value("--seed") + "\"");
        model.seed = static_cast<std::uint32_t>(*seed);
    }

    StepTable steps;
    if (*kind != MeasurementKind::Primaries) {
        std::unique_ptr<RegistryStore> store = openDefaultStore();
        CalibrationSettings settings(*store);
        if (!settings.load()) {
            err << "chromix measure: Unable to get needed registry values, please reinstall program.\n";
            return kExitFailure;
        }
        for (Channel channel : kAllChannels)
            parseStepList(steps, channel, settings.stepList);
        if (steps.stepCount() < 1) {
            err << "chromix measure: the store's step list holds no steps\n";
            return kExitFailure;
        }
    }
    int verificationSteps = std::min(kDefaultVerificationSteps, steps.stepCount());
    if (arguments.value("--steps")) {
        const std::optional<long long> count = parseCount(arguments.value("--steps"));
        if (*kind != MeasurementKind::Verification)
            return usageError(err, "--steps is for verification only");
        if (!count || *count < 1 || *count > steps.stepCount())
            return usageError(err,
                              "--steps takes a step count of 1 to " + formatInteger(steps.stepCount())
                                  + ", the steps of the step list");
        verificationSteps = static_cast<int>(*count);
    }

    if (*meter == "argyll" && patchesShown == "window") {
        std::vector<std::string> candora{"--run", arguments.positional()[0], "--meter", "argyll", "--output", *output};
        for (const char* option : {"--settle-ms", "--screen"}) {
            if (const auto value = arguments.value(option))
                candora.insert(candora.end(), {option, *value});
        }
        if (*kind == MeasurementKind::Verification)
            candora.insert(candora.end(), {"--steps", formatInteger(verificationSteps)});
        const int status = measureInWindow(*kind, candora, *output, out, err);
        if (status == kExitSuccess && arguments.value("--report")
            && !writeReport(*kind != MeasurementKind::Primaries, *output, *arguments.value("--report"), 2.2, out, err))
            return kExitFailure;
        return status;
    }

    const std::vector<Patch> patches = plannedPatches(*kind, steps, verificationSteps);
    // The simulated display needs no real time to settle: its clock is simulated too.
    SimulatedPacer simulatedPacer;
    SteadyPacer steadyPacer;
    SimulatedDisplay simulatedDisplay(model, simulatedPacer);
    OperatorPatchDisplay operatorDisplay(patches, std::cin, out);
    std::unique_ptr<ColourMeter> colourMeter;
    if (*meter == "sim") {
        colourMeter = std::make_unique<SimulatedMeter>(simulatedDisplay);
    } else {
        colourMeter = std::make_unique<SpotreadMeter>(
            createChildProcess(), SpotreadSettings{}, [&out](const std::string& instruction) {
                out << instruction << "\n(press Enter when done) " << std::flush;
                std::string line;
                return static_cast<bool>(std::getline(std::cin, line));
            });
    }
    PatchDisplay& display = *meter == "sim" ? static_cast<PatchDisplay&>(simulatedDisplay) : operatorDisplay;
    RunPacer& pacer = *meter == "sim" ? static_cast<RunPacer&>(simulatedPacer) : steadyPacer;
    PrintingObserver observer(out);
    if (*meter == "argyll")
        out << "Each patch is shown in Patchora and confirmed here with Enter.\n";
    if (const Result<> opened = colourMeter->open(); !opened) {
        err << "chromix measure: " << opened.failure().message << "\n";
        return kExitFailure;
    }
    const RunResult result = runMeasurement(patches, display, *colourMeter, pacer, observer, runSettings);
    colourMeter->close();
    if (result.outcome != RunOutcome::Completed) {
        err << "chromix measure: " << result.message << "\n";
        return kExitFailure;
    }
    if (const Result<> written =
            writeDataFile(*output, measurementDataText(*kind, patches, result.readings, steps.stepCount()));
        !written) {
        err << "chromix measure: cannot write " << *output << ": " << written.failure().reason << "\n";
        return kExitFailure;
    }
    out << dataFileWritten(*kind, *output) << "\n";
    if (const auto report = arguments.value("--report")) {
        if (!writeReport(*kind != MeasurementKind::Primaries, *output, *report, 2.2, out, err))
            return kExitFailure;
    }
    return kExitSuccess;
}
