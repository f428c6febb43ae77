#include "download/adapters/simulated_adapter_library.h"

#include "download/adapters/spi_flash_commands.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr const char* kDeviceName = "Simulated Chromix Processor";
constexpr std::uint32_t kChannelLocation = 0x2111;
constexpr std::uint32_t kPlainLocation = 0x2112;
constexpr std::uint32_t kChannelDeviceType = 2;
constexpr AdapterHandle kFirstHandle = 0x100;

TransferKind kindOf(std::uint8_t opcode)
{
    switch (opcode) {
    case spi_flash::kWriteEnable:
        return TransferKind::WriteEnable;
    case spi_flash::kWriteDisable:
        return TransferKind::WriteDisable;
    case spi_flash::kBlockErase:
        return TransferKind::BlockErase;
    case spi_flash::kPageProgram:
        return TransferKind::PageProgram;
    case spi_flash::kReadData:
        return TransferKind::ReadData;
    case spi_flash::kReadStatus:
        return TransferKind::ReadStatus;
    case spi_flash::kReadIdentification:
        return TransferKind::ReadIdentification;
    default:
        return TransferKind::Other;
    }
}

// Copies `text` into a caller's buffer of `size` bytes, always terminated.
bool copyText(std::string_view text, char* buffer, std::uint32_t size)
{
    if (buffer == nullptr || size == 0)
        return false;
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return true;
}

} // namespace

SimulatedAdapterLibrary::SimulatedAdapterLibrary(SimulatedFlashChip& chip, SimulatedClock& clock,
                                                 SimulatedAdapterSetup setup)
    : chip_(chip)
    , clock_(clock)
    , setup_(std::move(setup))
{
}

bool SimulatedAdapterLibrary::deviceVisible(bool channelFamily) const
{
    return !noDevice_ && (channelFamily ? setup_.inChannelFamily : setup_.inPlainFamily);
}

AdapterStatus SimulatedAdapterLibrary::channelCountDevices(std::uint32_t& count)
{
    count = deviceVisible(true) ? 1 : 0;
    return kAdapterOk;
}

AdapterStatus SimulatedAdapterLibrary::channelDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                             std::uint32_t& location, char* channel,
                                                             std::uint32_t channelSize, std::uint32_t& type)
{
    if (index != 0 || !deviceVisible(true))
        return kAdapterDeviceNotFound;
    if (!copyText(kDeviceName, name, nameSize) || !copyText(setup_.channelName, channel, channelSize))
        return kAdapterInvalidArgument;
    location = kChannelLocation;
    type = kChannelDeviceType;
    return kAdapterOk;
}

