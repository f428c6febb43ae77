// chromix primary: the primary calibration dialog's Load, Apply and Save without a screen.

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"

#include "config/atomic_file.h"
#include "config/calibration_settings.h"
#include "config/number_text.h"
#include "config/registry_location.h"
#include "primary/trisola_dialog_state.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace {

std::optional<DisplayType> parseDisplayType(const std::string& word)
{
    if (word == "rgb-led")
        return DisplayType::RgbLed;
    if (word == "non-rgb-led")
        return DisplayType::NonRgbLed;
    return std::nullopt;
}

// The dialog's texts end lines with CR LF; a terminal wants plain line feeds.
std::string withoutCarriageReturns(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c != '\r')
            result += c;
    }
    return result;
}

std::string pixelText(const FieldPixel& pixel)
{
    return "(" + formatInteger(pixel.x) + ", " + formatInteger(pixel.y) + ")";
}

void printDialog(const TrisolaDialogState& dialog, std::ostream& out)
{
    if (!dialog.status().text().empty())
        out << "Status: " << dialog.status().text() << "\n";
    if (!dialog.reportText().empty())
        out << "Calibration Matrices:\n" << withoutCarriageReturns(dialog.reportText());
    if (const auto& triangle = dialog.triangle()) {
        out << "Chart triangle (field pixels): red " << pixelText(triangle->corners[channelIndex(Channel::Red)])
            << ", green " << pixelText(triangle->corners[channelIndex(Channel::Green)]) << ", blue "
            << pixelText(triangle->corners[channelIndex(Channel::Blue)]) << "\n";
    }
}

} // namespace

int runPrimaryCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    Arguments arguments(args, {"--data", "--display-type"}, {"--save"});
    if (!arguments.ok() || !arguments.positional().empty()) {
        err << "chromix primary: "
            << (arguments.ok() ? "unexpected argument " + arguments.positional().front() : arguments.error()) << "\n"
            << commandUsage("primary");
        return kExitUsage;
    }
    std::optional<DisplayType> displayType;
    if (auto word = arguments.value("--display-type")) {
        displayType = parseDisplayType(*word);
        if (!displayType) {
            err << "chromix primary: --display-type takes rgb-led or non-rgb-led, not \"" << *word << "\"\n"
                << commandUsage("primary");
            return kExitUsage;
        }
    }
    const std::optional<std::string> dataFile = arguments.value("--data");

    auto store = openDefaultStore();
    CalibrationSettings settings(*store);
    TrisolaDialogState dialog(settings);
    dialog.initialise();
    if (dialog.status().isError())
        err << "chromix primary: " << dialog.status().text() << "\n";

    if (dataFile && !dialog.loadData(*dataFile)) {
        // The dialog reports a file it cannot read as one without a version; say why.
        if (const Result<std::string> content = readWholeFile(*dataFile, kSettingsFileLimit); !content)
            err << "chromix primary: cannot read the primary data file " << *dataFile << ": "
                << content.failure().reason << "\n";
        printDialog(dialog, out);
        return kExitFailure;
    }
    // Loading runs Apply; run it (again) when there is no file or the type was overridden.
    if (displayType || !dataFile) {
        if (displayType)
            dialog.setDisplayType(*displayType);
        dialog.apply();
    }
    printDialog(dialog, out);
    if (!dialog.matricesValid() || dialog.status().isError()) {
        if (arguments.has("--save"))
            err << "chromix primary: nothing saved: Apply did not produce valid calibration matrices\n";
        return kExitFailure;
    }

    if (arguments.has("--save")) {
        if (!dialog.save()) {
            out << "Status: " << dialog.status().text() << "\n";
            if (!dialog.failureReason().empty())
                err << "chromix primary: " << dialog.failureReason() << "\n";
            return kExitFailure;
        }
        out << "Matrix file written: " << settings.matrixCurrent << "\n"
            << "\"Current Valid\" set to true\n";
    }
    return kExitSuccess;
}
