// A fault at every transfer of a region-2 download in turn, two ways: the adapter stops
// answering from that transfer on (unplugged), or only that one transfer fails. Each run
// must end with the message of the phase it failed in (or succeed where the protocol
// retries), never hang, and a clean run afterwards must restore the region.

#include "flash_test_rig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kRegion2 = "1D LUTs and Matrices";

enum class Phase { Erase, Write, WriteDisable, Verify };

// The phase of every transfer of a clean run: the erase lasts until the second write
// enable (the first page's), the write until the write disable, the verify after it.
std::vector<Phase> phasesOf(const std::vector<TransferKind>& log)
{
    std::vector<Phase> phases;
    Phase phase = Phase::Erase;
    int writeEnables = 0;
    for (TransferKind kind : log) {
        if (kind == TransferKind::WriteEnable && ++writeEnables == 2)
            phase = Phase::Write;
        if (kind == TransferKind::WriteDisable)
            phase = Phase::WriteDisable;
        else if (phase == Phase::WriteDisable)
            phase = Phase::Verify;
        phases.push_back(phase);
    }
    return phases;
}

std::string failureText(Phase phase)
{
    const char* texts[] = {"Flash Erase Fail for ", "Flash Download Fail for ", "Flash Write Enable Error for ",
                           "Compare Data Error for "};
    return texts[static_cast<int>(phase)] + kRegion2;
}

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.check());
        rig.library.keepTransferLog(true);
        rig.library.resetCounts();
        auto regions = regionsSelecting(2);
        ASSERT_TRUE(rig.write(regions).ok);
        phases = phasesOf(rig.library.transferLog());
        cleanLog = rig.library.transferLog();
        ASSERT_GT(phases.size(), 256u * 2);
        rig.library.resetCounts();
    }

    // For every transfer of a clean run in turn: plants a fault, runs region 2, lets
    // `check` judge the outcome, then clears the fault and expects a clean run to restore
    // the region. Stops at the first transfer that fails.
    void sweep(const std::function<void(std::uint64_t transfer)>& plant,
               const std::function<void(std::uint64_t transfer, const FlashRig::Outcome&)>& check)
    {
        for (std::uint64_t transfer = 1; transfer <= phases.size() && !HasFailure(); ++transfer) {
            SCOPED_TRACE("transfer " + std::to_string(transfer));
            plant(transfer);
            rig.observer.events.clear();
            faultedRegions = regionsSelecting(2, 7);
            const std::uint64_t start = rig.clock.nowMilliseconds();
            check(transfer, rig.write(faultedRegions));
            EXPECT_LT(rig.clock.nowMilliseconds() - start, 30'000u) << "a faulted run must end in bounded time";

            rig.library.clearFaults();
            rig.library.resetCounts();
            rig.observer.events.clear();
            rig.clock.advanceMicroseconds(1'000'000);
            auto regions = regionsSelecting(2);
            const auto clean = rig.write(regions);
            EXPECT_TRUE(clean.ok) << "clean run after the fault: " << clean.errorText;
            EXPECT_TRUE(rig.contentsMatch(regions[2])) << "after the fault";
            rig.library.resetCounts();
        }
    }

    bool reportedSuccess() const
    {
        return !rig.observer.filtered("status: Flash download completed successfully").empty();
    }

    // A slow bus keeps the number of status polls, and so of runs, small.
    FlashRig rig{SimulatedAdapterSetup{.bus = {.callMicros = 5000}}};
    std::vector<Phase> phases;
    std::vector<TransferKind> cleanLog;
    std::array<FlashRegion, 3> faultedRegions;
};

TEST_F(FaultSweep, AdapterStoppingAtAnyTransferEndsWithThatPhasesMessage)
{
    sweep([&](std::uint64_t transfer) { rig.library.stopAnsweringFromTransfer(transfer); },
          [&](std::uint64_t transfer, const FlashRig::Outcome& outcome) {
              EXPECT_FALSE(outcome.ok);
              EXPECT_EQ(outcome.errorText, failureText(phases[transfer - 1]));
              EXPECT_FALSE(reportedSuccess());
              const std::vector<std::string> tail(rig.observer.events.end() - 2, rig.observer.events.end());
              EXPECT_EQ(
                  tail,
                  (std::vector<std::string>{"append error: Flash download completed unsuccessfully for " + kRegion2,
                                            "append error: Flash download completed unsuccessfully"}));
          });
}

TEST_F(FaultSweep, OneFailingTransferFailsOnlyWhereNothingRetries)
{
    std::array<std::uint64_t, kTransferKindCount> seen{};
    sweep(
        [&](std::uint64_t transfer) {
            const TransferKind kind = cleanLog[transfer - 1];
            rig.library.failTransfer(kind, ++seen[static_cast<std::size_t>(kind)]);
        },
        [&](std::uint64_t transfer, const FlashRig::Outcome& outcome) {
            // A status read that fails is simply read again; a page is written twice
            // before it fails the region. Everything else fails at once.
            const Phase phase = phases[transfer - 1];
            if (phase == Phase::Write || cleanLog[transfer - 1] == TransferKind::ReadStatus) {
                EXPECT_TRUE(outcome.ok) << outcome.errorText;
                EXPECT_TRUE(rig.contentsMatch(faultedRegions[2]));
            } else {
                EXPECT_EQ(outcome.errorText, failureText(phase));
                EXPECT_FALSE(reportedSuccess());
            }
        });
}

} // namespace
