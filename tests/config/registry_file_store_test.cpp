#include "config/registry_file.h"
#include "config/registry_file_store.h"
#include "config/registry_location.h"

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

std::string crlfLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// Text of the values below as regedit exports them; `steps` holds the step list lines.
std::string sampleFile(const std::string& header, const std::vector<std::string>& steps, const std::string& name)
{
    std::vector<std::string> lines = {
        header,
        "",
        "[" + kBase + "]",
        R"("install directory"="C:\\Program Files\\Chromix")",
        "",
        "[" + kBase + "\\Matrix]",
        "\"Current\"=\"C:\\\\Data\\\\" + name + ".txt\"",
        R"("Current Valid"="false")",
        "",
        "[" + kBase + "\\StepWedge]",
    };
    lines.insert(lines.end(), steps.begin(), steps.end());
    lines.push_back("");
    return crlfLines(lines);
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
std::optional<std::string> readValue(RegistryKey& key, std::string_view name)
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
    const std::vector<std::string> utf16Steps = {R"("steps"=hex(7):30,00,00,00,31,00,36,00,00,00,33,00,32,00,\)", "  00,00,00,00"};
    const std::string version5 = sampleFile("Windows Registry Editor Version 5.00", utf16Steps, "cal");
    std::string lineFeeds = version5;
    for (std::size_t at; (at = lineFeeds.find("\r\n")) != std::string::npos;)
        lineFeeds.erase(at, 1);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"utf16.reg", asUtf16(version5)},
        {"utf8.reg", version5},
        {"utf8bom.reg", "\xEF\xBB\xBF" + lineFeeds},
        {"regedit4.reg", sampleFile("REGEDIT4", {R"("steps"=hex(7):30,00,31,36,00,33,32,00,00)"}, "cal")},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        writeFile(dir / name, bytes);
        RegistryFileStore store(dir / name);
        EXPECT_EQ(readValue(store, "", "install directory"), "C:\\Program Files\\Chromix\0"s);
        EXPECT_EQ(readValue(store, "Matrix", "Current"), "C:\\Data\\cal.txt\0"s);
        EXPECT_EQ(readValue(store, "Matrix", "Current Valid"), "false\0"s);
        EXPECT_EQ(readValue(store, "StepWedge", "steps"), "0\0" "16\0" "32\0" "\0"s);
        EXPECT_EQ(store.lastError(), "");
    }
}

TEST(RegistryFileStoreRead, BufferSizeDecidesBetweenOkAndMoreData)
{
    TempDir dir;
    const std::string fits(259, 'a');
    const std::string tooLong(260, 'b');
    writeFile(dir / "r.reg", sampleFile("REGEDIT4", {"\"fits\"=\"" + fits + "\"", "\"long\"=\"" + tooLong + "\""}, "x"));
    RegistryFileStore store(dir / "r.reg");
    auto key = store.openKey("StepWedge");
    ASSERT_TRUE(key);

    std::array<char, 261> buffer{};
    std::uint32_t count = 0;
    ASSERT_EQ(key->queryValue("fits", std::span(buffer.data(), 260), count), ValueRead::Ok);
    EXPECT_EQ(count, 260u);
    EXPECT_EQ(std::string(buffer.data(), 260), fits + '\0');

    buffer.fill('\0');
    EXPECT_EQ(key->queryValue("long", std::span(buffer.data(), 260), count), ValueRead::MoreData);
    EXPECT_EQ(count, 261u);
    EXPECT_EQ(buffer[0], '\0') << "nothing copied when the value does not fit";

    count = 7;
    EXPECT_EQ(key->queryValue("absent", std::span(buffer.data(), 260), count), ValueRead::NotFound);
}

TEST(RegistryFileStoreRead, SubKeysAreEnumeratedAndOpenedWithinOneSnapshot)
{
    TempDir dir;
    writeFile(dir / "r.reg", crlfLines({
        "Windows Registry Editor Version 5.00",
        "[" + kBase + "\\ColorTable\\Display Type\\zeta\\Set]",
        "[" + kBase + "\\ColorTable\\Display Type\\Beta]",
        R"("description"="b")",
        "[" + kBase + "\\ColorTable\\Display Type\\alpha]",
    }));
    RegistryFileStore store(dir / "r.reg");
    auto catalogue = store.openKey("ColorTable\\Display Type");
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(catalogue->path(), "ColorTable\\Display Type");
    ASSERT_EQ(catalogue->subKeyCount(), 3u);
    std::vector<std::string> names(3);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(catalogue->subKeyName(i, names[i]));
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "zeta"}));
    std::string unchanged = "x";
    EXPECT_FALSE(catalogue->subKeyName(3, unchanged));

    // The file goes away; keys opened from the snapshot still read it.
    std::filesystem::remove(dir / "r.reg");
    auto beta = catalogue->openSubKey("BETA");
    ASSERT_TRUE(beta);
    EXPECT_EQ(beta->path(), "ColorTable\\Display Type\\BETA");
    EXPECT_EQ(readValue(*beta, "description"), "b\0"s);
    auto zeta = catalogue->openSubKey("zeta");
    ASSERT_TRUE(zeta);
    EXPECT_EQ(zeta->subKeyCount(), 1u);
    EXPECT_FALSE(catalogue->openSubKey("gamma"));
    EXPECT_FALSE(store.openKey("ColorTable"));
}

