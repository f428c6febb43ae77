// The demo as the operator's own on POSIX systems: a link from the XDG store to it.

#include "cli/commands.h"
#include "config/calibration_settings.h"
#include "config/registry_location.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Without a folder the demo is the operator's own: the programs started from the desktop
// menu, with no CHROMIX_REGISTRY, read it. A store the operator already has is kept.
TEST(DemoInstallationTarget, WithoutAFolderTheUsersNewStoreLeadsToIt)
{
    TempDir home;
    const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("HOME", home.path().c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("CHROMIX_REGISTRY");
    std::ostringstream out;
    std::ostringstream err;

    EXPECT_EQ(runDemoInstallCommand({}, out, err), kExitSuccess) << err.str();
    const fs::path demo = home / ".local" / "share" / "chromix" / "demo";
    const fs::path store = home / ".config" / "chromix" / "registry.reg";
    EXPECT_TRUE(fs::is_symlink(store));
    const auto opened = openDefaultStore();
    CalibrationSettings settings(*opened);
    EXPECT_TRUE(settings.load());
    EXPECT_EQ(settings.installDirectory, demo.string());

    ::setenv("XDG_DATA_HOME", (home / "other").c_str(), 1);
    EXPECT_EQ(runDemoInstallCommand({}, out, err), kExitSuccess) << err.str();
    EXPECT_EQ(fs::read_symlink(store), demo / "registry.reg");
    EXPECT_NE(out.str().find("is left as it is"), std::string::npos) << out.str();

    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
