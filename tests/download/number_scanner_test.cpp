#include "config/atomic_file.h"
#include "download/number_scanner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

namespace {

struct Scan {
    std::vector<float> values;
    std::string offending; // empty when the scan reached the end
};

Scan scanText(const std::string& text)
{
    TempDir dir;
    writeFile(dir / "numbers.txt", text);
    NumberScanner scanner;
    EXPECT_TRUE(scanner.open((dir / "numbers.txt").string(), kTableFileLimit));
    Scan scan;
    float value = 0.0f;
    NumberScanner::Result result;
    while ((result = scanner.next(value)) == NumberScanner::Result::Number)
        scan.values.push_back(value);
    if (result == NumberScanner::Result::NotANumber)
        scan.offending = scanner.offendingText();
    else
        EXPECT_EQ(result, NumberScanner::Result::End) << text;
    return scan;
}

TEST(NumberScanner, ReadsAsFloatConversionDoesAndNamesWhatIsNotANumber)
{
    const float inf = std::numeric_limits<float>::infinity();
    const std::string blockEdge(1048576 - 5, ' '), exponentEdge(1048576 - 2, ' ');
    const std::tuple<std::string, std::vector<float>, std::string> cases[] = {
        // Any white space separates numbers; a leading "+" is allowed.
        {" 0.5\t0.25\r\n\r\n1e-3\v\f+2   -0.125\n3", {0.5f, 0.25f, 0.001f, 2.0f, -0.125f, 3.0f}, ""},
        // A number ends where its longest valid prefix ends.
        {"0.5-0.25", {0.5f, -0.25f}, ""},
        {"1.5.5", {1.5f, 0.5f}, ""},
        {"1.5e-005 -2.25E+001 1e+020", {1.5e-5f, -22.5f, 1e20f}, ""},
        {"1e50 -1e50 1e-60 1e400", {inf, -inf, 0.0f, inf}, ""},
        // Just above the midpoint between 1 and the next float: rounding through double
        // would land exactly on the midpoint and then round down to 1.
        {"1.00000005960464477539062500001 0.1", {std::nextafter(1.0f, 2.0f), 0.1f}, ""},
        // Numbers straddling the 1 MiB block edge, one of them inside its exponent.
        {blockEdge + "0.123456 1e-5 2.5e+01", {0.123456f, 1e-5f, 25.0f}, ""},
        {exponentEdge + "1e5", {1e5f}, ""},
        {"0.5 0.25 abc 1", {0.5f, 0.25f}, "abc"},
        {"+-1", {}, "+-1"},
        {"-", {}, "-"},
        {"1,5", {1.0f}, ",5"},
        {std::string("1 \x01\xff", 4), {1.0f}, "??"},
    };
    for (const auto& [text, values, offending] : cases) {
        SCOPED_TRACE(text.substr(text.find_first_not_of(' ')));
        const Scan scan = scanText(text);
        EXPECT_EQ(scan.values, values);
        EXPECT_EQ(scan.offending, offending);
    }
}

TEST(NumberScanner, EveryDecimalRoundsAsTheCLibraryRoundsIt)
{
    // Short plain decimals take a faster path than long ones and exponents; all of them
    // must land on the float that strtof (correctly rounded, "C" locale) gives.
    std::mt19937 random(12345);
    std::vector<std::string> texts;
    std::string file;
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int whole = static_cast<int>(random() % 9);
        const int fraction = static_cast<int>(random() % 13);
        for (int d = 0; d < whole; ++d)
            text += static_cast<char>('0' + random() % 10);
        if (fraction > 0 || whole == 0)
            text += '.';
        for (int d = 0; d < fraction || (whole == 0 && d == 0); ++d)
            text += static_cast<char>('0' + random() % 10);
        if (random() % 8 == 0)
            text += "e-" + std::to_string(random() % 6);
        texts.push_back(text);
        file += text + " ";
    }
    const Scan scan = scanText(file);
    ASSERT_EQ(scan.values.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const float expected = std::strtof(texts[i].c_str(), nullptr);
        ASSERT_EQ(scan.values[i], expected) << texts[i];
        ASSERT_EQ(std::signbit(scan.values[i]), std::signbit(expected)) << texts[i];
    }
}

TEST(NumberScanner, AFolderIsNotReadAsAnEmptyFile)
{
    TempDir dir;
    NumberScanner folder;
    float value = 0.0f;
    EXPECT_FALSE(folder.open(dir.path().string(), 1u << 20));
    EXPECT_EQ(folder.next(value), NumberScanner::Result::ReadError);
}

} // namespace
