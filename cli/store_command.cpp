#include "cli/command_help.h"
#include "cli/commands.h"

#include "config/calibration_settings.h"
#include "config/registry_location.h"
#include "download/download_settings.h"

#include <ostream>

namespace {

void printField(std::ostream& out, const char* name, const std::string& value)
{
    out << name << " = \"" << value << "\"\n";
}

std::string storeProblem(const RegistryStore& store)
{
    const std::string problem = store.lastError();
    return problem.empty() ? problem : "\n" + problem;
}

int show(std::ostream& out, std::ostream& err)
{
    auto store = openDefaultStore();
    CalibrationSettings settings(*store);
    const bool loaded = settings.load();
    out << "store: " << defaultStoreName() << "\n";
    printField(out, "installDirectory", settings.installDirectory);
    printField(out, "matrixCurrent", settings.matrixCurrent);
    printField(out, "matrixCurrentValid", settings.matrixCurrentValid);
    printField(out, "matrixDefault", settings.matrixDefault);
    for (Channel channel : kAllChannels) {
        const std::string suffix = "[" + std::string(channelName(channel)) + "]";
        printField(out, ("firstLutDefault" + suffix).c_str(), settings.firstLutDefault[channelIndex(channel)]);
        printField(out, ("secondLutDefault" + suffix).c_str(), settings.secondLutDefault[channelIndex(channel)]);
        printField(out, ("secondLutCurrent" + suffix).c_str(), settings.secondLutCurrent[channelIndex(channel)]);
    }
    printField(out, "validRed", settings.validRed);
    printField(out, "validGreen", settings.validGreen);
    printField(out, "validBlue", settings.validBlue);
    printField(out, "stepList", settings.stepList);
    printField(out, "displayType", settings.displayType);
    out << "load: " << (loaded ? "true" : "false") << "\n";
    // Empty fields alone do not say whether the store is incomplete or unreadable.
    if (const std::string problem = storeProblem(*store); !loaded && !problem.empty())
        err << "chromix store: the settings cannot be read" << problem << "\n";
    return loaded ? kExitSuccess : kExitFailure;
}

void printNode(std::ostream& out, const DisplayTypeNode& node, const std::string& configured, int depth)
{
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << node.name;
    if (depth == 1 && node.name == configured)
        out << "  (configured display type)";
    out << "\n";
    for (const DisplayTypeNode& child : node.children)
        printNode(out, child, configured, depth + 1);
}

int tree(std::ostream& out, std::ostream& err)
{
    auto store = openDefaultStore();
    DownloadSettings settings(*store);
    static_cast<void>(settings.load()); // the tree shows what the store holds, complete or not
    const DisplayTypeTree& displayTypes = settings.catalogue.displayTypeTree;
    if (displayTypes.roots.empty()) {
        err << "chromix store: the store holds no display types" << storeProblem(*store) << "\n";
        return kExitFailure;
    }
    for (const DisplayTypeNode& root : displayTypes.roots)
        printNode(out, root, displayTypes.configuredDisplayType, 0);
    return kExitSuccess;
}

int get(const std::string& keyPath, const std::string& name, std::ostream& out, std::ostream& err)
{
    auto store = openDefaultStore();
    auto key = store->openKey(keyPath);
    if (!key) {
        err << "chromix store: key \"" << keyPath << "\" does not open" << storeProblem(*store) << "\n";
        return kExitFailure;
    }
    std::uint32_t size = 0;
    std::string bytes(1, '\0');
    ValueRead read = key->queryValue(name, bytes, size);
    if (read == ValueRead::MoreData) {
        bytes.assign(size, '\0');
        read = key->queryValue(name, bytes, size);
    }
    if (read != ValueRead::Ok) {
        err << "chromix store: key \"" << keyPath << "\" has no value \"" << name << "\"\n";
        return kExitFailure;
    }
    bytes.resize(size);
    // A plain string ends with one zero; a multi-string's texts are shown one per line.
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    for (char& c : bytes)
        if (c == '\0')
            c = '\n';
    out << bytes << "\n";
    return kExitSuccess;
}

int set(const std::string& keyPath, const std::string& name, const std::string& text, std::ostream& err)
{
    auto store = openDefaultStore();
    auto key = store->openKey(keyPath);
    if (!key)
        key = store->createKey(keyPath);
    if (!key || !key->setString(name, text)) {
        err << "chromix store: cannot write \"" << name << "\" in key \"" << keyPath << "\"" << storeProblem(*store)
            << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

int runStoreCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    const std::string verb = args.empty() ? "" : args[0];
    if (verb == "show" && args.size() == 1)
        return show(out, err);
    if (verb == "tree" && args.size() == 1)
        return tree(out, err);
    if (verb == "get" && args.size() == 3)
        return get(args[1], args[2], out, err);
    if (verb == "set" && args.size() == 4)
        return set(args[1], args[2], args[3], err);
    err << commandUsage("store");
    return kExitUsage;
}
