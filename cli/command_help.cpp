#include "cli/command_help.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace {

const std::vector<OptionHelp> kSelectionOptions = {
    {"--table-set \"TYPE\\SET\"", "the display type and table set of the 3D tables and OSD images"},
    {"--3d-tables", "write the 3D tables and their OSD images"},
    {"--calibration-values", "write the 1D LUTs and the matrices"},
    {"--primary new|default", "the primary matrix: the calibration tool's file or the default (default)"},
    {"--linearity new|default", "the display linearity LUTs: the calibration tool's files or the defaults (default)"},
};

std::vector<OptionHelp> withSelection(std::vector<OptionHelp> own)
{
    own.insert(own.begin(), kSelectionOptions.begin(), kSelectionOptions.end());
    return own;
}

const std::vector<CommandHelp> kCommands = {
    {"store",
     {"store show", "store tree", "store get KEY VALUE", "store set KEY VALUE TEXT"},
     "show or change the settings store",
     "show prints what every program reads from the store at start; tree prints the display-type catalogue; "
     "get prints one value and set writes one. KEY is the path below the base key, e.g. Matrix or "
     "Second1D\\Current (\"\" for the base key).",
     {}},
    {"demo-install",
     {"demo-install [DIR]"},
     "create a demo installation",
     "Creates a complete installation in DIR, which must be missing or empty: its own store DIR/registry.reg, "
     "default calibration files, two 3D table sets, sample measurements and an erased flash image for the "
     "simulated processor. Use it with CHROMIX_REGISTRY=DIR/registry.reg.\n"
     "Without DIR the demo goes to $XDG_DATA_HOME/chromix/demo (~/.local/share/chromix/demo) and, when you have "
     "no settings store yet, your store becomes a link to the demo's, so the programs started from the "
     "application menu use it.",
     {}},
    {"primary",
     {"primary [--data FILE] [--display-type rgb-led|non-rgb-led] [--save]"},
     "primary calibration: measured primaries to the matrix file",
     "Loads a primary data file, runs Apply and prints what the dialog would show; --save then writes the "
     "matrix file and sets \"Current Valid\". --display-type overrides the file's.",
     {}},
    {"linearity",
     {"linearity [--data FILE] [--noise-reduction on|off] [--bright-region-correction on|off] "
      "[--clip-bright-region on|off] [--verification K] [--save]"},
     "linearity calibration: measured luminance to the three 1D LUT files",
     "Loads a linearity data file, runs Apply and prints what the window would show; --save then writes the "
     "three 1D LUT files and sets their valid flags. The options override the file's; --verification K runs "
     "verification mode over the first K steps.",
     {}},
    {"image",
     {"image [SELECTION] -o IMAGE [--layout FILE]"},
     "build the flash image without a device",
     "Reads the selected files exactly as a download does and writes the 8 MiB flash image (0xFF outside the "
     "selected regions) and, with --layout, a layout file of its regions.",
     withSelection({{"-o, --output IMAGE", "the flash image to write"},
                    {"--layout FILE", "also write a layout file of the regions"}})},
    {"inspect",
     {"inspect IMAGE"},
     "decode a flash image",
     "Decodes an 8 MiB flash image: matrices, LUTs, 3D tables and OSD images.",
     {}},
    {"download",
     {"download [SELECTION] [--pause-ms N]"},
     "download to the processor's flash",
     "Checks the adapter and the flash, reads the selected files, erases, writes and verifies the flash "
     "regions, writes the diagnostics file and reloads the processor. The adapter is $CHROMIX_SPI_ADAPTER, "
     "else the store's \"spi adapter\" (\"sim:IMAGE\" is the simulated processor).",
     withSelection({{"--pause-ms N", "the pauses that keep each message readable (0 unless given)"}})},
    {"adapters",
     {"adapters [--probe]"},
     "list the USB-to-SPI adapters",
     "Lists the FTDI USB-to-SPI adapters (FT2232H, FT4232H, FT232H, FT2232C/D) that each family finds. "
     "--probe opens each one and reads its flash identification; nothing is written.",
     {}},
    {"measure",
     {"measure linearity|primaries|verification --meter sim|argyll -o FILE [--report REPORT.html] [--settle-ms N] "
      "[--steps K] [--seed N] [--patches window|manual] [--screen N]"},
     "measure the patches with a colour meter into a data file",
     "Shows each patch, waits for the display to settle and takes a reading. linearity measures every step of "
     "the store's step list in red, green and blue and writes a linearity data file; primaries measures full "
     "red, green and blue and writes a primary data file; verification measures the first K grey steps (21 "
     "unless given) and writes a linearity data file in verification mode. The files load in the calibration "
     "windows and with chromix linearity / primary --data. A run that fails or is cancelled leaves FILE as it "
     "was.\n"
     "--meter sim measures a simulated display (its time is simulated too, so the run takes no real time). "
     "--meter argyll reads a real meter through ArgyllCMS spotread (found on PATH) and hands the run to the "
     "measuring window, Candora (found beside chromix, in the bin folder beside chromix's folder, or on PATH): it "
     "shows the patches full screen on the current display (Space pauses, Esc cancels), asks for the calibrations "
     "spotread wants, writes FILE and its report beside it (NAME_report.html), and closes; chromix waits for it and says "
     "\"data file written\" only when it did. Without a display, --patches manual keeps the window out: you show "
     "each patch on the target display (Patchora) and press Enter here.",
     {{"-o FILE", "the data file to write"},
      {"--report REPORT.html", "also write the report of the data file (as chromix report does)"},
      {"--settle-ms N", "the wait after each patch before the reading (1000)"},
      {"--steps K", "verification: the grey steps to measure"},
      {"--seed N", "the simulated meter's noise seed (1)"},
      {"--patches window|manual", "argyll: the patches in Candora's full-screen window (window), or shown by you"},
      {"--screen N", "argyll: the screen for the patches, counted from 1 (the primary screen unless given)"}}},
    {"report",
     {"report linearity|primaries --data FILE -o REPORT.html [--target-gamma G]"},
     "an HTML report of a linearity or primary data file",
     "Writes a self-contained HTML page with its plots and the formulas it uses. linearity (also for a "
     "verification file): each channel's relative luminance against the target gamma on log scales, the gamma "
     "and the error of every step, and the fitted gamma; the step codes come from the store's step list. "
     "primaries: the measured triangle on the CIE 1931 chart with the HDTV triangle, the chromaticity error "
     "of each primary and of white (delta xy and CIEDE2000), and the matrices the primary calibration "
     "computes from the file.",
     {{"-o REPORT.html", "the report to write"}, {"--target-gamma G", "linearity: the target curve's gamma (2.2)"}}},
};

