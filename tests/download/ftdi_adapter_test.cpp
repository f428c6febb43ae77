// The FTDI back end against emulated chips behind the libftdi boundary: what the download
// protocol sees through it, and what reaches the flash and the processor's pins.

#include "download/adapters/adapter_choice.h"
#include "download/adapters/ftdi_adapter_library.h"
#include "download/cspi_flash.h"
#include "download_test_support.h"
#include "flash_test_rig.h"
#include "support/ftdi_emulation.h"

#include <gtest/gtest.h>

namespace {

std::array<FlashRegion, 3> allRegions()
{
    std::array<FlashRegion, 3> regions = makeFlashRegions();
    for (FlashRegion& region : regions) {
        region.selected = true;
        region.data.assign(region.paddedSize, 0);
        for (std::uint32_t i = 0; i < region.dataSize; ++i)
            region.data[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9) + region.start);
    }
    return regions;
}

struct FtdiRig {
    explicit FtdiRig(FtdiAdapterOptions options = {}) : library(usb, clock, std::move(options)) {}

    bool check() { return flash.checkDevice(observer, pacer); }
    FlashRig::Outcome write(std::array<FlashRegion, 3>& regions)
    {
        RunState state;
        flash.writeFlashRegions(regions, state, observer, pacer);
        return {state.ok, state.errorText};
    }

    SimulatedClock clock;
    EmulatedFtdiUsb usb{clock};
    FtdiAdapterLibrary library;
    CSPI_Flash flash{library, clock};
    RecordingObserver observer;
    RecordingPacer pacer;
};

bool holds(EmulatedFtdiDevice& device, const FlashRegion& region)
{
    const auto contents = device.flash().contents();
    return std::equal(region.data.begin(), region.data.begin() + region.paddedSize, contents.begin() + region.start);
}

TEST(FtdiAdapter, EachMpsseInterfaceIsAChannelDeviceAndTheFT2232CIsPlain)
{
    FtdiRig rig;
    rig.usb.attach(FtdiChip::FT2232H, "FT01");
    rig.usb.attach(FtdiChip::FT4232H);
    rig.usb.attach(FtdiChip::FT232H, "FT03");
    rig.usb.attach(FtdiChip::FT2232C, "FT04");

    std::uint32_t count = 0;
    ASSERT_EQ(rig.library.channelCountDevices(count), kAdapterOk);
    std::vector<std::string> seen;
    for (std::uint32_t i = 0; i < count; ++i) {
        char name[kAdapterNameSize];
        char channel[kAdapterChannelSize];
        std::uint32_t location = 0;
        std::uint32_t type = 0;
        ASSERT_EQ(
            rig.library.channelDescribeDevice(i, name, kAdapterNameSize, location, channel, kAdapterChannelSize, type),
            kAdapterOk);
        seen.push_back(std::string(name) + " / " + channel + " / " + describeFtdiLocation(location));
    }
    EXPECT_EQ(
        seen,
        (std::vector<std::string>{"Dual RS232-HS FT01 / A / bus 1, port 1", "Dual RS232-HS FT01 / B / bus 1, port 1",
                                  "Quad RS232-HS / A / bus 1, port 2", "Quad RS232-HS / B / bus 1, port 2",
                                  "Single RS232-HS FT03 / A / bus 1, port 3"}));
    char name[kAdapterNameSize];
    std::uint32_t location = 0;
    ASSERT_EQ(rig.library.plainCountDevices(count), kAdapterOk);
    ASSERT_EQ(count, 1u);
    ASSERT_EQ(rig.library.plainDescribeDevice(0, name, kAdapterNameSize, location), kAdapterOk);
    EXPECT_STREQ(name, "Dual RS232 FT04");
    EXPECT_NE(rig.library.plainDescribeDevice(1, name, kAdapterNameSize, location), kAdapterOk);
}

struct ChipCase {
    FtdiChip chip;
    const char* shownName;
    std::uint32_t clockHertz;
};

void PrintTo(const ChipCase& chipCase, std::ostream* out)
{
    *out << ftdiChipName(chipCase.chip);
}

class FtdiFullDownload : public ::testing::TestWithParam<ChipCase> {};

TEST_P(FtdiFullDownload, IsByteExactAndEndsWithTheReloadEdge)
{
    FtdiRig rig;
    EmulatedFtdiDevice& device = rig.usb.attach(GetParam().chip, "FT77");
    ASSERT_TRUE(rig.check());
    EXPECT_EQ(rig.observer.events.back(), std::string("status: ") + GetParam().shownName);
    EXPECT_EQ(device.mpsse(0).clockHertz(), GetParam().clockHertz);

    std::array<FlashRegion, 3> regions = allRegions();
    const FlashRig::Outcome outcome = rig.write(regions);
    ASSERT_TRUE(outcome.ok) << outcome.errorText;
    for (const FlashRegion& region : regions)
        EXPECT_TRUE(holds(device, region)) << region.name;
    EXPECT_EQ(device.mpsse(0).reloadEdges(), 0) << "the reload line stays low until the reload";
    EXPECT_TRUE(rig.flash.reloadProcessor(rig.pacer));
    EXPECT_EQ(device.mpsse(0).reloadEdges(), 1);
    EXPECT_EQ(device.mpsse(0).faults, std::vector<std::string>{});
    EXPECT_EQ(device.mpsse(0).highSpeedCommandsRefused, std::vector<std::uint8_t>{});
}

