#include "download/adapters/ftcspi_adapter_library.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// The library's own types: a handle and a status are 32-bit on both word sizes, and so
// is every field of its records (BOOL and DWORD), laid out with the default packing.
using LibraryHandle = DWORD;
using LibraryStatus = ULONG;

struct StartCondition {
    BOOL clockHigh;
    BOOL dataOutHigh;
    BOOL chipSelectHigh;
    DWORD chipSelectPin;
};
struct WaitForWrite {
    BOOL wait;
    DWORD pin;
    BOOL completeState;
    DWORD timeoutMilliseconds;
};
struct ChipSelectPins {
    std::array<BOOL, 5> states;
};
template <std::size_t Pins> struct InputOutputPins {
    std::array<BOOL, 2 * Pins> directionAndLevel; // per pin: output, then high
};
struct PlainLowHighPins {
    std::array<BOOL, 4> levels;
};
template <std::size_t Pins> struct HigherOutputPins {
    std::array<BOOL, 2 * Pins> stateAndActive; // per pin: state, then active state
};
static_assert(sizeof(StartCondition) == 16 && sizeof(WaitForWrite) == 16 && sizeof(ChipSelectPins) == 20);
static_assert(sizeof(InputOutputPins<4>) == 32 && sizeof(InputOutputPins<8>) == 64 && sizeof(PlainLowHighPins) == 16);
static_assert(sizeof(HigherOutputPins<4>) == 32 && sizeof(HigherOutputPins<8>) == 64);

constexpr std::size_t kControlBufferSize = 256;
constexpr std::size_t kDataBufferSize = 65536;
using ControlBuffer = BYTE[kControlBufferSize];
using DataBuffer = BYTE[kDataBufferSize];
using ReadBuffer = BYTE[kAdapterReceiveSize];

// Every export is WINAPI (stdcall on i686); records and buffers go by pointer.
using CountDevices = LibraryStatus(WINAPI*)(LPDWORD);
using DescribeChannelDevice = LibraryStatus(WINAPI*)(DWORD, LPSTR, DWORD, LPDWORD, LPSTR, DWORD, LPDWORD);
using DescribePlainDevice = LibraryStatus(WINAPI*)(DWORD, LPSTR, DWORD, LPDWORD);
using OpenChannelDevice = LibraryStatus(WINAPI*)(LPSTR, DWORD, LPSTR, LibraryHandle*);
using OpenPlainDevice = LibraryStatus(WINAPI*)(LPSTR, DWORD, LibraryHandle*);
using HandleOnly = LibraryStatus(WINAPI*)(LibraryHandle);
using HandleAndValue = LibraryStatus(WINAPI*)(LibraryHandle, DWORD);
using HandleAndByte = LibraryStatus(WINAPI*)(LibraryHandle, LPBYTE);
using HandleValueOut = LibraryStatus(WINAPI*)(LibraryHandle, DWORD, LPDWORD);
template <std::size_t Pins>
using SetPins = LibraryStatus(WINAPI*)(LibraryHandle, ChipSelectPins*, InputOutputPins<Pins>*);
using ReadPlainPins = LibraryStatus(WINAPI*)(LibraryHandle, PlainLowHighPins*);
template <std::size_t Pins>
using Write = LibraryStatus(WINAPI*)(LibraryHandle, StartCondition*, BOOL, BOOL, DWORD, ControlBuffer*, DWORD, BOOL,
                                     DWORD, DataBuffer*, DWORD, WaitForWrite*, HigherOutputPins<Pins>*);
template <std::size_t Pins>
using Read = LibraryStatus(WINAPI*)(LibraryHandle, StartCondition*, BOOL, BOOL, DWORD, ControlBuffer*, DWORD, BOOL,
                                    BOOL, DWORD, ReadBuffer*, LPDWORD, HigherOutputPins<Pins>*);

BOOL flag(std::uint32_t value)
{
    return static_cast<BOOL>(value);
}

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), converted.data(), size, nullptr,
                        nullptr);
    return converted;
}

std::wstring moduleFileName(HMODULE module)
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

