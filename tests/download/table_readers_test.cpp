// The table readers: the bytes each kind of file becomes, and the files they refuse.

#include "config/number_text.h"
#include "download/table_readers.h"
#include "download_test_support.h"
#include "support/device_files.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Reader = bool (*)(const std::string&, FlashRegion&, RunState&, DownloadObserver&);

Bytes bytesAt(const FlashRegion& region, std::size_t offset, std::size_t count)
{
    return Bytes(region.data.begin() + static_cast<std::ptrdiff_t>(offset),
                 region.data.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

// A table of edge^3 groups whose outputs encode the group's own position (outer, middle,
// inner) as fields of scale 1023, with the ignored inputs set to something else.
std::string positionTable(int edge)
{
    auto field = [](int value) { return formatFixed(value / 1023.0, 0, 7); };
    std::string text;
    for (int a = 0; a < edge; ++a)
        for (int b = 0; b < edge; ++b)
            for (int c = 0; c < edge; ++c)
                text += "9 9 9 " + field(a) + " " + field(b) + " " + field(c) + "\r\n";
    return text;
}

class TableReaders : public ::testing::Test, protected ScratchFolder {
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

    RunState state;
    RecordingObserver observer;
};

TEST_F(TableReaders, PackTenBitsPutsFourFieldsIntoFiveBytesMostSignificantBitFirst)
{
    Bytes buffer(6, 0);
    std::uint32_t position = 0;
    std::uint8_t phase = 0;
    for (std::uint16_t field : std::initializer_list<std::uint16_t>{1023, 0, 1023, 0})
        phase = packTenBits(phase, field, buffer, position);
    EXPECT_EQ(buffer, (Bytes{0xFF, 0xC0, 0x0F, 0xFC, 0x00, 0x00}));
    EXPECT_EQ(position, 5u);
    EXPECT_EQ(phase, 0);

    // Phase 6 puts the top two bits at the bottom of the byte and the low eight in the next.
    Bytes tail(2, 0);
    std::uint32_t at = 0;
    EXPECT_EQ(packTenBits(6, 0x2A5, tail, at), 0);
    EXPECT_EQ(tail, (Bytes{0x02, 0xA5}));

    // A field that runs past the buffer's end leaves the bytes beyond it alone.
    Bytes one(1, 0);
    at = 0;
    packTenBits(0, 1023, std::span(one), at);
    EXPECT_EQ(one, Bytes{0xFF});
}

TEST_F(TableReaders, A64Or65CubedTableFillsOneMebibyteOfRowsClosedByFillers)
{
    for (int edge : {64, 65}) {
        SCOPED_TRACE(edge);
        observer.events.clear();
        FlashRegion region = bufferOf(0x100000);
        ASSERT_TRUE(readColorTableFile(file("t.txt", positionTable(edge)), region, state, observer));
        EXPECT_EQ(region.fillCount, 0x100000u);
        EXPECT_EQ(state.packPhase, 0);
        // Progress after every row, once its filler is written.
        ASSERT_EQ(observer.events.size(), 4096u);
        EXPECT_EQ(observer.events.front(), "status: Read count is 256 and total is 256");
        // The inner index runs along the row; the row number is outer * 64 + middle. Of a
        // 65-cubed table the 65th entry of each run, row and plane is gone.
        for (std::size_t row = 0; row < 4096; ++row) {
            ASSERT_EQ(bytesAt(region, row * 256 + 240, 16), Bytes(16, 0x5A)) << "row " << row;
            for (std::size_t entry = 0; entry < 64; ++entry) {
                ASSERT_EQ(unpackField(region.data, row * 256, entry * 3), row / 64) << row << " " << entry;
                ASSERT_EQ(unpackField(region.data, row * 256, entry * 3 + 1), row % 64) << row << " " << entry;
                ASSERT_EQ(unpackField(region.data, row * 256, entry * 3 + 2), entry) << row << " " << entry;
            }
        }
    }
}

TEST_F(TableReaders, LutValuesBecomeBigEndianWordsOfTheirScaleWhateverTheLineLayout)
{
    const std::string lut = file("lut.txt", "1.0 0.5\t0\r\n0.1\n-0.0000001 +0.25\r\n");
    FlashRegion first = bufferOf(64);
    ASSERT_TRUE(readFirstLutFile(lut, first, state, observer));
    // Progress after every value; the count is in bytes.
    std::vector<std::string> progress;
    for (int bytes = 2; bytes <= 12; bytes += 2)
        progress.push_back("status: Read count is " + std::to_string(bytes) + " and total is " + std::to_string(bytes));
    EXPECT_EQ(observer.events, progress);
    // 0.1 -> 6554 (0x199A); a tiny negative value rounds to 0; 0.25 -> 16384.25 -> 16384.
    EXPECT_EQ(bytesAt(first, 0, 12), (Bytes{0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x19, 0x9A, 0x00, 0x00, 0x40, 0x00}));

    FlashRegion second = bufferOf(64);
    ASSERT_TRUE(readSecondLutFile(lut, second, state, observer));
    // 0.1 -> 102.8 -> 102 (0x66); 0.25 -> 256.25 -> 256.
    EXPECT_EQ(bytesAt(second, 0, 12), (Bytes{0x03, 0xFF, 0x02, 0x00, 0x00, 0x00, 0x00, 0x66, 0x00, 0x00, 0x01, 0x00}));
}

TEST_F(TableReaders, MatrixCoefficientsAreSignMagnitudeWordsInABlockOf256Bytes)
{
    const std::string matrix = file("m.txt", "-1.0 1.0 0.0\r\n0.5 -0.25 1.5e-005\r\n" + repeatedLines("0 0 0", 4));
    FlashRegion region = bufferOf(512);
    region.fillCount = 8;
    ASSERT_TRUE(readMatrixFile(matrix, region, state, observer));
    // -1 -> n = -65534, magnitude 32767; +1 -> 65535 -> 32767; 0.5 -> 32768 -> 16384;
    // -0.25 -> -16383 -> 8191; 1.5e-5 -> 1 -> 0.
    const Bytes expected{0x80, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x00, 0x40, 0x00, 0x80, 0x00, 0x1F, 0xFF, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(bytesAt(region, 8, 24), expected);
    EXPECT_EQ(region.fillCount, 8u + 256u);
    EXPECT_EQ(bytesAt(region, 32, 232), Bytes(232, 0));
    EXPECT_EQ(observer.events.back(), "status: Read count is 72 and total is 80");

    // Over other bytes: sign and zero bytes and the padding are written outright; the
    // magnitude is ORed.
    FlashRegion used = bufferOf(256);
    std::fill(used.data.begin(), used.data.end(), 0x11);
    ASSERT_TRUE(readMatrixFile(file("half.txt", "0.5 0 0\r\n" + repeatedLines("0 0 0", 5)), used, state, observer));
    EXPECT_EQ(bytesAt(used, 0, 12), (Bytes{0x00, 0x00, 0x51, 0x11, 0x00, 0x00, 0x11, 0x11, 0x00, 0x00, 0x11, 0x11}));
    EXPECT_EQ(bytesAt(used, 72, 184), Bytes(184, 0));
}

TEST_F(TableReaders, AnOsdImageIsCopiedByteForByteAndFollowedBy224ZeroBytes)
{
    std::string image(20000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 7 + 1);
    image.replace(100, 3, "\r\n\x1a"); // no text-mode translation
    FlashRegion region = bufferOf(2 * 20224);
    const std::string path = file("osd.bin", image);
    ASSERT_TRUE(readOsdImageFile(path, region, state, observer));
    EXPECT_EQ(region.fillCount, 20224u);
    // Progress after every byte; the gap is not counted.
    ASSERT_EQ(observer.events.size(), 20000u);
    EXPECT_EQ(observer.events.front(), "status: Read count is 1 and total is 1");

    ASSERT_TRUE(readOsdImageFile(path, region, state, observer));
    EXPECT_EQ(region.fillCount, 40448u);
    EXPECT_EQ(std::string(region.data.begin(), region.data.begin() + 20000), image);
    EXPECT_EQ(bytesAt(region, 20000, 224), Bytes(224, 0));
    EXPECT_EQ(std::string(region.data.begin() + 20224, region.data.begin() + 40224), image);
    EXPECT_EQ(observer.events.back(), "status: Read count is 20000 and total is 40224");
}

TEST_F(TableReaders, AFileThatDoesNotOpenLeavesTheRegionAloneAndAppendsItsName)
{
    FlashRegion region = bufferOf(256);
    const std::string missing = (dir / "missing.txt").string();
    EXPECT_FALSE(readFirstLutFile(missing, region, state, observer));
    EXPECT_FALSE(readOsdImageFile("", region, state, observer));
    EXPECT_FALSE(readColorTableFile(missing, region, state, observer));
    EXPECT_EQ(state.errorText,
              "Unable to open file " + missing + "Unable to open file" + "Unable to open file " + missing);
    EXPECT_EQ(region.fillCount, 0u);
    EXPECT_TRUE(observer.events.empty());
}

// Files the readers refuse: text that is not a number, values that do not fit their
// fields, 3D tables of the wrong size, and files with more data than the buffer holds.

TEST_F(TableReaders, EachRefusedFileEndsWithAMessageNamingItAndNothingWrittenPastTheBuffer)
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
        {"LUT text", readSecondLutFile, "0.5\r\n0.25\r\nn/a\r\n0.75\r\n", 256,
         "Unable to read file %: \"n/a\" is not a number"},
        {"matrix text", readMatrixFile, "1 0 0\r\n0 1 x\r\n", 256, "Unable to read file %: \"x\" is not a number"},
        {"LUT value", readFirstLutFile, "0.5 1.5 0.5", 16,
         "Unable to use file %: the value 1.5 does not fit its field (0 to 1)"},
        {"1000 table groups", readColorTableFile, repeatedLines(group, 1000), 0x100000,
         "Unable to use the Chromix 3D table file %: it holds 1000 groups of six numbers instead of 262144 (64 x 64 x 64) or "
         "274625 (65 x 65 x 65)"},
        {"table group cut short", readColorTableFile, almost + "0 0 0 0.5 0.5\r\n", 0x100000,
         "Unable to use the Chromix 3D table file %: it ends inside a group of six numbers"},
        {"table value", readColorTableFile, almost + "0 0 0 0.5 1.2 0.5\r\n", 0x100000,
         "Unable to use file %: the value 1.2 does not fit its field (0 to 1)"},
        {"matrix group cut short", readMatrixFile, "1 0 0\r\n0 1\r\n", 256,
         std::string(kSizeMismatchText) + " %: 5 numbers instead of six lines of three"},
        // More data than the buffer holds.
        {"LUT too long", readFirstLutFile, "1 1 1", 5, kSizeMismatchText},
        {"OSD image too long", readOsdImageFile, std::string(101, 'x'), 100, kSizeMismatchText},
        // The 224-byte gap after an image must fit too: 76 + 224 fills 300 bytes, 77 does not.
        {"OSD gap too long", readOsdImageFile, std::string(77, 'x'), 300, kSizeMismatchText},
        {"table too long", readColorTableFile, repeatedLines("0 0 0 1 1 1", 64 * 64 * 64), 0x100000 - 1,
         kSizeMismatchText},
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

TEST_F(TableReaders, LutValuesFitWhereTheirConvertedFieldFits)
{
    // The limits are those of the converted field: 1.0000001 still rounds to the top code.
    const std::tuple<std::string, Reader, bool> cases[] = {
        {"1.0000001", readFirstLutFile, true}, {"1.5", readFirstLutFile, false},  {"-0.1", readSecondLutFile, false},
        {"-0.0004", readSecondLutFile, true},  {"inf", readSecondLutFile, false}, {"nan", readFirstLutFile, false},
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

TEST_F(TableReaders, MatrixMagnitudesOfTwoOrMoreAreRefused)
{
    FlashRegion region = bufferOf(256);
    EXPECT_EQ(refusal(readMatrixFile, "1.99 -1.99 0\r\n" + repeatedLines("0 0 0", 5), region), "");
    // 1.99 x 65535 + 0.5 = 130415.15 -> 130415, magnitude 65207 = 0xFEB7.
    EXPECT_EQ(bytesAt(region, 2, 2), (Bytes{0xFE, 0xB7}));

    for (const char* value : {"2.0", "-2", "2.5", "nan", "-inf"}) {
        const std::string error = refusal(readMatrixFile, std::string("0 0 ") + value + "\r\n");
        EXPECT_NE(error.find((dir / "input").string() + ": the value "), std::string::npos) << error;
        EXPECT_NE(error.find("(magnitude below 2)"), std::string::npos) << error;
    }
}

// An empty matrix file, one a save was still writing, or one of another size would
// download as a wrong matrix reported as a success.
TEST_F(TableReaders, MatrixFilesOtherThanSixLinesOfThreeAreRefusedWithNothingStored)
{
    for (std::size_t lines : std::initializer_list<std::size_t>{0, 4, 5, 6, 7, 12, 21, 22}) {
        FlashRegion region = bufferOf(512);
        std::fill(region.data.begin() + 256, region.data.end(), 0xAB);
        const std::string error = refusal(readMatrixFile, repeatedLines("0.5 0.5 0.5", lines), region);
        if (lines == 6) {
            EXPECT_EQ(error, "");
            EXPECT_EQ(region.fillCount, 256u);
        } else {
            EXPECT_EQ(error,
                      std::string(kSizeMismatchText) + " " + (dir / "input").string() + ": " + std::to_string(lines * 3)
                          + " numbers instead of six lines of three");
            EXPECT_EQ(region.fillCount, 0u);
            EXPECT_EQ(bytesAt(region, 0, 256), Bytes(256, 0)) << lines;
        }
        EXPECT_EQ(bytesAt(region, 256, 256), Bytes(256, 0xAB)) << lines;
    }
}

// A FIFO would stall the run for ever and a device would be read without end: every
// reader refuses what is no regular file, naming it and why.
TEST_F(TableReaders, FilesThatAreNotRegularFilesAreRefusedAtOnce)
{
    std::vector<std::pair<std::string, std::string>> refused{{dir.path().string(), "a folder"}};
    for (const std::string& device : endlessDevices())
        refused.emplace_back(device, "a character device");
    if (makeFifo(dir / "fifo"))
        refused.emplace_back((dir / "fifo").string(), "a FIFO");
    for (Reader reader : {readColorTableFile, readOsdImageFile, readFirstLutFile, readSecondLutFile, readMatrixFile}) {
        for (const auto& [path, kind] : refused) {
            FlashRegion region = bufferOf(0x100000);
            RunState run;
            EXPECT_FALSE(reader(path, region, run, observer));
            EXPECT_EQ(run.errorText, "Unable to open file " + path + ": not a regular file but " + kind);
            EXPECT_EQ(region.fillCount, 0u);
        }
    }
}

} // namespace
