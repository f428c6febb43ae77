#include "download/adapters/ftdi_adapter_library.h"

#include <algorithm>
#include <cstring>

namespace {

// The device type numbers FTDI's own libraries give these chips.
std::uint32_t deviceType(FtdiChip chip)
{
    switch (chip) {
    case FtdiChip::FT2232C:
        return 4;
    case FtdiChip::FT2232H:
        return 6;
    case FtdiChip::FT4232H:
        return 7;
    case FtdiChip::FT232H:
        return 8;
    }
    return 0;
}

int mpsseInterfaces(FtdiChip chip)
{
    return chip == FtdiChip::FT2232H || chip == FtdiChip::FT4232H ? 2 : 1;
}

const char* channelName(int interfaceIndex)
{
    return interfaceIndex == 0 ? "A" : "B";
}

std::string adapterName(const FtdiDevice& device)
{
    std::string name =
        device.description.empty() ? std::string("FTDI ") + ftdiChipName(device.chip) : device.description;
    if (!device.serial.empty())
        name += " " + device.serial;
    return name;
}

void copyText(const std::string& text, char* buffer, std::uint32_t size)
{
    if (buffer == nullptr || size == 0)
        return;
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

bool spiModeZero(std::uint32_t msbFirst, std::uint32_t risingEdge)
{
    // Most significant bit first, data out on the falling edge: all this back end shifts.
    return msbFirst == 1 && risingEdge == 0;
}

} // namespace

std::uint32_t ftdiLocation(const FtdiDevice& device)
{
    // Bus in the top byte, then up to six port numbers of four bits each.
    std::uint32_t location = std::uint32_t{device.bus} << 24;
    for (std::size_t level = 0; level < device.ports.size() && level < 6; ++level)
        location |= std::uint32_t{device.ports[level] & 0x0Fu} << (20 - 4 * level);
    return location;
}

std::string describeFtdiLocation(std::uint32_t location)
{
    std::string text = "bus " + std::to_string(location >> 24) + ", port ";
    bool first = true;
    for (int level = 0; level < 6; ++level) {
        const std::uint32_t port = (location >> (20 - 4 * level)) & 0x0Fu;
        if (port == 0)
            break;
        text += (first ? "" : ".") + std::to_string(port);
        first = false;
    }
    return first ? text + "0" : text;
}

FtdiAdapterLibrary::FtdiAdapterLibrary(FtdiUsb& usb, MonotonicClock& clock, FtdiAdapterOptions options)
    : usb_(usb)
    , clock_(clock)
    , options_(std::move(options))
{
}

std::vector<FtdiListedAdapter> FtdiAdapterLibrary::search(bool channelFamily)
{
    FtdiDeviceList found = usb_.findDevices();
    lastProblem_ = found.error.empty() ? std::string() : "The USB bus cannot be searched: " + found.error;
    std::vector<FtdiListedAdapter> listed;
    for (const FtdiDevice& device : found.devices) {
        if (isChannelChip(device.chip) != channelFamily)
            continue;
        if (!options_.serial.empty() && device.serial != options_.serial)
            continue;
        for (int interfaceIndex = 0; interfaceIndex < mpsseInterfaces(device.chip); ++interfaceIndex)
            listed.push_back({device, interfaceIndex, channelFamily, adapterName(device), ftdiLocation(device)});
    }
    return listed;
}

std::vector<FtdiListedAdapter> FtdiAdapterLibrary::listAdapters()
{
    // Both families' lists are kept, so that each listed adapter can be opened.
    channelDevices_ = search(true);
    const std::string channelProblem = lastProblem_;
    plainDevices_ = search(false);
    if (lastProblem_.empty())
        lastProblem_ = channelProblem;
    std::vector<FtdiListedAdapter> all = channelDevices_;
    all.insert(all.end(), plainDevices_.begin(), plainDevices_.end());
    return all;
}

AdapterStatus FtdiAdapterLibrary::channelCountDevices(std::uint32_t& count)
{
    channelDevices_ = search(true);
    count = static_cast<std::uint32_t>(channelDevices_.size());
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::channelDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                        std::uint32_t& location, char* channel,
                                                        std::uint32_t channelSize, std::uint32_t& type)
{
    if (index >= channelDevices_.size())
        return kFtdiDeviceNotFound;
    const FtdiListedAdapter& adapter = channelDevices_[index];
    copyText(adapter.name, name, nameSize);
    copyText(channelName(adapter.interfaceIndex), channel, channelSize);
    location = adapter.location;
    type = deviceType(adapter.device.chip);
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::channelOpen(const char* name, std::uint32_t location, const char* channel,
                                              AdapterHandle& handle)
{
    if (channel == nullptr || (std::strcmp(channel, "A") != 0 && std::strcmp(channel, "B") != 0))
        return kFtdiInvalidArgument;
    return open(channelDevices_, name, location, channel[0] == 'A' ? 0 : 1, handle);
}

AdapterStatus FtdiAdapterLibrary::plainCountDevices(std::uint32_t& count)
{
    plainDevices_ = search(false);
    count = static_cast<std::uint32_t>(plainDevices_.size());
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::plainDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                      std::uint32_t& location)
{
    if (index >= plainDevices_.size())
        return kFtdiDeviceNotFound;
    copyText(plainDevices_[index].name, name, nameSize);
    location = plainDevices_[index].location;
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::plainOpen(const char* name, std::uint32_t location, AdapterHandle& handle)
{
    return open(plainDevices_, name, location, 0, handle);
}

AdapterStatus FtdiAdapterLibrary::open(const std::vector<FtdiListedAdapter>& listed, const char* name,
                                       std::uint32_t location, int interfaceIndex, AdapterHandle& handle)
{
    // The name may have been cut to the caller's buffer: the location and channel decide.
    const auto adapter = std::find_if(listed.begin(), listed.end(), [&](const FtdiListedAdapter& candidate) {
        return candidate.location == location && candidate.interfaceIndex == interfaceIndex && name != nullptr
            && candidate.name.starts_with(name);
    });
    if (adapter == listed.end()) {
        lastProblem_ = "no such adapter was found in the last search";
        return kFtdiDeviceNotFound;
    }
    FtdiOpenResult opened = usb_.open(adapter->device, interfaceIndex);
    permissionDenied_ = opened.failure == FtdiOpenFailure::NoPermission;
    if (!opened.port) {
        lastProblem_ = "The " + std::string(ftdiChipName(adapter->device.chip)) + " adapter at "
            + describeFtdiLocation(location) + " cannot be opened: " + opened.error;
        return kFtdiNotOpened;
    }
    lastProblem_.clear();
    handle = nextHandle_++;
    open_[handle] =
        std::make_unique<MpsseSpi>(std::move(opened.port), adapter->device.chip, clock_, options_.maxKiloHertz);
    return kAdapterOk;
}

MpsseSpi* FtdiAdapterLibrary::find(AdapterHandle handle) const
{
    const auto found = open_.find(handle);
    return found == open_.end() ? nullptr : found->second.get();
}

AdapterStatus FtdiAdapterLibrary::outcome(MpsseSpi& spi, bool ok)
{
    if (ok)
        return kAdapterOk;
    lastProblem_ = spi.lastError();
    return kFtdiIoError;
}

std::uint32_t FtdiAdapterLibrary::clockHertz(AdapterHandle handle) const
{
    const MpsseSpi* spi = find(handle);
    return spi == nullptr ? 0 : spi->clockHertz();
}

AdapterStatus FtdiAdapterLibrary::initialise(AdapterHandle handle, std::uint32_t clockDivisor)
{
    MpsseSpi* spi = find(handle);
    return spi == nullptr ? kFtdiInvalidHandle : outcome(*spi, spi->initialise(clockDivisor));
}

AdapterStatus FtdiAdapterLibrary::close(AdapterHandle handle)
{
    return open_.erase(handle) == 1 ? kAdapterOk : kFtdiInvalidHandle;
}

AdapterStatus FtdiAdapterLibrary::setPins(AdapterHandle handle, const PinFlags& flags, std::span<const PinPair> pins)
{
    MpsseSpi* spi = find(handle);
    return spi == nullptr ? kFtdiInvalidHandle : outcome(*spi, spi->setPins(flags, pins));
}

AdapterStatus FtdiAdapterLibrary::channelSetPins(AdapterHandle handle, const PinFlags& flags,
                                                 const ChannelPinPairs& pins)
{
    return setPins(handle, flags, pins);
}

AdapterStatus FtdiAdapterLibrary::plainSetPins(AdapterHandle handle, const PinFlags& flags, const PlainPinPairs& pins)
{
    return setPins(handle, flags, pins);
}

AdapterStatus FtdiAdapterLibrary::plainReadPins(AdapterHandle handle, PlainPinPairs& pins)
{
    MpsseSpi* spi = find(handle);
    return spi == nullptr ? kFtdiInvalidHandle : outcome(*spi, spi->readUpperPins(pins));
}

// The set-up, preparation and query calls configure nothing this back end does not
// already set at initialise; they only confirm the handle.
AdapterStatus FtdiAdapterLibrary::plainSetUp(AdapterHandle handle, std::uint8_t*)
{
    return find(handle) == nullptr ? kFtdiInvalidHandle : kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::plainPrepare(AdapterHandle handle)
{
    return find(handle) == nullptr ? kFtdiInvalidHandle : kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::channelQuery(AdapterHandle handle)
{
    return find(handle) == nullptr ? kFtdiInvalidHandle : kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::channelQueryFollowUp(AdapterHandle handle, std::uint32_t, std::uint32_t& value)
{
    MpsseSpi* spi = find(handle);
    if (spi == nullptr)
        return kFtdiInvalidHandle;
    value = spi->clockHertz();
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::write(AdapterHandle handle, std::uint32_t msbFirst, std::uint32_t risingEdge,
                                        std::uint32_t commandBits, const std::uint8_t* commandBytes,
                                        std::uint32_t commandByteCount, std::uint32_t writeData, std::uint32_t dataBits,
                                        const std::uint8_t* data, std::uint32_t dataByteCount)
{
    MpsseSpi* spi = find(handle);
    if (spi == nullptr)
        return kFtdiInvalidHandle;
    const std::uint32_t sentData = writeData != 0 ? dataByteCount : 0;
    if (!spiModeZero(msbFirst, risingEdge) || commandBits != 8 * commandByteCount
        || (writeData != 0 && dataBits != 8 * dataByteCount) || (commandByteCount > 0 && commandBytes == nullptr)
        || (sentData > 0 && data == nullptr))
        return kFtdiInvalidArgument;
    // The write-completion record (wait on a pin for the end of a page program) is not
    // acted on: a serial flash does not signal it on a pin, and the protocol's status
    // polling waits for the chip anyway. The write is queued and goes out with the next read.
    spi->write({commandBytes, commandByteCount}, {data, sentData});
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::read(AdapterHandle handle, std::uint32_t msbFirst, std::uint32_t risingEdge,
                                       std::uint32_t commandBits, const std::uint8_t* commandBytes,
                                       std::uint32_t commandByteCount, std::uint32_t readMsbFirst,
                                       std::uint32_t readRisingEdge, std::uint32_t readBits,
                                       AdapterReceiveBuffer& received, std::uint32_t& receivedCount)
{
    MpsseSpi* spi = find(handle);
    if (spi == nullptr)
        return kFtdiInvalidHandle;
    // Data in is sampled on the rising edge whatever the caller's read flags say: that is
    // where a mode 0 device's output is valid.
    (void)readRisingEdge;
    if (!spiModeZero(msbFirst, risingEdge) || readMsbFirst != 1 || commandBits != 8 * commandByteCount
        || readBits % 8 != 0 || readBits / 8 > received.size() || (commandByteCount > 0 && commandBytes == nullptr))
        return kFtdiInvalidArgument;
    receivedCount = 0;
    const std::uint32_t count = readBits / 8;
    if (!spi->read({commandBytes, commandByteCount}, {received.data(), count}))
        return outcome(*spi, false);
    receivedCount = count;
    return kAdapterOk;
}

AdapterStatus FtdiAdapterLibrary::channelWrite(AdapterHandle handle, const TransferStartState&, std::uint32_t msbFirst,
                                               std::uint32_t risingEdge, std::uint32_t commandBits,
                                               const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                               std::uint32_t writeData, std::uint32_t dataBits,
                                               const std::uint8_t* data, std::uint32_t dataByteCount,
                                               const WriteCompletion&, const ChannelFamilyRecord&)
{
    return write(handle, msbFirst, risingEdge, commandBits, commandBytes, commandByteCount, writeData, dataBits, data,
                 dataByteCount);
}

AdapterStatus FtdiAdapterLibrary::plainWrite(AdapterHandle handle, const TransferStartState&, std::uint32_t msbFirst,
                                             std::uint32_t risingEdge, std::uint32_t commandBits,
                                             const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                             std::uint32_t writeData, std::uint32_t dataBits, const std::uint8_t* data,
                                             std::uint32_t dataByteCount, const WriteCompletion&,
                                             const PlainFamilyRecord&)
{
    return write(handle, msbFirst, risingEdge, commandBits, commandBytes, commandByteCount, writeData, dataBits, data,
                 dataByteCount);
}

AdapterStatus FtdiAdapterLibrary::channelRead(AdapterHandle handle, const TransferStartState&, std::uint32_t msbFirst,
                                              std::uint32_t risingEdge, std::uint32_t commandBits,
                                              const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                              std::uint32_t readMsbFirst, std::uint32_t readRisingEdge,
                                              std::uint32_t readBits, AdapterReceiveBuffer& received,
                                              std::uint32_t& receivedCount, const ChannelFamilyRecord&)
{
    return read(handle, msbFirst, risingEdge, commandBits, commandBytes, commandByteCount, readMsbFirst, readRisingEdge,
                readBits, received, receivedCount);
}

AdapterStatus FtdiAdapterLibrary::plainRead(AdapterHandle handle, const TransferStartState&, std::uint32_t msbFirst,
                                            std::uint32_t risingEdge, std::uint32_t commandBits,
                                            const std::uint8_t* commandBytes, std::uint32_t commandByteCount,
                                            std::uint32_t readMsbFirst, std::uint32_t readRisingEdge,
                                            std::uint32_t readBits, AdapterReceiveBuffer& received,
                                            std::uint32_t& receivedCount, const PlainFamilyRecord&)
{
    return read(handle, msbFirst, risingEdge, commandBits, commandBytes, commandByteCount, readMsbFirst, readRisingEdge,
                readBits, received, receivedCount);
}
