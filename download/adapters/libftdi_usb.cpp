// The USB side of real FTDI adapters, through libftdi1 (and libusb for where a device sits).

#include "download/adapters/ftdi_usb.h"

#include <ftdi.h>
#include <libusb.h>

#include <array>
#include <cstdio>
#include <unistd.h>

namespace {

// Every USB transfer gives up after this long, so a silent adapter cannot stall a run.
constexpr int kUsbTimeoutMilliseconds = 1000;
// Answers are flushed by a send-immediate command; the timer only paces empty status packets.
constexpr unsigned char kLatencyMilliseconds = 2;

constexpr std::array<int, 3> kProductIds{0x6010, 0x6011, 0x6014};
constexpr int kFt2232cRelease = 0x0500;

int productIdOf(FtdiChip chip)
{
    switch (chip) {
    case FtdiChip::FT4232H:
        return 0x6011;
    case FtdiChip::FT232H:
        return 0x6014;
    default:
        return 0x6010;
    }
}

FtdiChip chipOf(int productId, int release)
{
    if (productId == 0x6011)
        return FtdiChip::FT4232H;
    if (productId == 0x6014)
        return FtdiChip::FT232H;
    return release == kFt2232cRelease ? FtdiChip::FT2232C : FtdiChip::FT2232H;
}

struct ContextDeleter {
    void operator()(ftdi_context* context) const { ftdi_free(context); }
};
using Context = std::unique_ptr<ftdi_context, ContextDeleter>;

std::vector<std::uint8_t> portPath(libusb_device* device)
{
    std::array<std::uint8_t, 8> numbers{};
    const int depth = libusb_get_port_numbers(device, numbers.data(), static_cast<int>(numbers.size()));
    if (depth <= 0)
        return {};
    return {numbers.begin(), numbers.begin() + depth};
}

// The devices of one product, handed to `visit` while the list still holds them.
template <typename Visit> std::string forEachDevice(ftdi_context* context, int productId, Visit visit)
{
    ftdi_device_list* list = nullptr;
    const int found = ftdi_usb_find_all(context, &list, kFtdiVendorId, productId);
    if (found < 0)
        return ftdi_get_error_string(context);
    for (ftdi_device_list* entry = list; entry != nullptr; entry = entry->next) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(entry->dev, &descriptor) != 0)
            continue;
        if (visit(entry->dev, chipOf(productId, descriptor.bcdDevice)))
            break;
    }
    ftdi_list_free(&list);
    return {};
}

// libftdi says -8 when the kernel refused for lack of permission, but a refused libusb_open
// comes back as -4 ("libusb_open() failed"); then the device node tells why.
bool deniedAccess(libusb_device* device, int openResult)
{
    if (openResult == -8)
        return true;
    if (openResult != -4)
        return false;
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", libusb_get_bus_number(device),
                  libusb_get_device_address(device));
    return ::access(node, R_OK | W_OK) != 0;
}

class LibftdiPort : public FtdiPort {
public:
    explicit LibftdiPort(Context context) : context_(std::move(context)) {}
    ~LibftdiPort() override { ftdi_usb_close(context_.get()); }

    int write(const std::uint8_t* data, int size) override { return ftdi_write_data(context_.get(), data, size); }
    int read(std::uint8_t* data, int size) override { return ftdi_read_data(context_.get(), data, size); }
    int purge() override { return ftdi_tcioflush(context_.get()); }
    std::string errorText() override { return ftdi_get_error_string(context_.get()); }

private:
    Context context_;
};

class LibftdiUsb : public FtdiUsb {
public:
    FtdiDeviceList findDevices() override
    {
        FtdiDeviceList result;
        const Context context(ftdi_new());
        if (!context) {
            result.error = "libftdi could not start";
            return result;
        }
        for (int productId : kProductIds) {
            const std::string error =
                forEachDevice(context.get(), productId, [&](libusb_device* device, FtdiChip chip) {
                    FtdiDevice found;
                    found.chip = chip;
                    found.bus = libusb_get_bus_number(device);
                    found.ports = portPath(device);
                    std::array<char, 128> description{};
                    std::array<char, 128> serial{};
                    // Without access the strings stay empty; opening then says why.
                    if (ftdi_usb_get_strings(context.get(), device, nullptr, 0, description.data(),
                                             static_cast<int>(description.size()), serial.data(),
                                             static_cast<int>(serial.size()))
                        == 0) {
                        found.description = description.data();
                        found.serial = serial.data();
                    }
                    result.devices.push_back(std::move(found));
                    return false;
                });
            if (!error.empty())
                result.error = error;
        }
        return result;
    }

    FtdiOpenResult open(const FtdiDevice& wanted, int interfaceIndex) override
    {
        FtdiOpenResult result;
        Context context(ftdi_new());
        if (!context) {
            result.failure = FtdiOpenFailure::Other;
            result.error = "libftdi could not start";
            return result;
        }
        ftdi_set_interface(context.get(), interfaceIndex == 0 ? INTERFACE_A : INTERFACE_B);
        bool seen = false;
        int opened = -1;
        bool denied = false;
        const std::string error =
            forEachDevice(context.get(), productIdOf(wanted.chip), [&](libusb_device* device, FtdiChip) {
                if (libusb_get_bus_number(device) != wanted.bus || portPath(device) != wanted.ports)
                    return false;
                seen = true;
                opened = ftdi_usb_open_dev(context.get(), device);
                denied = opened < 0 && deniedAccess(device, opened);
                return true;
            });
        if (!seen || opened < 0) {
            result.failure = denied ? FtdiOpenFailure::NoPermission : FtdiOpenFailure::Other;
            result.error = !seen ? (error.empty() ? std::string("the adapter is no longer attached") : error)
                                 : std::string(ftdi_get_error_string(context.get()));
            return result;
        }
        context->usb_read_timeout = kUsbTimeoutMilliseconds;
        context->usb_write_timeout = kUsbTimeoutMilliseconds;
        // Only MPSSE mode is a must here: the engine's echo check at initialise proves the
        // rest, and stale bytes that a failed flush leaves are caught by it too.
        ftdi_usb_reset(context.get());
        ftdi_set_latency_timer(context.get(), kLatencyMilliseconds);
        ftdi_set_bitmode(context.get(), 0, BITMODE_RESET);
        if (ftdi_set_bitmode(context.get(), 0, BITMODE_MPSSE) < 0) {
            result.failure = FtdiOpenFailure::Other;
            result.error = ftdi_get_error_string(context.get());
            ftdi_usb_close(context.get());
            return result;
        }
        ftdi_tcioflush(context.get());
        result.port = std::make_unique<LibftdiPort>(std::move(context));
        return result;
    }
};

} // namespace

std::unique_ptr<FtdiUsb> makeLibftdiUsb()
{
    return std::make_unique<LibftdiUsb>();
}
