#include "download/cspi_flash.h"

#include "config/number_text.h"
#include "download/adapters/flash_chip_facts.h"
#include "download/adapters/spi_flash_commands.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kEraseStep = 0x10000;
constexpr std::uint32_t kPageSize = 256;
constexpr std::uint32_t kVerifyChunk = 10240;
constexpr std::uint32_t kPhasePause = 2000;
constexpr std::uint32_t kPinPause = 200;
constexpr std::uint16_t kExpectedDeviceId = 0x16EF;

// A page normally takes under a millisecond; an erase up to the chip's maximum. The erase
// limit leaves ample margin so that only an adapter or chip that stopped answering trips it.
constexpr std::uint64_t kPageTimeLimitMilliseconds = 1000;
constexpr std::uint64_t kEraseTimeLimitMilliseconds = 3 * std::uint64_t{kW25Q64.blockEraseMaxMicros} / 1000;

const TransferStartState kStartState{};
constexpr std::uint32_t kMsbFirst = 1;
constexpr std::uint32_t kFallingEdge = 0;
constexpr PinFlags kOpenPins{1, 0, 0, 0, 0};
constexpr PinFlags kReloadPins{1, 1, 0, 0, 0};
constexpr PinPair kOutputLow{1, 0};
const PlainFamilyRecord kPlainFamily{};
const ChannelFamilyRecord kChannelFamily{};
constexpr const char* kChannelName = "A";

bool ready(std::uint8_t status)
{
    return (status & (spi_flash::kStatusBusy | spi_flash::kStatusWriteEnableLatch)) == 0;
}

int percentOf(std::uint64_t done, std::uint64_t total)
{
    return total == 0 ? 0 : static_cast<int>(done * 100 / total);
}

std::array<std::uint8_t, 4> addressed(std::uint8_t opcode, std::uint32_t address)
{
    return {opcode, static_cast<std::uint8_t>(address >> 16), static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address)};
}

// A handle being opened: closed again unless the open completes and keeps it.
class OpeningHandle {
public:
    OpeningHandle(SpiAdapterLibrary& library, AdapterHandle handle) : library_(library), handle_(handle) {}
    ~OpeningHandle()
    {
        if (handle_ != 0)
            library_.close(handle_);
    }
    OpeningHandle(const OpeningHandle&) = delete;
    OpeningHandle& operator=(const OpeningHandle&) = delete;

    AdapterHandle get() const { return handle_; }
    AdapterHandle keep() { return std::exchange(handle_, 0); }

private:
    SpiAdapterLibrary& library_;
    AdapterHandle handle_;
};

} // namespace

CSPI_Flash::CSPI_Flash(SpiAdapterLibrary& library, MonotonicClock& clock)
    : library_(library)
    , clock_(clock)
    , receiveBuffer_(std::make_unique<AdapterReceiveBuffer>())
{
}

CSPI_Flash::~CSPI_Flash()
{
    closeAdapter();
}

bool CSPI_Flash::checkDevice(DownloadObserver& observer, Pacer& pacer)
{
    // A handle of an earlier check is closed first: the adapter does not open twice.
    closeAdapter();
    if (!openChannelAdapter(pacer) && !openPlainAdapter(pacer)) {
        observer.setStatus("No device connection", true);
        return false;
    }
    if (readDeviceId() != kExpectedDeviceId) {
        observer.setStatus("Flash Error", true);
        return false;
    }
    observer.setStatus(deviceName, false);
    return true;
}

