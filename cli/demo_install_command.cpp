#include "cli/commands.h"
#include "cli/demo_install.h"

#include <ostream>

int runDemoInstallCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) {
        err << "usage: chromix demo-install DIR\n";
        return kExitUsage;
    }
    std::string error;
    if (!createDemoInstallation(args[0], error)) {
        err << "chromix demo-install: " << error << "\n";
        return kExitFailure;
    }
    out << "Demo installation created in " << args[0] << "\n"
        << "Use it with: export CHROMIX_REGISTRY=" << (std::filesystem::absolute(args[0]) / "registry.reg").string() << "\n";
    return kExitSuccess;
}
