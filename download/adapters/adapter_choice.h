#pragma once

// Which adapter a download talks to: $CHROMIX_SPI_ADAPTER, else the store's base-key value
// "spi adapter". "sim:PATH" chooses the simulated processor with its flash image at PATH;
// an empty setting or "ftdi" the platform's FTDI adapters. On Linux these are the chips on
// the USB bus, "ftdi:SERIAL" only the one with that USB serial number, and either form may
// end in "@KHZ" to cap the SPI clock (long cables), for example "ftdi@1000". On Windows it
// is FTDI's FTCSPI.dll, which picks the adapter and its clock itself.

#include "config/registry_store.h"
#include "download/adapters/spi_adapter_library.h"
#include "download/pacer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// An adapter library together with the clock that the flash protocol measures its time
// limits on (the simulated processor runs on simulated time).
class ChosenSpiAdapter {
public:
    virtual ~ChosenSpiAdapter() = default;
    virtual SpiAdapterLibrary& library() = 0;
    virtual MonotonicClock& clock() = 0;
    // For the operator: which adapter this is.
    virtual std::string description() const = 0;
    // After "No device connection": what went wrong and what the operator can do about it;
    // empty when there is nothing to add.
    virtual std::string connectionAdvice() const { return {}; }
};

inline constexpr const char* kSpiAdapterVariable = "CHROMIX_SPI_ADAPTER";
inline constexpr std::string_view kSimulatedAdapterPrefix = "sim:";
inline constexpr std::string_view kFtdiAdapterName = "ftdi";

// What an FTDI setting asks for; nullopt when the text is not an FTDI setting.
struct FtdiSetting {
    std::string serial;
    std::uint32_t maxKiloHertz = 0;
};
std::optional<FtdiSetting> parseFtdiSetting(std::string_view setting);

// The adapter named by a setting text. A text that names no adapter gives one that finds
// no device and says why.
std::unique_ptr<ChosenSpiAdapter> makeSpiAdapter(std::string_view setting);

class FtdiAdapterLibrary;
// What the operator can do after "No device connection" from the FTDI adapters.
std::string ftdiConnectionAdvice(const FtdiAdapterLibrary& library, const std::string& serial);

// The store's "spi adapter" value; empty when the store or the value is missing.
std::string storedAdapterSetting(RegistryStore& store);

// The adapter of the environment, else of the store (may be null), else the platform's.
std::unique_ptr<ChosenSpiAdapter> chooseSpiAdapter(RegistryStore* store);
