#include "stepwedge/step_navigator.h"

#include <gtest/gtest.h>

namespace {

StepNavigator navigatorOver(std::int32_t lastStep)
{
    StepNavigator navigator;
    navigator.reset(lastStep);
    return navigator;
}

TEST(StepNavigator, StartsAtStepOneInRedAndStopsAtBothEnds)
{
    StepNavigator navigator = navigatorOver(3);
    EXPECT_EQ(navigator.colourSelection(), ColourSelection::Red);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
    for (int i = 0; i < 3; ++i)
        navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 3);
    navigator.goPrevious();
    EXPECT_EQ(navigator.stepEntry(), 2);
    navigator.goEnd();
    EXPECT_EQ(navigator.currentStep(), 3);
    navigator.goStart();
    EXPECT_EQ(navigator.stepEntry(), 1);
}

TEST(StepNavigator, FromBeyondTheListNextJumpsBackAndPreviousCountsDown)
{
    StepNavigator navigator = navigatorOver(21);
    navigator.goTo(40);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 21);
    navigator.goTo(40);
    navigator.goPrevious();
    EXPECT_EQ(navigator.stepEntry(), 39);
    navigator.goTo(-5);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), -4);
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
    StepNavigator navigator = navigatorOver(21);
    navigator.goTo(INT32_MAX);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 21);
    navigator.goTo(INT32_MIN);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
}

TEST(StepNavigator, EmptyListEndsAtStepZeroAndStartsAtStepOne)
{
    StepNavigator navigator = navigatorOver(0);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 0);
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