bool CSPI_Flash::openChannelAdapter(Pacer& pacer)
{
    std::uint32_t count = 0;
    if (library_.channelCountDevices(count) != kAdapterOk || count == 0)
        return false;
    char name[kAdapterNameSize] = {};
    char channel[kAdapterChannelSize] = {};
    std::uint32_t location = 0;
    bool found = false;
    for (std::uint32_t index = 0; index < count && !found; ++index) {
        std::uint32_t type = 0;
        if (library_.channelDescribeDevice(index, name, kAdapterNameSize, location, channel, kAdapterChannelSize, type)
            != kAdapterOk)
            return false;
        channel[kAdapterChannelSize - 1] = '\0';
        found = std::strcmp(channel, kChannelName) == 0;
    }
    if (!found)
        return false;
    name[kAdapterNameSize - 1] = '\0';
    AdapterHandle opened = 0;
    if (library_.channelOpen(name, location, kChannelName, opened) != kAdapterOk)
        return false;
    OpeningHandle handle(library_, opened);
    ChannelPinPairs pins;
    pins.fill(kOutputLow);
    if (library_.initialise(handle.get(), 0) != kAdapterOk
        || library_.channelSetPins(handle.get(), kOpenPins, pins) != kAdapterOk)
        return false;
    pacer.pause(kPinPause);
    if (library_.channelQuery(handle.get()) == kAdapterOk) {
        std::uint32_t ignored = 0;
        library_.channelQueryFollowUp(handle.get(), 0, ignored);
    }
    std::memcpy(deviceName, name, sizeof deviceName);
    adapterHandle = handle.keep();
    channelFamily = true;
    return true;
}

bool CSPI_Flash::openPlainAdapter(Pacer& pacer)
{
    std::uint32_t count = 0;
    if (library_.plainCountDevices(count) != kAdapterOk || count == 0)
        return false;
    // The last device that describes itself is the one opened.
    char name[kAdapterNameSize] = {};
    std::uint32_t location = 0;
    bool described = false;
    for (std::uint32_t index = 0; index < count; ++index) {
        char candidate[kAdapterNameSize] = {};
        std::uint32_t candidateLocation = 0;
        if (library_.plainDescribeDevice(index, candidate, kAdapterNameSize, candidateLocation) != kAdapterOk)
            break;
        std::memcpy(name, candidate, sizeof name);
        location = candidateLocation;
        described = true;
    }
    if (!described)
        return false;
    name[kAdapterNameSize - 1] = '\0';
    AdapterHandle opened = 0;
    if (library_.plainOpen(name, location, opened) != kAdapterOk)
        return false;
    OpeningHandle handle(library_, opened);
    if (library_.initialise(handle.get(), 0) != kAdapterOk)
        return false;
    plainSetting = 0;
    if (library_.plainSetUp(handle.get(), &plainSetting) == kAdapterOk) {
        plainSetting = 2;
        library_.plainSetUp(handle.get(), &plainSetting);
    }
    library_.plainPrepare(handle.get());
    PlainPinPairs pins;
    pins.fill(kOutputLow);
    if (library_.plainSetPins(handle.get(), kOpenPins, pins) != kAdapterOk)
        return false;
    pacer.pause(kPinPause);
    if (library_.plainReadPins(handle.get(), pins) != kAdapterOk)
        return false;
    pacer.pause(kPinPause);
    std::memcpy(deviceName, name, sizeof deviceName);
    adapterHandle = handle.keep();
    channelFamily = false;
    return true;
}

bool CSPI_Flash::sendCommand(const std::uint8_t* command, std::uint32_t commandCount, const std::uint8_t* data,
                             std::uint32_t dataCount, Completion completion)
{
    const WriteCompletion record =
        completion == Completion::PageProgram ? WriteCompletion{1, 0, 1, 5000} : WriteCompletion{};
    const std::uint32_t writeData = dataCount > 0 ? 1 : 0;
    const AdapterStatus status = channelFamily
        ? library_.channelWrite(adapterHandle, kStartState, kMsbFirst, kFallingEdge, 8 * commandCount, command,
                                commandCount, writeData, 8 * dataCount, data, dataCount, record, kChannelFamily)
        : library_.plainWrite(adapterHandle, kStartState, kMsbFirst, kFallingEdge, 8 * commandCount, command,
                              commandCount, writeData, 8 * dataCount, data, dataCount, record, kPlainFamily);
    return status == kAdapterOk;
}

bool CSPI_Flash::receive(const std::uint8_t* command, std::uint32_t commandCount, std::uint32_t readCount)
{
    std::uint32_t received = 0;
    const AdapterStatus status = channelFamily
        ? library_.channelRead(adapterHandle, kStartState, kMsbFirst, kFallingEdge, 8 * commandCount, command,
                               commandCount, kMsbFirst, kFallingEdge, 8 * readCount, *receiveBuffer_, received,
                               kChannelFamily)
        : library_.plainRead(adapterHandle, kStartState, kMsbFirst, kFallingEdge, 8 * commandCount, command,
                             commandCount, kMsbFirst, kFallingEdge, 8 * readCount, *receiveBuffer_, received,
                             kPlainFamily);
    // Fewer bytes than asked for would leave stale bytes in the buffer: a failure too.
    return status == kAdapterOk && received == readCount;
}

