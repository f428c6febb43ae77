#include "config/key_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

using keyfile::findValue;
using keyfile::withValue;

namespace {

class KeyFile : public ::testing::Test {
protected:
    auto entriesInDir() const { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); }

    TempDir dir;
    const std::filesystem::path file = dir / "data.txt";
    std::string value;
};

TEST_F(KeyFile, RoundTripKeepsSectionsInWriteOrderWithCrLf)
{
    const std::string longValue = std::string(250, 'a') + std::string(50, 'b');
    ASSERT_TRUE(keyfile::writeValue(file, "DATA", "MEASURED_DATA_1", "  0.1520,   0.3000,   0.0500"));
    ASSERT_TRUE(keyfile::writeValue(file, "PARAMETERS", "VERSION", "1.00"));
    ASSERT_TRUE(keyfile::writeValue(file, "DATA", "MEASURED_DATA_2", longValue));
    EXPECT_EQ(readFile(file),
              "[DATA]\r\n"
              "MEASURED_DATA_1=  0.1520,   0.3000,   0.0500\r\n"
              "MEASURED_DATA_2="
                  + longValue
                  + "\r\n"
                    "[PARAMETERS]\r\n"
                    "VERSION=1.00\r\n");

    ASSERT_TRUE(keyfile::readValue(file, "DATA", "MEASURED_DATA_1", value));
    EXPECT_EQ(value, "0.1520,   0.3000,   0.0500");
    ASSERT_TRUE(keyfile::readValue(file, "DATA", "MEASURED_DATA_2", value));
    EXPECT_EQ(value, std::string(250, 'a') + "bbbbb") << "values are read up to 255 characters";
    EXPECT_FALSE(keyfile::readValue(file, "PARAMETERS", "CLIP_BRIGHT_REGION", value));
    EXPECT_EQ(value, std::string(250, 'a') + "bbbbb") << "a missing key leaves the output alone";
    EXPECT_EQ(entriesInDir(), 1) << "no temporary or lock file is left behind";
}

TEST(KeyFileText, WritingKeepsEveryOtherLineInPlace)
{
    const std::string original = "; written by hand\r\n"
                                 "loose line before any section\r\n"
                                 "[DATA]\r\n"
                                 "MEASURED_DATA_1=1\r\n"
                                 "note without equals sign\r\n"
                                 "MEASURED_DATA_2=2\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "; comment\r\n"
                                 "Key=keep\r\n";
    const auto originalWith = [&](const std::string& line, const std::string& replacement) {
        std::string text = original;
        return text.replace(text.find(line), line.size(), replacement);
    };

    EXPECT_EQ(withValue(original, "data", "measured_data_1", "9"),
              originalWith("MEASURED_DATA_1=1", "MEASURED_DATA_1=9"));
    // A new key goes after the section's last non-blank line, not to the end of the file.
    EXPECT_EQ(withValue(original, "DATA", "MEASURED_DATA_3", "3"),
              originalWith("MEASURED_DATA_2=2\r\n", "MEASURED_DATA_2=2\r\nMEASURED_DATA_3=3\r\n"));
    EXPECT_EQ(withValue(original, "PARAMETERS", "VERSION", "1.00"), original + "[PARAMETERS]\r\nVERSION=1.00\r\n");
    // An empty section: the key goes right under its header.
    EXPECT_EQ(withValue("[A]\r\n\r\n[B]\r\n", "a", "K", "v"), "[A]\r\nK=v\r\n\r\n[B]\r\n");
}

TEST(KeyFileText, ReadsNamesWithoutRegardToCaseOrBlanks)
{
    const std::string content = "\xEF\xBB\xBF"
                                "Orphan=before any section\n"
                                "[ Data ]\n"
                                "  Red Value  = \t 0.64, 0.33 \t\n"
                                ";Green=commented out\n"
                                "Green\n"
                                "Blue=a=b\n"
                                "Blue=second\n"
                                "Empty=   \n"
                                "[data]\n"
                                "Green=in the second section of the same name\n"
                                "[PARAMETERS]\r\n"
                                "VERSION=1.00\r\n";

    EXPECT_EQ(findValue(content, "DATA", "red value"), "0.64, 0.33");
    EXPECT_EQ(findValue(content, "data", "BLUE"), "a=b") << "the first key of a name wins, split at the first \"=\"";
    EXPECT_EQ(findValue(content, "Parameters", "Version"), "1.00");
    EXPECT_EQ(findValue(content, "DATA", "Empty"), std::nullopt) << "an empty value counts as missing";
    EXPECT_EQ(findValue(content, "DATA", "Green"), std::nullopt)
        << "comments, bare lines and later sections hold no keys";
    EXPECT_EQ(findValue(content, "", "Orphan"), std::nullopt);
    EXPECT_EQ(findValue(content, "Missing", "VERSION"), std::nullopt);
}

TEST_F(KeyFile, FailedOrRefusedWritesLeaveTheFileAsItWas)
{
    const std::string original = "[DATA]\r\nA=1\r\n";
    writeFile(file, original);
    // Texts that would change the file's structure.
    EXPECT_FALSE(keyfile::writeValue(file, "DATA", "A", "1\r\n[PARAMETERS]\r\nVERSION=9"));
    EXPECT_FALSE(keyfile::writeValue(file, "DATA", "A=B", "1"));
    EXPECT_FALSE(keyfile::writeValue(file, "DATA", ";A", "1"));
    EXPECT_FALSE(keyfile::writeValue(file, "DA\nTA", "A", "1"));

    EXPECT_FALSE(keyfile::writeValue(dir / "no such folder" / "data.txt", "DATA", "A", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));
    EXPECT_FALSE(keyfile::readValue(dir / "missing.txt", "DATA", "A", value));
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(keyfile::writeValue(dir / "folder", "DATA", "A", "1"));
    EXPECT_FALSE(keyfile::readValue(dir / "folder", "DATA", "A", value));
}

} // namespace