const std::vector<OptionHelp> kEnvironment = {
    {"CHROMIX_REGISTRY",
     "the settings store file; else $XDG_CONFIG_HOME/chromix/registry.reg (~/.config/chromix/registry.reg)"},
    {"CHROMIX_SPI_ADAPTER",
     "the download adapter, else the store's \"spi adapter\": ftdi, ftdi:SERIAL, ftdi@KHZ, ftdi:SERIAL@KHZ or sim:IMAGE"},
};

const std::vector<OptionHelp> kExitStatus = {
    {"0", "success"},
    {"1", "the job failed; the reason is printed"},
    {"2", "wrong arguments; the usage is printed"},
};

// Breaks a paragraph into lines of at most `width` characters at spaces.
void printWrapped(std::ostream& out, std::string_view text, std::size_t width, std::string_view indent)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lineFeed = text.find('\n', start);
        const std::string_view paragraph =
            text.substr(start, lineFeed == std::string_view::npos ? std::string_view::npos : lineFeed - start);
        std::string line;
        std::istringstream words{std::string(paragraph)};
        for (std::string word; words >> word;) {
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                out << indent << line << "\n";
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        if (!line.empty())
            out << indent << line << "\n";
        if (lineFeed == std::string_view::npos)
            break;
        start = lineFeed + 1;
    }
}

void printOptions(std::ostream& out, const std::vector<OptionHelp>& options)
{
    for (const OptionHelp& option : options) {
        std::string name = option.option;
        name.resize(std::max<std::size_t>(name.size() + 2, 26), ' ');
        out << "  " << name << option.text << "\n";
    }
}

// Text for a roff line: backslashes and hyphens escaped, no control character at a line's start.
std::string roff(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\e";
        else if (c == '-')
            escaped += "\\-";
        else
            escaped += c;
    }
    if (!escaped.empty() && (escaped.front() == '.' || escaped.front() == '\''))
        escaped.insert(0, "\\&");
    return escaped;
}

