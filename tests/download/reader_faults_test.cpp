// Files the readers refuse: text that is not a number, values that do not fit their
// fields, 3D tables of the wrong size, and files with more data than the buffer holds.

#include "download/table_readers.h"
#include "download_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

class ReaderFaults : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& content)
    {
        writeFile(dir / name, content);
        return (dir / name).string();
    }

    TempDir dir;
    RunState state;
    RecordingObserver observer;
};

TEST_F(ReaderFaults, TextThatIsNotANumberRefusesTheFileInsteadOfLooping)
{
    const std::string lut = file("lut.txt", "0.5\r\n0.25\r\nn/a\r\n0.75\r\n");
    FlashRegion region = bufferOf(64);
    EXPECT_FALSE(readSecondLutFile(lut, region, state, observer));
    EXPECT_EQ(state.errorText, "Unable to read file " + lut + ": \"n/a\" is not a number");

    RunState matrixState;
    const std::string matrix = file("m.txt", "1 0 0\r\n0 1 x\r\n");
    FlashRegion block = bufferOf(256);
    EXPECT_FALSE(readMatrixFile(matrix, block, matrixState, observer));
    EXPECT_EQ(matrixState.errorText, "Unable to read file " + matrix + ": \"x\" is not a number");
}

TEST_F(ReaderFaults, LutValuesOutsideZeroToOneAreRefusedWithTheFileAndValue)
{
    struct Case {
        std::string value;
        bool second;
        bool accepted;
    };
    // The limits are those of the converted field: 1.0000001 still rounds to the top code.
    const Case cases[] = {{"1.0000001", false, true}, {"1.5", false, false}, {"-0.1", true, false},
                          {"-0.0004", true, true},    {"inf", true, false},  {"nan", false, false},
                          {"1e30", false, false}};
    for (const Case& c : cases) {
        RunState run;
        FlashRegion region = bufferOf(16);
        const std::string lut = file("lut.txt", "0.5 " + c.value + " 0.5");
        const bool read = c.second ? readSecondLutFile(lut, region, run, observer) : readFirstLutFile(lut, region, run, observer);
        EXPECT_EQ(read, c.accepted) << c.value;
        if (!c.accepted) {
            EXPECT_EQ(run.errorText.rfind("Unable to use file " + lut + ": the value ", 0), 0u) << run.errorText;
            EXPECT_NE(run.errorText.find("does not fit its field (0 to 1)"), std::string::npos) << run.errorText;
        }
    }
    RunState run;
    FlashRegion region = bufferOf(16);
    EXPECT_FALSE(readFirstLutFile(file("lut.txt", "1.5"), region, run, observer));
    EXPECT_EQ(run.errorText, "Unable to use file " + (dir / "lut.txt").string() + ": the value 1.5 does not fit its field (0 to 1)");
}

TEST_F(ReaderFaults, MatrixMagnitudesOfTwoOrMoreAreRefused)
{
    FlashRegion region = bufferOf(256);
    EXPECT_TRUE(readMatrixFile(file("ok.txt", "1.99 -1.99 0\r\n"), region, state, observer));
    // 1.99 x 65535 + 0.5 = 130415.15 -> 130415, magnitude 65207 = 0xFEB7.
    EXPECT_EQ(region.data[2], 0xFE);
    EXPECT_EQ(region.data[3], 0xB7);

    for (const char* value : {"2.0", "-2", "2.5", "nan", "-inf"}) {
        RunState run;
        FlashRegion block = bufferOf(256);
        const std::string matrix = file("m.txt", std::string("0 0 ") + value + "\r\n");
        EXPECT_FALSE(readMatrixFile(matrix, block, run, observer)) << value;
        EXPECT_NE(run.errorText.find(matrix + ": the value "), std::string::npos) << run.errorText;
        EXPECT_NE(run.errorText.find("(magnitude below 2)"), std::string::npos) << run.errorText;
    }
}

TEST_F(ReaderFaults, A3DTableValueOutsideZeroToOneIsRefused)
{
    std::string table = repeatedLines("0 0 0 0.5 0.5 0.5", 64 * 64 * 64 - 1);
    table += "0 0 0 0.5 1.2 0.5\r\n";
    FlashRegion region = bufferOf(0x100000);
    EXPECT_FALSE(readColorTableFile(file("t.txt", table), region, state, observer));
    EXPECT_EQ(state.errorText, "Unable to use file " + (dir / "t.txt").string() + ": the value 1.2 does not fit its field (0 to 1)");
}

