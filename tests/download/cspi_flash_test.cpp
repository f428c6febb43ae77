// The flash protocol against the simulated processor: device check, a whole region's
// erase / write / verify with its messages and counts, page retry, reload.

#include "flash_test_rig.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

const std::string kRegion2 = "1D LUTs and Matrices";

TEST(DeviceCheck, OpensTheChannelFamilyAndShowsTheDeviceName)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"status: Simulated Chromix Processor"}));
    EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{200}));
    const TransferShape& id = rig.library.lastShape(TransferKind::ReadIdentification);
    EXPECT_TRUE(id.channelFamily);
    EXPECT_EQ(id.commandBytes, 4u);
    EXPECT_EQ(id.readBits, 16u);

    std::uint8_t status = 0xAA;
    ASSERT_TRUE(rig.flash.readStatus(status));
    EXPECT_EQ(status, 0x00);
    const TransferShape& statusRead = rig.library.lastShape(TransferKind::ReadStatus);
    EXPECT_EQ(statusRead.commandBytes, 4u) << "status command and three filler bytes";
    EXPECT_EQ(statusRead.readBits, 16u);
}

TEST(DeviceCheck, FallsBackToThePlainFamilyWithoutAChannelA)
{
    FlashRig rig({.inChannelFamily = true, .inPlainFamily = true, .channelName = "B", .bus = {}});
    ASSERT_TRUE(rig.check());
    EXPECT_FALSE(rig.library.lastShape(TransferKind::ReadIdentification).channelFamily);
    EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{200, 200}));
    ASSERT_TRUE(rig.flash.setWriteEnable(true));
    std::uint8_t status = 0;
    ASSERT_TRUE(rig.flash.readStatus(status));
    EXPECT_EQ(status, 0x02);
    const TransferShape& statusRead = rig.library.lastShape(TransferKind::ReadStatus);
    EXPECT_EQ(statusRead.commandBytes, 1u);
    EXPECT_EQ(statusRead.readBits, 8u);
}

TEST(DeviceCheck, NoDeviceOfEitherFamily)
{
    FlashRig rig;
    rig.library.setNoDevice(true);
    EXPECT_FALSE(rig.check());
    EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"error: No device connection"}));
    EXPECT_FALSE(rig.flash.adapterOpen());
}

TEST(DeviceCheck, AnotherIdentificationIsAFlashError)
{
    FlashRig rig;
    rig.chip.answerIdentification(0xEF, 0x17);
    EXPECT_FALSE(rig.check());
    EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"error: Flash Error"}));
    EXPECT_EQ(rig.flash.readDeviceId(), 0x17EF);
}

TEST(DeviceCheck, FailedIdentificationReadsAsFFFF)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    EXPECT_EQ(rig.flash.readDeviceId(), 0x16EF);
    rig.library.failTransfer(TransferKind::ReadIdentification, 3);
    EXPECT_EQ(rig.flash.readDeviceId(), 0xFFFF);
}

TEST(DeviceCheck, ASecondCheckReopensTheAdapterItHadOpened)
{
    // The adapter opens once at a time: without closing the first handle the second
    // Download press would find no device.
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    ASSERT_TRUE(rig.check());
    EXPECT_EQ(rig.observer.events.back(), "status: Simulated Chromix Processor");
    rig.flash.closeAdapter();
    EXPECT_FALSE(rig.library.isOpen());
}

