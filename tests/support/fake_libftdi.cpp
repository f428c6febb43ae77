// libftdi1 (and the few libusb calls beside it) over emulated FTDI chips, preloaded into
// the real programs so that a whole `chromix` run goes through the production USB code.
//   FAKE_FTDI_DEVICES  chips on the bus, "FT2232H:SERIAL,FT2232C:,..." (serial may be empty)
//   FAKE_FTDI_DIR      folder of each chip's flash image "flash-N.bin" (N from 1, in the
//                      order above) and, at exit, "reloads-N.txt" with its reload edges
//   FAKE_FTDI_DENY     when set, no device may be opened (missing permission)

#include "support/ftdi_emulation.h"

#include <ftdi.h>
#include <libusb.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace {

struct Bus {
    Bus()
    {
        const char* devices = std::getenv("FAKE_FTDI_DEVICES");
        const char* folder = std::getenv("FAKE_FTDI_DIR");
        dir = folder != nullptr ? folder : ".";
        std::stringstream list(devices != nullptr ? devices : "");
        std::string entry;
        while (std::getline(list, entry, ',')) {
            const std::string chipName = entry.substr(0, entry.find(':'));
            const std::string serial = entry.find(':') == std::string::npos ? "" : entry.substr(entry.find(':') + 1);
            FtdiChip chip = FtdiChip::FT2232H;
            for (FtdiChip candidate : {FtdiChip::FT2232C, FtdiChip::FT2232H, FtdiChip::FT4232H, FtdiChip::FT232H}) {
                if (chipName == ftdiChipName(candidate) || chipName + "/D" == ftdiChipName(candidate))
                    chip = candidate;
            }
            const std::string number = std::to_string(devices_.size() + 1);
            devices_.push_back(&usb.attach(chip, serial, 0, dir / ("flash-" + number + ".bin")));
        }
        usb.denyAccess(std::getenv("FAKE_FTDI_DENY") != nullptr);
        infos = usb.findDevices().devices;
    }
    ~Bus()
    {
        for (std::size_t i = 0; i < devices_.size(); ++i)
            std::ofstream(dir / ("reloads-" + std::to_string(i + 1) + ".txt"))
                << devices_[i]->mpsse(0).reloadEdges() << "\n";
    }

    SimulatedClock clock;
    EmulatedFtdiUsb usb{clock};
    std::vector<FtdiDevice> infos; // libusb_device pointers point into this
    std::filesystem::path dir;

private:
    std::vector<EmulatedFtdiDevice*> devices_;
};

Bus& bus()
{
    static Bus instance;
    return instance;
}

struct Session {
    int interfaceIndex = 0;
    std::unique_ptr<FtdiPort> port;
    std::string error;
};
std::map<const ftdi_context*, Session> sessions;

const FtdiDevice& infoOf(const libusb_device* device)
{
    return *reinterpret_cast<const FtdiDevice*>(device);
}

int productOf(FtdiChip chip)
{
    return chip == FtdiChip::FT4232H ? 0x6011 : chip == FtdiChip::FT232H ? 0x6014 : 0x6010;
}

int fail(ftdi_context* context, int code, const std::string& error)
{
    sessions[context].error = error;
    return code;
}

} // namespace

