// Reading the grid into the measurement set, validation and its messages, the step queries.

#include "linearity/measurement_set.h"
#include "linearity/step_queries.h"
#include "linearity_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kSixSteps = "0~51~102~153~204~255";

TEST(CellNumberTest, LeadingNumberWithoutCommasAndNothingForText)
{
    EXPECT_EQ(parseCellNumber("1,234.500"), 1234.5);
    EXPECT_EQ(parseCellNumber("  12.5 cd"), 12.5);
    // Text without a finite number marks the step as not measured.
    for (const char* text : {"", "x", "X", "xx", ".", "abc", "-", ",", "nan", "inf", "1e999"})
        EXPECT_FALSE(parseCellNumber(text).has_value()) << '"' << text << '"';
}

TEST(MeasurementSetTest, AGridOfNumbersValidatesWithBlackSubtracted)
{
    LinearityRun run(kSixSteps);
    run.fillColumn(0, {"0.5", "2.5", "0.5", "0.2", "10", "100.5"});
    run.fillColumn(1, {"3", "4", "x", "6", "7", "8"}); // five values pass; the gap only leaves the fit
    MeasurementSet& set = run.calibration.measurements();
    ASSERT_TRUE(set.validateMeasurements()) << run.status.text();

    const KeyedTable<double>& red = set.workingTable().measuredY(Channel::Red);
    EXPECT_EQ(red.valueOr(1, -1), 0.0001); // whatever black level was typed
    EXPECT_EQ(red.valueOr(3, -1), 0.005); // equal to black
    EXPECT_EQ(red.valueOr(4, -1), 0.005); // below black
    EXPECT_FALSE(set.workingTable().isPresent(Channel::Green, 3));
    // The untouched blue column reads 0.000 everywhere: entered, all at the black level.
    EXPECT_EQ(set.workingTable().measuredY(Channel::Blue).valueOr(6, -1), 0.005);
    EXPECT_EQ(presentCount(set.workingTable(), Channel::Blue), 6);
}

TEST(MeasurementSetTest, MessagesComeInTheirFixedOrderAndAllChecksRun)
{
    LinearityRun run(kSixSteps);
    run.fillColumn(0, {"1", "x", "X", "4", "5", "6"}); // four values
    run.fillColumn(1, {"x", "2", "3", "4", "5", "6"}); // five values, no first
    run.fillColumn(2, {"", "2", "3", "4", "5", "."}); // four values, no first, no last
    MeasurementSet& set = run.calibration.measurements();
    EXPECT_FALSE(set.validateMeasurements());
    EXPECT_EQ(run.status.lines(),
              (std::vector<std::string>{
                  "Number of entered measured values for Red is too small",
                  "Number of entered measured values for Blue is too small",
                  "Missing required first Green measured value",
                  "Missing required first Blue measured value",
                  "Missing required last Blue measured value",
              }));
    EXPECT_TRUE(run.status.isError());
}

TEST(MeasurementSetTest, VerificationModeReadsKRowsAndReportsGrayscaleAsRed)
{
    LinearityRun run(kNineSteps);
    run.calibration.setVerificationMode(true);
    run.fillColumn(0, {"x", "1", "2", "3", "4", "5", "6", "7", "x"});
    run.status.clearStatus();
    MeasurementSet& set = run.calibration.measurements();

    // k < N: row N - 1 is never read, so the last-value check cannot fail.
    set.setVerificationSteps(5);
    EXPECT_FALSE(set.validateMeasurements());
    EXPECT_EQ(run.status.lines(),
              (std::vector<std::string>{
                  "Number of entered measured values for Red is too small",
                  "Missing required first Red measured value",
              }));

    // k = N checks step N; green and blue have no column and are not reported.
    run.status.clearStatus();
    run.fillColumn(0, {"0"});
    set.setVerificationSteps(9);
    EXPECT_FALSE(set.validateMeasurements());
    EXPECT_EQ(run.status.lines(), std::vector<std::string>{"Missing required last Red measured value"});
    EXPECT_EQ(presentCount(set.workingTable(), Channel::Green), 0);
}

} // namespace