std::string programFolder()
{
    const std::filesystem::path program(moduleFileName(nullptr));
    return utf8(program.parent_path().wstring());
}

StartCondition startCondition(const TransferStartState& start)
{
    return {flag(start.clockHigh), flag(start.dataOutHigh), flag(start.chipSelectHigh), start.chipSelectPin};
}

WaitForWrite waitForWrite(const WriteCompletion& completion)
{
    return {flag(completion.wait), completion.pin, flag(completion.activeHigh), completion.timeoutMilliseconds};
}

template <std::size_t Fields>
HigherOutputPins<Fields / 2> higherOutputPins(const std::array<std::uint32_t, Fields>& record)
{
    HigherOutputPins<Fields / 2> pins{};
    std::transform(record.begin(), record.end(), pins.stateAndActive.begin(), flag);
    return pins;
}

ChipSelectPins chipSelectPins(const PinFlags& flags)
{
    ChipSelectPins pins{};
    std::transform(flags.begin(), flags.end(), pins.states.begin(), flag);
    return pins;
}

template <std::size_t Pins> InputOutputPins<Pins> inputOutputPins(const std::array<PinPair, Pins>& pairs)
{
    InputOutputPins<Pins> pins{};
    for (std::size_t pin = 0; pin < Pins; ++pin) {
        pins.directionAndLevel[2 * pin] = flag(pairs[pin].output);
        pins.directionAndLevel[2 * pin + 1] = flag(pairs[pin].high);
    }
    return pins;
}

} // namespace

// Every operation, bound by the ordinal the library exports it under.
struct FtcspiAdapterLibrary::Bound {
    HMODULE module = nullptr;
    CountDevices plainCount = nullptr; // 1
    DescribePlainDevice plainDescribe = nullptr; // 2
    OpenPlainDevice plainOpen = nullptr; // 3
    HandleOnly close = nullptr; // 5
    HandleAndValue initialise = nullptr; // 6
    HandleValueOut channelFollowUp = nullptr; // 8
    SetPins<4> plainSetPins = nullptr; // 10
    ReadPlainPins plainReadPins = nullptr; // 11
    Write<4> plainWrite = nullptr; // 12
    Read<4> plainRead = nullptr; // 13
    HandleOnly plainPrepare = nullptr; // 14
    CountDevices channelCount = nullptr; // 20
    DescribeChannelDevice channelDescribe = nullptr; // 21
    OpenChannelDevice channelOpen = nullptr; // 22
    HandleOnly channelQuery = nullptr; // 26
    HandleAndByte plainSetUp = nullptr; // 28
    SetPins<8> channelSetPins = nullptr; // 30
    Write<8> channelWrite = nullptr; // 32
    Read<8> channelRead = nullptr; // 33

    ~Bound()
    {
        if (module != nullptr)
            FreeLibrary(module);
    }

    // Binds every operation; the ordinals that the library does not export are listed.
    std::vector<unsigned> bindAll()
    {
        std::vector<unsigned> missing;
        bind(1, plainCount, missing);
        bind(2, plainDescribe, missing);
        bind(3, plainOpen, missing);
        bind(5, close, missing);
        bind(6, initialise, missing);
        bind(8, channelFollowUp, missing);
        bind(10, plainSetPins, missing);
        bind(11, plainReadPins, missing);
        bind(12, plainWrite, missing);
        bind(13, plainRead, missing);
        bind(14, plainPrepare, missing);
        bind(20, channelCount, missing);
        bind(21, channelDescribe, missing);
        bind(22, channelOpen, missing);
        bind(26, channelQuery, missing);
        bind(28, plainSetUp, missing);
        bind(30, channelSetPins, missing);
        bind(32, channelWrite, missing);
        bind(33, channelRead, missing);
        return missing;
    }

private:
    template <typename Function> void bind(unsigned ordinal, Function& target, std::vector<unsigned>& missing) const
    {
        // An ordinal travels in the low word of the name pointer (MAKEINTRESOURCEA).
        const auto name = reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(ordinal)));
        const FARPROC address = GetProcAddress(module, name);
        if (address == nullptr)
            missing.push_back(ordinal);
        else
            target = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    }
};

