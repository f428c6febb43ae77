// chromix: the tool set's jobs without a screen.

#include "cli/commands.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    int (*run)(const CommandArguments&, std::ostream&, std::ostream&);
    const char* usage;
};

const Command kCommands[] = {
    {"store", runStoreCommand, "store show | store tree | store get KEY VALUE | store set KEY VALUE TEXT"},
    {"demo-install", runDemoInstallCommand, "demo-install DIR"},
    {"primary", runPrimaryCommand, "primary [--data FILE] [--display-type rgb-led|non-rgb-led] [--save]"},
    {"linearity", runLinearityCommand,
     "linearity [--data FILE] [--noise-reduction on|off] [--bright-region-correction on|off]\n"
     "                   [--clip-bright-region on|off] [--verification K] [--save]"},
    {"image", runImageCommand,
     "image [--table-set \"TYPE\\SET\"] [--3d-tables] [--calibration-values] [--primary new|default]\n"
     "                   [--linearity new|default] -o IMAGE [--layout FILE]"},
    {"inspect", runInspectCommand, "inspect IMAGE"},
    {"download", runDownloadCommand,
     "download [--table-set \"TYPE\\SET\"] [--3d-tables] [--calibration-values] [--primary new|default]\n"
     "                   [--linearity new|default] [--pause-ms N]"},
    {"adapters", runAdaptersCommand, "adapters [--probe]"},
};

void printUsage(std::ostream& out)
{
    out << "usage: chromix COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command& command : kCommands)
        out << "  chromix " << command.usage << "\n";
    out << "\nThe store is $CHROMIX_REGISTRY, else $XDG_CONFIG_HOME/chromix/registry.reg.\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? kExitUsage : kExitSuccess;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (argv[1] == std::string(command.name))
            return command.run(args, std::cout, std::cerr);
    }
    std::cerr << "chromix: unknown command \"" << argv[1] << "\"\n";
    printUsage(std::cerr);
    return kExitUsage;
}
