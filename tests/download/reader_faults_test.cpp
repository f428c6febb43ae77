// Files the readers refuse: text that is not a number, values that do not fit their
// fields, 3D tables of the wrong size, and files with more data than the buffer holds.

#include "download/table_readers.h"
#include "download_test_support.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Reader = bool (*)(const std::string&, FlashRegion&, RunState&, DownloadObserver&);

class ReaderFaults : public ::testing::Test, protected ScratchFolder {
protected:
    // Reads `content` as the file "input" into `region`; returns the run's error text,
    // empty when the file was taken.
    std::string refusal(Reader reader, const std::string& content, FlashRegion& region)
    {
        RunState run;
        const bool taken = reader(file("input", content), region, run, observer);
        EXPECT_EQ(taken, run.errorText.empty()) << run.errorText;
        return run.errorText;
    }
    std::string refusal(Reader reader, const std::string& content, std::uint32_t size = 256)
    {
        FlashRegion region = bufferOf(size);
        return refusal(reader, content, region);
    }

    RecordingObserver observer;
};

TEST_F(ReaderFaults, EachRefusedFileEndsWithAMessageNamingItAndNothingWrittenPastTheBuffer)
{
    const std::string group = "0 0 0 0.5 0.5 0.5";
    const std::string almost = repeatedLines(group, 64 * 64 * 64 - 1);
    const struct {
        const char* what;
        Reader reader;
        std::string content;
        std::uint32_t size;
        std::string message; // "%" stands for the file's path
    } cases[] = {
        {"LUT text", readSecondLutFile, "0.5\r\n0.25\r\nn/a\r\n0.75\r\n", 256, "Unable to read file %: \"n/a\" is not a number"},
        {"matrix text", readMatrixFile, "1 0 0\r\n0 1 x\r\n", 256, "Unable to read file %: \"x\" is not a number"},
        {"LUT value", readFirstLutFile, "0.5 1.5 0.5", 16, "Unable to use file %: the value 1.5 does not fit its field (0 to 1)"},
        {"1000 table groups", readColorTableFile, repeatedLines(group, 1000), 0x100000,
         "Unable to use the Chromix 3D table file %: it holds 1000 groups of six numbers instead of 262144 (64 x 64 x 64) or "
         "274625 (65 x 65 x 65)"},
        {"table group cut short", readColorTableFile, almost + "0 0 0 0.5 0.5\r\n", 0x100000,
         "Unable to use the Chromix 3D table file %: it ends inside a group of six numbers"},
        {"table value", readColorTableFile, almost + "0 0 0 0.5 1.2 0.5\r\n", 0x100000,
         "Unable to use file %: the value 1.2 does not fit its field (0 to 1)"},
        {"matrix group cut short", readMatrixFile, "1 0 0\r\n0 1\r\n", 256,
         "Unable to use the matrix file %: it ends inside a group of three numbers"},
        // More data than the buffer holds.
        {"LUT too long", readFirstLutFile, "1 1 1", 5, kSizeMismatchText},
        {"OSD image too long", readOsdImageFile, std::string(101, 'x'), 100, kSizeMismatchText},
        // The 224-byte gap after an image must fit too: 76 + 224 fills 300 bytes, 77 does not.
        {"OSD gap too long", readOsdImageFile, std::string(77, 'x'), 300, kSizeMismatchText},
        {"table too long", readColorTableFile, repeatedLines("0 0 0 1 1 1", 64 * 64 * 64), 0x100000 - 1, kSizeMismatchText},
        {"matrix block too long", readMatrixFile, "1 0 0", 255, kSizeMismatchText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FlashRegion region = bufferOf(c.size);
        std::string expected = c.message;
        if (const auto at = expected.find('%'); at != std::string::npos)
            expected.replace(at, 1, (dir / "input").string());
        EXPECT_EQ(refusal(c.reader, c.content, region), expected);
        EXPECT_LE(region.fillCount, c.size);
    }
    EXPECT_EQ(refusal(readOsdImageFile, std::string(76, 'x'), 300), "");
}

TEST_F(ReaderFaults, LutValuesFitWhereTheirConvertedFieldFits)
{
    // The limits are those of the converted field: 1.0000001 still rounds to the top code.
    const std::tuple<std::string, Reader, bool> cases[] = {
        {"1.0000001", readFirstLutFile, true}, {"1.5", readFirstLutFile, false},   {"-0.1", readSecondLutFile, false},
        {"-0.0004", readSecondLutFile, true},  {"inf", readSecondLutFile, false},  {"nan", readFirstLutFile, false},
        {"1e30", readFirstLutFile, false}};
    for (const auto& [value, reader, accepted] : cases) {
        const std::string error = refusal(reader, "0.5 " + value + " 0.5", 16);
        EXPECT_EQ(error.empty(), accepted) << value;
        if (!accepted) {
            EXPECT_EQ(error.rfind("Unable to use file " + (dir / "input").string() + ": the value ", 0), 0u) << error;
            EXPECT_TRUE(error.ends_with("does not fit its field (0 to 1)")) << error;
        }
    }
}

TEST_F(ReaderFaults, MatrixMagnitudesOfTwoOrMoreAreRefused)
{
    FlashRegion region = bufferOf(256);
    EXPECT_EQ(refusal(readMatrixFile, "1.99 -1.99 0\r\n", region), "");
    // 1.99 x 65535 + 0.5 = 130415.15 -> 130415, magnitude 65207 = 0xFEB7.
    EXPECT_EQ(region.data[2], 0xFE);
    EXPECT_EQ(region.data[3], 0xB7);

    for (const char* value : {"2.0", "-2", "2.5", "nan", "-inf"}) {
        const std::string error = refusal(readMatrixFile, std::string("0 0 ") + value + "\r\n");
        EXPECT_NE(error.find((dir / "input").string() + ": the value "), std::string::npos) << error;
        EXPECT_NE(error.find("(magnitude below 2)"), std::string::npos) << error;
    }
}

TEST_F(ReaderFaults, AMatrixFileOfMoreThan21GroupsNeverRunsPastItsBlock)
{
    for (std::size_t groups : {21, 22}) {
        FlashRegion region = bufferOf(512);
        std::fill(region.data.begin() + 256, region.data.end(), 0xAB);
        const std::string error = refusal(readMatrixFile, repeatedLines("0.5 0.5 0.5", groups), region);
        EXPECT_EQ(error, groups == 21 ? "" : kSizeMismatchText);
        EXPECT_EQ(Bytes(region.data.begin() + 256, region.data.end()), Bytes(256, 0xAB)) << groups;
        if (groups == 21) {
            // The last magnitude of group 21 (16384) and four bytes of padding.
            EXPECT_EQ(Bytes(region.data.begin() + 248, region.data.begin() + 256), (Bytes{0x00, 0x00, 0x40, 0x00, 0, 0, 0, 0}));
        }
    }
}

} // namespace
