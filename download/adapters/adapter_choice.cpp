#include "download/adapters/adapter_choice.h"

#include "config/calibration_settings.h"
#include "download/adapters/platform_adapter.h"
#include "download/adapters/simulated_adapter_library.h"

#include <charconv>

#include <cstdlib>
#include <vector>

namespace {

// The simulated processor: its clock, its flash chip kept in an image file, and the
// adapter in front of it.
class SimulatedProcessorAdapter : public ChosenSpiAdapter {
public:
    explicit SimulatedProcessorAdapter(std::filesystem::path imageFile)
        : chip_(kW25Q64, clock_, std::move(imageFile))
        , library_(chip_, clock_)
    {
    }

    SpiAdapterLibrary& library() override { return library_; }
    MonotonicClock& clock() override { return clock_; }
    std::string description() const override
    {
        return "simulated processor, flash image " + chip_.imageFile().string();
    }
    // Why the image could not be used (missing folder, wrong size, held by another program).
    std::string connectionAdvice() const override { return library_.lastImageError(); }

private:
    SimulatedClock clock_;
    SimulatedFlashChip chip_;
    SimulatedAdapterLibrary library_;
};

// A setting that names no adapter: a library that finds no device, so the operator sees
// "No device connection" and then why.
class AbsentAdapterLibrary : public SpiAdapterLibrary {
public:
    AdapterStatus channelCountDevices(std::uint32_t& count) override { return noDevices(count); }
    AdapterStatus channelDescribeDevice(std::uint32_t, char*, std::uint32_t, std::uint32_t&, char*, std::uint32_t,
                                        std::uint32_t&) override
    {
        return kNotFound;
    }
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
    AdapterStatus plainDescribeDevice(std::uint32_t, char*, std::uint32_t, std::uint32_t&) override
    {
        return kNotFound;
    }
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

class UnknownAdapter : public ChosenSpiAdapter {
public:
    explicit UnknownAdapter(std::string setting) : setting_(std::move(setting)) {}
    SpiAdapterLibrary& library() override { return library_; }
    MonotonicClock& clock() override { return clock_; }
    std::string description() const override { return "no adapter (setting \"" + setting_ + "\")"; }
    std::string connectionAdvice() const override
    {
        return "The adapter setting \"" + setting_ + "\" names no adapter: use " + platformAdapterSettings() + ".";
    }

private:
    std::string setting_;
    AbsentAdapterLibrary library_;
    SteadyClock clock_;
};

} // namespace

std::optional<FtdiSetting> parseFtdiSetting(std::string_view setting)
{
    FtdiSetting parsed;
    if (setting.empty())
        return parsed;
    if (!setting.starts_with(kFtdiAdapterName))
        return std::nullopt;
    setting.remove_prefix(kFtdiAdapterName.size());
    if (const std::size_t at = setting.find('@'); at != std::string_view::npos) {
        const std::string_view kiloHertz = setting.substr(at + 1);
        const auto [end, error] =
            std::from_chars(kiloHertz.data(), kiloHertz.data() + kiloHertz.size(), parsed.maxKiloHertz);
        if (error != std::errc() || end != kiloHertz.data() + kiloHertz.size() || parsed.maxKiloHertz == 0)
            return std::nullopt;
        setting = setting.substr(0, at);
    }
    if (setting.starts_with(':')) {
        parsed.serial = std::string(setting.substr(1));
        if (parsed.serial.empty())
            return std::nullopt;
    } else if (!setting.empty()) {
        return std::nullopt;
    }
    return parsed;
}

std::unique_ptr<ChosenSpiAdapter> makeSpiAdapter(std::string_view setting)
{
    if (setting.starts_with(kSimulatedAdapterPrefix) && setting.size() > kSimulatedAdapterPrefix.size())
        return std::make_unique<SimulatedProcessorAdapter>(
            std::filesystem::path(setting.substr(kSimulatedAdapterPrefix.size())));
    if (std::unique_ptr<ChosenSpiAdapter> adapter = makePlatformAdapter(setting))
        return adapter;
    return std::make_unique<UnknownAdapter>(std::string(setting));
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
