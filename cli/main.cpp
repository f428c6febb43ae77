// chromix: the tool set's jobs without a screen.

#include "cli/command_help.h"
#include "cli/commands.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Command {
    const char* name;
    int (*run)(const CommandArguments&, std::ostream&, std::ostream&);
};

const Command kCommands[] = {
    {"store", runStoreCommand},       {"demo-install", runDemoInstallCommand},
    {"primary", runPrimaryCommand},   {"linearity", runLinearityCommand},
    {"image", runImageCommand},       {"inspect", runInspectCommand},
    {"download", runDownloadCommand}, {"adapters", runAdaptersCommand},
    {"measure", runMeasureCommand},   {"report", runReportCommand},
};

bool isHelp(std::string_view word)
{
    return word == "--help" || word == "-h";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printOverview(std::cerr);
        return kExitUsage;
    }
    const std::string_view first = argv[1];
    if (isHelp(first)) {
        printOverview(std::cout);
        return kExitSuccess;
    }
    if (first == "--version") {
        std::cout << versionLine() << "\n";
        return kExitSuccess;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (first != command.name)
            continue;
        // Help anywhere on a command's line answers instead of running it.
        for (const std::string& word : args) {
            if (isHelp(word)) {
                std::cout << commandUsage(command.name);
                return kExitSuccess;
            }
        }
        return command.run(args, std::cout, std::cerr);
    }
    std::cerr << "chromix: unknown command \"" << first << "\"\n";
    printOverview(std::cerr);
    return kExitUsage;
}
