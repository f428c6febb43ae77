#include "support/ftdi_emulation.h"

#include "download/adapters/mpsse_commands.h"

#include <algorithm>

namespace {

constexpr std::size_t kFullPacket = 510; // data bytes of a 512-byte packet

std::string hex(std::uint8_t byte)
{
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4] + digits[byte & 15];
}

const char* productString(FtdiChip chip)
{
    switch (chip) {
    case FtdiChip::FT2232C:
        return "Dual RS232";
    case FtdiChip::FT2232H:
        return "Dual RS232-HS";
    case FtdiChip::FT4232H:
        return "Quad RS232-HS";
    case FtdiChip::FT232H:
        return "Single RS232-HS";
    }
    return "";
}

} // namespace

EmulatedMpsse::EmulatedMpsse(FtdiChip chip, SimulatedClock& clock, const FtdiCosts& costs, SimulatedFlashChip* flash)
    : chip_(chip)
    , clock_(clock)
    , costs_(costs)
    , flash_(flash)
{
}

std::uint32_t EmulatedMpsse::clockHertz() const
{
    const std::uint32_t base = divideBy5_ ? 12'000'000 : 60'000'000;
    return base / ((1 + divisor_) * 2);
}

void EmulatedMpsse::take(const std::uint8_t* data, std::size_t size)
{
    answers_.insert(answers_.end(), injected_.begin(), injected_.end());
    injected_.clear();
    pending_.insert(pending_.end(), data, data + size);
    std::size_t at = 0;
    while (at < pending_.size()) {
        const std::size_t used = execute(at);
        if (used == 0)
            break; // the rest of the command comes with the next write
        at += used;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
}

std::size_t EmulatedMpsse::give(std::uint8_t* data, std::size_t size)
{
    if (answers_.empty()) {
        clock_.advanceMicroseconds(costs_.latencyMicros); // an empty status packet
        return 0;
    }
    if (!charged_) {
        const bool atOnce = flushed_ > 0 || answers_.size() >= kFullPacket;
        clock_.advanceMicroseconds(atOnce ? costs_.roundTripMicros : costs_.latencyMicros);
        charged_ = true;
        ++roundTrips;
    }
    const std::size_t count = std::min(size, answers_.size());
    std::copy_n(answers_.begin(), count, data);
    answers_.erase(answers_.begin(), answers_.begin() + static_cast<std::ptrdiff_t>(count));
    flushed_ = flushed_ > count ? flushed_ - count : 0;
    if (answers_.empty())
        charged_ = false;
    return count;
}

void EmulatedMpsse::purge()
{
    pending_.clear();
    answers_.clear();
    flushed_ = 0;
    charged_ = false;
}

void EmulatedMpsse::refuse(std::uint8_t opcode)
{
    answer(mpsse::kBadCommandAnswer);
    answer(opcode);
}

void EmulatedMpsse::shift(std::size_t bytes)
{
    const std::uint64_t nanos = bytes * 8 * std::uint64_t{1'000'000'000} / clockHertz();
    clock_.advanceMicroseconds((nanos + 500) / 1000);
}

void EmulatedMpsse::setLow(std::uint8_t levels, std::uint8_t directions)
{
    if ((directions & mpsse::kDataInPin) != 0)
        faults.push_back("MISO (ADBUS2) driven as an output");
    if ((directions & mpsse::kClockPin) != 0 && (levels & mpsse::kClockPin) != 0)
        faults.push_back("SCK idles high: not SPI mode 0");
    const std::uint8_t reload = 1u << mpsse::kFirstGpioBit;
    if ((directions & reload) != 0 && (lowLevels_ & reload) == 0 && (levels & reload) != 0)
        ++reloadEdges_;
    const bool select = (directions & mpsse::kChipSelectPin) != 0 && (levels & mpsse::kChipSelectPin) == 0;
    if (select && !selected_) {
        cycleSent_.clear();
        cycleRead_ = false;
    } else if (!select && selected_ && !cycleRead_ && flash_ != nullptr && !cycleSent_.empty()) {
        flash_->select(cycleSent_, {}, {});
    }
    selected_ = select;
    lowLevels_ = levels;
    lowDirections_ = directions;
}

std::size_t EmulatedMpsse::execute(std::size_t at)
{
    const std::size_t left = pending_.size() - at;
    const std::uint8_t opcode = pending_[at];
    const auto arg = [&](std::size_t i) { return pending_[at + i]; };
    const bool plainChip = chip_ == FtdiChip::FT2232C;
    if (mpsse::isHighSpeedOnly(opcode) && plainChip) {
        highSpeedCommandsRefused.push_back(opcode);
        refuse(opcode);
        return 1;
    }
    switch (opcode) {
    case mpsse::kSetLowByte:
        if (left < 3)
            return 0;
        setLow(arg(1), arg(2));
        return 3;
    case mpsse::kSetHighByte:
        if (left < 3)
            return 0;
        if (chip_ == FtdiChip::FT4232H) {
            refuse(opcode);
            return 1;
        }
        highLevels_ = arg(1);
        highDirections_ = arg(2);
        return 3;
    case mpsse::kReadLowByte:
        answer(lowLevels_);
        return 1;
    case mpsse::kReadHighByte:
        if (chip_ == FtdiChip::FT4232H)
            refuse(opcode);
        else
            answer(static_cast<std::uint8_t>(highLevels_ & highDirections_));
        return 1;
    case mpsse::kLoopbackOff:
        return 1;
    case mpsse::kSetClockDivisor:
        if (left < 3)
            return 0;
        divisor_ = arg(1) | (std::uint32_t{arg(2)} << 8);
        return 3;
    case mpsse::kSendImmediate:
        flushed_ = answers_.size();
        return 1;
    case mpsse::kDivideBy5Off:
    case mpsse::kDivideBy5On:
        divideBy5_ = opcode == mpsse::kDivideBy5On;
        return 1;
    case mpsse::kThreePhaseOff:
    case mpsse::kAdaptiveOff:
        return 1;
    case mpsse::kBytesOutFallingEdge: {
        if (left < 3)
            return 0;
        const std::size_t length = (arg(1) | (std::size_t{arg(2)} << 8)) + 1;
        if (left < 3 + length)
            return 0;
        if (selected_)
            cycleSent_.insert(cycleSent_.end(), pending_.begin() + static_cast<std::ptrdiff_t>(at + 3),
                              pending_.begin() + static_cast<std::ptrdiff_t>(at + 3 + length));
        shift(length);
        return 3 + length;
    }
    case mpsse::kBytesInRisingEdge: {
        if (left < 3)
            return 0;
        const std::size_t length = (arg(1) | (std::size_t{arg(2)} << 8)) + 1;
        std::vector<std::uint8_t> in(length, 0xFF);
        if (!selected_ || cycleRead_)
            faults.push_back("a second read in one chip-select cycle, or a read without chip select");
        else if (flash_ != nullptr)
            flash_->select(cycleSent_, {}, in);
        cycleRead_ = true;
        answers_.insert(answers_.end(), in.begin(), in.end());
        shift(length);
        return 3;
    }
    default:
        if ((opcode & 0x80) == 0)
            faults.push_back("shift command " + hex(opcode) + " is not SPI mode 0, most significant bit first");
        else if (opcode != mpsse::kEchoCheck)
            faults.push_back("unknown command " + hex(opcode));
        refuse(opcode);
        return 1;
    }
}

EmulatedFtdiDevice::EmulatedFtdiDevice(FtdiDevice device, SimulatedClock& clock, const FtdiCosts& costs,
                                       std::filesystem::path imageFile)
    : device_(std::move(device))
    , clock_(clock)
    , costs_(costs)
    , flash_(kW25Q64, clock, std::move(imageFile))
{
    const int count = device_.chip == FtdiChip::FT2232H || device_.chip == FtdiChip::FT4232H ? 2 : 1;
    for (int i = 0; i < count; ++i)
        interfaces_.push_back(std::make_unique<EmulatedMpsse>(device_.chip, clock, costs, i == 0 ? &flash_ : nullptr));
}

class EmulatedFtdiPort : public FtdiPort {
public:
    EmulatedFtdiPort(EmulatedFtdiDevice& device, int interfaceIndex)
        : device_(device)
        , mpsse_(device.mpsse(interfaceIndex))
    {
        ++device_.openCount_;
    }
    ~EmulatedFtdiPort() override { --device_.openCount_; }

    int write(const std::uint8_t* data, int size) override
    {
        const std::uint64_t number = ++device_.writes_;
        if (device_.failingWrite_ == number) {
            error_ = "emulated USB write error";
            return -1;
        }
        if (!silent())
            mpsse_.take(data, static_cast<std::size_t>(size));
        return size;
    }
    int read(std::uint8_t* data, int size) override
    {
        if (silent()) {
            device_.clock_.advanceMicroseconds(device_.costs_.latencyMicros);
            return 0;
        }
        return static_cast<int>(mpsse_.give(data, static_cast<std::size_t>(size)));
    }
    int purge() override
    {
        mpsse_.purge();
        return 0;
    }
    std::string errorText() override { return error_; }

private:
    bool silent() const { return device_.silentFrom_ && device_.writes_ >= *device_.silentFrom_; }

    EmulatedFtdiDevice& device_;
    EmulatedMpsse& mpsse_;
    std::string error_;
};

EmulatedFtdiDevice& EmulatedFtdiUsb::attach(FtdiChip chip, std::string serial, std::uint8_t port,
                                            std::filesystem::path imageFile)
{
    FtdiDevice device;
    device.chip = chip;
    device.bus = 1;
    device.ports = {static_cast<std::uint8_t>(port != 0 ? port : devices_.size() + 1)};
    device.description = productString(chip);
    device.serial = std::move(serial);
    devices_.push_back(std::make_unique<EmulatedFtdiDevice>(std::move(device), clock_, costs_, std::move(imageFile)));
    return *devices_.back();
}

FtdiDeviceList EmulatedFtdiUsb::findDevices()
{
    FtdiDeviceList list;
    for (const auto& device : devices_) {
        list.devices.push_back(device->device());
        if (denyAccess_)
            list.devices.back().description.clear(); // the strings need access too
    }
    return list;
}

FtdiOpenResult EmulatedFtdiUsb::open(const FtdiDevice& wanted, int interfaceIndex)
{
    FtdiOpenResult result;
    for (const auto& device : devices_) {
        if (device->device().bus != wanted.bus || device->device().ports != wanted.ports)
            continue;
        if (denyAccess_) {
            result.failure = FtdiOpenFailure::NoPermission;
            result.error = "libusb_open() failed";
        } else {
            result.port = std::make_unique<EmulatedFtdiPort>(*device, interfaceIndex);
        }
        return result;
    }
    result.failure = FtdiOpenFailure::Other;
    result.error = "the adapter is no longer attached";
    return result;
}
