#include "download/flash_image.h"

#include "config/number_text.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kErased = 0xFF;

std::string hexAddress(std::uint32_t address)
{
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "0x000000";
    for (std::size_t at = text.size(); at > 2; --at, address >>= 4)
        text[at - 1] = kDigits[address & 0xF];
    return text;
}

} // namespace

std::string flashAddressRange(const FlashRegion& region)
{
    return hexAddress(region.start) + ":" + hexAddress(region.start + region.paddedSize - 1);
}

std::string layoutRegionName(const FlashRegion& region)
{
    switch (region.index) {
    case 0:
        return "3d_color_tables";
    case 1:
        return "3d_color_table_osd_images";
    case 2:
        return "1d_luts_and_matrices";
    default:
        return "region_" + formatInteger(region.index);
    }
}

std::vector<std::uint8_t> composeFlashImage(const std::array<FlashRegion, 3>& regions)
{
    std::vector<std::uint8_t> image(kFlashSize, kErased);
    for (const FlashRegion& region : regions) {
        if (!region.selected || region.start >= kFlashSize)
            continue;
        const std::size_t length =
            std::min<std::size_t>({region.paddedSize, region.data.size(), kFlashSize - region.start});
        std::copy_n(region.data.begin(), length, image.begin() + static_cast<std::ptrdiff_t>(region.start));
    }
    return image;
}

std::string flashLayoutText(const std::array<FlashRegion, 3>& regions)
{
    std::array<const FlashRegion*, 3> byAddress{&regions[0], &regions[1], &regions[2]};
    std::sort(byAddress.begin(), byAddress.end(),
              [](const FlashRegion* a, const FlashRegion* b) { return a->start < b->start; });
    std::string text;
    for (const FlashRegion* region : byAddress) {
        if (region->selected)
            text += flashAddressRange(*region) + " " + layoutRegionName(*region) + "\r\n";
    }
    return text;
}