extern "C" {

ftdi_context* ftdi_new(void)
{
    auto* context = static_cast<ftdi_context*>(std::calloc(1, sizeof(ftdi_context)));
    context->usb_read_timeout = 5000;
    context->usb_write_timeout = 5000;
    sessions[context];
    return context;
}

void ftdi_free(ftdi_context* context)
{
    sessions.erase(context);
    std::free(context);
}

int ftdi_set_interface(ftdi_context* context, enum ftdi_interface interface)
{
    sessions[context].interfaceIndex = interface == INTERFACE_B ? 1 : 0;
    return 0;
}

int ftdi_usb_find_all(ftdi_context*, ftdi_device_list** list, int vendor, int product)
{
    *list = nullptr;
    ftdi_device_list** tail = list;
    int count = 0;
    for (FtdiDevice& info : bus().infos) {
        if (vendor != kFtdiVendorId || product != productOf(info.chip))
            continue;
        *tail = static_cast<ftdi_device_list*>(std::calloc(1, sizeof(ftdi_device_list)));
        (*tail)->dev = reinterpret_cast<libusb_device*>(&info);
        tail = &(*tail)->next;
        ++count;
    }
    return count;
}

void ftdi_list_free(ftdi_device_list** list)
{
    while (*list != nullptr) {
        ftdi_device_list* next = (*list)->next;
        std::free(*list);
        *list = next;
    }
}

int ftdi_usb_get_strings(ftdi_context* context, libusb_device* device, char*, int, char* description,
                         int descriptionSize, char* serial, int serialSize)
{
    const FtdiDevice& info = infoOf(device);
    if (info.description.empty())
        return fail(context, -4, "libusb_open() failed");
    std::snprintf(description, static_cast<std::size_t>(descriptionSize), "%s", info.description.c_str());
    std::snprintf(serial, static_cast<std::size_t>(serialSize), "%s", info.serial.c_str());
    return 0;
}

int ftdi_usb_open_dev(ftdi_context* context, libusb_device* device)
{
    Session& session = sessions[context];
    FtdiOpenResult opened = bus().usb.open(infoOf(device), session.interfaceIndex);
    if (!opened.port)
        return fail(context, -8, "inappropriate permissions on device!");
    session.port = std::move(opened.port);
    return 0;
}

int ftdi_usb_close(ftdi_context* context)
{
    sessions[context].port.reset();
    return 0;
}

int ftdi_usb_reset(ftdi_context*)
{
    return 0;
}

int ftdi_set_latency_timer(ftdi_context*, unsigned char)
{
    return 0;
}

int ftdi_set_bitmode(ftdi_context*, unsigned char, unsigned char)
{
    return 0;
}

int ftdi_tcioflush(ftdi_context* context)
{
    Session& session = sessions[context];
    return session.port ? session.port->purge() : fail(context, -1, "not open");
}

int ftdi_write_data(ftdi_context* context, const unsigned char* data, int size)
{
    Session& session = sessions[context];
    return session.port ? session.port->write(data, size) : fail(context, -666, "USB device unavailable");
}

int ftdi_read_data(ftdi_context* context, unsigned char* data, int size)
{
    Session& session = sessions[context];
    return session.port ? session.port->read(data, size) : fail(context, -666, "USB device unavailable");
}

const char* ftdi_get_error_string(ftdi_context* context)
{
    return sessions[context].error.c_str();
}

int libusb_get_device_descriptor(libusb_device* device, libusb_device_descriptor* descriptor)
{
    std::memset(descriptor, 0, sizeof *descriptor);
    const FtdiDevice& info = infoOf(device);
    descriptor->idVendor = kFtdiVendorId;
    descriptor->idProduct = static_cast<std::uint16_t>(productOf(info.chip));
    descriptor->bcdDevice = info.chip == FtdiChip::FT2232C ? 0x0500
        : info.chip == FtdiChip::FT2232H                   ? 0x0700
        : info.chip == FtdiChip::FT4232H                   ? 0x0800
                                                           : 0x0900;
    return 0;
}

uint8_t libusb_get_bus_number(libusb_device* device)
{
    return infoOf(device).bus;
}

uint8_t libusb_get_device_address(libusb_device* device)
{
    return static_cast<uint8_t>(infoOf(device).ports.empty() ? 1 : infoOf(device).ports.back() + 1);
}

int libusb_get_port_numbers(libusb_device* device, uint8_t* numbers, int size)
{
    const std::vector<std::uint8_t>& ports = infoOf(device).ports;
    if (static_cast<int>(ports.size()) > size)
        return LIBUSB_ERROR_OVERFLOW;
    std::copy(ports.begin(), ports.end(), numbers);
    return static_cast<int>(ports.size());
}

} // extern "C"
