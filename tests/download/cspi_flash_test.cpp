// The flash protocol against the simulated processor: device check, a whole region's
// erase / write / verify with its messages and counts, reload. The page retry is swept
// with the other transfer faults in flash_fault_test.

#include "flash_test_rig.h"

#include <gtest/gtest.h>

namespace {

const std::string kRegion2 = "1D LUTs and Matrices";

TEST(DeviceCheck, OpensTheChannelFamilyOrFallsBackToThePlainOneReloadsAndReopens)
{
    const struct {
        std::string channel;
        bool channelFamily;
        std::vector<std::uint32_t> pauses;
        std::uint32_t statusCommandBytes, statusReadBits;
    } cases[] = {
        {"A", true, {200}, 4, 16}, // the status command and three filler bytes
        {"B", false, {200, 200}, 1, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channel);
        FlashRig rig({.inChannelFamily = true, .inPlainFamily = true, .channelName = c.channel, .bus = {}});
        EXPECT_FALSE(rig.flash.reloadProcessor(rig.pacer)) << "no adapter open yet";
        ASSERT_TRUE(rig.check());
        EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"status: Simulated Chromix Processor"}));
        EXPECT_EQ(rig.pacer.pauses, c.pauses);
        EXPECT_EQ(rig.library.lastShape(TransferKind::ReadIdentification).channelFamily, c.channelFamily);

        ASSERT_TRUE(rig.flash.setWriteEnable(true));
        std::uint8_t status = 0;
        ASSERT_TRUE(rig.flash.readStatus(status));
        EXPECT_EQ(status, 0x02);
        EXPECT_EQ(rig.library.lastShape(TransferKind::ReadStatus).commandBytes, c.statusCommandBytes);
        EXPECT_EQ(rig.library.lastShape(TransferKind::ReadStatus).readBits, c.statusReadBits);

        rig.pacer.pauses.clear();
        ASSERT_TRUE(rig.flash.reloadProcessor(rig.pacer));
        EXPECT_EQ(rig.library.reloadCount(), 1u);
        EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{200, 200}));

        // The adapter opens once at a time: without closing the first handle a second
        // Download press would find no device.
        ASSERT_TRUE(rig.check());
        EXPECT_EQ(rig.observer.events.back(), "status: Simulated Chromix Processor");
        rig.flash.closeAdapter();
        EXPECT_FALSE(rig.library.isOpen());
    }
}

TEST(DeviceCheck, NoDeviceOrAnotherIdentificationIsRefused)
{
    FlashRig absent;
    absent.library.setNoDevice(true);
    EXPECT_FALSE(absent.check());
    EXPECT_EQ(absent.observer.events, (std::vector<std::string>{"error: No device connection"}));
    EXPECT_FALSE(absent.flash.adapterOpen());

    FlashRig other;
    other.chip.answerIdentification(0xEF, 0x17);
    EXPECT_FALSE(other.check());
    EXPECT_EQ(other.observer.events, (std::vector<std::string>{"error: Flash Error"}));
    EXPECT_EQ(other.flash.readDeviceId(), 0x17EF);
    other.library.failTransfer(TransferKind::ReadIdentification, 3);
    EXPECT_EQ(other.flash.readDeviceId(), 0xFFFF) << "a failed identification read";
}

// A checked device, counts and events cleared, and region 2 ready to write.
class RegionDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.check());
        rig.library.resetCounts();
        rig.observer.events.clear();
        rig.pacer.pauses.clear();
    }
    FlashRig::Outcome write() { return rig.write(regions); }
    std::uint64_t count(TransferKind kind) const { return rig.library.transferCount(kind); }

    FlashRig rig;
    std::array<FlashRegion, 3> regions = regionsSelecting(2);
};

