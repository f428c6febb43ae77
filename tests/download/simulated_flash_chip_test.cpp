// The simulated processor on its own: the chip's command set, timing and image file, and
// the adapter library in front of it.

#include "download/adapters/simulated_adapter_library.h"
#include "download/adapters/simulated_flash_chip.h"
#include "support/device_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class ChipTest : public ::testing::Test {
protected:
    // One chip-select cycle with `sent` clocked in and `readCount` bytes clocked out.
    Bytes cycle(const Bytes& sent, std::size_t readCount = 0)
    {
        Bytes received(readCount);
        EXPECT_TRUE(chip.select(sent, {}, received));
        return received;
    }
    static Bytes withAddress(std::uint8_t command, std::uint32_t address)
    {
        return {command, static_cast<std::uint8_t>(address >> 16), static_cast<std::uint8_t>(address >> 8),
                static_cast<std::uint8_t>(address)};
    }
    std::uint8_t status() { return cycle({0x05}, 1)[0]; }
    void writeEnable() { cycle({0x06}); }
    void program(std::uint32_t address, const Bytes& data)
    {
        Bytes sent = withAddress(0x02, address);
        sent.insert(sent.end(), data.begin(), data.end());
        cycle(sent);
    }
    // Write enable, program, and wait out the program time.
    void programPage(std::uint32_t address, const Bytes& data)
    {
        writeEnable();
        program(address, data);
        clock.advanceMicroseconds(700);
    }
    void erase(std::uint32_t address) { cycle(withAddress(0xD8, address)); }
    Bytes read(std::uint32_t address, std::size_t count) { return cycle(withAddress(0x03, address), count); }

    SimulatedClock clock;
    SimulatedFlashChip chip{kW25Q64, clock};
};

TEST_F(ChipTest, ProgramNeedsAWriteEnableClearsOnlyBitsAndWrapsInsideItsPage)
{
    EXPECT_EQ(status(), 0x00);
    program(0x100, {0x00});
    EXPECT_EQ(read(0x100, 1)[0], 0xFF) << "a program without write enable is ignored";
    writeEnable();
    EXPECT_EQ(status(), 0x02);
    cycle({0x04});
    EXPECT_EQ(status(), 0x00) << "write disable clears the latch";

    writeEnable();
    program(0x100, {0xF0});
    EXPECT_EQ(status(), 0x03) << "busy, latch still set while programming";
    clock.advanceMicroseconds(700);
    EXPECT_EQ(status(), 0x00) << "the latch is gone once the program is done";
    program(0x101, {0x00});
    programPage(0x100, {0x3C});
    EXPECT_EQ(read(0x100, 2), (Bytes{0x30, 0xFF})) << "bits only cleared; a second program needs a new write enable";

    // 32 bytes from 16 before the end of the page at 0x2000: the last 16 land at its start.
    Bytes data(32);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    programPage(0x20F0, data);
    EXPECT_EQ(read(0x20F0, 16), Bytes(data.begin(), data.begin() + 16));
    EXPECT_EQ(read(0x2000, 16), Bytes(data.begin() + 16, data.end()));
    EXPECT_EQ(read(0x2100, 1)[0], 0xFF) << "nothing spills into the next page";
}

