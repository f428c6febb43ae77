#pragma once

// The help of chromix, kept once: `chromix --help`, `chromix COMMAND --help`, the usage a
// wrong argument prints and the chromix(1) manual page are all printed from these texts.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

struct OptionHelp {
    const char* option;
    const char* text;
};

struct CommandHelp {
    const char* name;
    std::vector<const char*> synopses; // each a full command line after "chromix "
    const char* summary; // one line for the command list
    const char* description; // a paragraph; a line feed starts a new one
    std::vector<OptionHelp> options;
};

const std::vector<CommandHelp>& commandHelps();

// The help of a command by its name; null when there is no such command.
const CommandHelp* findCommandHelp(std::string_view name);

// "usage: chromix ..." lines, the description and the options of a command.
std::string commandUsage(std::string_view name);

// The overview `chromix --help` prints.
void printOverview(std::ostream& out);

// "chromix VERSION".
std::string versionLine();

// The chromix(1) manual page in roff (man macros).
void printManPage(std::ostream& out);
