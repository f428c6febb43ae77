#pragma once

// The adapter library's operations through FTDI's FTCSPI.dll on Windows. The library is
// loaded when this object is made, not when the program starts, and every operation is
// bound by its ordinal; when the library or any ordinal is missing, nothing is bound and
// every operation fails (no device), so a download ends with "No device connection" and
// `loadProblem` says what is missing.

#include "download/adapters/spi_adapter_library.h"

#include <filesystem>
#include <memory>
#include <string>

inline constexpr const char* kFtcspiLibraryName = "FTCSPI.dll";

// Status values of this back end itself (the library's own values pass through).
inline constexpr AdapterStatus kFtcspiDeviceNotFound = 2; // the library is not loaded
inline constexpr AdapterStatus kFtcspiInvalidArgument = 3; // a buffer larger than the library takes

class FtcspiAdapterLibrary : public SpiAdapterLibrary {
public:
    // `library`: a bare name is looked up in the program's folder and the system folder
    // only (never the current folder); a path is loaded from there.
    explicit FtcspiAdapterLibrary(const std::filesystem::path& library = kFtcspiLibraryName);
    ~FtcspiAdapterLibrary() override;
    FtcspiAdapterLibrary(const FtcspiAdapterLibrary&) = delete;
    FtcspiAdapterLibrary& operator=(const FtcspiAdapterLibrary&) = delete;

    // True when the library is loaded and every operation is bound.
    bool loaded() const { return bound_ != nullptr; }
    // Why it is not: the library or the ordinals that are missing; empty when loaded.
    const std::string& loadProblem() const { return loadProblem_; }

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

private:
    struct Bound;
    struct Buffers;

    std::unique_ptr<Bound> bound_;
    std::unique_ptr<Buffers> buffers_;
    std::string loadProblem_;
};
