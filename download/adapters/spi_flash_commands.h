#pragma once

// The serial flash command set the download uses (one transfer each; addresses are 24-bit,
// high byte first) and the status register bits it watches.

#include <cstdint>

namespace spi_flash {

inline constexpr std::uint8_t kWriteEnable = 0x06;
inline constexpr std::uint8_t kWriteDisable = 0x04;
inline constexpr std::uint8_t kBlockErase = 0xD8; // 64 KiB block
inline constexpr std::uint8_t kPageProgram = 0x02;
inline constexpr std::uint8_t kReadData = 0x03;
inline constexpr std::uint8_t kReadStatus = 0x05;
inline constexpr std::uint8_t kReadIdentification = 0x90; // followed by address 0: manufacturer, device

inline constexpr std::uint8_t kStatusBusy = 0x01;
inline constexpr std::uint8_t kStatusWriteEnableLatch = 0x02;

} // namespace spi_flash
