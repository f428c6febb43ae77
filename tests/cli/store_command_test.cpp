#include "cli/commands.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

class StoreCommand : public ::testing::Test {
protected:
    void SetUp() override { setenv("CHROMIX_REGISTRY", (dir / "registry.reg").c_str(), 1); }
    void TearDown() override { unsetenv("CHROMIX_REGISTRY"); }

    int run(const CommandArguments& args)
    {
        out.str("");
        err.str("");
        return runStoreCommand(args, out, err);
    }

    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

StoreFileText minimalStore()
{
    StoreFileText store;
    store.key("").value("install directory", "/opt/chromix");
    for (const char* key : {"First1D\\Default", "Second1D\\Default"})
        store.key(key).value("Red", "r").value("Green", "g").value("Blue", "b");
    store.key("Second1D\\Current").value("Red", "r").value("Green", "g").value("Blue", "b")
        .value("ValidRed", "false").value("ValidGreen", "false").value("ValidBlue", "false");
    store.key("StepWedge").line("\"steps\"=hex(7):30,00,00,00,32,00,35,00,35,00,00,00,00,00");
    return store;
}

TEST_F(StoreCommand, ShowPrintsTheRecordAndTheLoadResult)
{
    writeFile(dir / "registry.reg", minimalStore().text());
    EXPECT_EQ(run({"show"}), kExitSuccess);
    EXPECT_NE(out.str().find("stepList = \"0~255~~\"\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("load: true\n"), std::string::npos);

    // An unreadable store is reported, and never overwritten.
    writeFile(dir / "registry.reg", "garbage\r\n");
    EXPECT_EQ(run({"show"}), kExitFailure);
    EXPECT_NE(out.str().find("load: false\n"), std::string::npos);
    EXPECT_EQ(run({"set", "Matrix", "Current", "x"}), kExitFailure);
    EXPECT_EQ(readFile(dir / "registry.reg"), "garbage\r\n");
}

TEST_F(StoreCommand, GetShowsValuesSetWritesThemAndBothNameWhatIsMissing)
{
    writeFile(dir / "registry.reg", minimalStore().text());
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
}

TEST_F(StoreCommand, WrongArgumentsAreAUsageError)
{
    EXPECT_EQ(run({}), kExitUsage);
    EXPECT_EQ(run({"get", "Matrix"}), kExitUsage);
    EXPECT_EQ(run({"remove", "Matrix", "x"}), kExitUsage);
    EXPECT_NE(err.str().find("usage:"), std::string::npos);
}

} // namespace
