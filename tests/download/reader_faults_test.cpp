// Files the readers refuse: text that is not a number, values that do not fit their
// fields, 3D tables of the wrong size, and files with more data than the buffer holds.

#include "download/table_readers.h"
#include "download_test_support.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

class ReaderFaults : public ::testing::Test, protected ScratchFolder {
protected:
    RecordingObserver observer;
};

TEST_F(ReaderFaults, TextThatIsNotANumberRefusesTheFileInsteadOfLooping)
{
    RunState lutRun, matrixRun;
    FlashRegion region = bufferOf(256), block = bufferOf(256);
    const std::string lut = file("lut.txt", "0.5\r\n0.25\r\nn/a\r\n0.75\r\n");
    EXPECT_FALSE(readSecondLutFile(lut, region, lutRun, observer));
    EXPECT_EQ(lutRun.errorText, "Unable to read file " + lut + ": \"n/a\" is not a number");
    const std::string matrix = file("m.txt", "1 0 0\r\n0 1 x\r\n");
    EXPECT_FALSE(readMatrixFile(matrix, block, matrixRun, observer));
    EXPECT_EQ(matrixRun.errorText, "Unable to read file " + matrix + ": \"x\" is not a number");
}

TEST_F(ReaderFaults, LutValuesOutsideZeroToOneAreRefusedWithTheFileAndValue)
{
    // The limits are those of the converted field: 1.0000001 still rounds to the top code.
    const std::tuple<std::string, bool, bool> cases[] = {
        {"1.0000001", false, true}, {"1.5", false, false}, {"-0.1", true, false}, {"-0.0004", true, true},
        {"inf", true, false},       {"nan", false, false}, {"1e30", false, false}};
    for (const auto& [value, second, accepted] : cases) {
        RunState run;
        FlashRegion region = bufferOf(16);
        const std::string lut = file("lut.txt", "0.5 " + value + " 0.5");
        EXPECT_EQ(second ? readSecondLutFile(lut, region, run, observer) : readFirstLutFile(lut, region, run, observer), accepted)
            << value;
        if (!accepted) {
            EXPECT_EQ(run.errorText.rfind("Unable to use file " + lut + ": the value ", 0), 0u) << run.errorText;
            EXPECT_TRUE(run.errorText.ends_with("does not fit its field (0 to 1)")) << run.errorText;
        }
    }
    RunState run;
    FlashRegion region = bufferOf(16);
    EXPECT_FALSE(readFirstLutFile(file("lut.txt", "1.5"), region, run, observer));
    EXPECT_EQ(run.errorText, "Unable to use file " + (dir / "lut.txt").string() + ": the value 1.5 does not fit its field (0 to 1)");
}

