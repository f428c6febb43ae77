#include "config/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Expected texts are Python's "%g" with the exponent widened to three digits.
const std::pair<double, const char*> kGeneralCases[] = {
    {1.5e-5, "1.5e-005"},
    {2.36131e-8, "2.36131e-008"},
    {-1.2e-5, "-1.2e-005"},
    {0.016642190470239748, "0.0166422"}, // (1/8191)^(1/2.2)
    {999999.5, "1e+006"}, // rounding carries into the exponent form
    {9.999995e-5, "0.0001"}, // ... and out of it
    {-0.0, "-0"},
};

// Value, width, precision, text.
const std::tuple<double, int, int, const char*> kFixedCases[] = {
    {0.152, 8, 4, "  0.1520"},     {12345.6789, 8, 4, "12345.6789"}, // wider than the field: never cut
    {0.125, 1, 2, "0.12"}, // exact binary halves: to even
    {0.375, 1, 2, "0.38"},         {2.675, 1, 2, "2.67"}, // the double lies just below 2.675
    {1.0 / 3.0, 0, 6, "0.333333"}, {-0.00004, 8, 4, " -0.0000"},
};

// Text, value, characters consumed.
const std::tuple<const char*, double, std::size_t> kParseCases[] = {
    {" +1.5e3xyz", 1500.0, 7},
    {".5", 0.5, 2},
    {"5.", 5.0, 2},
    {"1e+", 1.0, 1}, // an exponent without digits is not part of the number
    {"1,5", 1.0, 1}, // a comma is never a decimal separator
    {"\t\n\v\f\r 42", 42.0, 8},
    {"-1e400", -kInf, 6},
    {"1e-400", 0.0, 6},
    {"Infinity", kInf, 8},
};

// Makes a German locale the C library's; its name as glibc and as Windows know it, or null.
const char* setGermanLocale()
{
    for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name))
            return name;
    }
    return nullptr;
}

} // namespace

// A German process locale turns 0.5 into "0,5" for printf and strtod; the files must not change.
TEST(NumberText, FormatsAndParsesUnderAGermanLocale)
{
    const char* german = setGermanLocale();
    if (!german)
        FAIL() << "The locale de_DE.UTF-8 is not installed; run scripts/setup to create it.";
    std::locale previous;
    try {
        previous = std::locale::global(std::locale(german));
    } catch (const std::runtime_error&) {
        // A C++ library that knows only the "C" locale (mingw's): the C library's is German.
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5") << "the locale is not active, so this test proves nothing";

    for (const auto& [value, text] : kGeneralCases)
        EXPECT_EQ(formatGeneral(value), text) << "value " << value;
    for (const auto& [value, width, precision, text] : kFixedCases)
        EXPECT_EQ(formatFixed(value, width, precision), text)
            << "value " << value << " width " << width << " precision " << precision;

    for (const auto& [text, expected, expectedConsumed] : kParseCases) {
        SCOPED_TRACE(std::string("text \"") + text + "\"");
        double value = 0;
        std::size_t consumed = 999;
        ASSERT_TRUE(parseLeadingDouble(text, value, &consumed));
        EXPECT_EQ(value, expected);
        EXPECT_EQ(consumed, expectedConsumed);
    }
    for (const char* text : {"-", ".", "", "   ", "+-5"}) {
        double value = -7.0;
        EXPECT_FALSE(parseLeadingDouble(text, value)) << "text \"" << text << "\"";
        EXPECT_EQ(value, -7.0) << "a failed parse must leave the value alone";
    }
    double nan = 0;
    ASSERT_TRUE(parseLeadingDouble(" nan(123)x", nan));
    EXPECT_TRUE(std::isnan(nan));

    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
}

// The C library's "%g" and "%*.*f" are the reference; only its exponent is two digits wide.
TEST(NumberText, GeneralAndFixedFormsAgreeWithPrintfForRandomValues)
{
    std::setlocale(LC_ALL, "C");
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 308);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_int_distribution<int> width(0, 14);
    std::uniform_int_distribution<int> precision(0, 9);
    for (int i = 0; i < 200000; ++i) {
        double value = 0;
        if (i % 3 == 0) {
            const std::uint64_t pattern = bits(random);
            std::memcpy(&value, &pattern, sizeof value);
        } else if (i % 3 == 1) {
            value = mantissa(random) * std::pow(10.0, exponent(random));
        } else {
            // Values close to the form boundaries and to six-digit rounding ties.
            value = std::round(mantissa(random) * 1e6) / 1e6 * std::pow(10.0, exponent(random) % 8);
        }
        char reference[400];
        std::snprintf(reference, sizeof reference, "%g", value);
        std::string expected = reference;
        const auto e = expected.find('e');
        if (e != std::string::npos && expected.size() - e == 4)
            expected.insert(e + 2, "0");
        // C libraries differ in whether a NaN shows its sign; the files show it, as glibc does.
        if (std::isnan(value))
            expected = std::signbit(value) ? "-nan" : "nan";
        ASSERT_EQ(formatGeneral(value), expected) << "value " << value;

        const int w = width(random);
        const int p = precision(random);
        if (std::isnan(value))
            std::snprintf(reference, sizeof reference, "%*s", w, std::signbit(value) ? "-nan" : "nan");
        else
            std::snprintf(reference, sizeof reference, "%*.*f", w, p, value);
        ASSERT_EQ(formatFixed(value, w, p), reference) << "value " << value << " width " << w << " precision " << p;
    }
}

TEST(NumberText, FloatParseRoundsOnceFromDecimal)
{
    // Just above the midpoint between 1 and the next float. Through double it lands exactly
    // on the midpoint and then rounds to even (1); read directly it rounds up.
    float value = 0;
    std::size_t consumed = 0;
    ASSERT_TRUE(parseLeadingFloat("1.00000005960464477539062500001", value, &consumed));
    EXPECT_EQ(value, std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(consumed, 31u);
    ASSERT_TRUE(parseLeadingFloat(" -1e39", value));
    EXPECT_EQ(value, -std::numeric_limits<float>::infinity());
}

TEST(NumberText, IntegerTextsAsAtoiReadsThemWithoutOverflow)
{
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    const std::pair<const char*, long long> cases[] = {
        {"  -12abc", -12},
        {"+7", 7},
        {"3.9", 3},
        {"- 5", 0},
        {"", 0},
        {"9223372036854775807", kMax},
        {"9223372036854775808", kMax},
        {"-9223372036854775808", kMin},
        {"-99999999999999999999999", kMin},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseLeadingInteger(text), value) << "text \"" << text << "\"";
    EXPECT_EQ(formatInteger(kMin), "-9223372036854775808") << "the longest text fits";
}
