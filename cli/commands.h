#pragma once

// The sub-commands of chromix. Each takes the arguments after its name and returns the
// process exit status: 0 success, 1 failure, 2 usage error.

#include <iosfwd>
#include <string>
#include <vector>

using CommandArguments = std::vector<std::string>;

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int runStoreCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runDemoInstallCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runPrimaryCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runLinearityCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runImageCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runInspectCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runDownloadCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runAdaptersCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runMeasureCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
int runReportCommand(const CommandArguments& args, std::ostream& out, std::ostream& err);
