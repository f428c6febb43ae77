#pragma once

// The USB-to-SPI adapter library as the download tool uses it. It serves two families of
// adapters: "plain" single-interface devices and "channel" devices whose interfaces are
// named channels ("A", "B"). Every operation returns 0 for success; anything else is a
// failure. Back ends: the simulated processor (simulated_adapter_library.h) and, per
// platform, the real adapter.

#include <array>
#include <cstdint>

using AdapterStatus = std::uint32_t;
using AdapterHandle = std::uint32_t;

inline constexpr AdapterStatus kAdapterOk = 0;

inline constexpr std::uint32_t kAdapterNameSize = 100; // device name buffers
inline constexpr std::uint32_t kAdapterChannelSize = 5; // channel name buffers
inline constexpr std::uint32_t kAdapterReceiveSize = 65536;
using AdapterReceiveBuffer = std::array<std::uint8_t, kAdapterReceiveSize>;

// Pin levels a transfer starts from: clock, data out and chip select, and which output
// pin is the chip select. The download always uses (0, 0, 1, 0).
struct TransferStartState {
    std::uint32_t clockHigh = 0;
    std::uint32_t dataOutHigh = 0;
    std::uint32_t chipSelectHigh = 1;
    std::uint32_t chipSelectPin = 0;
};

// How a write transfer waits for the device to take the data: (1, 0, 1, 5000) for page
// programs and the write enable before them, all zero otherwise.
struct WriteCompletion {
    std::uint32_t wait = 0;
    std::uint32_t pin = 0;
    std::uint32_t activeHigh = 0;
    std::uint32_t timeoutMilliseconds = 0;
};

// The five output flags of a set-pins call. The second one is the processor's reload line.
using PinFlags = std::array<std::uint32_t, 5>;

// One general-purpose pin: (1, 0) makes it an output driven low.
struct PinPair {
    std::uint32_t output = 0;
    std::uint32_t high = 0;
};
using PlainPinPairs = std::array<PinPair, 4>;
using ChannelPinPairs = std::array<PinPair, 8>;

// The upper output pins each transfer drives; the download leaves them all zero.
using PlainFamilyRecord = std::array<std::uint32_t, 8>;
using ChannelFamilyRecord = std::array<std::uint32_t, 16>;

class SpiAdapterLibrary {
public:
    virtual ~SpiAdapterLibrary() = default;

    // Channel family.
    virtual AdapterStatus channelCountDevices(std::uint32_t& count) = 0;
    virtual AdapterStatus channelDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                std::uint32_t& location, char* channel, std::uint32_t channelSize,
                                                std::uint32_t& type) = 0;
    virtual AdapterStatus channelOpen(const char* name, std::uint32_t location, const char* channel,
                                      AdapterHandle& handle) = 0;
    virtual AdapterStatus channelSetPins(AdapterHandle handle, const PinFlags& flags, const ChannelPinPairs& pins) = 0;
    virtual AdapterStatus channelQuery(AdapterHandle handle) = 0;
    virtual AdapterStatus channelQueryFollowUp(AdapterHandle handle, std::uint32_t argument, std::uint32_t& value) = 0;
    virtual AdapterStatus channelWrite(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                                       std::uint32_t risingEdge, std::uint32_t commandBits,
                                       const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                       std::uint32_t writeData, std::uint32_t dataBits, const std::uint8_t* data,
                                       std::uint32_t dataByteCount, const WriteCompletion& completion,
                                       const ChannelFamilyRecord& family) = 0;
    virtual AdapterStatus channelRead(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                                      std::uint32_t risingEdge, std::uint32_t commandBits,
                                      const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                      std::uint32_t readMsbFirst, std::uint32_t readRisingEdge, std::uint32_t readBits,
                                      AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                                      const ChannelFamilyRecord& family) = 0;

    // Plain family.
    virtual AdapterStatus plainCountDevices(std::uint32_t& count) = 0;
    virtual AdapterStatus plainDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                              std::uint32_t& location) = 0;
    virtual AdapterStatus plainOpen(const char* name, std::uint32_t location, AdapterHandle& handle) = 0;
    virtual AdapterStatus plainSetUp(AdapterHandle handle, std::uint8_t* setting) = 0;
    virtual AdapterStatus plainPrepare(AdapterHandle handle) = 0;
    virtual AdapterStatus plainSetPins(AdapterHandle handle, const PinFlags& flags, const PlainPinPairs& pins) = 0;
    virtual AdapterStatus plainReadPins(AdapterHandle handle, PlainPinPairs& pins) = 0;
    virtual AdapterStatus plainWrite(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                                     std::uint32_t risingEdge, std::uint32_t commandBits,
                                     const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                     std::uint32_t writeData, std::uint32_t dataBits, const std::uint8_t* data,
                                     std::uint32_t dataByteCount, const WriteCompletion& completion,
                                     const PlainFamilyRecord& family) = 0;
    virtual AdapterStatus plainRead(AdapterHandle handle, const TransferStartState& start, std::uint32_t msbFirst,
                                    std::uint32_t risingEdge, std::uint32_t commandBits,
                                    const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                    std::uint32_t readMsbFirst, std::uint32_t readRisingEdge, std::uint32_t readBits,
                                    AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                                    const PlainFamilyRecord& family) = 0;

    // Both families.
    virtual AdapterStatus initialise(AdapterHandle handle, std::uint32_t clockDivisor) = 0;
    virtual AdapterStatus close(AdapterHandle handle) = 0;
};
