#include "stepwedge/step_navigator.h"

#include <gtest/gtest.h>

namespace {

// The window tests walk the list with the buttons; these cover what the field cannot type.
TEST(StepNavigator, BelowTheListNextCountsUpAndPreviousJumpsToTheFirstStep)
{
    StepNavigator navigator;
    navigator.reset(21);
    EXPECT_EQ(navigator.colourSelection(), ColourSelection::Red);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
    navigator.goTo(-5);
    navigator.goNext();
    EXPECT_EQ(navigator.stepEntry(), -4);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);

    // Without a valid number the previous entry shows again.
    navigator.goTo(9);
    navigator.goPrevious();
    navigator.goTo(std::nullopt);
    EXPECT_EQ(navigator.currentStep(), 8);
    EXPECT_EQ(navigator.stepEntry(), 8);
}

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
