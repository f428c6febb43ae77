// A stand-in for FTDI's FTCSPI.dll over the simulated processor, exporting the same
// ordinals (fake_ftcspi.def) with the library's calling convention and records. Its
// declarations are its own, written from the library's documented argument lists, so a
// record or argument the program lays out differently shows up as a failing call.
//
// Environment, read at the first call:
//   CHROMIX_FAKE_FTCSPI_IMAGE     the processor's flash image; unset: no device attached
//   CHROMIX_FAKE_FTCSPI_FAMILIES  "channel" or "plain": the adapter shows up in that family
//                                 only (default both)
//   CHROMIX_FAKE_FTCSPI_FAIL      KIND:N, the N-th transfer of KIND fails (KIND: enable,
//                                 disable, erase, page, read, status, id)

#include "download/adapters/simulated_adapter_library.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using Handle = DWORD;
using Status = ULONG;

constexpr Status kSuccess = 0;
constexpr Status kInvalidArgument = 3; // a record that is not what the library expects
constexpr Status kNullPointer = 34;

// The records, as the library declares them: 32-bit fields, default packing.
struct InitCondition {
    BOOL clockPinState;
    BOOL dataOutPinState;
    BOOL chipSelectPinState;
    DWORD chipSelectPin;
};
struct WaitDataWrite {
    BOOL waitDataWriteComplete;
    DWORD waitDataWritePin;
    BOOL dataWriteCompleteState;
    DWORD dataWriteTimeoutMilliseconds;
};
struct ChipSelectPins {
    BOOL adbus3ChipSelect, adbus4Gpiol1, adbus5Gpiol2, adbus6Gpiol3, adbus7Gpiol4;
};
struct InputOutputPin {
    BOOL inputOutputState;
    BOOL lowHighState;
};
struct FourInputOutputPins {
    InputOutputPin pin[4];
};
struct EightInputOutputPins {
    InputOutputPin pin[8];
};
struct FourLowHighPins {
    BOOL pin1, pin2, pin3, pin4;
};
struct OutputPin {
    BOOL state;
    BOOL activeState;
};
struct FourHigherOutputPins {
    OutputPin pin[4];
};
struct EightHigherOutputPins {
    OutputPin pin[8];
};
using ControlBuffer = BYTE[256];
using DataBuffer = BYTE[65536];

// The processor behind the library, made at the first call.
struct Processor {
    SimulatedClock clock;
    SimulatedFlashChip chip;
    SimulatedAdapterLibrary library;
    std::array<DWORD, 64> calls{};

    Processor(const char* image, SimulatedAdapterSetup setup)
        : chip(kW25Q64, clock, image != nullptr ? image : "")
        , library(chip, clock, std::move(setup))
    {
        if (image == nullptr)
            library.setNoDevice(true);
    }
};

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void planFailure(SimulatedAdapterLibrary& library, const std::string& plan)
{
    static constexpr std::pair<const char*, TransferKind> kKinds[] = {
        {"enable", TransferKind::WriteEnable},    {"disable", TransferKind::WriteDisable},
        {"erase", TransferKind::BlockErase},      {"page", TransferKind::PageProgram},
        {"read", TransferKind::ReadData},         {"status", TransferKind::ReadStatus},
        {"id", TransferKind::ReadIdentification},
    };
    const std::size_t colon = plan.find(':');
    if (colon == std::string::npos)
        return;
    for (const auto& [name, kind] : kKinds)
        if (plan.compare(0, colon, name) == 0)
            library.failTransfer(kind, std::strtoull(plan.c_str() + colon + 1, nullptr, 10));
}

Processor& processor(unsigned ordinal)
{
    static const std::unique_ptr<Processor> made = [] {
        SimulatedAdapterSetup setup;
        const std::string families = variable("CHROMIX_FAKE_FTCSPI_FAMILIES");
        setup.inChannelFamily = families != "plain";
        setup.inPlainFamily = families != "channel";
        const std::string image = variable("CHROMIX_FAKE_FTCSPI_IMAGE");
        auto created = std::make_unique<Processor>(image.empty() ? nullptr : image.c_str(), setup);
        planFailure(created->library, variable("CHROMIX_FAKE_FTCSPI_FAIL"));
        return created;
    }();
    ++made->calls.at(ordinal);
    return *made;
}

bool isZero(const OutputPin* pins, std::size_t count)
{
    return std::all_of(pins, pins + count, [](const OutputPin& pin) { return pin.state == 0 && pin.activeState == 0; });
}

// The download's transfers start from (0, 0, 1, 0) and wait for a page program with
// (1, 0, 1, 5000) or not at all.
bool expected(const InitCondition* start, const WaitDataWrite* wait)
{
    const bool startOk = start->clockPinState == 0 && start->dataOutPinState == 0 && start->chipSelectPinState == 1
        && start->chipSelectPin == 0;
    const bool waitOk = wait == nullptr || wait->waitDataWriteComplete == 0
        || (wait->waitDataWriteComplete == 1 && wait->waitDataWritePin == 0 && wait->dataWriteCompleteState == 1
            && wait->dataWriteTimeoutMilliseconds == 5000);
    return startOk && waitOk;
}

