#include "cli/download_options.h"

#include "cli/commands.h"

#include <optional>
#include <ostream>
#include <vector>

namespace {

// Every selectable table set as "TYPE\SET": the nodes without children and their parents.
void collectTableSets(const DisplayTypeNode& node, std::vector<std::string>& sets)
{
    for (const DisplayTypeNode& child : node.children) {
        if (child.hasChildren)
            collectTableSets(child, sets);
        else
            sets.push_back(node.name + "\\" + child.name);
    }
}

std::vector<std::string> tableSets(const DisplayTypeCatalogue& catalogue)
{
    std::vector<std::string> sets;
    for (const DisplayTypeNode& root : catalogue.displayTypeTree.roots)
        collectTableSets(root, sets);
    return sets;
}

int chooseTableSet(const std::string& word, const DisplayTypeCatalogue& catalogue, DownloadChoice& choice,
                   std::string& error)
{
    const std::size_t separator = word.rfind('\\');
    if (separator == std::string::npos || separator == 0 || separator + 1 == word.size()) {
        error = "--table-set takes \"DISPLAY TYPE\\TABLE SET\", not \"" + word + "\"";
        return kExitUsage;
    }
    const std::vector<std::string> sets = tableSets(catalogue);
    for (const std::string& set : sets) {
        if (set == word) {
            choice.displayType = word.substr(0, separator);
            choice.table = word.substr(separator + 1);
            return kExitSuccess;
        }
    }
    if (sets.empty()) {
        error = "the store holds no display-type catalogue, so there is no table set \"" + word + "\"";
        return kExitFailure;
    }
    error = "no table set \"" + word + "\" in the catalogue; it offers";
    for (const std::string& set : sets)
        error += (set == sets.front() ? " \"" : ", \"") + set + "\"";
    return kExitFailure;
}

// "new" or "default"; nothing for any other word.
std::optional<bool> newOrDefault(const std::string& word)
{
    if (word == "new")
        return true;
    if (word == "default")
        return false;
    return std::nullopt;
}

int chooseSource(const Arguments& arguments, const std::string& option, bool newAllowed, const std::string& whyNot,
                 bool& useNew, std::string& error)
{
    useNew = false;
    const std::optional<std::string> word = arguments.value(option);
    if (!word)
        return kExitSuccess;
    const std::optional<bool> isNew = newOrDefault(*word);
    if (!isNew) {
        error = option + " takes new or default, not \"" + *word + "\"";
        return kExitUsage;
    }
    if (*isNew && !newAllowed) {
        error = option + " new is not offered: " + whyNot;
        return kExitFailure;
    }
    useNew = *isNew;
    return kExitSuccess;
}

} // namespace

std::set<std::string> selectionValueOptions()
{
    return {"--table-set", "--primary", "--linearity"};
}

std::set<std::string> selectionSwitches()
{
    return {"--3d-tables", "--calibration-values"};
}

void loadDownloadSettings(DownloadSettings& settings, std::string_view command, std::ostream& err)
{
    if (!settings.load())
        err << "chromix " << command << ": Unable to get needed registry values, please reinstall program.\n";
}

int parseDownloadChoice(const Arguments& arguments, const DownloadSettings& settings, DownloadChoice& choice,
                        std::string& error)
{
    choice = DownloadChoice{};
    choice.colorTables = arguments.has("--3d-tables");
    choice.calibrationValues = arguments.has("--calibration-values");
    if (!choice.colorTables && !choice.calibrationValues) {
        error = "choose what to write: --3d-tables, --calibration-values or both";
        return kExitUsage;
    }
    const std::optional<std::string> tableSet = arguments.value("--table-set");
    if (choice.colorTables && !tableSet) {
        error = "--3d-tables needs --table-set \"TYPE\\SET\"";
        return kExitUsage;
    }
    if (tableSet) {
        if (const int status = chooseTableSet(*tableSet, settings.catalogue, choice, error); status != kExitSuccess)
            return status;
    }
    if (const int status =
            chooseSource(arguments, "--primary", isMatrixNewValid(settings.record),
                         "the primary calibration's matrix file is not marked complete (\"Current Valid\" is not true)",
                         choice.usePrimaryNew, error);
        status != kExitSuccess)
        return status;
    return chooseSource(
        arguments, "--linearity", isLinearityNewValid(settings.record),
        "the linearity calibration's LUT files are not all marked complete (\"ValidRed\", \"ValidGreen\" and "
        "\"ValidBlue\" are not all true)",
        choice.useLinearityNew, error);
}
