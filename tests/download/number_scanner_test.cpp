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
    NumberScanner::Result last = NumberScanner::Result::End;
    std::string offending;
};

Scan scanText(const std::string& text)
{
    TempDir dir;
    writeFile(dir / "numbers.txt", text);
    NumberScanner scanner;
    EXPECT_TRUE(scanner.open((dir / "numbers.txt").string()));
    Scan scan;
    float value = 0.0f;
    while ((scan.last = scanner.next(value)) == NumberScanner::Result::Number)
        scan.values.push_back(value);
    if (scan.last == NumberScanner::Result::NotANumber)
        scan.offending = scanner.offendingText();
    return scan;
}

TEST(NumberScanner, AnyWhiteSpaceSeparatesNumbersAndLineLayoutDoesNotMatter)
{
    const Scan scan = scanText(" 0.5\t0.25\r\n\r\n1e-3\v\f+2   -0.125\n3");
    EXPECT_EQ(scan.last, NumberScanner::Result::End);
    EXPECT_EQ(scan.values, (std::vector<float>{0.5f, 0.25f, 0.001f, 2.0f, -0.125f, 3.0f}));
}

TEST(NumberScanner, ANumberEndsWhereItsLongestValidPrefixEnds)
{
    // "%f" reads "0.5-0.25" as two numbers and "1.5.5" as 1.5 and .5.
    EXPECT_EQ(scanText("0.5-0.25").values, (std::vector<float>{0.5f, -0.25f}));
    EXPECT_EQ(scanText("1.5.5").values, (std::vector<float>{1.5f, 0.5f}));
}

TEST(NumberScanner, TheExponentFormOfTheMatrixFileReads)
{
    const Scan scan = scanText("1.5e-005 -2.25E+001 1e+020");
    EXPECT_EQ(scan.values, (std::vector<float>{1.5e-5f, -22.5f, 1e20f}));
}

TEST(NumberScanner, ValuesAreRoundedOnceToSinglePrecision)
{
    // Just above the midpoint between 1 and the next float: rounding through double would
    // land exactly on the midpoint and then round down to 1.
    const Scan scan = scanText("1.00000005960464477539062500001 0.1");
    ASSERT_EQ(scan.values.size(), 2u);
    EXPECT_EQ(scan.values[0], std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(scan.values[1], 0.1f);
}

TEST(NumberScanner, OutOfRangeValuesBecomeInfinityOrZeroAsForFloatConversion)
{
    const Scan scan = scanText("1e50 -1e50 1e-60 1e400");
    ASSERT_EQ(scan.values.size(), 4u);
    EXPECT_EQ(scan.values[0], std::numeric_limits<float>::infinity());
    EXPECT_EQ(scan.values[1], -std::numeric_limits<float>::infinity());
    EXPECT_EQ(scan.values[2], 0.0f);
    EXPECT_EQ(scan.values[3], std::numeric_limits<float>::infinity());
}

TEST(NumberScanner, TextThatIsNotANumberStopsTheScanAndIsNamed)
{
    Scan scan = scanText("0.5 0.25 abc 1");
    EXPECT_EQ(scan.last, NumberScanner::Result::NotANumber);
    EXPECT_EQ(scan.values, (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(scan.offending, "abc");

    EXPECT_EQ(scanText("+-1").last, NumberScanner::Result::NotANumber); // one sign only
    EXPECT_EQ(scanText("1,5").offending, ",5");
    EXPECT_EQ(scanText("-").last, NumberScanner::Result::NotANumber);
    EXPECT_EQ(scanText(std::string("1 \x01\xff", 4)).offending, "??");
}

TEST(NumberScanner, NumbersAcrossBlockBoundariesReadWhole)
{
    // Place numbers so that some straddle the 1 MiB block edge at every offset.
    std::string text(1048576 - 5, ' ');
    text += "0.123456 1e-5 2.5e+01";
    const Scan scan = scanText(text);
    EXPECT_EQ(scan.values, (std::vector<float>{0.123456f, 1e-5f, 25.0f}));

    std::string exponentSplit(1048576 - 2, ' ');
    exponentSplit += "1e5"; // "1e" in the first block, "5" in the next
    EXPECT_EQ(scanText(exponentSplit).values, (std::vector<float>{1e5f}));
}

TEST(NumberScanner, EveryDecimalRoundsAsTheCLibraryRoundsIt)
{
    // Short plain decimals take a faster path than long ones and exponents; all of them
    // must land on the float that strtof (correctly rounded, "C" locale) gives.
    std::mt19937 random(12345);
    std::vector<std::string> texts;
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
    }
    std::string file;
    for (const std::string& text : texts)
        file += text + " ";
    const Scan scan = scanText(file);
    ASSERT_EQ(scan.values.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const float expected = std::strtof(texts[i].c_str(), nullptr);
        ASSERT_EQ(scan.values[i], expected) << texts[i];
        ASSERT_EQ(std::signbit(scan.values[i]), std::signbit(expected)) << texts[i];
    }
}

TEST(NumberScanner, AFileThatDoesNotOpenOrIsAFolder)
{
    TempDir dir;
    NumberScanner missing;
    EXPECT_FALSE(missing.open((dir / "missing.txt").string()));
    NumberScanner empty;
    EXPECT_FALSE(empty.open(""));
    NumberScanner folder;
    if (folder.open(dir.path().string())) {
        float value = 0.0f;
        EXPECT_EQ(folder.next(value), NumberScanner::Result::ReadError);
    }
}

} // namespace
