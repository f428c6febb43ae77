#include "download/adapters/adapter_choice.h"

#include "config/calibration_settings.h"
#include "download/adapters/simulated_adapter_library.h"

#include <cstdlib>
#include <vector>

namespace {

// The simulated processor: its clock, its flash chip kept in an image file, and the
// adapter in front of it.
class SimulatedProcessorAdapter : public ChosenSpiAdapter {
public:
    explicit SimulatedProcessorAdapter(std::filesystem::path imageFile)
        : chip_(kW25Q64, clock_, std::move(imageFile)), library_(chip_, clock_) {}

    SpiAdapterLibrary& library() override { return library_; }
    MonotonicClock& clock() override { return clock_; }
    std::string description() const override
    {
        return "simulated processor, flash image " + chip_.imageFile().string();
    }

private:
    SimulatedClock clock_;
    SimulatedFlashChip chip_;
    SimulatedAdapterLibrary library_;
};

// This platform has no real adapter back end yet: a library that finds no device, so the
// operator sees "No device connection".
class AbsentAdapterLibrary : public SpiAdapterLibrary {
public:
    AdapterStatus channelCountDevices(std::uint32_t& count) override { return noDevices(count); }
    AdapterStatus channelDescribeDevice(std::uint32_t, char*, std::uint32_t, std::uint32_t&, char*, std::uint32_t,
                                        std::uint32_t&) override { return kNotFound; }
    AdapterStatus channelOpen(const char*, std::uint32_t, const char*, AdapterHandle&) override { return kNotFound; }
    AdapterStatus channelSetPins(AdapterHandle, const PinFlags&, const ChannelPinPairs&) override { return kNotFound; }
    AdapterStatus channelQuery(AdapterHandle) override { return kNotFound; }
    AdapterStatus channelQueryFollowUp(AdapterHandle, std::uint32_t, std::uint32_t&) override { return kNotFound; }
    AdapterStatus channelWrite(AdapterHandle, const TransferStartState&, std::uint32_t, std::uint32_t, std::uint32_t,
                               const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t, const std::uint8_t*,
                               std::uint32_t, const WriteCompletion&, const ChannelFamilyRecord&) override
    {
        return kNotFound;
    }
    AdapterStatus channelRead(AdapterHandle, const TransferStartState&, std::uint32_t, std::uint32_t, std::uint32_t,
                              const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                              AdapterReceiveBuffer&, std::uint32_t&, const ChannelFamilyRecord&) override
    {
        return kNotFound;
    }
    AdapterStatus plainCountDevices(std::uint32_t& count) override { return noDevices(count); }
    AdapterStatus plainDescribeDevice(std::uint32_t, char*, std::uint32_t, std::uint32_t&) override { return kNotFound; }
    AdapterStatus plainOpen(const char*, std::uint32_t, AdapterHandle&) override { return kNotFound; }
    AdapterStatus plainSetUp(AdapterHandle, std::uint8_t*) override { return kNotFound; }
    AdapterStatus plainPrepare(AdapterHandle) override { return kNotFound; }
    AdapterStatus plainSetPins(AdapterHandle, const PinFlags&, const PlainPinPairs&) override { return kNotFound; }
    AdapterStatus plainReadPins(AdapterHandle, PlainPinPairs&) override { return kNotFound; }
    AdapterStatus plainWrite(AdapterHandle, const TransferStartState&, std::uint32_t, std::uint32_t, std::uint32_t,
                             const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t, const std::uint8_t*,
                             std::uint32_t, const WriteCompletion&, const PlainFamilyRecord&) override
    {
        return kNotFound;
    }
    AdapterStatus plainRead(AdapterHandle, const TransferStartState&, std::uint32_t, std::uint32_t, std::uint32_t,
                            const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                            AdapterReceiveBuffer&, std::uint32_t&, const PlainFamilyRecord&) override
    {
        return kNotFound;
    }
    AdapterStatus initialise(AdapterHandle, std::uint32_t) override { return kNotFound; }
    AdapterStatus close(AdapterHandle) override { return kNotFound; }

private:
    static constexpr AdapterStatus kNotFound = 2;
    static AdapterStatus noDevices(std::uint32_t& count)
    {
        count = 0;
        return kAdapterOk;
    }
};

class PlatformAdapter : public ChosenSpiAdapter {
public:
    SpiAdapterLibrary& library() override { return library_; }
    MonotonicClock& clock() override { return clock_; }
    std::string description() const override { return "USB-to-SPI adapter (none supported on this platform yet)"; }

private:
    AbsentAdapterLibrary library_;
    SteadyClock clock_;
};

} // namespace

std::unique_ptr<ChosenSpiAdapter> makeSpiAdapter(std::string_view setting)
{
    if (setting.starts_with(kSimulatedAdapterPrefix) && setting.size() > kSimulatedAdapterPrefix.size())
        return std::make_unique<SimulatedProcessorAdapter>(std::filesystem::path(setting.substr(kSimulatedAdapterPrefix.size())));
    return std::make_unique<PlatformAdapter>();
}

std::string storedAdapterSetting(RegistryStore& store)
{
    const std::unique_ptr<RegistryKey> base = store.openKey("");
    if (!base)
        return {};
    std::vector<char> buffer(1024);
    std::uint32_t byteCount = static_cast<std::uint32_t>(buffer.size());
    ValueRead read = base->queryValue(settings_keys::kSpiAdapter, buffer, byteCount);
    if (read == ValueRead::MoreData) {
        buffer.resize(byteCount);
        byteCount = static_cast<std::uint32_t>(buffer.size());
        read = base->queryValue(settings_keys::kSpiAdapter, buffer, byteCount);
    }
    if (read != ValueRead::Ok)
        return {};
    std::string value(buffer.data(), std::min<std::size_t>(byteCount, buffer.size()));
    // The stored bytes count the string's terminating zero.
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}

std::unique_ptr<ChosenSpiAdapter> chooseSpiAdapter(RegistryStore* store)
{
    if (const char* variable = std::getenv(kSpiAdapterVariable); variable != nullptr && *variable != '\0')
        return makeSpiAdapter(variable);
    return makeSpiAdapter(store != nullptr ? storedAdapterSetting(*store) : std::string());
}
