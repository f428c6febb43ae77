// chromix inspect: what a flash image holds, decoded the way a download lays it out.

#include "cli/command_help.h"
#include "cli/commands.h"

#include "config/atomic_file.h"
#include "config/channel.h"
#include "config/number_text.h"
#include "download/flash_image.h"
#include "download/flash_image_report.h"

#include <ostream>

namespace {

void printMatrix(const char* title, const std::array<std::array<double, 3>, 3>& matrix, std::ostream& out)
{
    out << "  " << title << ":\n";
    for (const auto& row : matrix)
        out << "    " << formatFixed(row[0], 10, 6) << " " << formatFixed(row[1], 10, 6) << " "
            << formatFixed(row[2], 10, 6) << "\n";
}

void printLut(const std::string& title, const LutSummary& lut, double scale, std::ostream& out)
{
    out << "  " << title << ": " << formatInteger(static_cast<long long>(lut.length)) << " values, first "
        << formatInteger(lut.first) << " (" << formatFixed(lut.first / scale, 0, 6) << "), last "
        << formatInteger(lut.last) << " (" << formatFixed(lut.last / scale, 0, 6) << "), "
        << (lut.monotonic
                ? std::string("monotonic")
                : "not monotonic (falls at value " + formatInteger(static_cast<long long>(lut.firstDecrease)) + ")")
        << "\n";
}

std::string entryText(const std::array<std::uint16_t, 3>& entry)
{
    return formatInteger(entry[0]) + " " + formatInteger(entry[1]) + " " + formatInteger(entry[2]);
}

void printCalibration(const FlashRegion& region, const CalibrationArea& area, std::ostream& out)
{
    out << region.name << " at " << flashAddressRange(region) << ":";
    if (area.erased) {
        out << " erased (not written)\n";
        return;
    }
    out << "\n";
    printMatrix("Native download matrix", area.nativeMatrix, out);
    printMatrix("D65 download matrix", area.d65Matrix, out);
    for (Channel channel : kAllChannels) {
        const std::string name(channelName(channel));
        printLut("First 1D LUT " + name, area.firstLuts[channelIndex(channel)], 65535.0, out);
    }
    for (Channel channel : kAllChannels) {
        const std::string name(channelName(channel));
        printLut("Second 1D LUT " + name, area.secondLuts[channelIndex(channel)], 1023.0, out);
    }
}

void printTables(const FlashRegion& region, const FlashImageInspection& inspection, std::ostream& out)
{
    std::size_t written = 0;
    for (const ColorTableSummary& table : inspection.colorTables)
        written += table.erased ? 0 : 1;
    out << region.name << " at " << flashAddressRange(region) << ": ";
    if (written == 0) {
        out << "erased (not written)\n";
        return;
    }
    out << formatInteger(static_cast<long long>(written)) << " of 6 tables written, "
        << formatInteger(inspection.intactTables) << " with every row's 0x5A filler bytes intact\n";
    for (std::size_t k = 0; k < inspection.colorTables.size(); ++k) {
        const ColorTableSummary& table = inspection.colorTables[k];
        out << "  Table " << formatInteger(static_cast<long long>(k + 1)) << ": ";
        if (table.erased)
            out << "erased\n";
        else
            out << "first entry " << entryText(table.firstEntry) << ", last entry " << entryText(table.lastEntry)
                << "\n";
    }
}

void printOsd(const FlashRegion& region, const OsdArea& area, std::ostream& out)
{
    out << region.name << " at " << flashAddressRange(region) << ": ";
    if (area.erased)
        out << "erased (not written)\n";
    else
        out << "14 images of " << formatInteger(kOsdImageBytes) << " bytes, " << formatInteger(area.imagesWithCleanGap)
            << " followed by their 224 zero bytes\n";
}

} // namespace

int runInspectCommand(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) {
        err << commandUsage("inspect");
        return kExitUsage;
    }
    // Larger than any flash the processor carries: the report names what does not decode.
    const Result<std::string> bytes = readWholeFile(args[0], 2 * kFlashSize);
    if (!bytes) {
        err << "chromix inspect: cannot read " << args[0] << ": " << bytes.failure().reason << "\n";
        return kExitFailure;
    }
    const FlashImageInspection inspection =
        inspectFlashImage(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    out << "Flash image " << args[0] << " (" << formatInteger(static_cast<long long>(inspection.size)) << " bytes)\n";
    if (inspection.size == kFlashSize) {
        const std::array<FlashRegion, 3> regions = makeFlashRegions();
        printCalibration(regions[2], inspection.calibration, out);
        printTables(regions[0], inspection, out);
        printOsd(regions[1], inspection.osd, out);
        out << "Areas no download writes: " << (inspection.untouchedErased ? "erased" : "hold data") << "\n";
    }
    if (inspection.problems.empty()) {
        out << "Everything decodes.\n";
        return kExitSuccess;
    }
    out << "Does not decode:\n";
    for (const std::string& problem : inspection.problems)
        out << "  " << problem << "\n";
    return kExitFailure;
}
