// Arbitrary bytes as an installation file. The first byte picks a reader and how close to the
// end of its region it starts (or the scanner check); the rest is the file. Readers never claim
// room the buffer lacks and explain every refusal; decimals scan as strtof reads them.

#include "download/number_scanner.h"
#include "download/table_readers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using Reader = bool (*)(const std::string&, FlashRegion&, RunState&, DownloadObserver&);
constexpr Reader kReaders[] = {readColorTableFile, readOsdImageFile, readFirstLutFile, readSecondLutFile,
                               readMatrixFile};
constexpr std::size_t kRegionOfReader[] = {0, 1, 2, 2, 2}; // as a run assigns them
constexpr int kChoices = 6; // the readers, then the scanner check

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Sign, digits with at most one point, optional exponent: a token "%f" reads whole. Short
// tokens only, which keeps the regex's recursion shallow.
bool isShortDecimal(const std::string& token)
{
    static const std::regex kDecimal(R"([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    return token.size() <= 64 && std::regex_match(token, kDecimal);
}

// Leading decimal tokens must read exactly as strtof reads them; whatever follows, only cleanly.
void checkScanner(const std::string& path, std::string_view text)
{
    NumberScanner scanner;
    check(scanner.open(path, 1u << 20));
    float value = 0.0f;
    for (std::size_t at = 0;;) {
        const std::size_t first = std::min(text.find_first_not_of(" \t\n\v\f\r", at), text.size());
        at = std::min(text.find_first_of(" \t\n\v\f\r", first), text.size());
        const std::string token(text.substr(first, at - first));
        if (token.empty() || !isShortDecimal(token))
            break;
        check(scanner.next(value) == NumberScanner::Result::Number);
        check(std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(std::strtof(token.c_str(), nullptr)));
    }
    NumberScanner::Result result;
    while ((result = scanner.next(value)) == NumberScanner::Result::Number) {}
    check(result == NumberScanner::Result::End || !scanner.offendingText().empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    char path[] = "/tmp/chromix_fuzz_reader_XXXXXX";
    const int fd = mkstemp(path);
    check(fd >= 0 && write(fd, data + 1, size - 1) == static_cast<ssize_t>(size - 1));
    close(fd);

    const int choice = data[0] % kChoices;
    if (choice == kChoices - 1) {
        checkScanner(path, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    } else {
        std::array<FlashRegion, 3> regions = makeFlashRegions();
        FlashRegion& region = regions[kRegionOfReader[choice]];
        region.data.assign(region.paddedSize, 0);
        const std::uint32_t fromEnd = data[0] / kChoices * 11u;
        region.fillCount = fromEnd == 0 ? 0 : region.paddedSize - fromEnd;
        const std::uint32_t start = region.fillCount;
        RunState state;
        SilentObserver observer;
        const bool read = kReaders[choice](path, region, state, observer);
        check(region.data.size() == region.paddedSize && region.fillCount >= start
              && region.fillCount <= region.paddedSize && read == state.errorText.empty());
    }
    unlink(path);
    return 0;
}