TEST(RegionDownload, Region2IsOneEraseTwoHundredFiftySixPagesAndSevenReads)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    rig.library.resetCounts();
    rig.observer.events.clear();
    rig.pacer.pauses.clear();
    auto regions = regionsSelecting(2);
    const auto state = rig.write(regions);

    EXPECT_TRUE(state.ok);
    EXPECT_EQ(state.errorText, "");
    EXPECT_EQ(rig.library.transferCount(TransferKind::BlockErase), 1u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::PageProgram), 256u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::WriteEnable), 257u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::WriteDisable), 1u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::ReadData), 7u);
    EXPECT_EQ(rig.library.lastShape(TransferKind::ReadData).readBits, 4096u * 8) << "the last read is 4,096 bytes";
    EXPECT_EQ(rig.library.lastShape(TransferKind::PageProgram).dataBytes, 256u);

    EXPECT_TRUE(rig.contentsMatch(regions[2]));
    const auto flash = rig.chip.contents();
    EXPECT_TRUE(std::all_of(flash.begin() + 0x60D900, flash.begin() + 0x610000, [](auto b) { return b == 0; }))
        << "the 39 pages past the data are written as zero";
    EXPECT_EQ(flash[0x5FFFFF], 0xFF);
    EXPECT_EQ(flash[0x610000], 0xFF);

    const auto writing = rig.eventsStartingWith("status: Writing Flash");
    ASSERT_EQ(writing.size(), 256u);
    EXPECT_EQ(writing.front(), "status: Writing Flash for " + kRegion2 + " ... 6291712 Bytes");
    EXPECT_EQ(writing.back(), "status: Writing Flash for " + kRegion2 + " ... 6356992 Bytes");
    const std::vector<std::string> verifying = rig.eventsStartingWith("status: Verifying");
    std::vector<std::string> expectedVerifying;
    for (const char* end : {"6301696", "6311936", "6322176", "6332416", "6342656", "6352896", "6356992"})
        expectedVerifying.push_back("status: Verifying Flash for " + kRegion2 + "... " + end + " Bytes");
    EXPECT_EQ(verifying, expectedVerifying);

    // The phases in order, with their progress restarts.
    std::vector<std::string> outline;
    for (const std::string& event : rig.observer.events) {
        if (event.rfind("status: Writing", 0) != 0 && event.rfind("status: Verifying", 0) != 0
            && event.rfind("progress", 0) != 0)
            outline.push_back(event);
    }
    EXPECT_EQ(outline, (std::vector<std::string>{
                           "status: Erasing Flash for " + kRegion2 + " ... Waiting",
                           "status: Comparing Data for " + kRegion2 + " ... Waiting",
                           "status: Flash download completed successfully for " + kRegion2,
                           "status: Flash download completed successfully",
                       }));
    EXPECT_EQ(rig.eventsStartingWith("progress 100").size(), 3u) << "erase, write and verify each reach 100";
    EXPECT_EQ(rig.observer.events[0], "progress 0");
    EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{2000, 2000, 2000, 2000}));
}

TEST(RegionDownload, FirstWritingMessageOfRegion1ShowsItsStartPlusOnePage)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    auto regions = regionsSelecting(1);
    ASSERT_TRUE(rig.write(regions).ok);
    EXPECT_EQ(rig.eventsStartingWith("status: Writing Flash").front(),
              "status: Writing Flash for 3D Color Table's OSD Images ... 7340288 Bytes");
    EXPECT_EQ(rig.library.transferCount(TransferKind::BlockErase), 5u);
    EXPECT_TRUE(rig.contentsMatch(regions[1]));
}

TEST(RegionDownload, APageThatFailsOnceIsWrittenOnTheSecondAttempt)
{
    for (TransferKind kind : {TransferKind::PageProgram, TransferKind::WriteEnable}) {
        FlashRig rig;
        ASSERT_TRUE(rig.check());
        rig.library.resetCounts();
        rig.library.failTransfer(kind, 10);
        auto regions = regionsSelecting(2);
        const auto state = rig.write(regions);
        EXPECT_TRUE(state.ok) << state.errorText;
        const std::uint64_t normalCount = kind == TransferKind::PageProgram ? 256 : 257;
        EXPECT_EQ(rig.library.transferCount(kind), normalCount + 1) << "one transfer repeated";
        EXPECT_TRUE(rig.contentsMatch(regions[2]));
    }
}

TEST(RegionDownload, APageThatFailsTwiceEndsTheRunBeforeVerifying)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    rig.pacer.pauses.clear();
    rig.library.failTransfer(TransferKind::PageProgram, 10);
    rig.library.failTransfer(TransferKind::PageProgram, 11);
    auto regions = regionsSelecting(2);
    const auto state = rig.write(regions);
    EXPECT_FALSE(state.ok);
    EXPECT_EQ(state.errorText, "Flash Download Fail for " + kRegion2);
    EXPECT_EQ(rig.eventsStartingWith("status: Writing Flash").size(), 9u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::ReadData), 0u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::WriteDisable), 0u);
    const std::vector<std::string> tail(rig.observer.events.end() - 2, rig.observer.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"append error: Flash download completed unsuccessfully for " + kRegion2,
                                              "append error: Flash download completed unsuccessfully"}));
    EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{2000, 2000, 2000, 2000, 2000}));
}