TEST_F(ChipTest, BusyForTheTypicalTimesAndEraseClearsExactlyTheBlockHoldingTheAddress)
{
    for (std::uint32_t address : {0x1FFFFu, 0x20000u, 0x2FFFFu})
        programPage(address, {0x00});
    writeEnable();
    program(0x30000, {0x00});
    clock.advanceMicroseconds(699);
    EXPECT_EQ(status() & 0x01, 0x01);
    writeEnable();
    EXPECT_EQ(read(0x30000, 1)[0], 0xFF) << "a busy chip does not answer reads";
    clock.advanceMicroseconds(1);
    EXPECT_EQ(status(), 0x00) << "the write enable sent while busy was ignored";

    writeEnable();
    erase(0x2ABCD);
    clock.advanceMicroseconds(149'999);
    EXPECT_EQ(status(), 0x03);
    clock.advanceMicroseconds(1);
    EXPECT_EQ(status(), 0x00);
    EXPECT_EQ(read(0x1FFFF, 2), (Bytes{0x00, 0xFF}));
    EXPECT_EQ(read(0x2FFFF, 2), (Bytes{0xFF, 0x00}));
}

TEST(SimulatedChipImage, MissingFileIsABlankChipWrittenBackAtWriteDisable)
{
    TempDir dir;
    const auto image = dir / "flash.bin";
    SimulatedClock clock;
    SimulatedFlashChip chip(kW25Q64, clock, image);
    std::string error;
    ASSERT_TRUE(chip.loadImage(error)) << error;
    EXPECT_FALSE(std::filesystem::exists(image));

    Bytes received;
    chip.select(Bytes{0x06}, {}, received);
    chip.select(Bytes{0x02, 0x7F, 0xFF, 0xFF, 0x12}, {}, received);
    clock.advanceMicroseconds(700);
    chip.select(Bytes{0x04}, {}, received);
    EXPECT_EQ(readFile(image), std::string(0x7FFFFF, '\xff') + '\x12');

    SimulatedFlashChip reopened(kW25Q64, clock, image);
    chip.releaseImage();
    ASSERT_TRUE(reopened.loadImage(error)) << error;
    EXPECT_EQ(reopened.contents()[0x7FFFFF], 0x12);

    // An image of another size is refused and left alone.
    writeFile(image, "not a flash image");
    EXPECT_FALSE(reopened.loadImage(error));
    EXPECT_EQ(error, "The flash image " + image.string() + " holds 17 bytes, not 8388608");
    EXPECT_EQ(readFile(image), "not a flash image");
}

// One program at a time uses an image: two downloads writing one image back whole would
// lose one's regions. What a killed download left behind is cleared; an image that cannot
// be used is refused at once, with the path, rather than failing half-way through a run.
TEST(SimulatedChipImage, OneUserAtATimeAndUnusableImagesRefusedAtLoad)
{
    TempDir dir;
    const auto image = dir / "flash.bin";
    SimulatedClock clock;
    SimulatedFlashChip first(kW25Q64, clock, image);
    SimulatedFlashChip second(kW25Q64, clock, image);
    const auto leftover = dir / ".flash.bin.tmp-999999-0123456789ab";
    writeFile(leftover, "partial");
    std::string error;
    ASSERT_TRUE(first.loadImage(error)) << error;
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_FALSE(second.loadImage(error));
    EXPECT_EQ(error,
              "The flash image " + image.string() + " cannot be used: " + image.string()
                  + ".lock: in use by another program");
    first.releaseImage();
    EXPECT_TRUE(second.loadImage(error)) << error;
    second.releaseImage();

    std::vector<std::pair<std::filesystem::path, std::string>> refused = {
        {dir / "missing" / "flash.bin",
         "The folder of the flash image " + (dir / "missing" / "flash.bin").string() + " does not exist"}};
    for (const std::string& device : endlessDevices())
        refused.emplace_back(
            device, "Unable to read the flash image " + device + ": not a regular file but a character device");
    for (const auto& [path, message] : refused) {
        SimulatedFlashChip chip(kW25Q64, clock, path);
        EXPECT_FALSE(chip.loadImage(error));
        EXPECT_EQ(error, message);
    }
}

// The adapter library in front of the chip.
class AdapterTest : public ::testing::Test {
protected:
    AdapterHandle openChannel()
    {
        AdapterHandle handle = 0;
        EXPECT_EQ(library.channelOpen("Simulated Chromix Processor", 0x2111, "A", handle), kAdapterOk);
        return handle;
    }
    AdapterStatus readId(AdapterHandle handle, std::uint32_t readBits = 16)
    {
        const std::uint8_t command[] = {0x90, 0, 0, 0};
        std::uint32_t count = 0;
        return library.channelRead(handle, {}, 1, 0, 32, command, 4, 1, 0, readBits, *received, count,
                                   ChannelFamilyRecord{});
    }

    SimulatedClock clock;
    SimulatedFlashChip chip{kW25Q64, clock};
    SimulatedAdapterLibrary library{chip, clock};
    std::unique_ptr<AdapterReceiveBuffer> received = std::make_unique<AdapterReceiveBuffer>();
};

TEST_F(AdapterTest, OpensOnceAtATimeServesOnlyItsOwnFamilyAndChargesBusTime)
{
    const AdapterHandle handle = openChannel();
    AdapterHandle second = 0;
    EXPECT_NE(library.plainOpen("Simulated Chromix Processor", 0x2112, second), kAdapterOk);
    EXPECT_EQ(readId(handle), kAdapterOk);
    EXPECT_EQ((*received)[0], 0xEF);
    EXPECT_EQ((*received)[1], 0x16);
    // 250 us per call, then 48 bits at 30 MHz: 1.6 us, counted in whole microseconds.
    EXPECT_EQ(clock.nowMicroseconds(), 251u);
    EXPECT_EQ(readId(handle, (kAdapterReceiveSize + 1) * 8), kAdapterInvalidArgument);
    EXPECT_EQ(readId(handle, 12), kAdapterInvalidArgument) << "whole bytes only";
    EXPECT_EQ(library.totalTransfers(), 1u);

    const std::uint8_t command[] = {0x05};
    std::uint32_t count = 0;
    EXPECT_EQ(library.plainRead(handle, {}, 1, 0, 8, command, 1, 1, 0, 8, *received, count, PlainFamilyRecord{}),
              kAdapterInvalidHandle);
    ASSERT_EQ(library.close(handle), kAdapterOk);
    EXPECT_NE(readId(handle), kAdapterOk) << "a closed handle is dead";
}

} // namespace
