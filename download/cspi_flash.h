#pragma once

// The colour processor's SPI flash, reached through the adapter library: the device check
// before a download, the flash commands, erase / write / verify of the selected regions
// with their messages and progress, and the reload command after a successful download.
// Time limits are measured on the injected clock; pauses go through the run's pacer.

#include "download/adapters/spi_adapter_library.h"
#include "download/flash_writer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CSPI_Flash : public FlashWriter {
public:
    CSPI_Flash(SpiAdapterLibrary& library, MonotonicClock& clock);
    ~CSPI_Flash() override; // closes the adapter
    CSPI_Flash(const CSPI_Flash&) = delete;
    CSPI_Flash& operator=(const CSPI_Flash&) = delete;

    // Opens the adapter (channel family first, then plain) and checks the flash's
    // identification; shows the device name, "No device connection" or "Flash Error".
    bool checkDevice(DownloadObserver& observer, Pacer& pacer);

    // First byte read in the low half, second in the high half; 0xFFFF when the transfer fails.
    std::uint16_t readDeviceId();
    // `status` is written only when the transfer succeeds.
    bool readStatus(std::uint8_t& status);
    bool setWriteEnable(bool enable);
    bool eraseBlock(std::uint32_t address);
    bool programPage(const std::uint8_t* source, std::uint32_t address, std::uint32_t length);
    bool readFlash(std::uint8_t* destination, std::uint32_t address, std::uint32_t length);

    void writeFlashRegions(std::array<FlashRegion, 3>& regions, RunState& state, DownloadObserver& observer,
                           Pacer& pacer) override;
    bool reloadProcessor(Pacer& pacer) override;
    void closeAdapter();

    std::string deviceNameText() const { return deviceName; }
    bool adapterOpen() const { return adapterHandle != 0; }

private:
    enum class Completion { None, PageProgram };

    bool openChannelAdapter(Pacer& pacer);
    bool openPlainAdapter(Pacer& pacer);
    bool sendCommand(const std::uint8_t* command, std::uint32_t commandCount, const std::uint8_t* data,
                     std::uint32_t dataCount, Completion completion);
    bool receive(const std::uint8_t* command, std::uint32_t commandCount, std::uint32_t readCount);
    bool sendWriteEnable(Completion completion);
    bool waitUntilReady(std::uint64_t limitMilliseconds);
    bool programChunk(const std::uint8_t* source, std::uint32_t address, std::uint32_t length);

    void eraseRegion(const FlashRegion& region, RunState& state, DownloadObserver& observer);
    void writeRegion(const FlashRegion& region, RunState& state, DownloadObserver& observer);
    void verifyRegion(const FlashRegion& region, RunState& state, DownloadObserver& observer);
    void failRegion(RunState& state, const std::string& text, const FlashRegion& region);
    bool stopRequested(RunState& state, const FlashRegion& region);

    char deviceName[kAdapterNameSize] = {};
    AdapterHandle adapterHandle = 0;
    std::uint8_t plainSetting = 0;
    bool channelFamily = false;

    SpiAdapterLibrary& library_;
    MonotonicClock& clock_;
    std::unique_ptr<AdapterReceiveBuffer> receiveBuffer_;
};
