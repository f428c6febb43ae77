#pragma once

// The opcodes of FTDI's MPSSE command processor that the SPI back end sends (FTDI
// application note AN_108), and the pins of the low byte as the adapter wires them.

#include <cstdint>

namespace mpsse {

// Data shifting, whole bytes, most significant bit first.
inline constexpr std::uint8_t kBytesOutFallingEdge = 0x11; // out changes on the falling edge
inline constexpr std::uint8_t kBytesInRisingEdge = 0x20; // in is sampled on the rising edge

inline constexpr std::uint8_t kSetLowByte = 0x80; // value, direction of ADBUS0-7
inline constexpr std::uint8_t kReadLowByte = 0x81;
inline constexpr std::uint8_t kSetHighByte = 0x82; // value, direction of ACBUS0-7
inline constexpr std::uint8_t kReadHighByte = 0x83;
inline constexpr std::uint8_t kLoopbackOff = 0x85;
inline constexpr std::uint8_t kSetClockDivisor = 0x86; // low, high byte
inline constexpr std::uint8_t kSendImmediate = 0x87;

// H chips only; the FT2232C/D answers them as bad commands.
inline constexpr std::uint8_t kDivideBy5Off = 0x8A;
inline constexpr std::uint8_t kDivideBy5On = 0x8B;
inline constexpr std::uint8_t kThreePhaseOn = 0x8C;
inline constexpr std::uint8_t kThreePhaseOff = 0x8D;
inline constexpr std::uint8_t kClockBitsNoData = 0x8E;
inline constexpr std::uint8_t kClockBytesNoData = 0x8F;
inline constexpr std::uint8_t kAdaptiveOn = 0x96;
inline constexpr std::uint8_t kAdaptiveOff = 0x97;

// The engine answers an opcode it does not know with 0xFA and the opcode. 0xAB is the
// opcode FTDI's notes use to check that commands and answers are still in step.
inline constexpr std::uint8_t kBadCommandAnswer = 0xFA;
inline constexpr std::uint8_t kEchoCheck = 0xAB;

// Low byte pins: SCK ADBUS0, MOSI ADBUS1, MISO ADBUS2 (input), chip select ADBUS3 and
// GPIOL ADBUS4-7.
inline constexpr std::uint8_t kClockPin = 0x01;
inline constexpr std::uint8_t kDataOutPin = 0x02;
inline constexpr std::uint8_t kDataInPin = 0x04;
inline constexpr std::uint8_t kChipSelectPin = 0x08;
inline constexpr std::uint8_t kLowDirection = 0xFF & ~kDataInPin;
inline constexpr int kFirstGpioBit = 4;

inline bool isHighSpeedOnly(std::uint8_t opcode)
{
    return (opcode >= kDivideBy5Off && opcode <= kClockBytesNoData) || opcode == kAdaptiveOn || opcode == kAdaptiveOff
        || opcode == 0x94 || opcode == 0x95 || opcode == 0x9C || opcode == 0x9D || opcode == 0x9E;
}

} // namespace mpsse