INSTANTIATE_TEST_SUITE_P(EveryChip, FtdiFullDownload,
                         ::testing::Values(ChipCase{FtdiChip::FT2232H, "Dual RS232-HS FT77", 30'000'000},
                                           ChipCase{FtdiChip::FT4232H, "Quad RS232-HS FT77", 30'000'000},
                                           ChipCase{FtdiChip::FT232H, "Single RS232-HS FT77", 30'000'000},
                                           ChipCase{FtdiChip::FT2232C, "Dual RS232 FT77", 6'000'000}),
                         [](const ::testing::TestParamInfo<ChipCase>& chipCase) {
                             const std::string name = ftdiChipName(chipCase.param.chip);
                             return name.substr(0, name.find('/'));
                         });

TEST(FtdiAdapter, AUsbErrorInAPageIsRetriedAndASilentAdapterEndsTheRunAsFailed)
{
    {
        FtdiRig rig;
        EmulatedFtdiDevice& device = rig.usb.attach(FtdiChip::FT2232H);
        ASSERT_TRUE(rig.check());
        // The erase of the one block takes about 600 status reads; this write carries a page.
        device.failWrite(800);
        std::array<FlashRegion, 3> regions = regionsSelecting(2);
        const FlashRig::Outcome outcome = rig.write(regions);
        ASSERT_TRUE(outcome.ok) << outcome.errorText;
        EXPECT_TRUE(holds(device, regions[2]));
    }
    {
        FtdiRig rig;
        EmulatedFtdiDevice& device = rig.usb.attach(FtdiChip::FT2232H);
        ASSERT_TRUE(rig.check());
        device.goSilentAtWrite(800);
        const std::uint64_t start = rig.clock.nowMilliseconds();
        std::array<FlashRegion, 3> regions = regionsSelecting(2);
        const FlashRig::Outcome outcome = rig.write(regions);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.errorText, "Flash Download Fail for 1D LUTs and Matrices");
        EXPECT_EQ(rig.observer.events.back(), "append error: Flash download completed unsuccessfully");
        EXPECT_LT(rig.clock.nowMilliseconds() - start, 10'000u) << "the run gives up within seconds";
        EXPECT_FALSE(rig.flash.reloadProcessor(rig.pacer));
    }
}

TEST(FtdiAdapter, AnAnswerOutOfStepFailsTheTransferAndTheNextOneIsInStepAgain)
{
    FtdiRig rig;
    EmulatedFtdiDevice& device = rig.usb.attach(FtdiChip::FT2232C);
    ASSERT_TRUE(rig.check());
    device.mpsse(0).injectAnswer({0xFA, 0x8A});
    EXPECT_EQ(rig.flash.readDeviceId(), 0xFFFF);
    EXPECT_EQ(rig.flash.readDeviceId(), 0x16EF);
}

TEST(FtdiAdapter, TheSerialNumberPicksOneOfTwoAdapters)
{
    FtdiRig rig({"FT02", 0});
    EmulatedFtdiDevice& first = rig.usb.attach(FtdiChip::FT2232H, "FT01");
    EmulatedFtdiDevice& second = rig.usb.attach(FtdiChip::FT2232H, "FT02");
    ASSERT_TRUE(rig.check());
    EXPECT_EQ(rig.observer.events.back(), "status: Dual RS232-HS FT02");
    std::array<FlashRegion, 3> regions = regionsSelecting(2);
    ASSERT_TRUE(rig.write(regions).ok);
    EXPECT_TRUE(holds(second, regions[2]));
    EXPECT_EQ(first.openCount(), 0);
    EXPECT_EQ(first.flash().contents()[regions[2].start], 0xFF) << "the other adapter's flash is untouched";

    FtdiRig unknown({"FT09", 0});
    unknown.usb.attach(FtdiChip::FT2232H, "FT01");
    EXPECT_FALSE(unknown.check());
    EXPECT_EQ(ftdiConnectionAdvice(unknown.library, "FT09"),
              "No FTDI adapter with serial number FT09 is attached; \"chromix adapters\" lists those found.");
}

TEST(FtdiAdapter, NoPermissionIsNoDeviceConnectionWithAdviceAndACapSlowsTheClock)
{
    FtdiRig denied;
    denied.usb.attach(FtdiChip::FT232H);
    denied.usb.denyAccess(true);
    EXPECT_FALSE(denied.check());
    EXPECT_EQ(denied.observer.events.back(), "error: No device connection");
    EXPECT_NE(ftdiConnectionAdvice(denied.library, "").find("udev rule"), std::string::npos);

    FtdiRig capped({"", 1000});
    EmulatedFtdiDevice& device = capped.usb.attach(FtdiChip::FT2232H);
    ASSERT_TRUE(capped.check());
    EXPECT_EQ(device.mpsse(0).clockHertz(), 1'000'000u);
}

TEST(FtdiAdapter, SettingTexts)
{
    const auto parsed = [](std::string_view text) {
        const std::optional<FtdiSetting> setting = parseFtdiSetting(text);
        return setting ? setting->serial + "|" + std::to_string(setting->maxKiloHertz) : std::string("none");
    };
    EXPECT_EQ(parsed(""), "|0");
    EXPECT_EQ(parsed("ftdi"), "|0");
    EXPECT_EQ(parsed("ftdi:FT01"), "FT01|0");
    EXPECT_EQ(parsed("ftdi@1000"), "|1000");
    EXPECT_EQ(parsed("ftdi:FT01@500"), "FT01|500");
    for (const char* bad : {"ftdi:", "ftdi@", "ftdi@0", "ftdi@fast", "ftdix", "usb"})
        EXPECT_EQ(parsed(bad), "none") << bad;
    EXPECT_EQ(
        makeSpiAdapter("usb")->connectionAdvice(),
        "The adapter setting \"usb\" names no adapter: use ftdi, ftdi:SERIAL (either may end in @KHZ) or sim:IMAGE.");
}

} // namespace
