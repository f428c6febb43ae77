#include "primary/primary_data_file.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kFormatError = "The primary data file has format or data errors!";
constexpr const char* kVersionError = "Invalid version number for the primary data file!";

std::string dataFile(const std::string& red, const std::string& version = "1.00",
                     const std::string& displayType = "RGB_LED_DISPLAY")
{
    return "[DATA]\r\nMEASURED_DATA_RED=" + red + "\r\nMEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\n" +
           "MEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n[PARAMETERS]\r\nVERSION=" + version +
           "\r\nDISPLAY_TYPE=" + displayType + "\r\n";
}

class PrimaryDataFileTest : public ::testing::Test {
protected:
    bool load(const std::string& content)
    {
        writeFile(file, content);
        return loadPrimaryData(file, texts, displayType, error);
    }
    std::string redTexts() const { return texts[0].x + "|" + texts[0].y + "|" + texts[0].luminance; }

    TempDir dir;
    std::filesystem::path file = dir / "primaries.txt";
    FieldTexts texts;
    DisplayType displayType = DisplayType::RgbLed;
    std::string error;
};

TEST_F(PrimaryDataFileTest, SaveWritesDataThenParametersAndLoadsBack)
{
    const FieldTexts typed = makeFieldTexts({"0.64", "0.33", "21.26"}, {"0.30", "0.60", "71.52"}, {".15", "0.06", "7.22"});
    ASSERT_TRUE(savePrimaryData(file, typed, DisplayType::NonRgbLed, error)) << error;
    EXPECT_EQ(readFile(file), "[DATA]\r\nMEASURED_DATA_RED=0.64, 0.33, 21.26\r\nMEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\n"
                              "MEASURED_DATA_BLUE=.15, 0.06, 7.22\r\n[PARAMETERS]\r\nVERSION=1.00\r\n"
                              "DISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n");
    ASSERT_TRUE(loadPrimaryData(file, texts, displayType, error)) << error;
    EXPECT_EQ(texts[2].x, ".15");
    EXPECT_EQ(texts[1].luminance, "71.52");
    EXPECT_EQ(displayType, DisplayType::NonRgbLed);

    ASSERT_TRUE(savePrimaryData(file, typed, DisplayType::RgbLed, error));
    ASSERT_TRUE(loadPrimaryData(file, texts, displayType, error));
    EXPECT_EQ(displayType, DisplayType::RgbLed);
}

TEST_F(PrimaryDataFileTest, SavingIntoAFileWithOtherSectionsKeepsThem)
{
    writeFile(file, "[OPERATOR]\r\nNAME=Ada\r\n[DATA]\r\nMEASURED_DATA_RED=1, 2, 3\r\nCOMMENT=old\r\n");
    ASSERT_TRUE(savePrimaryData(file, bt709FieldTexts(), DisplayType::RgbLed, error));
    const std::string content = readFile(file);
    EXPECT_EQ(content.substr(0, 22), "[OPERATOR]\r\nNAME=Ada\r\n");
    EXPECT_NE(content.find("COMMENT=old\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("MEASURED_DATA_RED=0.64, 0.33, 0.2126\r\n"), std::string::npos) << content;
    EXPECT_EQ(content.find("1, 2, 3"), std::string::npos) << content;

    EXPECT_FALSE(savePrimaryData(dir / "missing" / "p.txt", bt709FieldTexts(), DisplayType::RgbLed, error));
    EXPECT_EQ(error, "Unable to write to the primary data file!");
}

TEST_F(PrimaryDataFileTest, ValuesSplitAtCommasSkippingEmptyTokensAndTrimmingBlanks)
{
    ASSERT_TRUE(load(dataFile("0.64,,0.33, 21.26"))) << error;
    EXPECT_EQ(redTexts(), "0.64|0.33|21.26");
    ASSERT_TRUE(load(dataFile(",  0.64  ,0.33,,,21.26 , extra")));
    EXPECT_EQ(redTexts(), "0.64|0.33|21.26");
    // Not checked as numbers: Apply decides what they are worth.
    ASSERT_TRUE(load(dataFile("a, b, c")));
    EXPECT_EQ(redTexts(), "a|b|c");
    // Names match in any letter case; LF line ends are read too.
    ASSERT_TRUE(load("[data]\nmeasured_data_red=1,2,3\nMeasured_Data_Green=4,5,6\nMEASURED_DATA_BLUE=7,8,9\n"
                     "[Parameters]\nversion=1.00\ndisplay_type=RGB_LED_DISPLAY\n"))
        << error;
    EXPECT_EQ(texts[1].y, "5");
}

TEST_F(PrimaryDataFileTest, VersionsCompareBytewiseWithOnePointZeroZero)
{
    for (const char* version : {"1.00", "1.0", "0.90", "0.50", "1"})
        EXPECT_TRUE(load(dataFile("0.64, 0.33, 21.26", version))) << version << ": " << error;
    for (const char* version : {"1.01", "1.000", "2.00", "a"}) {
        EXPECT_FALSE(load(dataFile("0.64, 0.33, 21.26", version))) << version;
        EXPECT_EQ(error, kVersionError) << version;
    }
}

TEST_F(PrimaryDataFileTest, OnlyTheExactUpperCaseKeywordSelectsRgbLed)
{
    for (const auto& [keyword, expected] : std::vector<std::pair<const char*, DisplayType>>{
             {"RGB_LED_DISPLAY", DisplayType::RgbLed},
             {"rgb_led_display", DisplayType::NonRgbLed},
             {"anything", DisplayType::NonRgbLed}}) {
        displayType = expected == DisplayType::RgbLed ? DisplayType::NonRgbLed : DisplayType::RgbLed;
        ASSERT_TRUE(load(dataFile("0.64, 0.33, 21.26", "1.00", keyword)));
        EXPECT_EQ(displayType, expected) << keyword;
    }
}

TEST_F(PrimaryDataFileTest, AFailedLoadChangesNothing)
{
    std::vector<std::string> badFiles{
        dataFile("0.64, 21.26"),        dataFile("0.64, , 21.26"), dataFile(",,,"),
        dataFile(""),                   dataFile("0.64, 0.33, 21.26", ""),
        dataFile("0.64, 0.33, 21.26", "1.00", ""), "[DATA]\r\nMEASURED_DATA_RED=1, 2, 3\r\n", ""};
    std::string badBlue = dataFile("0.64, 0.33, 21.26");
    badBlue.replace(badBlue.find("7.22"), 4, "");
    badFiles.push_back(badBlue);
    const FieldTexts before = makeFieldTexts({"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"});
    for (const std::string& content : badFiles) {
        texts = before;
        displayType = DisplayType::NonRgbLed;
        EXPECT_FALSE(load(content)) << content;
        EXPECT_EQ(error, kFormatError) << content;
        EXPECT_EQ(redTexts(), "1|2|3") << content;
        EXPECT_EQ(texts[2].luminance, "9") << content;
        EXPECT_EQ(displayType, DisplayType::NonRgbLed) << content;
    }
}

} // namespace
