// chromix adapters on Windows: the adapters that FTDI's FTCSPI.dll finds in each family
// and, with --probe, the device check a download starts with (it writes nothing). The
// operator's first step when a download says "No device connection".

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"

#include "config/registry_location.h"
#include "download/adapters/adapter_choice.h"
#include "download/adapters/ftcspi_adapter_library.h"
#include "download/cspi_flash.h"

#include <cstdlib>
#include <ostream>

namespace {

// The device check's last text.
class CheckText : public SilentObserver {
public:
    void setStatus(std::string_view text, bool) override { text_ = text; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

int listDevices(FtcspiAdapterLibrary& library, std::ostream& out)
{
    int found = 0;
    std::uint32_t count = 0;
    if (library.channelCountDevices(count) == kAdapterOk) {
        for (std::uint32_t index = 0; index < count; ++index) {
            char name[kAdapterNameSize] = {};
            char channel[kAdapterChannelSize] = {};
            std::uint32_t location = 0;
            std::uint32_t type = 0;
            if (library.channelDescribeDevice(index, name, kAdapterNameSize, location, channel, kAdapterChannelSize,
                                              type)
                != kAdapterOk)
                break;
            name[kAdapterNameSize - 1] = channel[kAdapterChannelSize - 1] = '\0';
            out << "channel family: \"" << name << "\", channel " << channel << ", location " << location << "\n";
            ++found;
        }
    }
    if (library.plainCountDevices(count) == kAdapterOk) {
        for (std::uint32_t index = 0; index < count; ++index) {
            char name[kAdapterNameSize] = {};
            std::uint32_t location = 0;
            if (library.plainDescribeDevice(index, name, kAdapterNameSize, location) != kAdapterOk)
                break;
            name[kAdapterNameSize - 1] = '\0';
            out << "plain family: \"" << name << "\", location " << location << "\n";
            ++found;
        }
    }
    return found;
}

} // namespace

int runAdaptersCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    Arguments arguments(args, {}, {"--probe"});
    if (!arguments.ok() || !arguments.positional().empty()) {
        err << "chromix adapters: "
            << (arguments.ok() ? "unexpected argument " + arguments.positional().front() : arguments.error()) << "\n"
            << commandUsage("adapters");
        return kExitUsage;
    }
    const auto store = openDefaultStore();
    const char* variable = std::getenv(kSpiAdapterVariable);
    const std::string setting = variable != nullptr && *variable != '\0' ? variable : storedAdapterSetting(*store);
    out << "Adapter setting: " << (setting.empty() ? "(none: ftdi)" : setting) << "\n";

    const bool probe = arguments.has("--probe");
    FtcspiAdapterLibrary library;
    if (!library.loaded()) {
        out << library.loadProblem() << "\n";
        return probe ? kExitFailure : kExitSuccess;
    }
    if (listDevices(library, out) == 0)
        out << "FTCSPI.dll finds no FTDI adapter (FT2232H, FT4232H, FT232H, FT2232C/D).\n";
    if (!probe)
        return kExitSuccess;
    SteadyClock clock;
    SleepingPacer pacer;
    CheckText check;
    bool ready = false;
    {
        CSPI_Flash flash(library, clock);
        ready = flash.checkDevice(check, pacer);
    }
    out << "Device check: " << check.text() << (ready ? " (the processor's flash answers: ready for a download)" : "")
        << "\n";
    return ready ? kExitSuccess : kExitFailure;
}
