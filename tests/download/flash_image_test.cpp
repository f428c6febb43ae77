#include "download/flash_image.h"
#include "download/flash_image_report.h"
#include "download/table_readers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Bytes = std::vector<std::uint8_t>;

void putWord(Bytes& bytes, std::size_t offset, std::uint16_t word)
{
    bytes[offset] = static_cast<std::uint8_t>(word >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(word & 0xFF);
}

// Regions as a complete run leaves them: tables whose every field of table k is 100 k,
// fourteen images and the calibration block.
std::array<FlashRegion, 3> filledRegions()
{
    std::array<FlashRegion, 3> regions = makeFlashRegions();
    for (FlashRegion& region : regions) {
        region.selected = true;
        region.data.assign(region.paddedSize, 0);
    }
    Bytes& tables = regions[0].data;
    for (std::uint32_t row = 0; row < 6 * 4096; ++row) {
        const std::uint16_t field = static_cast<std::uint16_t>(100 * (row / 4096 + 1));
        std::uint32_t position = row * 256;
        std::uint8_t phase = 0;
        for (int k = 0; k < 192; ++k)
            phase = packTenBits(phase, field, tables, position);
        std::fill_n(tables.begin() + row * 256 + 240, 16, 0x5A);
    }
    for (std::size_t i = 0; i < 14; ++i)
        std::fill_n(regions[1].data.begin() + static_cast<std::ptrdiff_t>(i * 20224), 20000,
                    static_cast<std::uint8_t>(0x10 + i));
    Bytes& lut = regions[2].data;
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t i = 0; i < 1024; ++i)
            putWord(lut, c * 0x800 + 2 * i, static_cast<std::uint16_t>(i * 64 + c));
        for (std::size_t i = 0; i < 8192; ++i)
            putWord(lut, 0x1900 + c * 0x4000 + 2 * i, static_cast<std::uint16_t>(i / 8));
    }
    // Native matrix: -1 on the diagonal; D65 matrix: +0.5 on the diagonal.
    for (std::size_t k = 0; k < 18; ++k) {
        if (k % 9 % 4 != 0)
            continue;
        const std::size_t word = 0x1800 + 4 * k;
        lut[word] = k < 9 ? 0x80 : 0x00;
        putWord(lut, word + 2, k < 9 ? 0x7FFF : 0x4000);
    }
    return regions;
}

TEST(FlashImage, RegionsLieAtTheirAddressesTheRestIsErasedAndTheLayoutFollowsTheAddresses)
{
    const std::array<FlashRegion, 3> regions = filledRegions();
    const Bytes image = composeFlashImage(regions);
    ASSERT_EQ(image.size(), 0x800000u);
    for (const FlashRegion& region : regions)
        EXPECT_TRUE(std::equal(region.data.begin(), region.data.end(), image.begin() + region.start)) << region.name;
    EXPECT_TRUE(std::all_of(image.begin() + 0x750000, image.end(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(flashLayoutText(regions),
              "0x000000:0x5fffff 3d_color_tables\r\n"
              "0x600000:0x60ffff 1d_luts_and_matrices\r\n"
              "0x700000:0x74ffff 3d_color_table_osd_images\r\n");
}

TEST(FlashImageInspection, DecodesMatricesLutsTablesAndImagesAndListsWhatDoesNotDecode)
{
    std::array<FlashRegion, 3> regions = filledRegions();
    regions[0].data[0x100000 + 5 * 256 + 250] = 0x00; // a filler of table 2
    putWord(regions[2].data, 0x5900 + 2 * 10, 0x0400); // bit 10 of a green second-LUT word
    putWord(regions[2].data, 0x0800 + 2 * 20, 0x0000); // a dip in the green first LUT
    regions[2].data[0x1800 + 4 * 3 + 1] = 0x01; // a matrix word with bits 16-23 set
    regions[1].data[3 * 20224 + 20100] = 0x01; // inside the gap after image 4
    const FlashImageInspection inspection = inspectFlashImage(composeFlashImage(regions));

    const CalibrationArea& calibration = inspection.calibration;
    ASSERT_FALSE(calibration.erased);
    EXPECT_EQ(calibration.firstLuts[1].length, 1024u);
    EXPECT_EQ(calibration.firstLuts[1].first, 1);
    EXPECT_EQ(calibration.firstLuts[1].last, 1023 * 64 + 1);
    EXPECT_FALSE(calibration.firstLuts[1].monotonic);
    EXPECT_EQ(calibration.firstLuts[1].firstDecrease, 20u);
    EXPECT_TRUE(calibration.firstLuts[2].monotonic);
    EXPECT_EQ(calibration.secondLuts[2].length, 8192u);
    EXPECT_EQ(calibration.secondLuts[2].last, 1023);
    // 32767 units of 2 / 65535 and 16384 units: 0.9999847 and 0.5000076.
    EXPECT_NEAR(calibration.nativeMatrix[0][0], -0.99998474, 1e-8);
    EXPECT_NEAR(calibration.nativeMatrix[2][2], -0.99998474, 1e-8);
    EXPECT_EQ(calibration.nativeMatrix[0][1], 0.0);
    EXPECT_NEAR(calibration.d65Matrix[1][1], 0.50000763, 1e-8);

    EXPECT_EQ(inspection.intactTables, 5u);
    EXPECT_EQ(inspection.colorTables[1].damagedRows, 1u);
    EXPECT_EQ(inspection.colorTables[0].firstEntry, (std::array<std::uint16_t, 3>{100, 100, 100}));
    EXPECT_EQ(inspection.colorTables[5].lastEntry, (std::array<std::uint16_t, 3>{600, 600, 600}));
    EXPECT_EQ(inspection.osd.imagesWithCleanGap, 13u);
    EXPECT_TRUE(inspection.untouchedErased);
    EXPECT_EQ(inspection.problems,
              (std::vector<std::string>{
                  "second 1D LUT Green: 1 words have bits above the 10-bit value set",
                  "matrix coefficient 4: bits 16 to 30 are not zero",
                  "3D table 2: 1 rows without their 16 bytes of 0x5A",
                  "OSD image 4: the 224 bytes after it are not zero",
              }));
    EXPECT_EQ(inspectFlashImage(Bytes(1000, 0xFF)).problems,
              std::vector<std::string>{"the image holds 1000 bytes, not 8388608"});
}

} // namespace
