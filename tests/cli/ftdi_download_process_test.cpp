// A whole `chromix` process through the production USB code, with libftdi1 replaced by
// emulated chips (preloaded): the four supported chips each take a download byte-exact
// and see the reload edge, and a refused open ends with the operator's texts.

#include "cli/commands.h"
#include "download/command_installation.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;

const std::string kSelection = "--table-set 'Velvane Orlam LED Projector\\Cinema' --3d-tables --calibration-values";

struct ProcessRun {
    int status;
    std::string out;
    std::string err;
};

// `chromix ARGUMENTS` with the emulated chips of `devices` on the bus.
ProcessRun chromix(const TempDir& bus, const std::string& devices, const std::string& adapter,
                   const std::string& arguments, const std::string& extraEnvironment = {})
{
    const std::string command = "env LD_PRELOAD=" FAKE_LIBFTDI " FAKE_FTDI_DEVICES=" + devices
        + " FAKE_FTDI_DIR=" + bus.path().string() + " CHROMIX_SPI_ADAPTER=" + adapter + " " + extraEnvironment
        + " " CHROMIX_PROGRAM " " + arguments + " >" + (bus / "out").string() + " 2>" + (bus / "err").string();
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(bus / "out"), readFile(bus / "err")};
}

TEST(FtdiDownloadProcess, EveryChipTakesTheDownloadByteExactAndReloads)
{
    CommandInstallation::use();
    TempDir work;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runImageCommand({"--table-set", "Velvane Orlam LED Projector\\Cinema", "--3d-tables",
                               "--calibration-values", "-o", (work / "expected.bin").string()},
                              out, err),
              kExitSuccess)
        << err.str();
    const std::string expected = readFile(work / "expected.bin");

    const std::string devices = "FT2232H:FT01,FT4232H:FT02,FT232H:FT03,FT2232C:FT04";
    for (int chip = 1; chip <= 4; ++chip) {
        TempDir bus;
        const ProcessRun run = chromix(bus, devices, "ftdi:FT0" + std::to_string(chip), "download " + kSelection);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_TRUE(run.out.ends_with("\nFlash download completed successfully\n")) << run.out;
        const std::string number = std::to_string(chip);
        EXPECT_TRUE(readFile(bus / ("flash-" + number + ".bin")) == expected) << "chip " << chip;
        EXPECT_EQ(readFile(bus / ("reloads-" + number + ".txt")), "1\n") << "chip " << chip;
        EXPECT_FALSE(fs::exists(bus / (chip == 1 ? "flash-2.bin" : "flash-1.bin"))) << "the other chips stay untouched";
    }
}

TEST(FtdiDownloadProcess, WithoutPermissionItIsNoDeviceConnectionAndHowToGrantAccess)
{
    CommandInstallation::use();
    TempDir bus;
    const ProcessRun run = chromix(bus, "FT2232H:FT01", "ftdi", "download " + kSelection, "FAKE_FTDI_DENY=1");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.starts_with("No device connection\nNo permission to use the USB adapter: install the udev rule"))
        << run.err;
    EXPECT_EQ(readFile(bus / "reloads-1.txt"), "0\n");
}

} // namespace
