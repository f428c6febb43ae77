#include "config/registry_file.h"
#include "config/registry_file_store.h"
#include "config/registry_location.h"

#include "support/store_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const std::string kBase(kBaseKeyPath);
const std::string kVersion5 = "Windows Registry Editor Version 5.00";

std::string crlfLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// A few values as regedit exports them, under `header`; `steps` holds the step list lines.
std::string sampleFile(const std::string& header, const std::vector<std::string>& steps = {})
{
    StoreFileText text;
    text.key("").value("install directory", "C:\\Program Files\\Chromix");
    text.key("Matrix").value("Current", "C:\\Data\\cal.txt").value("Current Valid", "false");
    text.key("StepWedge");
    for (const std::string& line : steps)
        text.line(line);
    return header + text.text().substr(kVersion5.size());
}

std::string asUtf16(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// Reads a value through the store's key, with the 260-byte buffer the settings use.
std::optional<std::string> readValue(const RegistryKey& key, std::string_view name)
{
    std::array<char, 260> buffer{};
    std::uint32_t count = 0;
    if (key.queryValue(name, buffer, count) != ValueRead::Ok)
        return std::nullopt;
    return std::string(buffer.data(), count);
}

std::optional<std::string> readValue(RegistryStore& store, std::string_view path, std::string_view name)
{
    auto key = store.openKey(path);
    return key ? readValue(*key, name) : std::nullopt;
}

TEST(RegistryFileStoreRead, EveryEncodingReadsTheSameValues)
{
    TempDir dir;
    const std::string version5 = sampleFile(kVersion5, {R"("steps"=hex(7):30,00,00,00,31,00,36,00,00,00,33,00,32,00,\)", "  00,00,00,00"});
    std::string lineFeeds = version5;
    for (std::size_t at; (at = lineFeeds.find("\r\n")) != std::string::npos;)
        lineFeeds.erase(at, 1);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"utf16.reg", asUtf16(version5)},
        {"utf8.reg", version5},
        {"utf8bom.reg", "\xEF\xBB\xBF" + lineFeeds},
        {"regedit4.reg", sampleFile("REGEDIT4", {R"("steps"=hex(7):30,00,31,36,00,33,32,00,00)"})},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        writeFile(dir / name, bytes);
        RegistryFileStore store(dir / name);
        EXPECT_EQ(readValue(store, "", "install directory"), "C:\\Program Files\\Chromix\0"s);
        EXPECT_EQ(readValue(store, "Matrix", "Current"), "C:\\Data\\cal.txt\0"s);
        EXPECT_EQ(readValue(store, "StepWedge", "steps"), "0\0" "16\0" "32\0" "\0"s);
        EXPECT_EQ(store.lastError(), "");
    }
}

TEST(RegistryFileStoreRead, KeysKeepReadingTheSnapshotTheyWereOpenedFrom)
{
    TempDir dir;
    writeFile(dir / "r.reg", crlfLines({kVersion5, "[" + kBase + "\\ColorTable\\Display Type\\Beta]", R"("description"="b")"}));
    RegistryFileStore store(dir / "r.reg");
    auto catalogue = store.openKey("ColorTable\\Display Type");
    ASSERT_TRUE(catalogue);
    std::string name;
    EXPECT_TRUE(catalogue->subKeyName(0, name));
    EXPECT_EQ(name, "Beta");
    EXPECT_FALSE(catalogue->subKeyName(1, name));

    std::filesystem::remove(dir / "r.reg");
    auto beta = catalogue->openSubKey("BETA");
    ASSERT_TRUE(beta);
    EXPECT_EQ(beta->path(), "ColorTable\\Display Type\\BETA");
    EXPECT_EQ(readValue(*beta, "description"), "b\0"s);
    EXPECT_FALSE(catalogue->openSubKey("gamma"));
    EXPECT_FALSE(store.openKey("ColorTable")) << "the store reads the file anew";
    EXPECT_EQ(store.lastError(), (dir / "r.reg").string() + ": the file does not exist");
}

class RegistryFileStoreWrite : public ::testing::Test {
protected:
    std::unique_ptr<RegistryKey> matrixOf(const std::string& text)
    {
        writeFile(file, text);
        auto matrix = store.openKey("Matrix");
        EXPECT_TRUE(matrix);
        return matrix;
    }

    TempDir dir;
    std::filesystem::path file = dir / "registry.reg";
    RegistryFileStore store{file};
};

TEST_F(RegistryFileStoreWrite, WritesGoToTheCurrentFileNotTheSnapshot)
{
    auto first = matrixOf(sampleFile(kVersion5));
    auto second = store.openKey("Matrix");
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->setString("A", "1"));
    ASSERT_TRUE(second->setString("B", "2"));
    EXPECT_EQ(readValue(store, "Matrix", "A"), "1\0"s);
    EXPECT_EQ(readValue(store, "Matrix", "B"), "2\0"s);
    EXPECT_EQ(readValue(*first, "A"), "1\0"s) << "a key reads its own writes";
    EXPECT_EQ(readValue(*first, "B"), std::nullopt) << "an open key keeps its snapshot for reads";

    // Another program removed the key meanwhile: the write is refused.
    writeFile(file, sampleFile(kVersion5) + "[-" + kBase + "\\Matrix]\r\n");
    const std::string before = readFile(file);
    EXPECT_FALSE(first->setString("A", "3"));
    EXPECT_EQ(readFile(file), before);
}

