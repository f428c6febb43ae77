#pragma once

// What the FTDI back end needs of the USB side, in libftdi's terms: the FTDI chips attached
// and, per interface, a byte pipe into the chip's MPSSE engine. libftdi_usb.cpp is the real
// one; tests put an emulated chip behind the same two classes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::uint16_t kFtdiVendorId = 0x0403;

enum class FtdiChip {
    FT2232C, // FT2232C/D: MPSSE on interface A only, 12 MHz base clock, no H-chip commands
    FT2232H,
    FT4232H,
    FT232H,
};

// The FTDI family an adapter of this chip belongs to: the H chips name their channels.
inline bool isChannelChip(FtdiChip chip)
{
    return chip != FtdiChip::FT2232C;
}

inline const char* ftdiChipName(FtdiChip chip)
{
    switch (chip) {
    case FtdiChip::FT2232C:
        return "FT2232C/D";
    case FtdiChip::FT2232H:
        return "FT2232H";
    case FtdiChip::FT4232H:
        return "FT4232H";
    case FtdiChip::FT232H:
        return "FT232H";
    }
    return "FTDI";
}

// One FTDI chip on the bus.
struct FtdiDevice {
    FtdiChip chip = FtdiChip::FT2232H;
    std::uint8_t bus = 0;
    std::vector<std::uint8_t> ports; // port numbers from the root hub down
    std::string description; // USB product string
    std::string serial; // empty when the chip has none
};

struct FtdiDeviceList {
    std::vector<FtdiDevice> devices;
    std::string error; // why the bus could not be searched; empty when it could
};

// An opened interface in MPSSE mode, with libftdi's read and write semantics.
class FtdiPort {
public:
    virtual ~FtdiPort() = default;
    // The number of bytes written, or a negative USB error.
    virtual int write(const std::uint8_t* data, int size) = 0;
    // The number of bytes that had arrived (0 when none yet), or a negative USB error.
    virtual int read(std::uint8_t* data, int size) = 0;
    // Drops whatever waits in either direction.
    virtual int purge() = 0;
    virtual std::string errorText() = 0;
};

enum class FtdiOpenFailure { None, NoPermission, Other };

struct FtdiOpenResult {
    std::unique_ptr<FtdiPort> port;
    FtdiOpenFailure failure = FtdiOpenFailure::None;
    std::string error;
};

class FtdiUsb {
public:
    virtual ~FtdiUsb() = default;
    virtual FtdiDeviceList findDevices() = 0;
    // Opens interface 0 (A) or 1 (B) of the device and puts it into MPSSE mode.
    virtual FtdiOpenResult open(const FtdiDevice& device, int interfaceIndex) = 0;
};

// The real USB bus through libftdi1; null on platforms built without it.
std::unique_ptr<FtdiUsb> makeLibftdiUsb();
