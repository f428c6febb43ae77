#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/demo_install.h"

#include "config/registry_location.h"

#include <cstdlib>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The demo's own folder among the operator's data; empty without a home.
fs::path personalDemoFolder()
{
    const fs::path data = personalDataFolder();
    return data.empty() ? data : data / "demo";
}

} // namespace

int runDemoInstallCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    if (args.size() > 1 || (args.size() == 1 && args[0].rfind("--", 0) == 0)) {
        err << commandUsage("demo-install");
        return kExitUsage;
    }
    const bool personal = args.empty();
    const fs::path dir = personal ? personalDemoFolder() : fs::path(args[0]);
    if (dir.empty()) {
        err << "chromix demo-install: no DIR given and no home folder (HOME) to put the demo in\n";
        return kExitUsage;
    }
    if (const Result<> created = createDemoInstallation(dir); !created) {
        err << "chromix demo-install: " << created.failure().reason << "\n";
        return kExitFailure;
    }
    const fs::path demoStore = fs::absolute(dir) / "registry.reg";
    out << "Demo installation created in " << dir.string() << "\n";
    if (!personal || std::getenv("CHROMIX_REGISTRY") != nullptr) {
        out << "Use it with: " << useStoreCommand(demoStore) << "\n";
        return kExitSuccess;
    }
    const Result<std::string> adopted = adoptDemoStore(demoStore);
    if (!adopted) {
        err << "chromix demo-install: " << adopted.failure().reason << "\n";
        return kExitFailure;
    }
    out << *adopted;
    return kExitSuccess;
}
