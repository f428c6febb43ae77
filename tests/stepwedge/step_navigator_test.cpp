#include "stepwedge/step_navigator.h"

#include <gtest/gtest.h>

namespace {

// The window tests walk the list with the buttons and the field; this covers what the field
// cannot type.
TEST(StepNavigator, StepsAtTheEndsOfTheIntegerRangeDoNotWrap)
{
    StepNavigator navigator;
    navigator.reset(21);
    navigator.goTo(INT32_MAX);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 21);
    navigator.goTo(INT32_MIN);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
}

TEST(ParseStepNumber, AcceptsDecimalIntegersInRangeOnly)
{
    EXPECT_EQ(parseStepNumber(" 007 "), 7);
    EXPECT_EQ(parseStepNumber("+3"), 3);
    EXPECT_EQ(parseStepNumber("-3"), -3);
    EXPECT_EQ(parseStepNumber("2147483647"), INT32_MAX);
    for (const char* text : {"", "+", "+-3", "12a", "1 2", "2147483648", "1.5", "0x10"})
        EXPECT_FALSE(parseStepNumber(text).has_value()) << '"' << text << '"';
}

} // namespace
