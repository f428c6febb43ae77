#include "primary/primary_data_file.h"
#include "primary_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kRed = "0.64, 0.33, 21.26";

std::string joined(const FieldTexts& texts)
{
    std::string all;
    for (const PrimaryFieldTexts& primary : texts)
        all += primary.x + "|" + primary.y + "|" + primary.luminance + "|";
    return all;
}

class PrimaryDataFileTest : public ::testing::Test {
protected:
    bool load(const std::string& content)
    {
        writeFile(file, content);
        const Result<> loaded = loadPrimaryData(file, texts, displayType);
        error = loaded ? std::string() : loaded.failure().message;
        return static_cast<bool>(loaded);
    }

    TempDir dir;
    std::filesystem::path file = dir / "primaries.txt";
    FieldTexts texts;
    DisplayType displayType = DisplayType::RgbLed;
    std::string error;
};

TEST_F(PrimaryDataFileTest, SaveWritesDataThenParametersAndKeepsOtherSections)
{
    const FieldTexts typed{{{"0.64", "0.33", "21.26"}, {"0.30", "0.60", "71.52"}, {"0.15", "0.06", "7.22"}}};
    ASSERT_TRUE(savePrimaryData(file, typed, DisplayType::NonRgbLed));
    EXPECT_EQ(readFile(file), primaryDataFileText(kRed, "1.00", "NONRGB_LED_DISPLAY"));

    writeFile(file, "[OPERATOR]\r\nNAME=Ada\r\n[DATA]\r\nMEASURED_DATA_RED=1, 2, 3\r\nCOMMENT=old\r\n");
    ASSERT_TRUE(savePrimaryData(file, bt709FieldTexts(), DisplayType::RgbLed));
    const std::string content = readFile(file);
    for (const char* line : {"[OPERATOR]\r\nNAME=Ada\r\n", "COMMENT=old\r\n",
                             "MEASURED_DATA_RED=0.64, 0.33, 0.2126\r\n", "DISPLAY_TYPE=RGB_LED_DISPLAY\r\n"})
        EXPECT_NE(content.find(line), std::string::npos) << line << content;
    EXPECT_EQ(content.find("1, 2, 3"), std::string::npos) << content;

    const Result<> failed = savePrimaryData(dir / "missing" / "p.txt", bt709FieldTexts(), DisplayType::RgbLed);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.failure().message, "Unable to write to the primary data file!");
    EXPECT_NE(failed.failure().reason.find("p.txt: "), std::string::npos) << "the file, then the system's reason";
}

TEST_F(PrimaryDataFileTest, ValuesAndKeywordsAsTheFileGivesThem)
{
    // Empty tokens are skipped, blanks trimmed, tokens after the third ignored.
    ASSERT_TRUE(load(primaryDataFileText(",  0.64  ,0.33,,,21.26 , extra", "1.00", "rgb_led_display"))) << error;
    EXPECT_EQ(joined(texts), "0.64|0.33|21.26|0.30|0.60|71.52|0.15|0.06|7.22|");
    // Only the exact upper-case keyword selects RGB LED.
    EXPECT_EQ(displayType, DisplayType::NonRgbLed);
    ASSERT_TRUE(load(primaryDataFileText()));
    EXPECT_EQ(displayType, DisplayType::RgbLed);

    // Versions compare byte-wise with "1.00".
    for (const char* version : {"1.0", "0.90"})
        EXPECT_TRUE(load(primaryDataFileText(kRed, version))) << version << ": " << error;
    for (const char* version : {"1.01", "1.000", "a"}) {
        EXPECT_FALSE(load(primaryDataFileText(kRed, version))) << version;
        EXPECT_EQ(error, "Invalid version number for the primary data file!") << version;
    }
}

TEST_F(PrimaryDataFileTest, AFailedLoadChangesNothing)
{
    // The last case fails only after all three primaries were read.
    const FieldTexts before{{{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}}};
    for (const std::string& content :
         {primaryDataFileText("0.64, 21.26"), primaryDataFileText("0.64,  , 21.26"), primaryDataFileText(""),
          primaryDataFileText(kRed, ""), primaryDataFileText(kRed, "1.00", "")}) {
        texts = before;
        displayType = DisplayType::NonRgbLed;
        EXPECT_FALSE(load(content)) << content;
        EXPECT_EQ(error, "The primary data file has format or data errors!") << content;
        EXPECT_EQ(joined(texts), joined(before)) << content;
        EXPECT_EQ(displayType, DisplayType::NonRgbLed) << content;
    }
}

} // namespace
