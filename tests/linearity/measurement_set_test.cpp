// Reading the grid into the measurement set, validation and its messages, the step queries.

#include "linearity/in_memory_grid.h"
#include "linearity/measurement_set.h"
#include "linearity/status_text.h"
#include "linearity/step_queries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kSixSteps = "0~51~102~153~204~255";

class MeasurementSetTest : public ::testing::Test {
protected:
    void SetUp() override { useSteps(kSixSteps); }

    void useSteps(const char* stepList)
    {
        set.parseSteps(stepList);
        grid.createMeasurementGrid(set.stepCount(), 3);
    }
    void fillColumn(int column, const std::vector<std::string>& texts)
    {
        for (std::size_t row = 0; row < texts.size(); ++row)
            grid.setCellText(column, static_cast<int>(row), texts[row]);
    }

    InMemoryGrid grid;
    StatusText status;
    MeasurementSet set{grid, status};
};

TEST(CellNumberTest, LeadingNumberWithoutCommasAndNothingForText)
{
    EXPECT_EQ(parseCellNumber("1,234.500"), 1234.5);
    EXPECT_EQ(parseCellNumber("  12.5 cd"), 12.5);
    // Text without a finite number marks the step as not measured.

    for (const char* text : {"", "x", "X", "xx", ".", "abc", "-", ",", "nan", "inf", "1e999"})
        EXPECT_FALSE(parseCellNumber(text).has_value()) << '"' << text << '"';
}

TEST_F(MeasurementSetTest, AGridOfNumbersValidatesWithBlackSubtracted)
{
    fillColumn(0, {"0.5", "2.5", "0.5", "0.2", "10", "100.5"});
    fillColumn(1, {"3", "4", "5", "6", "7", "8"});
    ASSERT_TRUE(set.validateMeasurements());
    EXPECT_TRUE(status.text().empty());

    const KeyedTable<double>& red = set.workingTable().measuredY(Channel::Red);
    EXPECT_EQ(red.valueOr(1, -1), 0.0001); // whatever black level was typed
    EXPECT_EQ(red.valueOr(2, -1), 2.0);
    EXPECT_EQ(red.valueOr(3, -1), 0.005);  // equal to black
    EXPECT_EQ(red.valueOr(4, -1), 0.005);  // below black
    EXPECT_EQ(red.valueOr(6, -1), 100.0);
    EXPECT_EQ(set.workingTable().measuredY(Channel::Green).valueOr(1, -1), 0.0001);
    // The untouched blue column reads 0.000 everywhere: entered, all at the black level.
    EXPECT_EQ(set.workingTable().measuredY(Channel::Blue).valueOr(6, -1), 0.005);
    EXPECT_EQ(presentCount(set.workingTable(), Channel::Blue), 6);
}

TEST_F(MeasurementSetTest, MessagesComeInTheirFixedOrderAndAllChecksRun)
{
    fillColumn(0, {"1", "x", "X", "4", "5", "6"});     // four values
    fillColumn(1, {"x", "2", "3", "4", "5", "6"});     // five values, no first
    fillColumn(2, {"", "2", "3", "4", "5", "."});      // four values, no first, no last
    EXPECT_FALSE(set.validateMeasurements());
    const std::vector<std::string> expected{
        "Number of entered measured values for Red is too small",
        "Number of entered measured values for Blue is too small",
        "Missing required first Green measured value",
        "Missing required first Blue measured value",
        "Missing required last Blue measured value",
    };
    EXPECT_EQ(status.lines(), expected);
    EXPECT_TRUE(status.isError());
    // The pass still recorded what the grid holds.
    EXPECT_FALSE(set.workingTable().isPresent(Channel::Red, 2));
    EXPECT_TRUE(set.workingTable().isPresent(Channel::Red, 4));
}

TEST_F(MeasurementSetTest, FiveValuesPassAndAMissingMiddleStepOnlyLeavesTheFit)
{
    fillColumn(0, {"1", "2", "x", "4", "5", "6"});
    fillColumn(1, {"1", "2", "3", "4", "5", "6"});
    fillColumn(2, {"1", "2", "3", "4", "5", "6"});
    EXPECT_TRUE(set.validateMeasurements());
    EXPECT_FALSE(set.workingTable().isPresent(Channel::Red, 3));
    EXPECT_EQ(lastPresentStep(set.workingTable(), Channel::Red), 6);
}

TEST_F(MeasurementSetTest, VerificationModeReadsKRowsAndReportsGrayscaleAsRed)
{
    useSteps("0~32~64~96~128~160~192~224~255");
    grid.createMeasurementGrid(21, 1);
    set.setVerificationMode(true);
    fillColumn(0, {"x", "1", "2", "3", "4", "5", "6", "7", "x"});

    // k < N: row N - 1 is never read, so the last-value check cannot fail.
    set.setVerificationSteps(5);
    EXPECT_FALSE(set.validateMeasurements());
    EXPECT_EQ(status.lines(), (std::vector<std::string>{
                                  "Number of entered measured values for Red is too small",
                                  "Missing required first Red measured value",
                              }));

    // k = N checks step N; green and blue have no column and are not reported.
    status.clearStatus();
    fillColumn(0, {"0"});
    set.setVerificationSteps(9);
    EXPECT_FALSE(set.validateMeasurements());
    EXPECT_EQ(status.lines(), std::vector<std::string>{"Missing required last Red measured value"});
    EXPECT_EQ(presentCount(set.workingTable(), Channel::Green), 0);
}

} // namespace
