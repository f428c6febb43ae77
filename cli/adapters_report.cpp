#include "cli/adapters_report.h"

#include "download/adapters/spi_flash_commands.h"

#include <array>
#include <cstdio>
#include <memory>
#include <ostream>

namespace {

std::string hexByte(std::uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

struct Verdict {
    bool ready = false;
    std::string text;
};

// Opens the adapter as a download would, reads the identification and closes it again.
Verdict probe(FtdiAdapterLibrary& library, const FtdiListedAdapter& adapter)
{
    const char* channel = adapter.interfaceIndex == 0 ? "A" : "B";
    AdapterHandle handle = 0;
    const AdapterStatus opened = adapter.channelFamily
        ? library.channelOpen(adapter.name.c_str(), adapter.location, channel, handle)
        : library.plainOpen(adapter.name.c_str(), adapter.location, handle);
    if (opened != kAdapterOk)
        return {false, "cannot be opened: " + library.lastProblem()};
    const PinFlags idle{1, 0, 0, 0, 0};
    const std::array<PinPair, 8> low{PinPair{1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}};
    const std::array<std::uint8_t, 4> command{spi_flash::kReadIdentification, 0, 0, 0};
    auto received = std::make_unique<AdapterReceiveBuffer>();
    std::uint32_t count = 0;
    bool answered = library.initialise(handle, 0) == kAdapterOk;
    if (answered && adapter.channelFamily) {
        answered = library.channelSetPins(handle, idle, low) == kAdapterOk
            && library.channelRead(handle, {}, 1, 0, 32, command.data(), 4, 1, 0, 16, *received, count, {})
                == kAdapterOk;
    } else if (answered) {
        const PlainPinPairs plainLow{low[0], low[1], low[2], low[3]};
        answered = library.plainSetPins(handle, idle, plainLow) == kAdapterOk
            && library.plainRead(handle, {}, 1, 0, 32, command.data(), 4, 1, 0, 16, *received, count, {}) == kAdapterOk;
    }
    const std::string problem = library.lastProblem();
    const std::uint32_t clock = library.clockHertz(handle);
    library.close(handle);
    if (!answered)
        return {false, "no answer: " + problem};
    const std::uint8_t manufacturer = (*received)[0];
    const std::uint8_t device = (*received)[1];
    const std::string identification = "identification " + hexByte(manufacturer) + " " + hexByte(device);
    const std::string at = " at " + std::to_string(clock / 1000) + " kHz";
    if (manufacturer == 0xEF && device == 0x16)
        return {true, identification + at + ": the processor's flash (W25Q64), ready for a download"};
    if ((manufacturer == 0xFF && device == 0xFF) || (manufacturer == 0 && device == 0))
        return {false, identification + at + ": no flash answers (check the cable and the processor's power)"};
    return {false, identification + at + ": not the processor's flash, a download would end with \"Flash Error\""};
}

} // namespace

int reportFtdiAdapters(FtdiAdapterLibrary& library, bool probing, std::ostream& out)
{
    const std::vector<FtdiListedAdapter> adapters = library.listAdapters();
    if (!library.lastProblem().empty())
        out << library.lastProblem() << "\n";
    if (adapters.empty()) {
        out << "No FTDI adapter (FT2232H, FT4232H, FT232H, FT2232C/D) found.\n";
        return 0;
    }
    int good = 0;
    for (const FtdiListedAdapter& adapter : adapters) {
        out << (adapter.channelFamily ? "channel" : "plain") << " family, " << ftdiChipName(adapter.device.chip)
            << " channel " << (adapter.interfaceIndex == 0 ? "A" : "B") << ": \"" << adapter.name << "\", "
            << describeFtdiLocation(adapter.location) << ", serial "
            << (adapter.device.serial.empty() ? "(none)" : adapter.device.serial) << "\n";
        if (probing) {
            const Verdict verdict = probe(library, adapter);
            out << "  " << verdict.text << "\n";
            good += verdict.ready ? 1 : 0;
        }
    }
    return probing ? good : static_cast<int>(adapters.size());
}
