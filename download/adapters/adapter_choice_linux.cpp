// The Linux adapters: FTDI chips on the USB bus through libftdi1.

#include "download/adapters/ftdi_adapter_library.h"
#include "download/adapters/platform_adapter.h"

namespace {

// FTDI adapters on the USB bus.
class FtdiAdapter : public ChosenSpiAdapter {
public:
    explicit FtdiAdapter(FtdiSetting setting)
        : usb_(makeLibftdiUsb())
        , library_(*usb_, clock_, {setting.serial, setting.maxKiloHertz})
        , setting_(std::move(setting))
    {
    }
    SpiAdapterLibrary& library() override { return library_; }
    MonotonicClock& clock() override { return clock_; }
    std::string description() const override
    {
        std::string text = "FTDI USB-to-SPI adapter";
        if (!setting_.serial.empty())
            text += ", serial number " + setting_.serial;
        if (setting_.maxKiloHertz > 0)
            text += ", SPI clock at most " + std::to_string(setting_.maxKiloHertz) + " kHz";
        return text;
    }
    std::string connectionAdvice() const override { return ftdiConnectionAdvice(library_, setting_.serial); }

private:
    SteadyClock clock_;
    std::unique_ptr<FtdiUsb> usb_;
    FtdiAdapterLibrary library_;
    FtdiSetting setting_;
};

} // namespace

std::string ftdiConnectionAdvice(const FtdiAdapterLibrary& library, const std::string& serial)
{
    if (library.permissionDenied())
        return "No permission to use the USB adapter: install the udev rule 60-chromix-ftdi.rules into "
               "/etc/udev/rules.d, run \"udevadm control --reload-rules\" as root and plug the adapter in again.";
    if (!library.lastProblem().empty())
        return library.lastProblem();
    if (!serial.empty())
        return "No FTDI adapter with serial number " + serial + " is attached; \"chromix adapters\" lists those found.";
    return "No FTDI adapter (FT2232H, FT4232H, FT232H, FT2232C/D) is attached; \"chromix adapters\" lists those found.";
}

std::unique_ptr<ChosenSpiAdapter> makePlatformAdapter(std::string_view setting)
{
    if (const std::optional<FtdiSetting> ftdi = parseFtdiSetting(setting))
        return std::make_unique<FtdiAdapter>(*ftdi);
    return nullptr;
}

std::string platformAdapterSettings()
{
    return "ftdi, ftdi:SERIAL (either may end in @KHZ) or sim:IMAGE";
}
