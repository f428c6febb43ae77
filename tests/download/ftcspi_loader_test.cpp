// The FTCSPI.dll back end against the fake library (tests/support/fake_ftcspi): every
// operation reaches the export of its ordinal with the library's records, and a library
// that is missing, or lacks an ordinal, leaves the program running with no device and a
// reason the operator can act on.

#include "download/adapters/adapter_choice.h"
#include "download/adapters/ftcspi_adapter_library.h"
#include "download/cspi_flash.h"
#include "download_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace {

// A fake library in the build, found from this test program's folder.
std::filesystem::path fakeLibrary(const char* name)
{
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
    return (std::filesystem::path(program).parent_path() / FAKE_FTCSPI_FOLDER / name).lexically_normal();
}

const std::filesystem::path kFake = fakeLibrary("FTCSPI.dll");
const std::filesystem::path kFakeWithout33 = fakeLibrary("fake_ftcspi_without_33.dll");

class FtcspiLoader : public ::testing::Test {
protected:
    void SetUp() override { environment("CHROMIX_FAKE_FTCSPI_IMAGE", (dir / "flash.bin").string()); }
    void TearDown() override
    {
        environment("CHROMIX_FAKE_FTCSPI_IMAGE", "");
        environment("CHROMIX_FAKE_FTCSPI_FAMILIES", "");
    }
    static void environment(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

    // How often the fake saw the operation at `ordinal` since it was loaded.
    static DWORD calls(unsigned ordinal)
    {
        const HMODULE fake = GetModuleHandleW(kFake.c_str());
        using CallCount = DWORD(WINAPI*)(DWORD);
        const auto count = reinterpret_cast<CallCount>(
            reinterpret_cast<void (*)()>(GetProcAddress(fake, reinterpret_cast<LPCSTR>(ULONG_PTR{99}))));
        return count != nullptr ? count(ordinal) : 0;
    }

    // A device check, an erase, a page written and read back and the reload, as a
    // download does them: the bytes read back are the ones written.
    void downloadOnePage(SpiAdapterLibrary& library, const std::string& expectedFamily)
    {
        SteadyClock clock;
        CSPI_Flash flash(library, clock);
        RecordingObserver observer;
        RecordingPacer pacer;
        ASSERT_TRUE(flash.checkDevice(observer, pacer)) << expectedFamily;
        EXPECT_EQ(observer.events, std::vector<std::string>{"status: Simulated Chromix Processor"});
        std::vector<std::uint8_t> page(256);
        for (std::size_t i = 0; i < page.size(); ++i)
            page[i] = static_cast<std::uint8_t>(i * 7 + 1);
        std::vector<std::uint8_t> readBack(page.size());
        EXPECT_TRUE(flash.eraseBlock(0x10000)) << expectedFamily;
        EXPECT_TRUE(flash.programPage(page.data(), 0x10100, 256)) << expectedFamily;
        EXPECT_TRUE(flash.readFlash(readBack.data(), 0x10100, 256)) << expectedFamily;
        EXPECT_EQ(readBack, page) << expectedFamily;
        EXPECT_TRUE(flash.reloadProcessor(pacer)) << expectedFamily;
    }

    TempDir dir;
};

TEST_F(FtcspiLoader, EveryOrdinalIsBoundAndReachesItsOperationInBothFamilies)
{
    {
        FtcspiAdapterLibrary library(kFake);
        ASSERT_TRUE(library.loaded()) << library.loadProblem();
        EXPECT_EQ(library.loadProblem(), "");
        downloadOnePage(library, "channel family");
        for (const unsigned ordinal : {5u, 6u, 8u, 10u, 11u, 14u, 20u, 21u, 22u, 26u, 30u, 32u, 33u})
            EXPECT_GT(calls(ordinal), 0u) << "ordinal " << ordinal;
        for (const unsigned ordinal : {1u, 2u, 3u, 12u, 13u, 28u})
            EXPECT_EQ(calls(ordinal), 0u) << "ordinal " << ordinal << " while the channel family serves";
    }
    // The fake is loaded afresh, with the adapter in the plain family only.
    environment("CHROMIX_FAKE_FTCSPI_FAMILIES", "plain");
    FtcspiAdapterLibrary library(kFake);
    ASSERT_TRUE(library.loaded());
    downloadOnePage(library, "plain family");
    for (const unsigned ordinal : {1u, 2u, 3u, 5u, 6u, 10u, 11u, 12u, 13u, 14u, 20u, 28u})
        EXPECT_GT(calls(ordinal), 0u) << "ordinal " << ordinal;
}

TEST_F(FtcspiLoader, ALibraryWithoutOneOrdinalIsRefusedWholeAndNamed)
{
    FtcspiAdapterLibrary library(kFakeWithout33);
    EXPECT_FALSE(library.loaded());
    EXPECT_NE(library.loadProblem().find("has no operation at ordinal 33: it is not FTDI's SPI library"),
              std::string::npos)
        << library.loadProblem();
    std::uint32_t count = 7;
    EXPECT_NE(library.plainCountDevices(count), kAdapterOk);
    EXPECT_EQ(count, 0u);
    SteadyClock clock;
    CSPI_Flash flash(library, clock);
    RecordingObserver observer;
    RecordingPacer pacer;
    EXPECT_FALSE(flash.checkDevice(observer, pacer));
    EXPECT_EQ(observer.events, std::vector<std::string>{"error: No device connection"});
    EXPECT_EQ(GetModuleHandleW(kFakeWithout33.c_str()), nullptr) << "the refused library is unloaded again";
}

// Without FTCSPI.dll beside the program or in the system folder the download says
// "No device connection" and, on the next line, which library is missing and where to
// put it; the program itself starts and runs.
TEST_F(FtcspiLoader, AMissingLibraryIsNoDeviceConnectionWithWhereToInstallIt)
{
    FtcspiAdapterLibrary missing((dir / "FTCSPI.dll").string());
    EXPECT_FALSE(missing.loaded());
    EXPECT_NE(missing.loadProblem().find("FTCSPI.dll could not be loaded (Windows error 126)"), std::string::npos)
        << missing.loadProblem();

    const std::unique_ptr<ChosenSpiAdapter> adapter = makeSpiAdapter("");
    EXPECT_EQ(adapter->description(), "FTDI USB-to-SPI adapter through FTCSPI.dll");
    CSPI_Flash flash(adapter->library(), adapter->clock());
    RecordingObserver observer;
    RecordingPacer pacer;
    EXPECT_FALSE(flash.checkDevice(observer, pacer));
    EXPECT_EQ(observer.events, std::vector<std::string>{"error: No device connection"});
    EXPECT_TRUE(adapter->connectionAdvice().starts_with("FTCSPI.dll could not be loaded (Windows error 126): "
                                                        "install FTDI's FTCSPI.dll beside the program ("))
        << adapter->connectionAdvice();
}

// The library picks the adapter and its clock itself, so a setting that asks for one
// adapter or a clock limit is refused rather than ignored.
TEST_F(FtcspiLoader, OnlyThePlainFtdiSettingNamesTheLibrary)
{
    EXPECT_EQ(makeSpiAdapter("ftdi")->description(), "FTDI USB-to-SPI adapter through FTCSPI.dll");
    for (const char* setting : {"ftdi:FT01", "ftdi@1000"})
        EXPECT_EQ(makeSpiAdapter(setting)->connectionAdvice(),
                  "The adapter setting \"" + std::string(setting)
                      + "\" names no adapter: use ftdi (FTDI's FTCSPI.dll, which picks the adapter and its clock "
                        "itself) or sim:IMAGE.");
}

} // namespace