// Writable copies of what the library takes by non-const pointer, at the sizes it reads.
struct FtcspiAdapterLibrary::Buffers {
    ControlBuffer control{};
    DataBuffer data{};

    bool fill(const std::uint8_t* command, std::uint32_t commandCount, const std::uint8_t* bytes,
              std::uint32_t byteCount)
    {
        if (commandCount > kControlBufferSize || byteCount > kDataBufferSize || (commandCount > 0 && command == nullptr)
            || (byteCount > 0 && bytes == nullptr))
            return false;
        if (commandCount > 0)
            std::memcpy(control, command, commandCount);
        if (byteCount > 0)
            std::memcpy(data, bytes, byteCount);
        return true;
    }
};

FtcspiAdapterLibrary::FtcspiAdapterLibrary(const std::filesystem::path& library) : buffers_(std::make_unique<Buffers>())
{
    // A bare name comes from the program's folder or the system folder only, so a library
    // of the same name in the current folder or on PATH is never picked up.
    const DWORD search = library.has_parent_path() ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                                   : LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
    auto bound = std::make_unique<Bound>();
    bound->module = LoadLibraryExW(library.wstring().c_str(), nullptr, search);
    if (bound->module == nullptr) {
        const DWORD error = GetLastError();
        loadProblem_ = library.has_parent_path()
            ? utf8(library.wstring()) + " could not be loaded (Windows error " + std::to_string(error) + ")."
            : utf8(library.wstring()) + " could not be loaded (Windows error " + std::to_string(error)
                + "): install FTDI's " + utf8(library.wstring()) + " beside the program (" + programFolder()
                + ") or in the Windows system folder, and FTDI's D2XX driver that it needs.";
        return;
    }
    const std::vector<unsigned> missing = bound->bindAll();
    if (!missing.empty()) {
        std::string ordinals;
        for (const unsigned ordinal : missing)
            ordinals += (ordinals.empty() ? "" : ", ") + std::to_string(ordinal);
        loadProblem_ = utf8(moduleFileName(bound->module)) + " has no operation at ordinal"
            + (missing.size() > 1 ? "s " : " ") + ordinals + ": it is not FTDI's SPI library, or not a version "
            + "this program works with.";
        return;
    }
    bound_ = std::move(bound);
}

FtcspiAdapterLibrary::~FtcspiAdapterLibrary() = default;

AdapterStatus FtcspiAdapterLibrary::channelCountDevices(std::uint32_t& count)
{
    count = 0;
    if (!bound_)
        return kFtcspiDeviceNotFound;
    DWORD found = 0;
    const LibraryStatus status = bound_->channelCount(&found);
    count = found;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::channelDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                          std::uint32_t& location, char* channel,
                                                          std::uint32_t channelSize, std::uint32_t& type)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    DWORD foundLocation = 0;
    DWORD foundType = 0;
    const LibraryStatus status =
        bound_->channelDescribe(index, name, nameSize, &foundLocation, channel, channelSize, &foundType);
    location = foundLocation;
    type = foundType;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::channelOpen(const char* name, std::uint32_t location, const char* channel,
                                                AdapterHandle& handle)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    if (name == nullptr || channel == nullptr)
        return kFtcspiInvalidArgument;
    // The library upper-cases the channel text in place: it gets copies it may write.
    std::string writableName(name);
    std::string writableChannel(channel);
    LibraryHandle opened = 0;
    const LibraryStatus status = bound_->channelOpen(writableName.data(), location, writableChannel.data(), &opened);
    handle = opened;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::channelSetPins(AdapterHandle handle, const PinFlags& flags,
                                                   const ChannelPinPairs& pins)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    ChipSelectPins chipSelect = chipSelectPins(flags);
    InputOutputPins<8> upper = inputOutputPins(pins);
    return bound_->channelSetPins(handle, &chipSelect, &upper);
}

AdapterStatus FtcspiAdapterLibrary::channelQuery(AdapterHandle handle)
{
    return bound_ ? bound_->channelQuery(handle) : kFtcspiDeviceNotFound;
}