TEST_F(ReaderFaults, MatrixMagnitudesOfTwoOrMoreAreRefused)
{
    RunState state;
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

TEST_F(ReaderFaults, A3DTableThatDoesNotFitIsRefusedWithItsName)
{
    const std::string group = "0 0 0 0.5 0.5 0.5";
    const std::string almost = repeatedLines(group, 64 * 64 * 64 - 1);
    const std::pair<std::string, std::string> cases[] = {
        {repeatedLines(group, 1000),
         "Unable to use the Chromix 3D table file %: it holds 1000 groups of six numbers instead of 262144 (64 x 64 x 64) or "
         "274625 (65 x 65 x 65)"},
        {almost + "0 0 0 0.5 0.5\r\n", "Unable to use the Chromix 3D table file %: it ends inside a group of six numbers"},
        {almost + "0 0 0 0.5 1.2 0.5\r\n", "Unable to use file %: the value 1.2 does not fit its field (0 to 1)"},
    };
    for (const auto& [content, message] : cases) {
        RunState run;
        FlashRegion region = bufferOf(0x100000);
        const std::string path = file("t.txt", content);
        EXPECT_FALSE(readColorTableFile(path, region, run, observer));
        EXPECT_EQ(run.errorText, std::string(message).replace(message.find('%'), 1, path));
    }
}

TEST_F(ReaderFaults, AMatrixFileOfMoreThan21GroupsNeverRunsPastItsBlock)
{
    RunState state;
    FlashRegion region = bufferOf(512);
    std::fill(region.data.begin() + 256, region.data.end(), 0xAB);
    EXPECT_TRUE(readMatrixFile(file("21.txt", repeatedLines("0.5 0.5 0.5", 21)), region, state, observer));
    EXPECT_EQ(region.fillCount, 256u);
    // The last magnitude of group 21 (16384) and four bytes of padding.
    EXPECT_EQ(Bytes(region.data.begin() + 248, region.data.begin() + 256), (Bytes{0x00, 0x00, 0x40, 0x00, 0, 0, 0, 0}));

    FlashRegion next = bufferOf(512);
    std::fill(next.data.begin() + 256, next.data.end(), 0xAB);
    RunState run;
    EXPECT_FALSE(readMatrixFile(file("22.txt", repeatedLines("0.5 0.5 0.5", 22)), next, run, observer));
    EXPECT_EQ(run.errorText, kSizeMismatchText);
    EXPECT_EQ(Bytes(next.data.begin() + 256, next.data.end()), Bytes(256, 0xAB));

    RunState partial;
    FlashRegion block = bufferOf(256);
    const std::string partialPath = file("partial.txt", "1 0 0\r\n0 1\r\n");
    EXPECT_FALSE(readMatrixFile(partialPath, block, partial, observer));
    EXPECT_EQ(partial.errorText, "Unable to use the matrix file " + partialPath + ": it ends inside a group of three numbers");
}

TEST_F(ReaderFaults, FilesLargerThanTheBufferEndWithTheSizeTextAndWriteNothingPastIt)
{
    RunState lutRun, osdRun, tableRun, matrixRun;
    FlashRegion lutRegion = bufferOf(5);
    EXPECT_FALSE(readFirstLutFile(file("lut.txt", "1 1 1"), lutRegion, lutRun, observer));
    EXPECT_EQ(lutRun.errorText, kSizeMismatchText);
    EXPECT_EQ(lutRegion.fillCount, 4u);

    FlashRegion osdRegion = bufferOf(100);
    EXPECT_FALSE(readOsdImageFile(file("osd.bin", std::string(101, 'x')), osdRegion, osdRun, observer));
    EXPECT_EQ(osdRun.errorText, kSizeMismatchText);
    // The 224-byte gap after an image must fit too: 76 + 224 fills 300 bytes exactly, 77 does not.
    RunState fitRun, gapRun;
    FlashRegion fitRegion = bufferOf(300), gapRegion = bufferOf(300);
    EXPECT_TRUE(readOsdImageFile(file("fit.bin", std::string(76, 'x')), fitRegion, fitRun, observer));
    EXPECT_EQ(fitRegion.fillCount, 300u);
    EXPECT_FALSE(readOsdImageFile(file("gap.bin", std::string(77, 'x')), gapRegion, gapRun, observer));
    EXPECT_EQ(gapRun.errorText, kSizeMismatchText);
    EXPECT_LE(gapRegion.fillCount, 300u);

    FlashRegion tableRegion = bufferOf(0x100000 - 1);
    EXPECT_FALSE(readColorTableFile(file("t.txt", repeatedLines("0 0 0 1 1 1", 64 * 64 * 64)), tableRegion, tableRun, observer));
    EXPECT_EQ(tableRun.errorText, kSizeMismatchText);

    FlashRegion matrixRegion = bufferOf(300);
    matrixRegion.fillCount = 100;
    EXPECT_FALSE(readMatrixFile(file("m.txt", "1 0 0"), matrixRegion, matrixRun, observer));
    EXPECT_EQ(matrixRun.errorText, kSizeMismatchText);
}

} // namespace