TEST_F(RegionDownload, Region2IsOneEraseTwoHundredFiftySixPagesAndSevenReads)
{
    const auto state = write();
    EXPECT_TRUE(state.ok) << state.errorText;
    using enum TransferKind;
    const std::pair<TransferKind, std::uint64_t> counts[] = {
        {BlockErase, 1}, {PageProgram, 256}, {WriteEnable, 257}, {WriteDisable, 1}, {ReadData, 7}};
    for (const auto& [kind, expected] : counts)
        EXPECT_EQ(count(kind), expected) << "transfer kind " << static_cast<int>(kind);
    EXPECT_EQ(rig.library.lastShape(ReadData).readBits, 4096u * 8) << "the last read ends at the region's end";
    // The data and the 39 zero pages past it, nothing outside the region.
    EXPECT_TRUE(rig.contentsMatch(regions[2]));
    EXPECT_EQ(rig.chip.contents()[0x5FFFFF], 0xFF);
    EXPECT_EQ(rig.chip.contents()[0x610000], 0xFF);

    const auto writing = rig.observer.filtered("status: Writing Flash");
    ASSERT_EQ(writing.size(), 256u);
    EXPECT_EQ(writing.front(), "status: Writing Flash for " + kRegion2 + " ... 6291712 Bytes");
    EXPECT_EQ(writing.back(), "status: Writing Flash for " + kRegion2 + " ... 6356992 Bytes");
    std::vector<std::string> verifying;
    for (const char* end : {"6301696", "6311936", "6322176", "6332416", "6342656", "6352896", "6356992"})
        verifying.push_back("status: Verifying Flash for " + kRegion2 + "... " + end + " Bytes");
    EXPECT_EQ(rig.observer.filtered("status: Verifying"), verifying);

    // The phases in order, with their progress restarts.
    std::vector<std::string> outline;
    std::copy_if(rig.observer.events.begin(), rig.observer.events.end(), std::back_inserter(outline),
                 [](const std::string& e) {
                     return !e.starts_with("status: Writing") && !e.starts_with("status: Verifying")
                         && !e.starts_with("progress");
                 });
    EXPECT_EQ(outline,
              (std::vector<std::string>{
                  "status: Erasing Flash for " + kRegion2 + " ... Waiting",
                  "status: Comparing Data for " + kRegion2 + " ... Waiting",
                  "status: Flash download completed successfully for " + kRegion2,
                  "status: Flash download completed successfully",
              }));
    EXPECT_EQ(rig.observer.filtered("progress 100").size(), 3u) << "erase, write and verify each reach 100";
    EXPECT_EQ(rig.observer.events[0], "progress 0");
    EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{2000, 2000, 2000, 2000}));
}

TEST_F(RegionDownload, FirstWritingMessageOfRegion1ShowsItsStartPlusOnePage)
{
    regions = regionsSelecting(1);
    ASSERT_TRUE(write().ok);
    EXPECT_EQ(rig.observer.filtered("status: Writing Flash").front(),
              "status: Writing Flash for 3D Color Table's OSD Images ... 7340288 Bytes");
    EXPECT_EQ(count(TransferKind::BlockErase), 5u);
    EXPECT_TRUE(rig.contentsMatch(regions[1]));
}

TEST_F(RegionDownload, AFailedStatusReadWhileAPageIsBusyIsNotTakenAsReady)
{
    // Were the failed read taken as "ready", the next page's write enable would reach a
    // chip still busy with this one and be ignored, and that page would stay erased. The
    // fault sweep cannot see this: its slow bus outlasts every page program.
    rig.library.keepTransferLog(true);
    ASSERT_TRUE(write().ok);
    const auto& log = rig.library.transferLog();
    const auto firstPage = std::find(log.begin(), log.end(), TransferKind::PageProgram);
    const auto statusReadsBefore = std::count(log.begin(), firstPage, TransferKind::ReadStatus);

    FlashRig faulty;
    ASSERT_TRUE(faulty.check());
    faulty.library.failTransfer(TransferKind::ReadStatus, static_cast<std::uint64_t>(statusReadsBefore) + 1);
    const auto state = faulty.write(regions);
    EXPECT_TRUE(state.ok) << state.errorText;
    EXPECT_TRUE(faulty.contentsMatch(regions[2]));
}

TEST_F(RegionDownload, AChipBusyForEverEndsTheEraseWithinAFewSeconds)
{
    rig.chip.stayBusyForever();
    const std::uint64_t start = rig.clock.nowMilliseconds();
    const auto state = write();
    const std::uint64_t waited = rig.clock.nowMilliseconds() - start;
    EXPECT_EQ(state.errorText, "Flash Erase Fail for " + kRegion2);
    EXPECT_GT(waited, 2000u) << "longer than the chip's longest erase";
    EXPECT_LT(waited, 10000u);
    EXPECT_EQ(count(TransferKind::PageProgram), 0u);
}

TEST_F(RegionDownload, AFlippedBitOnReadBackIsACompareError)
{
    rig.chip.flipBitOnRead(0x60C000, 0x80);
    EXPECT_EQ(write().errorText, "Compare Data Error for " + kRegion2);
    EXPECT_EQ(rig.observer.filtered("status: Verifying").size(), 4u) << "the fifth read holds 0x60C000";
    EXPECT_TRUE(rig.observer.filtered("status: Flash download completed successfully").empty());
}

TEST_F(RegionDownload, ARegionWhoseBufferIsShortIsRefusedWithoutTouchingTheFlash)
{
    regions[2].data.resize(1000);
    EXPECT_EQ(write().errorText, "Flash Download Fail for " + kRegion2);
    EXPECT_EQ(count(TransferKind::BlockErase), 0u);
}

TEST_F(RegionDownload, AStopRequestEndsTheRegionBetweenPages)
{
    struct StopAtFirstPage : RecordingObserver {
        RunState state;
        void setStatus(std::string_view text, bool) override
        {
            state.stopRequested = text.starts_with("Writing Flash");
        }
    } observer;
    rig.flash.writeFlashRegions(regions, observer.state, observer, rig.pacer);
    EXPECT_FALSE(observer.state.ok);
    EXPECT_EQ(observer.state.errorText, "Flash download stopped for " + kRegion2);
    EXPECT_EQ(count(TransferKind::PageProgram), 1u);
}

} // namespace