AdapterStatus FtcspiAdapterLibrary::channelQueryFollowUp(AdapterHandle handle, std::uint32_t argument,
                                                         std::uint32_t& value)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    DWORD answer = 0;
    const LibraryStatus status = bound_->channelFollowUp(handle, argument, &answer);
    value = answer;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::channelWrite(AdapterHandle handle, const TransferStartState& start,
                                                 std::uint32_t msbFirst, std::uint32_t risingEdge,
                                                 std::uint32_t commandBits, const std::uint8_t* commandBytes,
                                                 std::uint32_t commandByteCount, std::uint32_t writeData,
                                                 std::uint32_t dataBits, const std::uint8_t* data,
                                                 std::uint32_t dataByteCount, const WriteCompletion& completion,
                                                 const ChannelFamilyRecord& family)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    if (!buffers_->fill(commandBytes, commandByteCount, data, dataByteCount))
        return kFtcspiInvalidArgument;
    StartCondition startRecord = startCondition(start);
    WaitForWrite waitRecord = waitForWrite(completion);
    HigherOutputPins<8> familyRecord = higherOutputPins(family);
    return bound_->channelWrite(handle, &startRecord, flag(msbFirst), flag(risingEdge), commandBits, &buffers_->control,
                                commandByteCount, flag(writeData), dataBits, &buffers_->data, dataByteCount,
                                &waitRecord, &familyRecord);
}

AdapterStatus FtcspiAdapterLibrary::channelRead(AdapterHandle handle, const TransferStartState& start,
                                                std::uint32_t msbFirst, std::uint32_t risingEdge,
                                                std::uint32_t commandBits, const std::uint8_t* commandBytes,
                                                std::uint32_t commandByteCount, std::uint32_t readMsbFirst,
                                                std::uint32_t readRisingEdge, std::uint32_t readBits,
                                                AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                                                const ChannelFamilyRecord& family)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    if (readBits > 8 * kAdapterReceiveSize || !buffers_->fill(commandBytes, commandByteCount, nullptr, 0))
        return kFtcspiInvalidArgument;
    StartCondition startRecord = startCondition(start);
    // The library writes into the upper-pins record of this call: a writable copy.
    HigherOutputPins<8> familyRecord = higherOutputPins(family);
    DWORD count = 0;
    const LibraryStatus status =
        bound_->channelRead(handle, &startRecord, flag(msbFirst), flag(risingEdge), commandBits, &buffers_->control,
                            commandByteCount, flag(readMsbFirst), flag(readRisingEdge), readBits,
                            reinterpret_cast<ReadBuffer*>(received.data()), &count, &familyRecord);
    receivedCount = std::min<std::uint32_t>(count, kAdapterReceiveSize);
    return status;
}

AdapterStatus FtcspiAdapterLibrary::plainCountDevices(std::uint32_t& count)
{
    count = 0;
    if (!bound_)
        return kFtcspiDeviceNotFound;
    DWORD found = 0;
    const LibraryStatus status = bound_->plainCount(&found);
    count = found;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::plainDescribeDevice(std::uint32_t index, char* name, std::uint32_t nameSize,
                                                        std::uint32_t& location)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    DWORD foundLocation = 0;
    const LibraryStatus status = bound_->plainDescribe(index, name, nameSize, &foundLocation);
    location = foundLocation;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::plainOpen(const char* name, std::uint32_t location, AdapterHandle& handle)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    if (name == nullptr)
        return kFtcspiInvalidArgument;
    std::string writableName(name);
    LibraryHandle opened = 0;
    const LibraryStatus status = bound_->plainOpen(writableName.data(), location, &opened);
    handle = opened;
    return status;
}

AdapterStatus FtcspiAdapterLibrary::plainSetUp(AdapterHandle handle, std::uint8_t* setting)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    return setting == nullptr ? kFtcspiInvalidArgument : bound_->plainSetUp(handle, setting);
}

AdapterStatus FtcspiAdapterLibrary::plainPrepare(AdapterHandle handle)
{
    return bound_ ? bound_->plainPrepare(handle) : kFtcspiDeviceNotFound;
}