TEST_F(ReaderFaults, A3DTableOfTheWrongSizeNamesTheFileAndItsGroupCount)
{
    const std::string small = file("small.txt", repeatedLines("0 0 0 0.5 0.5 0.5", 1000));
    FlashRegion region = bufferOf(0x100000);
    EXPECT_FALSE(readColorTableFile(small, region, state, observer));
    EXPECT_EQ(state.errorText, "Unable to use the Chromix 3D table file " + small
                                   + ": it holds 1000 groups of six numbers instead of 262144 (64 x 64 x 64) or 274625 (65 x 65 x 65)");
    EXPECT_EQ(region.fillCount, 0u);
    EXPECT_EQ(region.data, std::vector<std::uint8_t>(0x100000, 0));

    // One number short of 64-cubed groups: the last group is incomplete.
    RunState run;
    std::string shortTable = repeatedLines("0 0 0 0.5 0.5 0.5", 64 * 64 * 64 - 1) + "0 0 0 0.5 0.5\r\n";
    const std::string shortPath = file("short.txt", shortTable);
    EXPECT_FALSE(readColorTableFile(shortPath, region, run, observer));
    EXPECT_EQ(run.errorText, "Unable to use the Chromix 3D table file " + shortPath + ": it ends inside a group of six numbers");
}

TEST_F(ReaderFaults, AMatrixFileOfMoreThan21GroupsNeverRunsPastItsBlock)
{
    FlashRegion region = bufferOf(512);
    std::fill(region.data.begin() + 256, region.data.end(), 0xAB);
    EXPECT_TRUE(readMatrixFile(file("21.txt", repeatedLines("0.5 0.5 0.5", 21)), region, state, observer));
    EXPECT_EQ(region.fillCount, 256u);
    EXPECT_EQ(region.data[251], 0x00); // last magnitude byte of group 21
    EXPECT_EQ(region.data[250], 0x40);
    EXPECT_EQ(std::vector<std::uint8_t>(region.data.begin() + 252, region.data.begin() + 256), std::vector<std::uint8_t>(4, 0));

    FlashRegion next = bufferOf(512);
    std::fill(next.data.begin() + 256, next.data.end(), 0xAB);
    RunState run;
    EXPECT_FALSE(readMatrixFile(file("22.txt", repeatedLines("0.5 0.5 0.5", 22)), next, run, observer));
    EXPECT_EQ(run.errorText, kSizeMismatchText);
    EXPECT_EQ(std::vector<std::uint8_t>(next.data.begin() + 256, next.data.end()), std::vector<std::uint8_t>(256, 0xAB));

    RunState partial;
    FlashRegion block = bufferOf(256);
    const std::string partialPath = file("partial.txt", "1 0 0\r\n0 1\r\n");
    EXPECT_FALSE(readMatrixFile(partialPath, block, partial, observer));
    EXPECT_EQ(partial.errorText, "Unable to use the matrix file " + partialPath + ": it ends inside a group of three numbers");
}

TEST_F(ReaderFaults, FilesLargerThanTheBufferEndWithTheSizeTextAndWriteNothingPastIt)
{
    FlashRegion lutRegion = bufferOf(5);
    EXPECT_FALSE(readFirstLutFile(file("lut.txt", "1 1 1"), lutRegion, state, observer));
    EXPECT_EQ(state.errorText, kSizeMismatchText);
    EXPECT_EQ(lutRegion.fillCount, 4u);

    RunState osdRun;
    FlashRegion osdRegion = bufferOf(100);
    EXPECT_FALSE(readOsdImageFile(file("osd.bin", std::string(101, 'x')), osdRegion, osdRun, observer));
    EXPECT_EQ(osdRun.errorText, kSizeMismatchText);

    RunState tableRun;
    FlashRegion tableRegion = bufferOf(0x100000 - 1);
    EXPECT_FALSE(readColorTableFile(file("t.txt", repeatedLines("0 0 0 1 1 1", 64 * 64 * 64)), tableRegion, tableRun, observer));
    EXPECT_EQ(tableRun.errorText, kSizeMismatchText);

    RunState matrixRun;
    FlashRegion matrixRegion = bufferOf(300);
    matrixRegion.fillCount = 100;
    EXPECT_FALSE(readMatrixFile(file("m.txt", "1 0 0"), matrixRegion, matrixRun, observer));
    EXPECT_EQ(matrixRun.errorText, kSizeMismatchText);
}

} // namespace