std::uint16_t CSPI_Flash::readDeviceId()
{
    const auto command = addressed(spi_flash::kReadIdentification, 0);
    if (!receive(command.data(), command.size(), 2))
        return 0xFFFF;
    return static_cast<std::uint16_t>((*receiveBuffer_)[0] | ((*receiveBuffer_)[1] << 8));
}

bool CSPI_Flash::readStatus(std::uint8_t& status)
{
    // The channel family reads the status behind three filler bytes, two bytes at a time.
    const std::array<std::uint8_t, 4> command{spi_flash::kReadStatus, 0, 0, 0};
    const bool received = channelFamily ? receive(command.data(), 4, 2) : receive(command.data(), 1, 1);
    if (received)
        status = (*receiveBuffer_)[0];
    return received;
}

bool CSPI_Flash::setWriteEnable(bool enable)
{
    const std::uint8_t command = enable ? spi_flash::kWriteEnable : spi_flash::kWriteDisable;
    return sendCommand(&command, 1, nullptr, 0, Completion::None);
}

bool CSPI_Flash::sendWriteEnable(Completion completion)
{
    const std::uint8_t command = spi_flash::kWriteEnable;
    return sendCommand(&command, 1, nullptr, 0, completion);
}

bool CSPI_Flash::waitUntilReady(std::uint64_t limitMilliseconds)
{
    // A failed status read never counts as ready: the chip may still be busy.
    const std::uint64_t start = clock_.nowMilliseconds();
    for (;;) {
        std::uint8_t status = 0;
        if (readStatus(status) && ready(status))
            return true;
        if (clock_.nowMilliseconds() - start > limitMilliseconds)
            return false;
    }
}

bool CSPI_Flash::eraseBlock(std::uint32_t address)
{
    const auto command = addressed(spi_flash::kBlockErase, address);
    return sendWriteEnable(Completion::None)
        && sendCommand(command.data(), command.size(), nullptr, 0, Completion::None)
        && waitUntilReady(kEraseTimeLimitMilliseconds);
}

bool CSPI_Flash::programPage(const std::uint8_t* source, std::uint32_t address, std::uint32_t length)
{
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t chunk = std::min(length - done, kPageSize);
        if (!programChunk(source + done, address + done, chunk))
            return false;
        done += chunk;
    }
    return true;
}

bool CSPI_Flash::programChunk(const std::uint8_t* source, std::uint32_t address, std::uint32_t length)
{
    const auto command = addressed(spi_flash::kPageProgram, address);
    return sendWriteEnable(Completion::PageProgram)
        && sendCommand(command.data(), command.size(), source, length, Completion::PageProgram)
        && waitUntilReady(kPageTimeLimitMilliseconds);
}

bool CSPI_Flash::readFlash(std::uint8_t* destination, std::uint32_t address, std::uint32_t length)
{
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t chunk = std::min(length - done, kAdapterReceiveSize);
        const auto command = addressed(spi_flash::kReadData, address + done);
        if (!receive(command.data(), command.size(), chunk))
            return false;
        std::memcpy(destination + done, receiveBuffer_->data(), chunk);
        done += chunk;
    }
    return true;
}

void CSPI_Flash::failRegion(RunState& state, const std::string& text, const FlashRegion& region)
{
    state.errorText += text + region.name;
    state.ok = false;
}

bool CSPI_Flash::stopRequested(RunState& state, const FlashRegion& region)
{
    // Closing the window stops the run between two transfers; what was written so far stays.
    if (!state.stopRequested)
        return false;
    failRegion(state, "Flash download stopped for ", region);
    return true;
}