AdapterStatus SimulatedAdapterLibrary::channelOpen(const char* name, std::uint32_t location, const char* channel,
                                                   AdapterHandle& handle)
{
    if (name == nullptr || channel == nullptr)
        return kAdapterInvalidArgument;
    if (!deviceVisible(true) || std::string_view(name) != kDeviceName || location != kChannelLocation
        || channel != setup_.channelName)
        return kAdapterDeviceNotFound;
    const AdapterStatus status = open(handle);
    if (status == kAdapterOk)
        openedThroughChannel_ = true;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::channelSetPins(AdapterHandle handle, const PinFlags& flags,
                                                      const ChannelPinPairs& pins)
{
    const AdapterStatus status = setPins(handle, flags);
    if (status == kAdapterOk)
        std::copy_n(pins.begin(), pinPairs_.size(), pinPairs_.begin());
    return status;
}

AdapterStatus SimulatedAdapterLibrary::channelQuery(AdapterHandle handle)
{
    return checkHandle(handle);
}

AdapterStatus SimulatedAdapterLibrary::channelQueryFollowUp(AdapterHandle handle, std::uint32_t, std::uint32_t& value)
{
    const AdapterStatus status = checkHandle(handle);
    if (status == kAdapterOk)
        value = 0;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::channelWrite(AdapterHandle handle, const TransferStartState&,
                                                    std::uint32_t msbFirst, std::uint32_t, std::uint32_t commandBits,
                                                    const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                                    std::uint32_t writeData, std::uint32_t dataBits,
                                                    const std::uint8_t* data, std::uint32_t dataByteCount,
                                                    const WriteCompletion&, const ChannelFamilyRecord&)
{
    if (msbFirst != 1)
        return kAdapterInvalidArgument;
    if (writeData == 0)
        dataBits = dataByteCount = 0;
    return transfer(handle, true, commandBits, commandBytes, commandByteCount, dataBits, data, dataByteCount, 0, {});
}

AdapterStatus SimulatedAdapterLibrary::channelRead(AdapterHandle handle, const TransferStartState&,
                                                   std::uint32_t msbFirst, std::uint32_t, std::uint32_t commandBits,
                                                   const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                                   std::uint32_t readMsbFirst, std::uint32_t, std::uint32_t readBits,
                                                   AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                                                   const ChannelFamilyRecord&)
{
    if (msbFirst != 1 || readMsbFirst != 1)
        return kAdapterInvalidArgument;
    const AdapterStatus status =
        transfer(handle, true, commandBits, commandBytes, commandByteCount, 0, nullptr, 0, readBits, received);
    if (status == kAdapterOk)
        receivedCount = readBits / 8;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::plainCountDevices(std::uint32_t& count)
{
    count = deviceVisible(false) ? 1 : 0;
    return kAdapterOk;
}

AdapterStatus SimulatedAdapterLibrary::plainDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                           std::uint32_t& location)
{
    if (index != 0 || !deviceVisible(false))
        return kAdapterDeviceNotFound;
    if (!copyText(kDeviceName, name, nameSize))
        return kAdapterInvalidArgument;
    location = kPlainLocation;
    return kAdapterOk;
}

AdapterStatus SimulatedAdapterLibrary::plainOpen(const char* name, std::uint32_t location, AdapterHandle& handle)
{
    if (name == nullptr)
        return kAdapterInvalidArgument;
    if (!deviceVisible(false) || std::string_view(name) != kDeviceName || location != kPlainLocation)
        return kAdapterDeviceNotFound;
    const AdapterStatus status = open(handle);
    if (status == kAdapterOk)
        openedThroughChannel_ = false;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::plainSetUp(AdapterHandle handle, std::uint8_t* setting)
{
    if (setting == nullptr)
        return kAdapterInvalidArgument;
    return checkHandle(handle);
}

AdapterStatus SimulatedAdapterLibrary::plainPrepare(AdapterHandle handle)
{
    return checkHandle(handle);
}

AdapterStatus SimulatedAdapterLibrary::plainSetPins(AdapterHandle handle, const PinFlags& flags,
                                                    const PlainPinPairs& pins)
{
    const AdapterStatus status = setPins(handle, flags);
    if (status == kAdapterOk)
        pinPairs_ = pins;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::plainReadPins(AdapterHandle handle, PlainPinPairs& pins)
{
    const AdapterStatus status = checkHandle(handle);
    if (status == kAdapterOk)
        pins = pinPairs_;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::plainWrite(AdapterHandle handle, const TransferStartState&,
                                                  std::uint32_t msbFirst, std::uint32_t, std::uint32_t commandBits,
                                                  const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                                  std::uint32_t writeData, std::uint32_t dataBits,
                                                  const std::uint8_t* data, std::uint32_t dataByteCount,
                                                  const WriteCompletion&, const PlainFamilyRecord&)
{
    if (msbFirst != 1)
        return kAdapterInvalidArgument;
    if (writeData == 0)
        dataBits = dataByteCount = 0;
    return transfer(handle, false, commandBits, commandBytes, commandByteCount, dataBits, data, dataByteCount, 0, {});
}

AdapterStatus SimulatedAdapterLibrary::plainRead(AdapterHandle handle, const TransferStartState&,
                                                 std::uint32_t msbFirst, std::uint32_t, std::uint32_t commandBits,
                                                 const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                                 std::uint32_t readMsbFirst, std::uint32_t, std::uint32_t readBits,
                                                 AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                                                 const PlainFamilyRecord&)
{
    if (msbFirst != 1 || readMsbFirst != 1)
        return kAdapterInvalidArgument;
    const AdapterStatus status =
        transfer(handle, false, commandBits, commandBytes, commandByteCount, 0, nullptr, 0, readBits, received);
    if (status == kAdapterOk)
        receivedCount = readBits / 8;
    return status;
}

AdapterStatus SimulatedAdapterLibrary::initialise(AdapterHandle handle, std::uint32_t)
{
    return checkHandle(handle);
}

AdapterStatus SimulatedAdapterLibrary::close(AdapterHandle handle)
{
    const AdapterStatus status = checkHandle(handle);
    if (status != kAdapterOk)
        return status;
    openHandle_ = 0;
    const bool written = chip_.writeBack(lastImageError_);
    chip_.releaseImage();
    return written ? kAdapterOk : kAdapterImageFileError;
}

void SimulatedAdapterLibrary::resetCounts()
{
    transferCounts_ = {};
    lastShapes_ = {};
    totalTransfers_ = 0;
    transferLog_.clear();
}

void SimulatedAdapterLibrary::failTransfer(TransferKind kind, std::uint64_t occurrence)
{
    plannedFailures_.push_back({kind, occurrence});
}

void SimulatedAdapterLibrary::stopAnsweringFromTransfer(std::uint64_t transferNumber)
{
    silentFrom_ = transferNumber;
}

void SimulatedAdapterLibrary::clearFaults()
{
    plannedFailures_.clear();
    silentFrom_.reset();
    noDevice_ = false;
}

AdapterStatus SimulatedAdapterLibrary::checkHandle(AdapterHandle handle) const
{
    return handle != 0 && handle == openHandle_ ? kAdapterOk : kAdapterInvalidHandle;
}

AdapterStatus SimulatedAdapterLibrary::open(AdapterHandle& handle)
{
    if (openHandle_ != 0)
        return kAdapterDeviceBusy; // one caller at a time, as with a real adapter
    lastImageError_.clear();
    if (!chip_.loadImage(lastImageError_))
        return kAdapterImageFileError;
    openHandle_ = kFirstHandle + ++openCount_;
    handle = openHandle_;
    pinLevels_ = {};
    return kAdapterOk;
}

AdapterStatus SimulatedAdapterLibrary::setPins(AdapterHandle handle, const PinFlags& flags)
{
    const AdapterStatus status = checkHandle(handle);
    if (status != kAdapterOk)
        return status;
    // The processor reloads its flash when the reload line goes from low to high.
    if (pinLevels_[1] == 0 && flags[1] != 0)
        ++reloadCount_;
    pinLevels_ = flags;
    return kAdapterOk;
}

AdapterStatus SimulatedAdapterLibrary::transfer(AdapterHandle handle, bool channelFamily, std::uint32_t commandBits,
                                                const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                                std::uint32_t dataBits, const std::uint8_t* data,
                                                std::uint32_t dataByteCount, std::uint32_t readBits,
                                                std::span<std::uint8_t> received)
{
    if (const AdapterStatus status = checkHandle(handle); status != kAdapterOk)
        return status;
    if (channelFamily != openedThroughChannel_)
        return kAdapterInvalidHandle; // the other family's transfer on this handle
    const bool wellFormed = commandByteCount > 0 && commandBytes != nullptr && commandBits == 8 * commandByteCount
        && dataBits == 8 * dataByteCount && (dataByteCount == 0 || data != nullptr)
        && dataByteCount <= kAdapterReceiveSize && readBits % 8 == 0 && readBits / 8 <= received.size();
    if (!wellFormed)
        return kAdapterInvalidArgument;

    const TransferKind kind = kindOf(commandBytes[0]);
    const auto kindIndex = static_cast<std::size_t>(kind);
    ++totalTransfers_;
    const std::uint64_t occurrence = ++transferCounts_[kindIndex];
    lastShapes_[kindIndex] = {commandByteCount, dataByteCount, readBits, channelFamily};
    if (keepLog_)
        transferLog_.push_back(kind);
    const std::uint64_t bits = std::uint64_t{commandBits} + dataBits + readBits;
    clock_.advanceMicroseconds(setup_.bus.callMicros
                               + bits * 1000 / std::max<std::uint32_t>(setup_.bus.clockKiloHertz, 1));

    if (silentFrom_ && totalTransfers_ >= *silentFrom_)
        return kAdapterIoError;
    const auto planned =
        std::find_if(plannedFailures_.begin(), plannedFailures_.end(), [&](const PlannedFailure& failure) {
            return failure.kind == kind && failure.occurrence == occurrence;
        });
    if (planned != plannedFailures_.end()) {
        plannedFailures_.erase(planned);
        return kAdapterIoError;
    }
    const bool persisted =
        chip_.select({commandBytes, commandByteCount}, {data, dataByteCount}, received.first(readBits / 8));
    if (!persisted) {
        lastImageError_ = "Unable to write the flash image " + chip_.imageFile().string();
        return kAdapterImageFileError;
    }
    return kAdapterOk;
}
