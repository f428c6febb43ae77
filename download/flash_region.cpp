#include "download/flash_region.h"

namespace {

constexpr std::uint32_t roundUpToBlock(std::uint32_t size)
{
    return (size + kFlashBlockSize - 1) / kFlashBlockSize * kFlashBlockSize;
}

FlashRegion makeRegion(int index, std::string name, std::uint32_t start, std::uint32_t dataSize)
{
    FlashRegion region;
    region.index = index;
    region.name = std::move(name);
    region.start = start;
    region.dataSize = dataSize;
    region.paddedSize = roundUpToBlock(dataSize);
    return region;
}

} // namespace

std::array<FlashRegion, 3> makeFlashRegions()
{
    FlashRegion tables = makeRegion(0, "3D Color Tables", 0x000000, 0x600000);
    FlashRegion osdImages = makeRegion(1, "3D Color Table's OSD Images", 0x700000, 0x45200);
    // The LUTs and matrices follow the tables directly.
    FlashRegion calibration = makeRegion(2, "1D LUTs and Matrices", tables.paddedSize, 0xD900);
    return {std::move(tables), std::move(osdImages), std::move(calibration)};
}
