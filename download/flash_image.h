#pragma once

// The whole flash as a file: the selected regions' buffers at their addresses and erased
// flash (0xFF) everywhere else, with a layout file naming the regions, so that other
// flash tools can write the image.

#include "download/flash_region.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The identifier a layout file gives a region.
std::string layoutRegionName(const FlashRegion& region);

// The region's extent in the flash: "0x000000:0x5fffff".
std::string flashAddressRange(const FlashRegion& region);

// kFlashSize bytes: each selected region's paddedSize bytes of its buffer at its start.
std::vector<std::uint8_t> composeFlashImage(const std::array<FlashRegion, 3>& regions);

// One line per selected region, in address order: "0x000000:0x5fffff 3d_color_tables".
std::string flashLayoutText(const std::array<FlashRegion, 3>& regions);
