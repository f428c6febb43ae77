#include "cli/commands.h"
#include "support/environment.h"
#include "support/file_size_limit.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

class StoreCommand : public ::testing::Test {
protected:
    // A store that loads, with its step list as a multi-string.
    void SetUp() override
    {
        setEnvironment("CHROMIX_REGISTRY", (dir / "registry.reg").string());
        StoreFileText store;
        store.key("").value("install directory", "/opt/chromix");
        for (const char* key : {"First1D\\Default", "Second1D\\Default", "Second1D\\Current"})
            store.key(key).value("Red", "r").value("Green", "g").value("Blue", "b");
        store.value("ValidRed", "false").value("ValidGreen", "false").value("ValidBlue", "false");
        store.key("StepWedge").line("\"steps\"=hex(7):30,00,00,00,32,00,35,00,35,00,00,00,00,00");
        writeFile(dir / "registry.reg", store.text());
    }
    void TearDown() override { unsetEnvironment("CHROMIX_REGISTRY"); }

    int run(const CommandArguments& args) { return runStoreCommand(args, out = {}, err = {}); }

    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(StoreCommand, ShowPrintsTheRecordAndTheLoadResult)
{
    EXPECT_EQ(run({"show"}), kExitSuccess);
    EXPECT_NE(out.str().find("stepList = \"0~255~~\"\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("load: true\n"), std::string::npos);

    // An unreadable store is reported with its reason, and never overwritten.
    writeFile(dir / "registry.reg", "garbage\r\n");
    EXPECT_EQ(run({"show"}), kExitFailure);
    EXPECT_EQ(
        err.str().rfind("chromix store: the settings cannot be read\n" + (dir / "registry.reg").string() + ": ", 0), 0u)
        << err.str();
    EXPECT_EQ(run({"set", "Matrix", "Current", "x"}), kExitFailure);
    EXPECT_EQ(readFile(dir / "registry.reg"), "garbage\r\n");
}

TEST_F(StoreCommand, GetShowsValuesSetWritesThemAndMistakesAreNamed)
{
    EXPECT_EQ(run({"get", "Second1D\\Current", "validred"}), kExitSuccess);
    EXPECT_EQ(out.str(), "false\n");
    EXPECT_EQ(run({"get", "StepWedge", "steps"}), kExitSuccess);
    EXPECT_EQ(out.str(), "0\n255\n");
    EXPECT_EQ(run({"get", "StepWedge", "nothing"}), kExitFailure);
    EXPECT_NE(err.str().find("has no value \"nothing\""), std::string::npos);
    EXPECT_EQ(run({"get", "Nowhere", "x"}), kExitFailure);
    EXPECT_NE(err.str().find("does not open"), std::string::npos);

    EXPECT_EQ(run({"set", "Matrix", "Current", "C:\\cal\\m.txt"}), kExitSuccess);
    EXPECT_EQ(run({"get", "Matrix", "Current"}), kExitSuccess);
    EXPECT_EQ(out.str(), "C:\\cal\\m.txt\n");

    EXPECT_EQ(run({}), kExitUsage);
    EXPECT_EQ(run({"get", "Matrix"}), kExitUsage);
    EXPECT_NE(err.str().find("usage:"), std::string::npos);
}

// A failed write names the file and the system's reason on a second line.
TEST_F(StoreCommand, FailedWritesSayWhy)
{
    const std::string store = (dir / "registry.reg").string();
    std::filesystem::create_directory(store + ".lock");
    EXPECT_EQ(run({"set", "Matrix", "Current", "x"}), kExitFailure);
    EXPECT_EQ(err.str(),
              "chromix store: cannot write \"Current\" in key \"Matrix\"\n" + store + ": the lock cannot be taken ("
                  + store + ".lock: Is a directory)\n");
    std::filesystem::remove(store + ".lock");

    // A full disk, as far as this process may write.
    if (!FileSizeLimit::kAvailable)
        return;
    const int status = [&] {
        FileSizeLimit full(16);
        return run({"set", "Matrix", "Current", "x"});
    }();
    EXPECT_EQ(status, kExitFailure);
    EXPECT_NE(err.str().find("\n" + store + ": the file cannot be replaced (File too large)\n"), std::string::npos)
        << err.str();
    EXPECT_EQ(run({"get", "Matrix", "Current"}), kExitFailure);
}

} // namespace
