// chromix adapters on emulated FTDI chips: the list, and the probe's verdicts.

#include "cli/adapters_report.h"
#include "support/ftdi_emulation.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(AdaptersCommand, ListsEveryAdapterAndProbesEachWithoutWritingTheFlash)
{
    SimulatedClock clock;
    EmulatedFtdiUsb usb(clock);
    EmulatedFtdiDevice& good = usb.attach(FtdiChip::FT232H, "FT01");
    usb.attach(FtdiChip::FT2232C).flash().answerIdentification(0xEF, 0x17);
    FtdiAdapterLibrary library(usb, clock);

    std::ostringstream listed;
    EXPECT_EQ(reportFtdiAdapters(library, false, listed), 2);
    EXPECT_EQ(listed.str(),
              "channel family, FT232H channel A: \"Single RS232-HS FT01\", bus 1, port 1, serial FT01\n"
              "plain family, FT2232C/D channel A: \"Dual RS232\", bus 1, port 2, serial (none)\n");

    std::ostringstream probed;
    EXPECT_EQ(reportFtdiAdapters(library, true, probed), 1);
    EXPECT_NE(probed.str().find("\n  identification 0xEF 0x16 at 30000 kHz: the processor's flash (W25Q64), "
                                "ready for a download\n"),
              std::string::npos)
        << probed.str();
    EXPECT_NE(probed.str().find("\n  identification 0xEF 0x17 at 6000 kHz: not the processor's flash, a download "
                                "would end with \"Flash Error\"\n"),
              std::string::npos)
        << probed.str();
    EXPECT_EQ(good.openCount(), 0) << "the probe closes what it opened";
    EXPECT_TRUE(std::all_of(good.flash().contents().begin(), good.flash().contents().end(),
                            [](std::uint8_t byte) { return byte == 0xFF; }));

    usb.denyAccess(true);
    std::ostringstream denied;
    EXPECT_EQ(reportFtdiAdapters(library, true, denied), 0);
    EXPECT_NE(denied.str().find("  cannot be opened: The FT232H adapter at bus 1, port 1 cannot be opened: "
                                "libusb_open() failed\n"),
              std::string::npos)
        << denied.str();
}

} // namespace