void printRoffParagraphs(std::ostream& out, std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t lineFeed; (lineFeed = text.find('\n', start)) != std::string_view::npos; start = lineFeed + 1)
        out << roff(text.substr(start, lineFeed - start)) << "\n.PP\n";
    out << roff(text.substr(start)) << "\n";
}

void printRoffList(std::ostream& out, const std::vector<OptionHelp>& items)
{
    for (const OptionHelp& item : items)
        out << ".TP\n.B " << roff(item.option) << "\n" << roff(item.text) << "\n";
}

} // namespace

const std::vector<CommandHelp>& commandHelps()
{
    return kCommands;
}

const CommandHelp* findCommandHelp(std::string_view name)
{
    for (const CommandHelp& command : kCommands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

std::string commandUsage(std::string_view name)
{
    const CommandHelp* command = findCommandHelp(name);
    if (command == nullptr)
        return {};
    std::ostringstream out;
    const char* lead = "usage: ";
    for (const char* synopsis : command->synopses) {
        out << lead << "chromix " << synopsis << "\n";
        lead = "       ";
    }
    printWrapped(out, command->description, 92, "");
    if (!command->options.empty()) {
        out << "options:\n";
        printOptions(out, command->options);
    }
    return out.str();
}

void printOverview(std::ostream& out)
{
    out << "usage: chromix COMMAND [ARGUMENTS]\n"
           "       chromix COMMAND --help\n"
           "       chromix --version\n\n"
           "The calibration tool set's jobs without a screen.\n\ncommands:\n";
    std::vector<OptionHelp> list;
    for (const CommandHelp& command : kCommands)
        list.push_back({command.name, command.summary});
    printOptions(out, list);
    out << "\nenvironment:\n";
    printOptions(out, kEnvironment);
    out << "\nexit status:\n";
    printOptions(out, kExitStatus);
    out << "\nThe operator's manual is share/chromix/manual/index.html of the installation; see also chromix(1).\n";
}

std::string versionLine()
{
    return std::string("chromix ") + CHROMIX_VERSION;
}

void printManPage(std::ostream& out)
{
    out << ".TH CHROMIX 1 \"\" \"chromix " << CHROMIX_VERSION << "\" \"Chromix calibration tool set\"\n"
        << ".SH NAME\nchromix \\- the display calibration tool set's jobs on the command line\n"
        << ".SH SYNOPSIS\n";
    for (const CommandHelp& command : kCommands) {
        for (const char* synopsis : command.synopses)
            out << ".B chromix\n" << roff(synopsis) << "\n.br\n";
    }
    out << ".B chromix \\-\\-version\n"
        << ".SH DESCRIPTION\n"
        << "chromix runs the jobs of the window programs Hubrin, Patchora, Ramvel, Trisola and Flashbey without a "
           "screen: it shows and changes the settings store they share, computes the linearity and primary "
           "calibrations from data files, builds and inspects flash images, downloads to the colour processor "
           "and lists the USB\\-to\\-SPI adapters. \n"
        << ".B chromix COMMAND \\-\\-help\nprints the help of one command.\n"
        << ".SH COMMANDS\n";
    for (const CommandHelp& command : kCommands) {
        out << ".SS " << roff(command.name) << "\n";
        for (const char* synopsis : command.synopses)
            out << ".B chromix " << roff(synopsis) << "\n.br\n";
        out << ".PP\n";
        printRoffParagraphs(out, command.description);
        printRoffList(out, command.options);
    }
    out << ".SH ENVIRONMENT\n";
    printRoffList(out, kEnvironment);
    out << ".SH EXIT STATUS\n";
    printRoffList(out, kExitStatus);
    out << ".SH FILES\n"
        << ".TP\n.I ~/.config/chromix/registry.reg\nthe settings store of the user\n"
        << ".TP\n.I /usr/share/chromix/manual/index.html\nthe operator's manual, opened by Hubrin's Help\n"
        << ".TP\n.I /usr/lib/udev/rules.d/60\\-chromix\\-ftdi.rules\n"
           "gives the logged\\-in user access to the FTDI adapters\n"
        << ".PP\nUnder another installation prefix than /usr the last two lie below that prefix.\n"
        << ".SH SEE ALSO\nThe operator's manual (Help in Hubrin) explains the window programs, the calibration "
           "from start to download, every message and its remedy.\n";
}