TEST(RegistryFileStoreRead, MissingOrBrokenFileOpensNothing)
{
    TempDir dir;
    RegistryFileStore missing(dir / "none.reg");
    EXPECT_FALSE(missing.openKey(""));
    EXPECT_EQ(missing.lastError(), (dir / "none.reg").string() + ": the file does not exist");

    writeFile(dir / "broken.reg", crlfLines({"Windows Registry Editor Version 5.00", "[" + kBase + "]", R"("a"="unterminated)"}));
    RegistryFileStore broken(dir / "broken.reg");
    EXPECT_FALSE(broken.openKey(""));
    EXPECT_EQ(broken.lastError(), (dir / "broken.reg").string() + ": line 3: quoted text without closing quote");
}

class RegistryFileStoreWrite : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "registry.reg";
};

TEST_F(RegistryFileStoreWrite, ChangesOnlyTheValueLineAndKeepsUtf16)
{
    const std::string text = sampleFile("Windows Registry Editor Version 5.00", {R"("steps"=hex(7):30,00,00,00,00,00)"}, "cal");
    writeFile(file, asUtf16(text));
    RegistryFileStore store(file);
    auto matrix = store.openKey("Matrix");
    ASSERT_TRUE(matrix);
    ASSERT_TRUE(matrix->setString("Current Valid", "true"));

    std::string expected = text;
    expected.replace(expected.find(R"("Current Valid"="false")"), 23, R"("Current Valid"="true")");
    EXPECT_EQ(readFile(file), asUtf16(expected));
    EXPECT_EQ(readValue(*matrix, "Current Valid"), "true\0"s) << "a key reads its own writes";
    EXPECT_EQ(readValue(store, "Matrix", "Current Valid"), "true\0"s);
}

TEST_F(RegistryFileStoreWrite, NewValueLandsInItsKeysSection)
{
    const std::string text = sampleFile("REGEDIT4", {R"("steps"="0~16")"}, "cal");
    writeFile(file, text);
    RegistryFileStore store(file);
    auto matrix = store.openKey("Matrix");
    ASSERT_TRUE(matrix);
    ASSERT_TRUE(matrix->setString("Default", "D:\\\"m\".txt"));

    std::string expected = text;
    const std::string after = "\"Current Valid\"=\"false\"\r\n";
    expected.insert(expected.find(after) + after.size(), "\"Default\"=\"D:\\\\\\\"m\\\".txt\"\r\n");
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(readValue(store, "Matrix", "Default"), "D:\\\"m\".txt\0"s);
}

TEST_F(RegistryFileStoreWrite, WritesGoToTheCurrentFileNotTheSnapshot)
{
    writeFile(file, sampleFile("Windows Registry Editor Version 5.00", {}, "cal"));
    RegistryFileStore store(file);
    auto first = store.openKey("Matrix");
    auto second = store.openKey("Matrix");
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->setString("A", "1"));
    ASSERT_TRUE(second->setString("B", "2"));
    EXPECT_EQ(readValue(store, "Matrix", "A"), "1\0"s);
    EXPECT_EQ(readValue(store, "Matrix", "B"), "2\0"s);
    EXPECT_EQ(readValue(*first, "B"), std::nullopt) << "an open key keeps its snapshot for reads";

    // Another program removed the key meanwhile: the write is refused.
    writeFile(file, sampleFile("Windows Registry Editor Version 5.00", {}, "cal") + "[-" + kBase + "\\Matrix]\r\n");
    const std::string before = readFile(file);
    EXPECT_FALSE(first->setString("A", "3"));
    EXPECT_EQ(readFile(file), before);
}

TEST_F(RegistryFileStoreWrite, BrokenFileIsNeverOverwritten)
{
    writeFile(file, sampleFile("Windows Registry Editor Version 5.00", {}, "cal"));
    RegistryFileStore store(file);
    auto matrix = store.openKey("Matrix");
    ASSERT_TRUE(matrix);

    const std::string broken = sampleFile("Windows Registry Editor Version 5.00", {"\"steps\"=hex:0z"}, "cal");
    writeFile(file, broken);
    EXPECT_FALSE(matrix->setString("Current Valid", "true"));
    EXPECT_FALSE(store.createKey("Matrix"));
    EXPECT_EQ(store.lastError(), file.string() + ": line 11: bad hex byte \"0z\"");
    EXPECT_EQ(readFile(file), broken);
}