AdapterStatus FtcspiAdapterLibrary::plainSetPins(AdapterHandle handle, const PinFlags& flags, const PlainPinPairs& pins)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    ChipSelectPins chipSelect = chipSelectPins(flags);
    InputOutputPins<4> upper = inputOutputPins(pins);
    return bound_->plainSetPins(handle, &chipSelect, &upper);
}

AdapterStatus FtcspiAdapterLibrary::plainReadPins(AdapterHandle handle, PlainPinPairs& pins)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    // The library reports the four upper pins' levels only; their directions stay as set.
    PlainLowHighPins levels{};
    const LibraryStatus status = bound_->plainReadPins(handle, &levels);
    if (status == kAdapterOk) {
        for (std::size_t pin = 0; pin < pins.size(); ++pin)
            pins[pin].high = levels.levels[pin] != 0 ? 1 : 0;
    }
    return status;
}

AdapterStatus FtcspiAdapterLibrary::plainWrite(AdapterHandle handle, const TransferStartState& start,
                                               std::uint32_t msbFirst, std::uint32_t risingEdge,
                                               std::uint32_t commandBits, const std::uint8_t* commandBytes,
                                               std::uint32_t commandByteCount, std::uint32_t writeData,
                                               std::uint32_t dataBits, const std::uint8_t* data,
                                               std::uint32_t dataByteCount, const WriteCompletion& completion,
                                               const PlainFamilyRecord& family)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    if (!buffers_->fill(commandBytes, commandByteCount, data, dataByteCount))
        return kFtcspiInvalidArgument;
    StartCondition startRecord = startCondition(start);
    WaitForWrite waitRecord = waitForWrite(completion);
    HigherOutputPins<4> familyRecord = higherOutputPins(family);
    return bound_->plainWrite(handle, &startRecord, flag(msbFirst), flag(risingEdge), commandBits, &buffers_->control,
                              commandByteCount, flag(writeData), dataBits, &buffers_->data, dataByteCount, &waitRecord,
                              &familyRecord);
}

AdapterStatus FtcspiAdapterLibrary::plainRead(AdapterHandle handle, const TransferStartState& start,
                                              std::uint32_t msbFirst, std::uint32_t risingEdge,
                                              std::uint32_t commandBits, const std::uint8_t* commandBytes,
                                              std::uint32_t commandByteCount, std::uint32_t readMsbFirst,
                                              std::uint32_t readRisingEdge, std::uint32_t readBits,
                                              AdapterReceiveBuffer& received, std::uint32_t& receivedCount,
                                              const PlainFamilyRecord& family)
{
    if (!bound_)
        return kFtcspiDeviceNotFound;
    if (readBits > 8 * kAdapterReceiveSize || !buffers_->fill(commandBytes, commandByteCount, nullptr, 0))
        return kFtcspiInvalidArgument;
    StartCondition startRecord = startCondition(start);
    HigherOutputPins<4> familyRecord = higherOutputPins(family);
    DWORD count = 0;
    const LibraryStatus status =
        bound_->plainRead(handle, &startRecord, flag(msbFirst), flag(risingEdge), commandBits, &buffers_->control,
                          commandByteCount, flag(readMsbFirst), flag(readRisingEdge), readBits,
                          reinterpret_cast<ReadBuffer*>(received.data()), &count, &familyRecord);
    receivedCount = std::min<std::uint32_t>(count, kAdapterReceiveSize);
    return status;
}

// The library's initialise already turns the H chips' divide-by-5 off, so divisor 0 is
// their 30 MHz (6 MHz on the FT2232C/D) without a further call.
AdapterStatus FtcspiAdapterLibrary::initialise(AdapterHandle handle, std::uint32_t clockDivisor)
{
    return bound_ ? bound_->initialise(handle, clockDivisor) : kFtcspiDeviceNotFound;
}

AdapterStatus FtcspiAdapterLibrary::close(AdapterHandle handle)
{
    return bound_ ? bound_->close(handle) : kFtcspiDeviceNotFound;
}
