#include "primary/primary_data_file.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kFormatError = "The primary data file has format or data errors!";
constexpr const char* kVersionError = "Invalid version number for the primary data file!";

std::string dataFile(const std::string& red, const std::string& version = "1.00",
                     const std::string& displayType = "RGB_LED_DISPLAY")
{
    return "[DATA]\r\nMEASURED_DATA_RED=" + red +
           "\r\nMEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\nMEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n"
           "[PARAMETERS]\r\nVERSION=" +
           version + "\r\nDISPLAY_TYPE=" + displayType + "\r\n";
}

bool sameTexts(const FieldTexts& a, const FieldTexts& b)
{
    for (int c = 0; c < 3; ++c) {
        if (a[c].x != b[c].x || a[c].y != b[c].y || a[c].luminance != b[c].luminance)
            return false;
    }
    return true;
}

class PrimaryDataFileTest : public ::testing::Test {
protected:
    bool load(const std::string& content)
    {
        writeFile(file, content);
        return loadPrimaryData(file, texts, displayType, error);
    }

    TempDir dir;
    std::filesystem::path file = dir / "primaries.txt";
    FieldTexts texts;
    DisplayType displayType = DisplayType::RgbLed;
    std::string error;
};

TEST_F(PrimaryDataFileTest, SaveWritesDataThenParameters)
{
    FieldTexts typed = bt709FieldTexts();
    typed[0].luminance = "21.26";
    typed[1].luminance = "71.52";
    typed[2].luminance = "7.22";
    ASSERT_TRUE(savePrimaryData(file, typed, DisplayType::NonRgbLed, error)) << error;
    EXPECT_EQ(readFile(file), "[DATA]\r\n"
                              "MEASURED_DATA_RED=0.64, 0.33, 21.26\r\n"
                              "MEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\n"
                              "MEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n"
                              "[PARAMETERS]\r\n"
                              "VERSION=1.00\r\n"
                              "DISPLAY_TYPE=NONRGB_LED_DISPLAY\r\n");
}

TEST_F(PrimaryDataFileTest, SaveAndLoadRestoreTextsAndDisplayType)
{
    FieldTexts typed = makeFieldTexts({"0.6795", "0.3198", "26.41"}, {".2652", "0.6903", "68.87"},
                                      {"0.1503", "0.0596", "4.62"});
    for (DisplayType type : {DisplayType::NonRgbLed, DisplayType::RgbLed}) {
        ASSERT_TRUE(savePrimaryData(file, typed, type, error));
        FieldTexts loaded;
        DisplayType loadedType = type == DisplayType::RgbLed ? DisplayType::NonRgbLed : DisplayType::RgbLed;
        ASSERT_TRUE(loadPrimaryData(file, loaded, loadedType, error)) << error;
        EXPECT_TRUE(sameTexts(loaded, typed));
        EXPECT_EQ(loadedType, type);
    }
}