TEST_F(RegistryFileStoreWrite, BrokenFileOrUnstorableTextIsNeverWritten)
{
    auto matrix = matrixOf(sampleFile(kVersion5));
    ASSERT_TRUE(matrix);
    const std::string broken = sampleFile(kVersion5, {"\"steps\"=hex:0z"});
    writeFile(file, broken);
    EXPECT_FALSE(matrix->setString("Current Valid", "true"));
    EXPECT_FALSE(store.openKey("Matrix")) << "a file that cannot be parsed opens no key";
    EXPECT_FALSE(store.createKey("Matrix"));
    EXPECT_EQ(store.lastError(), file.string() + ": line 11: bad hex byte \"0z\"");
    EXPECT_EQ(readFile(file), broken);

    const std::string utf16 = asUtf16(sampleFile(kVersion5));
    matrix = matrixOf(utf16);
    ASSERT_TRUE(matrix);
    EXPECT_FALSE(matrix->setString("Current", "\xFF\xFE not UTF-8")) << "a UTF-16 file cannot hold these bytes";
    EXPECT_FALSE(matrix->setString("bad\nname", "x"));
    EXPECT_EQ(readFile(file), utf16);
}

TEST_F(RegistryFileStoreWrite, CreateKeyMakesTheFileAndSections)
{
    RegistryFileStore nested(dir / "config" / "chromix" / "registry.reg");
    auto current = nested.createKey("Second1D\\Current");
    ASSERT_TRUE(current) << nested.lastError();
    EXPECT_EQ(current->path(), "Second1D\\Current");
    ASSERT_TRUE(current->setString("ValidRed", "false"));
    ASSERT_TRUE(nested.createKey("Second1D")); // exists through its child: no section
    ASSERT_TRUE(nested.createKey("Second1D\\Current"));
    EXPECT_EQ(readFile(nested.file()),
              crlfLines({kVersion5, "", "[" + kBase + "\\Second1D\\Current]", R"("ValidRed"="false")", ""}));
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
template <typename Work>
pid_t startChild(Work work)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work() ? 0 : 1);
    return pid;
}

TEST_F(RegistryFileStoreProcesses, ConcurrentWritersLoseNothing)
{
    constexpr int kProcesses = 4;
    constexpr int kValuesEach = 200;
    const auto name = [](int process, int i) { return std::to_string(process) + "_" + std::to_string(i); };
    writeFile(file, crlfLines({kVersion5, "", "[" + kBase + "\\Values]", ""}));
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        children.push_back(startChild([&, process] {
            RegistryFileStore store(file);
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

    RegistryFileStore store(file);
    auto key = store.openKey("Values");
    ASSERT_TRUE(key) << store.lastError();
    int found = 0;
    for (int process = 0; process < kProcesses; ++process) {
        for (int i = 0; i < kValuesEach; ++i)
            found += readValue(*key, "v" + name(process, i)) == "data " + name(process, i) + '\0';
    }
    EXPECT_EQ(found, kProcesses * kValuesEach);
}

TEST_F(RegistryFileStoreProcesses, KilledWriterNeverLeavesATornFileOrAStaleLock)
{
    constexpr int kRounds = 30;
    constexpr long kRoundBase = 1000000;
    writeFile(file, sampleFile(kVersion5, {R"("steps"="0~16~32")"}));
    std::mt19937 random(12345);
    long previous = -1;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = startChild([&] {
            RegistryFileStore store(file);
            auto key = store.openKey("Matrix");
            for (long i = 0; key; ++i) {
                // Padding makes each write large enough to be caught half-way, were it not atomic.
                if (!key->setString("Counter", std::to_string(round * kRoundBase + i) + std::string(i % 500, '.')))
                    return false;
            }
            return false;
        });
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in round " << round;

        std::string error;
        const std::optional<RegistryFile> document = RegistryFile::parse(readFile(file), &error);
        ASSERT_TRUE(document) << "round " << round << ": " << error;
        EXPECT_EQ(document->valueBytes(kBase + "\\StepWedge", "steps"), "0~16~32\0"s);
        const std::optional<std::string> counter = document->valueBytes(kBase + "\\Matrix", "Counter");
        if (counter) {
            const long value = std::strtol(counter->c_str(), nullptr, 10);
            EXPECT_TRUE(value == previous || value / kRoundBase == round) << "round " << round << ": " << *counter;
            EXPECT_GE(value, previous);
            previous = value;
        }

        // The killed writer's lock went with it: this write must not wait for it.
        RegistryFileStore store(file);
        auto stepWedge = store.openKey("StepWedge");
        ASSERT_TRUE(stepWedge);
        EXPECT_TRUE(stepWedge->setString("after kill", std::to_string(round)));
        // ... and it cleared the temporary file the killed writer may have left.
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".registry.reg.tmp-"), std::string::npos) << entry.path();
    }
    EXPECT_GE(previous, 0) << "no write completed in any round";
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
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaultRegistryFile(), "/home/op/.config/chromix/registry.reg");

    for (std::size_t i = 0; i < saved.size(); ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

} // namespace
