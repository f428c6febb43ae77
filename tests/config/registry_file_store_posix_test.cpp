// The store file where only POSIX systems can test it: links, FIFOs and devices, writers in
// processes of their own that are killed half-way, and the XDG folders.

#include "config/registry_file.h"
#include "config/registry_file_store.h"
#include "config/registry_location.h"

#include "registry_text.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const std::string kBase(kBaseKeyPath);

// A few values as regedit exports them; `stepLine` is the step list's line.
std::string sampleFile(const std::string& stepLine = "")
{
    StoreFileText text;
    text.key("").value("install directory", "C:\\Program Files\\Chromix");
    text.key("Matrix").value("Current", "C:\\Data\\cal.txt").value("Current Valid", "false");
    text.key("StepWedge");
    return stepLine.empty() ? text.text() : text.line(stepLine).text();
}

// The link stays a link; a dangling one gets its target created. A FIFO or a device in
// place of the store is refused at once, with the reason, and gets no lock file beside it.
TEST(RegistryFileStoreFiles, LinksAreFollowedAndFilesThatAreNoFilesRefused)
{
    const TempDir dir;
    const auto link = dir / "link.reg";
    std::filesystem::create_symlink("target.reg", link);
    RegistryFileStore linked(link);
    auto created = linked.createKey("Matrix");
    ASSERT_TRUE(created) << linked.lastError();
    ASSERT_TRUE(created->setString("Current", "m.txt")) << linked.lastError();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(RegistryFileStore(dir / "target.reg").openKey("Matrix"));

    const auto fifo = dir / "fifo.reg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::filesystem::path& path : {fifo, std::filesystem::path("/dev/full")}) {
        RegistryFileStore odd(path);
        EXPECT_FALSE(odd.openKey(""));
        EXPECT_EQ(odd.lastError(),
                  path.string() + ": not a regular file but " + (path == fifo ? "a FIFO" : "a character device"));
        EXPECT_FALSE(odd.createKey("Matrix"));
        EXPECT_EQ(odd.lastError(),
                  path.string() + ": not a regular file but " + (path == fifo ? "a FIFO" : "a character device"));
        EXPECT_FALSE(std::filesystem::exists(path.string() + ".lock"));
    }
}

// Every write flushes the file to disk; on a busy disk hundreds of flushes take many
// seconds. The multi-process tests check locking and atomic replacement, which a memory
// file system shows just as well, so they run there when the machine has one.
class RegistryFileStoreProcesses : public ::testing::Test {
protected:
    static std::filesystem::path scratchRoot()
    {
        const std::filesystem::path memory = "/dev/shm";
        std::error_code error;
        if (std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0)
            return memory;
        return std::filesystem::temp_directory_path();
    }
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    const std::filesystem::path folder =
        scratchRoot() / ("chromix-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
    const std::filesystem::path file = folder / "registry.reg";
};

// Runs `work` in a child process and returns its pid; the child ends with _exit.
template <typename Work> pid_t startChild(Work work)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work() ? 0 : 1);
    return pid;
}

// Half the writers reach the file through a link: all must share one lock.
TEST_F(RegistryFileStoreProcesses, ConcurrentWritersLoseNothing)
{
    constexpr int kProcesses = 4;
    const std::filesystem::path link = folder / "link.reg";
    std::filesystem::create_symlink(file.filename(), link);
    constexpr int kValuesEach = 200;
    const auto name = [](int process, int i) { return std::to_string(process) + "_" + std::to_string(i); };
    writeFile(file, StoreFileText().key("Values").text());
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        children.push_back(startChild([&, process] {
            RegistryFileStore store(process % 2 == 0 ? file : link);
            auto key = store.openKey("Values");
            for (int i = 0; key && i < kValuesEach; ++i) {
                if (!key->setString("v" + name(process, i), "data " + name(process, i)))
                    return false;
            }
            return key != nullptr;
        }));
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::string error;
    const std::optional<RegistryFile> document = RegistryFile::parse(readFile(file), &error);
    ASSERT_TRUE(document) << error;
    int found = 0;
    for (int process = 0; process < kProcesses; ++process) {
        for (int i = 0; i < kValuesEach; ++i)
            found +=
                document->valueBytes(kBase + "\\Values", "v" + name(process, i)) == "data " + name(process, i) + '\0';
    }
    EXPECT_EQ(found, kProcesses * kValuesEach);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST_F(RegistryFileStoreProcesses, KilledWriterNeverLeavesATornFileOrAStaleLock)
{
    writeFile(file, sampleFile(R"("steps"="0~16~32")"));
    std::mt19937 random(12345);
    bool anyWriteCompleted = false;
    for (int round = 0; round < 30; ++round) {
        const pid_t child = startChild([&] {
            RegistryFileStore store(file);
            auto key = store.openKey("Matrix");
            // Padding makes each write large enough to be caught half-way, were it not atomic;
            // the counter lies before the step list, so a cut file loses the steps.
            long i = 0;
            while (
                key
                && key->setString("Counter", std::to_string(i) + std::string(static_cast<std::size_t>(i % 500), '.')))
                ++i;
            return false;
        });
        if (round % 3 == 0) {
            // A loaded machine may start the writer later than the random wait below; these
            // rounds wait for its first write, so that completed writes are always among them.
            for (int waited = 0; waited < 5000 && readFile(file).find("Counter") == std::string::npos; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in round " << round;

        std::string error;
        const std::optional<RegistryFile> document = RegistryFile::parse(readFile(file), &error);
        ASSERT_TRUE(document) << "round " << round << ": " << error;
        EXPECT_EQ(document->valueBytes(kBase + "\\StepWedge", "steps"), "0~16~32\0"s);
        anyWriteCompleted = anyWriteCompleted || document->valueBytes(kBase + "\\Matrix", "Counter");

        // The killed writer's lock went with it: this write must not wait for it.
        RegistryFileStore store(file);
        auto stepWedge = store.openKey("StepWedge");
        ASSERT_TRUE(stepWedge);
        EXPECT_TRUE(stepWedge->setString("after kill", std::to_string(round)));
        // ... and it cleared the temporary file the killed writer may have left.
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".registry.reg.tmp-"), std::string::npos) << entry.path();
    }
    EXPECT_TRUE(anyWriteCompleted) << "no write completed in any round, so nothing was tested";
}

TEST(DefaultRegistryFile, FollowsTheEnvironment)
{
    const char* const names[] = {"CHROMIX_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);

    ::setenv("HOME", "/home/op", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("CHROMIX_REGISTRY", "/srv/store.reg", 1);
    EXPECT_EQ(defaultRegistryFile(), "/srv/store.reg");
    ::setenv("CHROMIX_REGISTRY", "", 1);
    EXPECT_EQ(defaultRegistryFile(), "/cfg/chromix/registry.reg");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(defaultRegistryFile(), "/home/op/.config/chromix/registry.reg");

    for (std::size_t i = 0; i < saved.size(); ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

} // namespace
