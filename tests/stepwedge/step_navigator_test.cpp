#include "stepwedge/step_navigator.h"

#include <gtest/gtest.h>

namespace {

StepNavigator navigatorOver(std::int32_t lastStep)
{
    StepNavigator navigator;
    navigator.reset(lastStep);
    return navigator;
}

TEST(StepNavigator, StartsAtStepOneInRed)
{
    const StepNavigator navigator = navigatorOver(21);
    EXPECT_EQ(navigator.firstStep(), 1);
    EXPECT_EQ(navigator.lastStep(), 21);
    EXPECT_EQ(navigator.currentStep(), 1);
    EXPECT_EQ(navigator.stepEntry(), 1);
    EXPECT_EQ(navigator.colourSelection(), ColourSelection::Red);
}

TEST(StepNavigator, StopsAtBothEndsOfTheList)
{
    StepNavigator navigator = navigatorOver(3);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
    navigator.goNext();
    navigator.goNext();
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 3);
    EXPECT_EQ(navigator.stepEntry(), 3);
    navigator.goStart();
    EXPECT_EQ(navigator.currentStep(), 1);
    navigator.goEnd();
    EXPECT_EQ(navigator.currentStep(), 3);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 2);
    EXPECT_EQ(navigator.stepEntry(), 2);
}

TEST(StepNavigator, GoToTakesTheTypedStepWithoutBounds)
{
    StepNavigator navigator = navigatorOver(21);
    navigator.goTo(40);
    EXPECT_EQ(navigator.currentStep(), 40);
    EXPECT_EQ(navigator.stepEntry(), 40);
    navigator.goTo(0);
    EXPECT_EQ(navigator.currentStep(), 0);
}

TEST(StepNavigator, FromBeyondTheListNextJumpsBackAndPreviousCountsDown)
{
    StepNavigator navigator = navigatorOver(21);
    navigator.goTo(40);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 21);

    navigator.goTo(40);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 39);
    EXPECT_EQ(navigator.stepEntry(), 39);

    navigator.goTo(-5);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
    navigator.goTo(-5);
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), -4);
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

TEST(StepNavigator, WithoutAValidNumberGoToShowsThePreviousEntryAgain)
{
    StepNavigator navigator = navigatorOver(21);
    navigator.goNext();
    navigator.goNext();
    navigator.goTo(std::nullopt);
    EXPECT_EQ(navigator.currentStep(), 3);

    navigator.goTo(9);
    navigator.goPrevious(); // entry now 8
    navigator.goTo(std::nullopt);
    EXPECT_EQ(navigator.currentStep(), 8);
    EXPECT_EQ(navigator.stepEntry(), 8);
}

TEST(StepNavigator, EmptyListEndsAtStepZeroAndStartsAtStepOne)
{
    StepNavigator navigator = navigatorOver(0);
    navigator.goEnd();
    EXPECT_EQ(navigator.currentStep(), 0);
    navigator.goStart();
    navigator.goNext();
    EXPECT_EQ(navigator.currentStep(), 0);
    navigator.goPrevious();
    EXPECT_EQ(navigator.currentStep(), 1);
    navigator.goStart();
    EXPECT_EQ(navigator.currentStep(), 1);
}

TEST(StepNavigator, ColourChangesKeepTheStep)
{
    StepNavigator navigator = navigatorOver(21);
    navigator.goTo(7);
    navigator.selectColour(ColourSelection::Grayscale);
    EXPECT_EQ(navigator.colourSelection(), ColourSelection::Grayscale);
    EXPECT_EQ(navigator.currentStep(), 7);
    EXPECT_EQ(navigator.stepEntry(), 7);
}

TEST(ParseStepNumber, AcceptsDecimalIntegersInRange)
{
    EXPECT_EQ(parseStepNumber("12"), 12);
    EXPECT_EQ(parseStepNumber(" 007 "), 7);
    EXPECT_EQ(parseStepNumber("+3"), 3);
    EXPECT_EQ(parseStepNumber("-3"), -3);
    EXPECT_EQ(parseStepNumber("2147483647"), INT32_MAX);
}

TEST(ParseStepNumber, RejectsEverythingElse)
{
    for (const char* text : {"", "   ", "+", "-", "+-3", "12a", "1 2", "2147483648", "99999999999", "1.5", "0x10"})
        EXPECT_FALSE(parseStepNumber(text).has_value()) << '"' << text << '"';
}

} // namespace
