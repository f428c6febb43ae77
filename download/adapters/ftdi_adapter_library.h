#pragma once

// The adapter library's operations over real FTDI chips in MPSSE mode (vendor 0x0403):
// - channel family: FT2232H (0x6010), FT4232H (0x6011), FT232H (0x6014); each MPSSE
//   interface is one device, channel "A" or "B" (the FT232H has only "A");
// - plain family: FT2232C/D (0x6010, release 0x0500), interface A.
// A device's name is its USB product string and serial; its location packs the USB bus
// and the port path. Chip select is ADBUS3, the processor's reload line ADBUS4 (GPIOL1).
// Handles stay valid until closed, whichever family opened them, so the reload can use
// the plain family's pin operations on any adapter.

#include "download/adapters/ftdi_usb.h"
#include "download/adapters/mpsse_spi.h"
#include "download/adapters/spi_adapter_library.h"
#include "download/pacer.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Status values other than kAdapterOk.
enum FtdiAdapterError : AdapterStatus {
    kFtdiInvalidHandle = 1,
    kFtdiDeviceNotFound = 2,
    kFtdiInvalidArgument = 3,
    kFtdiIoError = 4,
    kFtdiNotOpened = 5,
};

struct FtdiAdapterOptions {
    std::string serial; // only the adapter with this USB serial; empty: any
    std::uint32_t maxKiloHertz = 0; // SPI clock cap for long cables; 0: none
};

// One adapter as the families list it.
struct FtdiListedAdapter {
    FtdiDevice device;
    int interfaceIndex = 0;
    bool channelFamily = true;
    std::string name;
    std::uint32_t location = 0;
};

std::uint32_t ftdiLocation(const FtdiDevice& device);
// "bus 1, port 2.4", from a location.
std::string describeFtdiLocation(std::uint32_t location);

class FtdiAdapterLibrary : public SpiAdapterLibrary {
public:
    FtdiAdapterLibrary(FtdiUsb& usb, MonotonicClock& clock, FtdiAdapterOptions options = {});

    AdapterStatus channelCountDevices(std::uint32_t& count) override;
    AdapterStatus channelDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                        std::uint32_t& location, char* channel, std::uint32_t channelSize,
                                        std::uint32_t& type) override;
    AdapterStatus channelOpen(const char* name, std::uint32_t location, const char* channel,
                              AdapterHandle& handle) override;
    AdapterStatus channelSetPins(AdapterHandle handle, const PinFlags& flags, const ChannelPinPairs& pins) override;
    AdapterStatus channelQuery(AdapterHandle handle) override;
    AdapterStatus channelQueryFollowUp(AdapterHandle handle, std::uint32_t argument, std::uint32_t& value) override;
    AdapterStatus channelWrite(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                               std::uint32_t risingEdge, std::uint32_t commandBits, const std::uint8_t* commandBytes,
                               std::uint32_t commandByteCount, std::uint32_t writeData, std::uint32_t dataBits,
                               const std::uint8_t* data, std::uint32_t dataByteCount, const WriteCompletion& completion,
                               const ChannelFamilyRecord& family) override;
    AdapterStatus channelRead(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                              std::uint32_t risingEdge, std::uint32_t commandBits, const std::uint8_t* commandBytes,
                              std::uint32_t commandByteCount, std::uint32_t readMsbFirst, std::uint32_t readRisingEdge,
                              std::uint32_t readBits, AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                              const ChannelFamilyRecord& family) override;

    AdapterStatus plainCountDevices(std::uint32_t& count) override;
    AdapterStatus plainDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                      std::uint32_t& location) override;
    AdapterStatus plainOpen(const char* name, std::uint32_t location, AdapterHandle& handle) override;
    AdapterStatus plainSetUp(AdapterHandle handle, std::uint8_t* setting) override;
    AdapterStatus plainPrepare(AdapterHandle handle) override;
    AdapterStatus plainSetPins(AdapterHandle handle, const PinFlags& flags, const PlainPinPairs& pins) override;
    AdapterStatus plainReadPins(AdapterHandle handle, PlainPinPairs& pins) override;
    AdapterStatus plainWrite(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                             std::uint32_t risingEdge, std::uint32_t commandBits, const std::uint8_t* commandBytes,
                             std::uint32_t commandByteCount, std::uint32_t writeData, std::uint32_t dataBits,
                             const std::uint8_t* data, std::uint32_t dataByteCount, const WriteCompletion& completion,
                             const PlainFamilyRecord& family) override;
    AdapterStatus plainRead(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                            std::uint32_t risingEdge, std::uint32_t commandBits, const std::uint8_t* commandBytes,
                            std::uint32_t commandByteCount, std::uint32_t readMsbFirst, std::uint32_t readRisingEdge,
                            std::uint32_t readBits, AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                            const PlainFamilyRecord& family) override;

    AdapterStatus initialise(AdapterHandle handle, std::uint32_t clockDivisor) override;
    AdapterStatus close(AdapterHandle handle) override;

    // Every adapter of both families, freshly searched.
    std::vector<FtdiListedAdapter> listAdapters();
    // Why the bus could not be searched or an adapter not opened; empty when nothing failed.
    const std::string& lastProblem() const { return lastProblem_; }
    // True when the last failed open lacked the permission to use the USB device.
    bool permissionDenied() const { return permissionDenied_; }
    // The SPI clock of an open handle, 0 for an unknown one.
    std::uint32_t clockHertz(AdapterHandle handle) const;

private:
    std::vector<FtdiListedAdapter> search(bool channelFamily);
    AdapterStatus open(const std::vector<FtdiListedAdapter>& listed, const char* name, std::uint32_t location,
                       int interfaceIndex, AdapterHandle& handle);
    MpsseSpi* find(AdapterHandle handle) const;
    AdapterStatus write(AdapterHandle handle, std::uint32_t msbFirst, std::uint32_t risingEdge,
                        std::uint32_t commandBits, const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                        std::uint32_t writeData, std::uint32_t dataBits, const std::uint8_t* data,
                        std::uint32_t dataByteCount);
    AdapterStatus read(AdapterHandle handle, std::uint32_t msbFirst, std::uint32_t risingEdge,
                       std::uint32_t commandBits, const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                       std::uint32_t readMsbFirst, std::uint32_t readRisingEdge, std::uint32_t readBits,
                       AdapterReceiveBuffer& received, std::uint32_t& receivedCount);
    AdapterStatus setPins(AdapterHandle handle, const PinFlags& flags, std::span<const PinPair> pins);
    AdapterStatus outcome(MpsseSpi& spi, bool ok);

    FtdiUsb& usb_;
    MonotonicClock& clock_;
    const FtdiAdapterOptions options_;
    std::vector<FtdiListedAdapter> channelDevices_;
    std::vector<FtdiListedAdapter> plainDevices_;
    std::map<AdapterHandle, std::unique_ptr<MpsseSpi>> open_;
    AdapterHandle nextHandle_ = 1;
    std::string lastProblem_;
    bool permissionDenied_ = false;
};
