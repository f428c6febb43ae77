#pragma once

// The adapter library's operations over a simulated flash chip: one adapter that shows up
// in both families (as channel "A" of a channel device, and as a plain device), opened by
// one caller at a time, charging every transfer its bus time on the simulated clock.
// Counts the transfers by kind and records the processor's reload line. Fault injection
// for tests: a failing n-th transfer of a kind, an adapter that stops answering, no device.

#include "download/adapters/simulated_clock.h"
#include "download/adapters/simulated_flash_chip.h"
#include "download/adapters/spi_adapter_library.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum class TransferKind {
    WriteEnable,
    WriteDisable,
    BlockErase,
    PageProgram,
    ReadData,
    ReadStatus,
    ReadIdentification,
    Other,
};
inline constexpr std::size_t kTransferKindCount = 8;

// What a transfer costs on the bus: the USB round trip of one library call, then the bits
// at the SPI clock.
struct BusTiming {
    std::uint32_t callMicros = 250;
    std::uint32_t clockKiloHertz = 30000;
};

// The shape of a transfer, as the adapter saw it.
struct TransferShape {
    std::uint32_t commandBytes = 0;
    std::uint32_t dataBytes = 0;
    std::uint32_t readBits = 0;
    bool channelFamily = false;
};

// Where the simulated adapter shows up.
struct SimulatedAdapterSetup {
    bool inChannelFamily = true;
    bool inPlainFamily = true;
    std::string channelName = "A";
    BusTiming bus;
};

// Status values other than kAdapterOk.
enum SimulatedAdapterError : AdapterStatus {
    kAdapterInvalidHandle = 1,
    kAdapterDeviceNotFound = 2,
    kAdapterInvalidArgument = 3,
    kAdapterIoError = 4,
    kAdapterDeviceBusy = 5,
    kAdapterImageFileError = 6,
};

class SimulatedAdapterLibrary : public SpiAdapterLibrary {
public:
    SimulatedAdapterLibrary(SimulatedFlashChip& chip, SimulatedClock& clock, SimulatedAdapterSetup setup = {});

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

    // Observations.
    bool isOpen() const { return openHandle_ != 0; }
    std::uint64_t transferCount(TransferKind kind) const { return transferCounts_[static_cast<std::size_t>(kind)]; }
    std::uint64_t totalTransfers() const { return totalTransfers_; }
    const TransferShape& lastShape(TransferKind kind) const { return lastShapes_[static_cast<std::size_t>(kind)]; }
    std::uint32_t reloadCount() const { return reloadCount_; }
    const std::string& lastImageError() const { return lastImageError_; }
    // The kind of every transfer since the last resetCounts, when asked to keep them.
    void keepTransferLog(bool keep) { keepLog_ = keep; }
    const std::vector<TransferKind>& transferLog() const { return transferLog_; }
    void resetCounts();

    // Faults for tests. The occurrence and transfer numbers count from 1 and from the last
    // resetCounts.
    void failTransfer(TransferKind kind, std::uint64_t occurrence);
    void stopAnsweringFromTransfer(std::uint64_t transferNumber);
    void setNoDevice(bool noDevice) { noDevice_ = noDevice; }
    void clearFaults();

private:
    AdapterStatus checkHandle(AdapterHandle handle) const;
    AdapterStatus open(AdapterHandle& handle);
    AdapterStatus setPins(AdapterHandle handle, const PinFlags& flags);
    AdapterStatus transfer(AdapterHandle handle, bool channelFamily, std::uint32_t commandBits,
                           const std::uint8_t* commandBytes, std::uint32_t commandByteCount, std::uint32_t dataBits,
                           const std::uint8_t* data, std::uint32_t dataByteCount, std::uint32_t readBits,
                           std::span<std::uint8_t> received);
    bool deviceVisible(bool channelFamily) const;

    SimulatedFlashChip& chip_;
    SimulatedClock& clock_;
    const SimulatedAdapterSetup setup_;
    AdapterHandle openHandle_ = 0;
    bool openedThroughChannel_ = false;
    std::uint32_t openCount_ = 0;
    PinFlags pinLevels_{};
    PlainPinPairs pinPairs_{};
    std::uint32_t reloadCount_ = 0;
    std::string lastImageError_;

    std::array<std::uint64_t, kTransferKindCount> transferCounts_{};
    std::array<TransferShape, kTransferKindCount> lastShapes_{};
    std::uint64_t totalTransfers_ = 0;
    bool keepLog_ = false;
    std::vector<TransferKind> transferLog_;

    struct PlannedFailure {
        TransferKind kind;
        std::uint64_t occurrence;
    };
    std::vector<PlannedFailure> plannedFailures_;
    std::optional<std::uint64_t> silentFrom_;
    bool noDevice_ = false;
};
