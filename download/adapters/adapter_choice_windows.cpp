// The Windows adapters: FTDI's FTCSPI.dll, which finds and opens the adapter itself.

#include "download/adapters/ftcspi_adapter_library.h"
#include "download/adapters/platform_adapter.h"

namespace {

class FtcspiAdapter : public ChosenSpiAdapter {
public:
    SpiAdapterLibrary& library() override { return library_; }
    MonotonicClock& clock() override { return clock_; }
    std::string description() const override { return "FTDI USB-to-SPI adapter through FTCSPI.dll"; }
    std::string connectionAdvice() const override
    {
        if (!library_.loaded())
            return library_.loadProblem();
        return "FTCSPI.dll found no FTDI adapter that opens: check the cable, and that FTDI's D2XX driver is "
               "installed and no other program uses the adapter.";
    }

private:
    SteadyClock clock_;
    FtcspiAdapterLibrary library_;
};

} // namespace

// The library chooses the device and the clock, so only the plain "ftdi" names it: a
// serial number or a clock limit that could not be honoured is refused, not ignored.
std::unique_ptr<ChosenSpiAdapter> makePlatformAdapter(std::string_view setting)
{
    if (setting.empty() || setting == kFtdiAdapterName)
        return std::make_unique<FtcspiAdapter>();
    return nullptr;
}

std::string platformAdapterSettings()
{
    return "ftdi (FTDI's FTCSPI.dll, which picks the adapter and its clock itself) or sim:IMAGE";
}
