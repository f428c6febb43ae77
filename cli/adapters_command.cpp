// chromix adapters: the FTDI adapters on the USB bus, and with --probe what answers
// behind each. The operator's first step when a download says "No device connection".

#include "cli/adapters_report.h"
#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/commands.h"

#include "config/registry_location.h"
#include "download/adapters/adapter_choice.h"

#include <cstdlib>
#include <ostream>

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
    const std::optional<FtdiSetting> ftdi = parseFtdiSetting(setting);

    const std::unique_ptr<FtdiUsb> usb = makeLibftdiUsb();
    SteadyClock clock;
    FtdiAdapterLibrary library(*usb, clock, {ftdi ? ftdi->serial : std::string(), ftdi ? ftdi->maxKiloHertz : 0});
    const bool probe = arguments.has("--probe");
    const int count = reportFtdiAdapters(library, probe, out);
    if (library.permissionDenied())
        out << ftdiConnectionAdvice(library, {}) << "\n";
    return probe && count == 0 ? kExitFailure : kExitSuccess;
}