TEST_F(PrimaryDataFileTest, SavingIntoAFileWithOtherSectionsKeepsThem)
{
    writeFile(file, "; notes\r\n[OPERATOR]\r\nNAME=Ada\r\n[DATA]\r\nMEASURED_DATA_RED=1, 2, 3\r\nCOMMENT=old\r\n");
    ASSERT_TRUE(savePrimaryData(file, bt709FieldTexts(), DisplayType::RgbLed, error));
    const std::string content = readFile(file);
    EXPECT_NE(content.find("; notes\r\n[OPERATOR]\r\nNAME=Ada\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("COMMENT=old\r\n"), std::string::npos) << content;
    EXPECT_EQ(content.find("1, 2, 3"), std::string::npos) << content;
    ASSERT_TRUE(loadPrimaryData(file, texts, displayType, error));
    EXPECT_TRUE(sameTexts(texts, bt709FieldTexts()));
}

TEST_F(PrimaryDataFileTest, AFileThatCannotBeWrittenIsReported)
{
    EXPECT_FALSE(savePrimaryData(dir / "missing" / "p.txt", bt709FieldTexts(), DisplayType::RgbLed, error));
    EXPECT_EQ(error, "Unable to write to the primary data file!");
}

TEST_F(PrimaryDataFileTest, ValuesSplitAtCommasSkippingEmptyTokensAndTrimmingBlanks)
{
    ASSERT_TRUE(load(dataFile("0.64,,0.33, 21.26"))) << error;
    EXPECT_EQ(texts[0].x, "0.64");
    EXPECT_EQ(texts[0].y, "0.33");
    EXPECT_EQ(texts[0].luminance, "21.26");

    ASSERT_TRUE(load(dataFile(",  0.64  ,0.33,,,21.26 , extra, more")));
    EXPECT_EQ(texts[0].x, "0.64");
    EXPECT_EQ(texts[0].luminance, "21.26");
    // Values are not checked as numbers here; Apply decides what they are worth.
    ASSERT_TRUE(load(dataFile("a, b, c")));
    EXPECT_EQ(texts[0].y, "b");
}

TEST_F(PrimaryDataFileTest, BadFilesChangeNothing)
{
    const std::vector<std::pair<std::string, const char*>> cases{
        {dataFile("0.64, 21.26"), kFormatError},
        {dataFile("0.64, , 21.26"), kFormatError},
        {dataFile(",,,"), kFormatError},
        {dataFile(""), kFormatError},
        {dataFile("0.64, 0.33, 21.26", ""), kFormatError},
        {dataFile("0.64, 0.33, 21.26", "1.01"), kVersionError},
        {dataFile("0.64, 0.33, 21.26", "1.000"), kVersionError},
        {dataFile("0.64, 0.33, 21.26", "2.00"), kVersionError},
        {dataFile("0.64, 0.33, 21.26", "1.00", ""), kFormatError},
        {"[DATA]\r\nMEASURED_DATA_RED=1, 2, 3\r\n", kFormatError},
        {"", kFormatError},
    };
    const FieldTexts before = makeFieldTexts({"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"});
    for (const auto& [content, message] : cases) {
        texts = before;
        displayType = DisplayType::NonRgbLed;
        EXPECT_FALSE(load(content)) << content;
        EXPECT_EQ(error, message) << content;
        EXPECT_TRUE(sameTexts(texts, before)) << content;
        EXPECT_EQ(displayType, DisplayType::NonRgbLed) << content;
    }
}

TEST_F(PrimaryDataFileTest, VersionsUpToOnePointZeroZeroCompareBytewise)
{
    for (const char* version : {"1.00", "1.0", "0.90", "0.50", "1", "0"})
        EXPECT_TRUE(load(dataFile("0.64, 0.33, 21.26", version))) << version << ": " << error;
}

TEST_F(PrimaryDataFileTest, OnlyTheExactRgbLedKeywordSelectsRgbLed)
{
    ASSERT_TRUE(load(dataFile("0.64, 0.33, 21.26", "1.00", "RGB_LED_DISPLAY")));
    EXPECT_EQ(displayType, DisplayType::RgbLed);
    for (const char* keyword : {"rgb_led_display", "NONRGB_LED_DISPLAY", "anything"}) {
        displayType = DisplayType::RgbLed;
        ASSERT_TRUE(load(dataFile("0.64, 0.33, 21.26", "1.00", keyword)));
        EXPECT_EQ(displayType, DisplayType::NonRgbLed) << keyword;
    }
}

TEST_F(PrimaryDataFileTest, SectionAndKeyNamesIgnoreLetterCase)
{
    ASSERT_TRUE(load("[data]\nmeasured_data_red=0.64, 0.33, 21.26\nMeasured_Data_Green=0.3,0.6,71.52\n"
                     "MEASURED_DATA_BLUE=0.15,0.06,7.22\n[Parameters]\nversion=1.00\ndisplay_type=RGB_LED_DISPLAY\n"))
        << error;
    EXPECT_EQ(texts[0].x, "0.64");
    EXPECT_EQ(texts[1].luminance, "71.52");
    EXPECT_EQ(displayType, DisplayType::RgbLed);
}

} // namespace