TEST(RegionDownload, AFailedStatusReadWhileAPageIsBusyIsNotTakenAsReady)
{
    // Were the failed read taken as "ready", the next page's write enable would reach a
    // chip still busy with this one and be ignored, and that page would stay erased.
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    rig.library.keepTransferLog(true);
    auto regions = regionsSelecting(2);
    ASSERT_TRUE(rig.write(regions).ok);
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

TEST(RegionDownload, AChipBusyForEverEndsTheEraseWithinAFewSeconds)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    rig.chip.stayBusyForever();
    const std::uint64_t start = rig.clock.nowMilliseconds();
    auto regions = regionsSelecting(2);
    const auto state = rig.write(regions);
    const std::uint64_t waited = rig.clock.nowMilliseconds() - start;
    EXPECT_FALSE(state.ok);
    EXPECT_EQ(state.errorText, "Flash Erase Fail for " + kRegion2);
    EXPECT_GT(waited, 2000u) << "longer than the chip's longest erase";
    EXPECT_LT(waited, 10000u);
    EXPECT_EQ(rig.library.transferCount(TransferKind::PageProgram), 0u);
}

TEST(RegionDownload, AFlippedBitOnReadBackIsACompareError)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    rig.chip.flipBitOnRead(0x60C000, 0x80);
    auto regions = regionsSelecting(2);
    const auto state = rig.write(regions);
    EXPECT_FALSE(state.ok);
    EXPECT_EQ(state.errorText, "Compare Data Error for " + kRegion2);
    EXPECT_EQ(rig.eventsStartingWith("status: Verifying").size(), 4u) << "the fifth read holds 0x60C000";
    EXPECT_EQ(rig.eventsStartingWith("status: Flash download completed successfully").size(), 0u);
}

TEST(RegionDownload, AFailedWriteDisableIsReported)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    rig.library.failTransfer(TransferKind::WriteDisable, 1);
    auto regions = regionsSelecting(2);
    const auto state = rig.write(regions);
    EXPECT_EQ(state.errorText, "Flash Write Enable Error for " + kRegion2);
    EXPECT_EQ(rig.library.transferCount(TransferKind::ReadData), 0u);
}

TEST(RegionDownload, ARegionWhoseBufferIsShortIsRefusedWithoutTouchingTheFlash)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    auto regions = regionsSelecting(2);
    regions[2].data.resize(1000);
    const auto state = rig.write(regions);
    EXPECT_EQ(state.errorText, "Flash Download Fail for " + kRegion2);
    EXPECT_EQ(rig.library.transferCount(TransferKind::BlockErase), 0u);
}

TEST(RegionDownload, AStopRequestEndsTheRegionBetweenPages)
{
    class StoppingObserver : public RecordingObserver {
    public:
        RunState* state = nullptr;
        void setStatus(const std::string& text, bool error) override
        {
            RecordingObserver::setStatus(text, error);
            if (text.rfind("Writing Flash", 0) == 0)
                state->stopRequested = true;
        }
    };
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    auto regions = regionsSelecting(2);
    RunState state;
    StoppingObserver observer;
    observer.state = &state;
    rig.flash.writeFlashRegions(regions, state, observer, rig.pacer);
    EXPECT_FALSE(state.ok);
    EXPECT_EQ(state.errorText, "Flash download stopped for " + kRegion2);
    EXPECT_EQ(rig.library.transferCount(TransferKind::PageProgram), 1u);
}

TEST(Reload, RaisesTheReloadLineThroughEitherFamily)
{
    for (const std::string channel : {"A", "B"}) {
        FlashRig rig({.inChannelFamily = true, .inPlainFamily = true, .channelName = channel, .bus = {}});
        EXPECT_FALSE(rig.flash.reloadProcessor(rig.pacer)) << "no adapter open yet";
        ASSERT_TRUE(rig.check());
        rig.pacer.pauses.clear();
        ASSERT_TRUE(rig.flash.reloadProcessor(rig.pacer));
        EXPECT_EQ(rig.library.reloadCount(), 1u);
        EXPECT_EQ(rig.pacer.pauses, (std::vector<std::uint32_t>{200, 200}));
    }
}

TEST(Threads, TheRunWritesOnAWorkerAfterTheCheckOnTheWindowThread)
{
    FlashRig rig;
    ASSERT_TRUE(rig.check());
    auto regions = regionsSelecting(2, 3);
    RunState state;
    RecordingObserver workerObserver;
    RecordingPacer workerPacer;
    std::thread worker([&] {
        rig.flash.writeFlashRegions(regions, state, workerObserver, workerPacer);
        state.ok = state.ok && rig.flash.reloadProcessor(workerPacer);
    });
    worker.join();
    EXPECT_TRUE(state.ok);
    EXPECT_TRUE(rig.contentsMatch(regions[2]));
    rig.flash.closeAdapter();
}

} // namespace
