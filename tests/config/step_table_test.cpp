#include "config/step_table.h"

#include "config/paths.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

StepTable parsedForAllChannels(std::string_view stepList)
{
    StepTable table;
    for (const Channel channel : kAllChannels)
        parseStepList(table, channel, stepList);
    return table;
}

std::vector<std::int32_t> codes(const StepTable& table, Channel channel)
{
    std::vector<std::int32_t> result;
    for (int step = 1; step <= table.stepCount(); ++step)
        result.push_back(table.codeValue(channel).valueOr(step, -999));
    return result;
}

} // namespace

// Both forms the store may hold the list in: a multi-string and a plain string.
TEST(StepTable, MultiStringAndPlainListsGiveTheSameNineSteps)
{
    for (const std::string_view list : {"0~32~64~96~128~160~192~224~255~~", "0~32~64~96~128~160~192~224~255~"}) {
        SCOPED_TRACE(list);
        const StepTable table = parsedForAllChannels(list);
        for (const Channel channel : kAllChannels) {
            EXPECT_EQ(codes(table, channel), (std::vector<std::int32_t>{0, 32, 64, 96, 128, 160, 192, 224, 255}))
                << channelName(channel);
            EXPECT_TRUE(table.isPresent(channel, 9));
            EXPECT_FALSE(table.isPresent(channel, 10));
            EXPECT_FALSE(table.codeValue(channel).contains(0)) << "steps count from 1";
        }
    }
}

TEST(StepTable, CodesOutsideAByteKeepTheirValueButColourOnlyTheLowBits)
{
    StepTable table;
    parseStepList(table, Channel::Green, "256~-1~300");
    EXPECT_EQ(table.codeValue(Channel::Green).get(1), 256);
    EXPECT_EQ(table.colour(Channel::Green).get(1), 0u);
    EXPECT_EQ(table.codeValue(Channel::Green).get(2), -1);
    EXPECT_EQ(table.colour(Channel::Green).get(2), 0x00FF00u);
    EXPECT_EQ(table.colour(Channel::Green).get(3), 0x002C00u); // 300 - 256 = 44
    EXPECT_EQ(table.stepCount(), 0) << "only the red code values count the steps";
}

TEST(StepTable, TokensReadTheirLeadingIntegerAndEmptyListsGiveNoSteps)
{
    for (const std::string_view list : {"", "~", "~~~"})
        EXPECT_EQ(parsedForAllChannels(list).stepCount(), 0) << list;

    StepTable table;
    parseStepList(table, Channel::Red, "~~12abc~letters~ 7~+5~-0~99999999999999999999~-99999999999999999999~3.9");
    EXPECT_EQ(codes(table, Channel::Red),
              (std::vector<std::int32_t>{12, 0, 7, 5, 0, std::numeric_limits<std::int32_t>::max(),
                                         std::numeric_limits<std::int32_t>::min(), 3}));
    EXPECT_EQ(table.colour(Channel::Red).get(6), 0xFFu);
}

// The joined path is checked through the download parameters path of the settings.
TEST(DiagnosticsPath, NoInstallFolderMeansNoDiagnosticsFile)
{
    EXPECT_EQ(diagnosticsFilePath("", "measured_primaries.txt"), "");
}
