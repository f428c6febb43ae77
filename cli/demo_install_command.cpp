#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/demo_install.h"

#include "config/registry_location.h"

#include <cstdlib>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// $XDG_DATA_HOME/chromix/demo, else ~/.local/share/chromix/demo; empty without a home.
fs::path personalDemoFolder()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/')
        return fs::path(data) / "chromix" / "demo";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return fs::path(home) / ".local" / "share" / "chromix" / "demo";
    return {};
}

// Makes the operator's own store a link to the demo's, so that the programs started from
// the desktop's menu read it; a store that exists already (even as a broken link) is kept.
bool linkPersonalStore(const fs::path& demoStore, std::ostream& out, std::ostream& err)
{
    const fs::path store = defaultRegistryFile();
    std::error_code ec;
    if (fs::symlink_status(store, ec).type() != fs::file_type::not_found) {
        out << "Your settings store " << store.string() << " is left as it is.\n"
            << "Use the demo with: export CHROMIX_REGISTRY=" << demoStore.string() << "\n";
        return true;
    }
    fs::create_directories(store.parent_path(), ec);
    if (!ec)
        fs::create_symlink(demoStore, store, ec);
    if (ec) {
        err << "chromix demo-install: " << store.string() << " cannot link to the demo: " << ec.message() << "\n";
        return false;
    }
    out << "Your settings store " << store.string() << " now links to it: the programs use the demo.\n";
    return true;
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
    std::string error;
    if (!createDemoInstallation(dir, error)) {
        err << "chromix demo-install: " << error << "\n";
        return kExitFailure;
    }
    const fs::path demoStore = fs::absolute(dir) / "registry.reg";
    out << "Demo installation created in " << dir.string() << "\n";
    if (!personal || std::getenv("CHROMIX_REGISTRY") != nullptr) {
        out << "Use it with: export CHROMIX_REGISTRY=" << demoStore.string() << "\n";
        return kExitSuccess;
    }
    return linkPersonalStore(demoStore, out, err) ? kExitSuccess : kExitFailure;
}
