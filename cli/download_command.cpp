// chromix download: the whole download as the download window runs it (device check, the
// run with its reading, erase, write and verify, the diagnostics file, the reload), with a
// progress bar on a terminal and plain lines otherwise.

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/download_options.h"

#include "config/number_text.h"
#include "config/registry_location.h"
#include "download/adapters/adapter_choice.h"
#include "download/adapters/simulated_adapter_library.h"
#include "download/cspi_flash.h"
#include "download/download_run.h"
#include "download/download_settings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool stdoutIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

// The texts a run repeats after every value, page or read: shown as a bar's detail on a
// terminal, and only the last of each phase as a line otherwise.
bool isProgressText(std::string_view text)
{
    return text.starts_with("Read count is ") || text.starts_with("Writing Flash for ")
        || text.starts_with("Verifying Flash for ");
}

class ConsoleObserver : public DownloadObserver {
public:
    ConsoleObserver(std::ostream& out, std::ostream& err, bool terminal) : out_(out), err_(err), terminal_(terminal) {}

    void setStatus(std::string_view text, bool error) override { show(text, error); }
    void appendStatus(std::string_view text, bool error) override { show(text, error); }
    void setProgress(int percent) override
    {
        percent_ = percent;
        if (terminal_ && !detail_.empty() && percent != drawnPercent_)
            drawBar();
    }
    void setDownloadEnabled(bool) override {}
    void setCancelCaption(const std::string&) override {}
    void beep(Beep) override {}

    // Ends a bar or a pending progress line.
    void finish()
    {
        if (detail_.empty())
            return;
        if (terminal_) {
            drawBar();
            out_ << "\n";
        } else {
            out_ << detail_ << "\n";
        }
        out_.flush();
        detail_.clear();
    }

    bool errorShown() const { return errorShown_; }

private:
    void show(std::string_view text, bool error)
    {
        if (!error && isProgressText(text)) {
            detail_ = text;
            if (terminal_ && redrawDue())
                drawBar();
            return;
        }
        finish();
        if (error) {
            errorShown_ = true;
            err_ << text << "\n";
            err_.flush();
        } else {
            out_ << text << "\n";
            out_.flush();
        }
    }

    bool redrawDue() const { return std::chrono::steady_clock::now() - drawnAt_ > std::chrono::milliseconds(100); }

    // The reading phase reports counts, not a percentage: its line has no bar.
    void drawBar()
    {
        constexpr int kWidth = 30;
        out_ << "\r";
        if (!detail_.starts_with("Read count is ")) {
            const int filled = std::clamp(percent_, 0, 100) * kWidth / 100;
            out_ << "[" << std::string(static_cast<std::size_t>(filled), '#')
                 << std::string(static_cast<std::size_t>(kWidth - filled), '-') << "] " << formatFixed(percent_, 3, 0)
                 << "% ";
        }
        out_ << detail_ << "\x1b[K";
        out_.flush();
        drawnPercent_ = percent_;
        drawnAt_ = std::chrono::steady_clock::now();
    }

    std::ostream& out_;
    std::ostream& err_;
    const bool terminal_;
    std::string detail_;
    int percent_ = 0;
    int drawnPercent_ = -1;
    std::chrono::steady_clock::time_point drawnAt_{};
    bool errorShown_ = false;
};

// The window pauses 2 s around every message so that the operator can read it; here
// those pauses last `messagePause` ms. Shorter pauses let the adapter's pins settle and
// are kept.
class CommandPacer : public Pacer {
public:
    explicit CommandPacer(std::uint32_t messagePause) : messagePause_(messagePause) {}
    void pause(std::uint32_t milliseconds) override
    {
        const std::uint32_t length = milliseconds >= kReadingPauseMs ? messagePause_ : milliseconds;
        if (length > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(length));
    }

private:
    const std::uint32_t messagePause_;
};

// A pause length: digits only, at most a minute.
bool parsePause(const std::string& word, std::uint32_t& pause)
{
    if (word.empty() || word.size() > 5 || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long long value = parseLeadingInteger(word);
    if (value > 60000)
        return false;
    pause = static_cast<std::uint32_t>(value);
    return true;
}

// A run that failed because the simulated processor could not write its image back says
// only that a flash write failed; the reason is the image file's.
void printImageProblem(ChosenSpiAdapter& adapter, std::ostream& err)
{
    if (const auto* simulated = dynamic_cast<const SimulatedAdapterLibrary*>(&adapter.library());
        simulated && !simulated->lastImageError().empty())
        err << "chromix download: " << simulated->lastImageError() << "\n";
}

} // namespace

int runDownloadCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    std::set<std::string> valueOptions = selectionValueOptions();
    valueOptions.insert("--pause-ms");
    Arguments arguments(args, valueOptions, selectionSwitches());
    std::string problem = arguments.ok() ? "" : arguments.error();
    if (problem.empty() && !arguments.positional().empty())
        problem = "unexpected argument " + arguments.positional().front();
    std::uint32_t pause = 0;
    if (const auto word = arguments.value("--pause-ms"); problem.empty() && word && !parsePause(*word, pause))
        problem = "--pause-ms takes a number of milliseconds from 0 to 60000, not \"" + *word + "\"";
    if (!problem.empty()) {
        err << "chromix download: " << problem << "\n" << commandUsage("download");
        return kExitUsage;
    }

    auto store = openDefaultStore();
    DownloadSettings settings(*store);
    loadDownloadSettings(settings, "download", err);
    DownloadChoice choice;
    std::string error;
    if (const int status = parseDownloadChoice(arguments, settings, choice, error); status != kExitSuccess) {
        err << "chromix download: " << error << "\n";
        if (status == kExitUsage)
            err << commandUsage("download");
        return status;
    }

    const std::unique_ptr<ChosenSpiAdapter> adapter = chooseSpiAdapter(store.get());
    out << "Adapter: " << adapter->description() << "\n";
    CSPI_Flash flash(adapter->library(), adapter->clock());
    ConsoleObserver observer(out, err, &out == &std::cout && stdoutIsTerminal());
    CommandPacer pacer(pause);
    if (!flash.checkDevice(observer, pacer)) {
        // Without an open adapter the check said "No device connection": add what to do.
        if (const std::string advice = adapter->connectionAdvice(); !flash.adapterOpen() && !advice.empty())
            err << advice << "\n";
        return kExitFailure;
    }

    std::array<FlashRegion, 3> regions = makeFlashRegions();
    RunState state;
    if (!startDownload(regions, state, choice, observer))
        return kExitFailure;
    runDownload(regions, state, settings, flash, observer, pacer);
    observer.finish();
    flash.closeAdapter();
    if (!state.ok)
        printImageProblem(*adapter, err);
    return state.ok && !observer.errorShown() ? kExitSuccess : kExitFailure;
}