TEST_F(RegistryFileStoreWrite, UnstorableTextIsRefused)
{
    writeFile(file, asUtf16(sampleFile("Windows Registry Editor Version 5.00", {}, "cal")));
    const std::string before = readFile(file);
    RegistryFileStore store(file);
    auto matrix = store.openKey("Matrix");
    ASSERT_TRUE(matrix);
    EXPECT_FALSE(matrix->setString("Current", "\xFF\xFE not UTF-8")) << "a UTF-16 file cannot hold these bytes";
    EXPECT_FALSE(matrix->setString("bad\nname", "x"));
    EXPECT_EQ(readFile(file), before);
    EXPECT_TRUE(matrix->setString("Current", "two\r\nlines"));
    EXPECT_EQ(readValue(store, "Matrix", "Current"), "two\r\nlines\0"s);
}

TEST_F(RegistryFileStoreWrite, CreateKeyMakesTheFileAndSections)
{
    const std::filesystem::path nested = dir / "config" / "chromix" / "registry.reg";
    RegistryFileStore store(nested);
    auto current = store.createKey("Second1D\\Current");
    ASSERT_TRUE(current) << store.lastError();
    EXPECT_EQ(current->path(), "Second1D\\Current");
    ASSERT_TRUE(current->setString("ValidRed", "false"));
    ASSERT_TRUE(store.createKey("Second1D"));     // exists through its child: no section
    ASSERT_TRUE(store.createKey("Second1D\\Current"));
    EXPECT_EQ(readFile(nested), crlfLines({"Windows Registry Editor Version 5.00", "", "[" + kBase + "\\Second1D\\Current]",
                                           R"("ValidRed"="false")", ""}));
    EXPECT_TRUE(store.openKey(""));
}

// Every write flushes the file to disk; on a busy disk hundreds of flushes take many
// seconds. The multi-process tests check locking and atomic replacement, which a memory
// file system shows just as well, so they run there when the machine has one.
class MemoryScratchDir {
public:
    MemoryScratchDir()
    {
        std::error_code error;
        const std::filesystem::path memory = "/dev/shm";
        const std::filesystem::path root = std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0
            ? memory
            : std::filesystem::temp_directory_path();
        path_ = root / ("chromix-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
    }
    ~MemoryScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    MemoryScratchDir(const MemoryScratchDir&) = delete;
    MemoryScratchDir& operator=(const MemoryScratchDir&) = delete;

    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

class RegistryFileStoreProcesses : public ::testing::Test {
protected:
    MemoryScratchDir dir;
    std::filesystem::path file = dir / "registry.reg";
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
    writeFile(file, crlfLines({"Windows Registry Editor Version 5.00", "", "[" + kBase + "\\Values]", ""}));
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        children.push_back(startChild([&, process] {
            RegistryFileStore store(file);
            auto key = store.openKey("Values");
            for (int i = 0; key && i < kValuesEach; ++i) {
                const std::string suffix = std::to_string(process) + "_" + std::to_string(i);
                if (!key->setString("v" + suffix, "data " + suffix))
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
        for (int i = 0; i < kValuesEach; ++i) {
            const std::string suffix = std::to_string(process) + "_" + std::to_string(i);
            found += readValue(*key, "v" + suffix) == "data " + suffix + '\0';
        }
    }
    EXPECT_EQ(found, kProcesses * kValuesEach);
}

TEST_F(RegistryFileStoreProcesses, KilledWriterNeverLeavesATornFileOrAStaleLock)
{
    constexpr int kRounds = 30;
    constexpr long kRoundBase = 1000000;
    writeFile(file, sampleFile("Windows Registry Editor Version 5.00", {R"("steps"="0~16~32")"}, "cal"));
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
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
            EXPECT_EQ(entry.path().filename().string().find(".registry.reg.tmp-"), std::string::npos) << entry.path();
    }
    EXPECT_GE(previous, 0) << "no write completed in any round";
}

class DefaultRegistryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

    static constexpr const char* kNames[] = {"CHROMIX_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(DefaultRegistryFile, FollowsTheEnvironment)
{
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
}

TEST_F(DefaultRegistryFile, OpenDefaultStoreUsesThatFile)
{
    TempDir dir;
    writeFile(dir / "s.reg", sampleFile("REGEDIT4", {}, "cal"));
    ::setenv("CHROMIX_REGISTRY", (dir / "s.reg").c_str(), 1);
    auto store = openDefaultStore();
    EXPECT_EQ(readValue(*store, "Matrix", "Current"), "C:\\Data\\cal.txt\0"s);
}

} // namespace
