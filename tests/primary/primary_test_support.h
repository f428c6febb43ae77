#pragma once

// Shared inputs and comparisons of the primary calibration tests.

#include "primary/primary_types.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

// Field texts from red, green and blue {x, y, Y} triples.
inline FieldTexts makeFieldTexts(const PrimaryFieldTexts& red, const PrimaryFieldTexts& green,
                                 const PrimaryFieldTexts& blue)
{
    return {red, green, blue};
}

// ITU-R BT.709 primaries, luminances of a D65 white (the "Y" row of the BT.709 matrix).
inline FieldTexts bt709FieldTexts()
{
    return makeFieldTexts({"0.64", "0.33", "0.2126"}, {"0.30", "0.60", "0.7152"}, {"0.15", "0.06", "0.0722"});
}

// Mixed absolute / relative closeness; NaN is never close to anything.
inline ::testing::AssertionResult isClose(double actual, double expected, double tolerance)
{
    const double error = std::fabs(actual - expected);
    if (error <= tolerance * std::max(1.0, std::fabs(expected)))
        return ::testing::AssertionSuccess();
    std::ostringstream message;
    message << std::setprecision(17) << "actual " << actual << ", expected " << expected << ", error " << error
            << " > tolerance " << tolerance;
    return ::testing::AssertionFailure() << message.str();
}

inline void expectMatrixNear(const Matrix3& actual, const Matrix3& expected, double tolerance)
{
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            EXPECT_TRUE(isClose(actual[row][column], expected[row][column], tolerance))
                << "element [" << row << "][" << column << "]";
    }
}