void CSPI_Flash::eraseRegion(const FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    const std::uint32_t end = region.start + region.paddedSize;
    observer.setProgress(0);
    observer.setStatus("Erasing Flash for " + region.name + " ... Waiting", false);
    for (std::uint32_t address = region.start; address < end;) {
        if (stopRequested(state, region))
            return;
        if (!eraseBlock(address)) {
            failRegion(state, "Flash Erase Fail for ", region);
            return;
        }
        address += std::min(end - address, kEraseStep);
        observer.setProgress(percentOf(address - region.start, region.paddedSize));
    }
}

void CSPI_Flash::writeRegion(const FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    const std::uint32_t end = region.start + region.paddedSize;
    observer.setProgress(0);
    for (std::uint32_t address = region.start; address < end;) {
        if (stopRequested(state, region))
            return;
        const std::uint32_t length = std::min(end - address, kPageSize);
        const std::uint8_t* source = region.data.data() + (address - region.start);
        if (!programPage(source, address, length) && !programPage(source, address, length)) {
            failRegion(state, "Flash Download Fail for ", region);
            return;
        }
        address += length;
        observer.setStatus("Writing Flash for " + region.name + " ... " + formatInteger(address) + " Bytes", false);
        observer.setProgress(percentOf(address - region.start, region.paddedSize));
    }
}

void CSPI_Flash::verifyRegion(const FlashRegion& region, RunState& state, DownloadObserver& observer)
{
    const std::uint32_t end = region.start + region.paddedSize;
    observer.setStatus("Comparing Data for " + region.name + " ... Waiting", false);
    observer.setProgress(0);
    std::vector<std::uint8_t> readBack(kVerifyChunk);
    for (std::uint32_t address = region.start; address < end;) {
        if (stopRequested(state, region))
            return;
        const std::uint32_t length = std::min(end - address, kVerifyChunk);
        if (!readFlash(readBack.data(), address, length)
            || std::memcmp(readBack.data(), region.data.data() + (address - region.start), length) != 0) {
            failRegion(state, "Compare Data Error for ", region);
            return;
        }
        address += length;
        observer.setStatus("Verifying Flash for " + region.name + "... " + formatInteger(address) + " Bytes", false);
        observer.setProgress(percentOf(address - region.start, region.paddedSize));
    }
}

void CSPI_Flash::writeFlashRegions(std::array<FlashRegion, 3>& regions, RunState& state, DownloadObserver& observer,
                                   Pacer& pacer)
{
    for (FlashRegion& region : regions) {
        if (!state.ok)
            break;
        if (!region.selected)
            continue;
        // A buffer that does not cover the region, or a region past the flash's end, would
        // make the loops below read outside the buffer or wrap around the flash.
        if (region.data.size() < region.paddedSize || region.start > kFlashSize
            || region.paddedSize > kFlashSize - region.start)
            failRegion(state, "Flash Download Fail for ", region);
        else
            eraseRegion(region, state, observer);
        pacer.pause(kPhasePause);
        if (state.ok)
            writeRegion(region, state, observer);
        pacer.pause(kPhasePause);
        if (state.ok && !setWriteEnable(false))
            failRegion(state, "Flash Write Enable Error for ", region);
        if (state.ok)
            verifyRegion(region, state, observer);
        pacer.pause(kPhasePause);
        if (state.ok)
            observer.setStatus("Flash download completed successfully for " + region.name, false);
        else
            observer.appendStatus("Flash download completed unsuccessfully for " + region.name, true);
        pacer.pause(kPhasePause);
    }
    if (state.ok) {
        observer.setStatus("Flash download completed successfully", false);
    } else {
        observer.appendStatus("Flash download completed unsuccessfully", true);
        pacer.pause(kPhasePause);
    }
}

bool CSPI_Flash::reloadProcessor(Pacer& pacer)
{
    if (adapterHandle == 0)
        return false;
    PlainPinPairs pins;
    pins.fill(kOutputLow);
    if (library_.plainPrepare(adapterHandle) != kAdapterOk
        || library_.plainSetPins(adapterHandle, kReloadPins, pins) != kAdapterOk)
        return false;
    pacer.pause(kPinPause);
    if (library_.plainReadPins(adapterHandle, pins) != kAdapterOk)
        return false;
    pacer.pause(kPinPause);
    return true;
}

void CSPI_Flash::closeAdapter()
{
    if (adapterHandle == 0)
        return;
    library_.close(adapterHandle);
    adapterHandle = 0;
}