std::uint32_t count(DWORD value)
{
    return static_cast<std::uint32_t>(value);
}

std::uint32_t flag(BOOL value)
{
    return static_cast<std::uint32_t>(value);
}

} // namespace

extern "C" {

Status WINAPI fakeGetNumDevices(LPDWORD devices)
{
    std::uint32_t found = 0;
    const Status status = processor(1).library.plainCountDevices(found);
    *devices = found;
    return status;
}

Status WINAPI fakeGetDeviceNameLocation(DWORD index, LPSTR name, DWORD nameSize, LPDWORD location)
{
    std::uint32_t where = 0;
    const Status status = processor(2).library.plainDescribeDevice(count(index), name, count(nameSize), where);
    *location = where;
    return status;
}

Status WINAPI fakeOpenDevice(LPSTR name, DWORD location, Handle* handle)
{
    AdapterHandle opened = 0;
    const Status status = processor(3).library.plainOpen(name, count(location), opened);
    *handle = opened;
    return status;
}

Status WINAPI fakeClose(Handle handle)
{
    return processor(5).library.close(handle);
}

Status WINAPI fakeInitDevice(Handle handle, DWORD clockDivisor)
{
    return processor(6).library.initialise(handle, count(clockDivisor));
}

// Sets the clock divisor and answers the frequency: 30 MHz at divisor 0 on an H chip,
// whose divide-by-5 the initialise already turned off.
Status WINAPI fakeSetClock(Handle handle, DWORD clockDivisor, LPDWORD hertz)
{
    std::uint32_t ignored = 0;
    const Status status = processor(8).library.channelQueryFollowUp(handle, count(clockDivisor), ignored);
    if (status == kSuccess)
        *hertz = 60'000'000 / ((1 + clockDivisor) * 2);
    return status;
}

Status WINAPI fakeSetGpios(Handle handle, ChipSelectPins* chipSelects, FourInputOutputPins* upper)
{
    if (chipSelects == nullptr || upper == nullptr)
        return kNullPointer;
    const PinFlags flags{flag(chipSelects->adbus3ChipSelect), flag(chipSelects->adbus4Gpiol1),
                         flag(chipSelects->adbus5Gpiol2), flag(chipSelects->adbus6Gpiol3),
                         flag(chipSelects->adbus7Gpiol4)};
    PlainPinPairs pins{};
    for (std::size_t pin = 0; pin < pins.size(); ++pin)
        pins[pin] = {flag(upper->pin[pin].inputOutputState), flag(upper->pin[pin].lowHighState)};
    return processor(10).library.plainSetPins(handle, flags, pins);
}

Status WINAPI fakeGetGpios(Handle handle, FourLowHighPins* levels)
{
    if (levels == nullptr)
        return kNullPointer;
    PlainPinPairs pins{};
    const Status status = processor(11).library.plainReadPins(handle, pins);
    if (status == kSuccess)
        *levels = {static_cast<BOOL>(pins[0].high), static_cast<BOOL>(pins[1].high), static_cast<BOOL>(pins[2].high),
                   static_cast<BOOL>(pins[3].high)};
    return status;
}

Status WINAPI fakeWrite(Handle handle, InitCondition* start, BOOL msbFirst, BOOL risingEdge, DWORD commandBits,
                        ControlBuffer* command, DWORD commandBytes, BOOL writeData, DWORD dataBits, DataBuffer* data,
                        DWORD dataBytes, WaitDataWrite* wait, FourHigherOutputPins* higher)
{
    Processor& fake = processor(12);
    if (start == nullptr || command == nullptr || data == nullptr || wait == nullptr || higher == nullptr)
        return kNullPointer;
    if (!expected(start, wait) || !isZero(higher->pin, 4))
        return kInvalidArgument;
    return fake.library.plainWrite(handle, {}, flag(msbFirst), flag(risingEdge), count(commandBits), *command,
                                   count(commandBytes), flag(writeData), count(dataBits), *data, count(dataBytes), {},
                                   {});
}

Status WINAPI fakeRead(Handle handle, InitCondition* start, BOOL msbFirst, BOOL risingEdge, DWORD commandBits,
                       ControlBuffer* command, DWORD commandBytes, BOOL readMsbFirst, BOOL readRisingEdge,
                       DWORD readBits, DataBuffer* received, LPDWORD receivedBytes, FourHigherOutputPins* higher)
{
    Processor& fake = processor(13);
    if (start == nullptr || command == nullptr || received == nullptr || receivedBytes == nullptr || higher == nullptr)
        return kNullPointer;
    if (!expected(start, nullptr) || !isZero(higher->pin, 4))
        return kInvalidArgument;
    auto buffer = std::make_unique<AdapterReceiveBuffer>();
    std::uint32_t got = 0;
    const Status status = fake.library.plainRead(handle, {}, flag(msbFirst), flag(risingEdge), count(commandBits),
                                                 *command, count(commandBytes), flag(readMsbFirst),
                                                 flag(readRisingEdge), count(readBits), *buffer, got, {});
    if (status == kSuccess) {
        std::memcpy(*received, buffer->data(), got);
        *receivedBytes = got;
    }
    return status;
}

Status WINAPI fakeClearCommandSequence(Handle handle)
{
    return processor(14).library.plainPrepare(handle);
}

Status WINAPI fakeGetNumHiSpeedDevices(LPDWORD devices)
{
    std::uint32_t found = 0;
    const Status status = processor(20).library.channelCountDevices(found);
    *devices = found;
    return status;
}

Status WINAPI fakeGetHiSpeedDeviceNameLocationChannel(DWORD index, LPSTR name, DWORD nameSize, LPDWORD location,
                                                      LPSTR channel, DWORD channelSize, LPDWORD type)
{
    std::uint32_t where = 0;
    std::uint32_t kind = 0;
    const Status status = processor(21).library.channelDescribeDevice(count(index), name, count(nameSize), where,
                                                                      channel, count(channelSize), kind);
    *location = where;
    *type = kind;
    return status;
}

// As the library does, the channel text is upper-cased where it lies.
Status WINAPI fakeOpenHiSpeedDevice(LPSTR name, DWORD location, LPSTR channel, Handle* handle)
{
    Processor& fake = processor(22);
    if (name == nullptr || channel == nullptr || handle == nullptr)
        return kNullPointer;
    for (char* letter = channel; *letter != '\0'; ++letter)
        *letter = static_cast<char>(std::toupper(static_cast<unsigned char>(*letter)));
    AdapterHandle opened = 0;
    const Status status = fake.library.channelOpen(name, count(location), channel, opened);
    *handle = opened;
    return status;
}

Status WINAPI fakeTurnOffDivideByFive(Handle handle)
{
    return processor(26).library.channelQuery(handle);
}

Status WINAPI fakeGetLatencyTimer(Handle handle, LPBYTE value)
{
    return processor(28).library.plainSetUp(handle, value);
}

Status WINAPI fakeSetHiSpeedDeviceGpios(Handle handle, ChipSelectPins* chipSelects, EightInputOutputPins* upper)
{
    if (chipSelects == nullptr || upper == nullptr)
        return kNullPointer;
    const PinFlags flags{flag(chipSelects->adbus3ChipSelect), flag(chipSelects->adbus4Gpiol1),
                         flag(chipSelects->adbus5Gpiol2), flag(chipSelects->adbus6Gpiol3),
                         flag(chipSelects->adbus7Gpiol4)};
    ChannelPinPairs pins{};
    for (std::size_t pin = 0; pin < pins.size(); ++pin)
        pins[pin] = {flag(upper->pin[pin].inputOutputState), flag(upper->pin[pin].lowHighState)};
    return processor(30).library.channelSetPins(handle, flags, pins);
}

Status WINAPI fakeWriteHiSpeedDevice(Handle handle, InitCondition* start, BOOL msbFirst, BOOL risingEdge,
                                     DWORD commandBits, ControlBuffer* command, DWORD commandBytes, BOOL writeData,
                                     DWORD dataBits, DataBuffer* data, DWORD dataBytes, WaitDataWrite* wait,
                                     EightHigherOutputPins* higher)
{
    Processor& fake = processor(32);
    if (start == nullptr || command == nullptr || data == nullptr || wait == nullptr || higher == nullptr)
        return kNullPointer;
    if (!expected(start, wait) || !isZero(higher->pin, 8))
        return kInvalidArgument;
    return fake.library.channelWrite(handle, {}, flag(msbFirst), flag(risingEdge), count(commandBits), *command,
                                     count(commandBytes), flag(writeData), count(dataBits), *data, count(dataBytes), {},
                                     {});
}

// Like the library, this read writes the upper pins' states back into their record.
Status WINAPI fakeReadHiSpeedDevice(Handle handle, InitCondition* start, BOOL msbFirst, BOOL risingEdge,
                                    DWORD commandBits, ControlBuffer* command, DWORD commandBytes, BOOL readMsbFirst,
                                    BOOL readRisingEdge, DWORD readBits, DataBuffer* received, LPDWORD receivedBytes,
                                    EightHigherOutputPins* higher)
{
    Processor& fake = processor(33);
    if (start == nullptr || command == nullptr || received == nullptr || receivedBytes == nullptr || higher == nullptr)
        return kNullPointer;
    if (!expected(start, nullptr) || !isZero(higher->pin, 8))
        return kInvalidArgument;
    auto buffer = std::make_unique<AdapterReceiveBuffer>();
    std::uint32_t got = 0;
    const Status status = fake.library.channelRead(handle, {}, flag(msbFirst), flag(risingEdge), count(commandBits),
                                                   *command, count(commandBytes), flag(readMsbFirst),
                                                   flag(readRisingEdge), count(readBits), *buffer, got, {});
    if (status == kSuccess) {
        std::memcpy(*received, buffer->data(), got);
        *receivedBytes = got;
        *higher = EightHigherOutputPins{};
    }
    return status;
}

// For the tests only: how often the operation at an ordinal was called.
DWORD WINAPI fakeCallCount(DWORD ordinal)
{
    return ordinal < 64 ? processor(0).calls.at(ordinal) : 0;
}

} // extern "C"
