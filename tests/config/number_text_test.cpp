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
#include <string>

namespace {

struct GeneralCase {
    double value;
    const char* text;
};

// Expected texts are Python's "%g" with the exponent widened to three digits.
const GeneralCase kGeneralCases[] = {
    {1.5e-5, "1.5e-005"},
    {2.36131e-8, "2.36131e-008"},
    {-1.2e-5, "-1.2e-005"},
    {0.016642190470239748, "0.0166422"}, // (1/8191)^(1/2.2)
    {1e6, "1e+006"},
    {100000.0, "100000"},
    {999999.4, "999999"},
    {999999.5, "1e+006"}, // rounding carries into the exponent form
    {0.0001, "0.0001"},
    {9.999995e-5, "0.0001"},
    {1e-5, "1e-005"},
    {0.9999995, "1"},
    {0.99999949, "0.999999"},
    {1e20, "1e+020"},
    {123456789.0, "1.23457e+008"},
    {0.30000000000000004, "0.3"},
    {1e-300, "1e-300"},
    {1.7976931348623157e308, "1.79769e+308"},
    {0.0, "0"},
    {-0.0, "-0"},
    {std::numeric_limits<double>::infinity(), "inf"},
    {-std::numeric_limits<double>::infinity(), "-inf"},
    {std::numeric_limits<double>::quiet_NaN(), "nan"},
};

struct FixedCase {
    double value;
    int width;
    int precision;
    const char* text;
};

const FixedCase kFixedCases[] = {
    {0.152, 8, 4, "  0.1520"},
    {12345.6789, 8, 4, "12345.6789"}, // wider than the field: never cut
    {0.125, 1, 2, "0.12"},            // exact binary half: to even
    {0.375, 1, 2, "0.38"},
    {2.675, 1, 2, "2.67"},            // the double lies just below 2.675
    {1.0 / 3.0, 0, 6, "0.333333"},
    {-2.5, 7, 4, "-2.5000"},
    {-0.00004, 8, 4, " -0.0000"},
    {0.5, 0, 0, "0"},
    {1.5, 0, 0, "2"},
};

struct ParseCase {
    const char* text;
    bool ok;
    double value;
    std::size_t consumed;
};

const ParseCase kParseCases[] = {
    {" +1.5e3xyz", true, 1500.0, 7},
    {".5", true, 0.5, 2},
    {"5.", true, 5.0, 2},
    {"-0.25", true, -0.25, 5},
    {"1e", true, 1.0, 1},    // an exponent without digits is not part of the number
    {"1e+", true, 1.0, 1},
    {"1,5", true, 1.0, 1},   // a comma is never a decimal separator
    {"\t\n\v\f\r 42", true, 42.0, 8},
    {"1e400", true, std::numeric_limits<double>::infinity(), 5},
    {"-1e400", true, -std::numeric_limits<double>::infinity(), 6},
    {"1e-400", true, 0.0, 6},
    {"0.0000001e-320", true, 0.0, 14},
    {"Infinity", true, std::numeric_limits<double>::infinity(), 8},
    {"-INF", true, -std::numeric_limits<double>::infinity(), 4},
    {"-", false, 0, 0},
    {"+", false, 0, 0},
    {".", false, 0, 0},
    {"abc", false, 0, 0},
    {"", false, 0, 0},
    {"   ", false, 0, 0},
    {"+-5", false, 0, 0},
    {"--5", false, 0, 0},
    {"x1", false, 0, 0},
};

void expectFormatsAndParses()
{
    for (const auto& c : kGeneralCases)
        EXPECT_EQ(formatGeneral(c.value), c.text) << "value " << c.value;
    for (const auto& c : kFixedCases)
        EXPECT_EQ(formatFixed(c.value, c.width, c.precision), c.text)
            << "value " << c.value << " width " << c.width << " precision " << c.precision;

    for (const auto& c : kParseCases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        double value = -7.0;
        std::size_t consumed = 999;
        ASSERT_EQ(parseLeadingDouble(c.text, value, &consumed), c.ok);
        if (!c.ok) {
            EXPECT_EQ(value, -7.0) << "a failed parse must leave the value alone";
            continue;
        }
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(consumed, c.consumed);
    }
    double nan = 0;
    ASSERT_TRUE(parseLeadingDouble(" nan(123)x", nan));
    EXPECT_TRUE(std::isnan(nan));
}

} // namespace

TEST(NumberText, FormatsAndParsesInTheCLocale)
{
    expectFormatsAndParses();
}

// A German process locale turns 0.5 into "0,5" for printf and strtod; the files must not change.
TEST(NumberText, FormatsAndParsesTheSameUnderAGermanLocale)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        FAIL() << "The locale de_DE.UTF-8 is not installed; run scripts/setup to create it.";
    const std::locale previous = std::locale::global(std::locale("de_DE.UTF-8"));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5") << "the locale is not active, so this test proves nothing";

    expectFormatsAndParses();

    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
}

// The C library's "%g" is the reference; only its exponent is two digits wide.
TEST(NumberText, GeneralFormAgreesWithPrintfForRandomValues)
{
    std::setlocale(LC_ALL, "C");
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 308);
    std::uniform_int_distribution<std::uint64_t> bits;
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
        char reference[64];
        std::snprintf(reference, sizeof reference, "%g", value);
        std::string expected = reference;
        const auto e = expected.find('e');
        if (e != std::string::npos && expected.size() - e == 4)
            expected.insert(e + 2, "0");
        ASSERT_EQ(formatGeneral(value), expected) << "value " << value;
    }
}

TEST(NumberText, FixedFormAgreesWithPrintfForRandomValues)
{
    std::setlocale(LC_ALL, "C");
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-6, 12);
    std::uniform_int_distribution<int> width(0, 14);
    std::uniform_int_distribution<int> precision(0, 9);
    for (int i = 0; i < 50000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const int w = width(random);
        const int p = precision(random);
        char reference[400];
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
    ASSERT_TRUE(parseLeadingFloat("1e-50", value));
    EXPECT_EQ(value, 0.0f);
    ASSERT_TRUE(parseLeadingFloat("0.152", value));
    EXPECT_EQ(value, 0.152f);
    value = 3.0f;
    EXPECT_FALSE(parseLeadingFloat("e5", value));
    EXPECT_EQ(value, 3.0f);
}

TEST(NumberText, IntegerTextsAsAtoiReadsThem)
{
    EXPECT_EQ(parseLeadingInteger("  -12abc"), -12);
    EXPECT_EQ(parseLeadingInteger("+7"), 7);
    EXPECT_EQ(parseLeadingInteger("3.9"), 3);
    EXPECT_EQ(parseLeadingInteger("abc"), 0);
    EXPECT_EQ(parseLeadingInteger("- 5"), 0);
    EXPECT_EQ(parseLeadingInteger(""), 0);
    EXPECT_EQ(parseLeadingInteger("9223372036854775807"), std::numeric_limits<long long>::max());
    EXPECT_EQ(parseLeadingInteger("9223372036854775808"), std::numeric_limits<long long>::max());
    EXPECT_EQ(parseLeadingInteger("-9223372036854775808"), std::numeric_limits<long long>::min());
    EXPECT_EQ(parseLeadingInteger("-99999999999999999999999"), std::numeric_limits<long long>::min());

    EXPECT_EQ(formatInteger(0), "0");
    EXPECT_EQ(formatInteger(-42), "-42");
    EXPECT_EQ(formatInteger(std::numeric_limits<long long>::min()), "-9223372036854775808");
}
