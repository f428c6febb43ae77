// chromix image: builds the flash image a download would write, as a file that other
// flash tools can write too, with a layout file naming its regions.

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/download_options.h"

#include "config/atomic_file.h"
#include "config/registry_location.h"
#include "download/download_run.h"
#include "download/download_settings.h"
#include "download/flash_image.h"

#include <ostream>
#include <string_view>

namespace {

// Shows the reading messages as lines; the readers' progress texts are left out.
class ReadingLinesObserver : public DownloadObserver {
public:
    explicit ReadingLinesObserver(std::ostream& out) : out_(out) {}
    void setStatus(std::string_view text, bool error) override
    {
        if (!error && text.rfind("Read count is ", 0) != 0)
            out_ << text << "\n";
    }
    void appendStatus(std::string_view, bool) override {}
    void setProgress(int) override {}
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string&) override {}
    void beep(Beep) override {}

private:
    std::ostream& out_;
};

// "-o" is the short form of --output.
CommandArguments withLongOutputOption(CommandArguments args)
{
    for (std::string& word : args) {
        if (word == "-o")
            word = "--output";
    }
    return args;
}

} // namespace

int runImageCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    std::set<std::string> valueOptions = selectionValueOptions();
    valueOptions.insert({"--output", "--layout"});
    Arguments arguments(withLongOutputOption(args), valueOptions, selectionSwitches());
    std::string problem = arguments.ok() ? "" : arguments.error();
    if (problem.empty() && !arguments.positional().empty())
        problem = "unexpected argument " + arguments.positional().front();
    if (problem.empty() && !arguments.value("--output"))
        problem = "-o IMAGE is missing";
    if (!problem.empty()) {
        err << "chromix image: " << problem << "\n" << commandUsage("image");
        return kExitUsage;
    }

    auto store = openDefaultStore();
    DownloadSettings settings(*store);
    loadDownloadSettings(settings, "image", err);
    DownloadChoice choice;
    std::string error;
    if (const int status = parseDownloadChoice(arguments, settings, choice, error); status != kExitSuccess) {
        err << "chromix image: " << error << "\n";
        if (status == kExitUsage)
            err << commandUsage("image");
        return status;
    }

    std::array<FlashRegion, 3> regions = makeFlashRegions();
    RunState state;
    ReadingLinesObserver observer(out);
    NoPause noPause;
    if (!startDownload(regions, state, choice, observer)
        || !readDownloadImage(regions, state, settings, observer, noPause)) {
        err << "chromix image: " << (state.errorText.empty() ? "the files could not be read" : state.errorText) << "\n";
        return kExitFailure;
    }

    const std::vector<std::uint8_t> image = composeFlashImage(regions);
    const std::string imagePath = *arguments.value("--output");
    if (!replaceFileAtomically(imagePath,
                               std::string_view(reinterpret_cast<const char*>(image.data()), image.size()))) {
        err << "chromix image: cannot write " << imagePath << "\n";
        return kExitFailure;
    }
    out << "Image written: " << imagePath << "\n";
    for (const FlashRegion& region : regions) {
        if (region.selected)
            out << "  " << flashAddressRange(region) << " " << region.name << "\n";
    }
    if (const auto layoutPath = arguments.value("--layout")) {
        if (!replaceFileAtomically(*layoutPath, flashLayoutText(regions))) {
            err << "chromix image: cannot write " << *layoutPath << "\n";
            return kExitFailure;
        }
        out << "Layout written: " << *layoutPath << "\n";
    }
    return kExitSuccess;
}
