#pragma once

// Which adapter a download talks to: $CHROMIX_SPI_ADAPTER, else the store's base-key value
// "spi adapter", else the platform's real adapter. "sim:PATH" chooses the simulated
// processor with its flash image at PATH.

#include "config/registry_store.h"
#include "download/adapters/spi_adapter_library.h"
#include "download/pacer.h"

#include <memory>
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
};

inline constexpr const char* kSpiAdapterVariable = "CHROMIX_SPI_ADAPTER";
inline constexpr std::string_view kSimulatedAdapterPrefix = "sim:";

// The adapter named by a setting text; any text that does not name the simulated
// processor, including an empty one, gives the platform's real adapter.
std::unique_ptr<ChosenSpiAdapter> makeSpiAdapter(std::string_view setting);

// The store's "spi adapter" value; empty when the store or the value is missing.
std::string storedAdapterSetting(RegistryStore& store);

// The adapter of the environment, else of the store (may be null), else the platform's.
std::unique_ptr<ChosenSpiAdapter> chooseSpiAdapter(RegistryStore* store);
