#include "download/adapters/simulated_flash_chip.h"

#include "config/atomic_file.h"
#include "config/number_text.h"
#include "download/adapters/spi_flash_commands.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

namespace {

constexpr std::size_t kAddressEnd = 4; // opcode and three address bytes

// The bytes a cycle clocks in: the command, then the data; the data line idles low while
// the chip answers.
class SentBytes {
public:
    SentBytes(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data)
        : command_(command)
        , data_(data)
    {
    }

    std::size_t size() const { return command_.size() + data_.size(); }
    std::uint8_t at(std::size_t position) const
    {
        if (position < command_.size())
            return command_[position];
        if (position < size())
            return data_[position - command_.size()];
        return 0x00;
    }
    std::uint32_t address() const { return (std::uint32_t{at(1)} << 16) | (std::uint32_t{at(2)} << 8) | at(3); }

private:
    std::span<const std::uint8_t> command_;
    std::span<const std::uint8_t> data_;
};

// A page program's data: the bytes after the address, wherever the command part ended.
std::vector<std::uint8_t> bytesAfterAddress(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data)
{
    const std::size_t addressInCommand = std::min(command.size(), kAddressEnd);
    std::vector<std::uint8_t> payload(command.begin() + static_cast<std::ptrdiff_t>(addressInCommand), command.end());
    const auto dataPayload = data.subspan(kAddressEnd - addressInCommand);
    payload.insert(payload.end(), dataPayload.begin(), dataPayload.end());
    return payload;
}

} // namespace

SimulatedFlashChip::SimulatedFlashChip(const FlashChipFacts& facts, SimulatedClock& clock,
                                       std::filesystem::path imageFile)
    : facts_(facts)
    , clock_(clock)
    , imageFile_(std::move(imageFile))
    , memory_(facts.sizeBytes, 0xFF)
    , answeredManufacturer_(facts.manufacturerId)
    , answeredDevice_(facts.deviceId)
{
}

bool SimulatedFlashChip::loadImage(std::string& error)
{
    if (imageFile_.empty())
        return true;
    const std::filesystem::path image = resolveLinks(imageFile_);
    const std::filesystem::path folder = image.has_parent_path() ? image.parent_path() : std::filesystem::path(".");
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        error = "The folder of the flash image " + imageFile_.string() + " does not exist";
        return false;
    }
    if (std::filesystem::exists(image, ignored) && !std::filesystem::is_regular_file(image, ignored)) {
        // The read fails and names the kind of file, for the message.
        error = "Unable to read the flash image " + imageFile_.string() + ": "
            + readWholeFile(image, memory_.size()).failure().reason;
        return false;
    }
    // Held until the adapter closes: two downloads writing one image back whole would
    // silently lose one's regions.
    imageLock_.reset();
    imageLock_.emplace(image, FileLock::Wait::No);
    if (!imageLock_->locked()) {
        error = "The flash image " + imageFile_.string() + " cannot be used: " + imageLock_->error();
        imageLock_.reset();
        return false;
    }
    removeLeftoverTemporaries(image);
    std::error_code missing;
    if (std::filesystem::symlink_status(image, missing).type() == std::filesystem::file_type::not_found) {
        std::fill(memory_.begin(), memory_.end(), std::uint8_t{0xFF});
        changed_ = false;
        return true;
    }
    const Result<std::string> content = readWholeFile(image, memory_.size());
    if (!content || content->size() != memory_.size()) {
        error = content ? "The flash image " + imageFile_.string() + " holds "
                + formatInteger(static_cast<long long>(content->size())) + " bytes, not "
                + formatInteger(facts_.sizeBytes)
                        : "Unable to read the flash image " + imageFile_.string() + ": " + content.failure().reason;
        imageLock_.reset();
        return false;
    }
    std::copy(content->begin(), content->end(), memory_.begin());
    changed_ = false;
    return true;
}

void SimulatedFlashChip::releaseImage()
{
    imageLock_.reset();
}

bool SimulatedFlashChip::writeBack(std::string& error)
{
    if (imageFile_.empty() || !changed_)
        return true;
    const std::string_view bytes(reinterpret_cast<const char*>(memory_.data()), memory_.size());
    if (Result<> written = replaceFileAtomically(imageFile_, bytes); !written) {
        error = "Unable to write the flash image " + imageFile_.string() + ": " + written.failure().reason;
        return false;
    }
    changed_ = false;
    return true;
}

bool SimulatedFlashChip::select(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data,
                                std::span<std::uint8_t> received)
{
    // Nothing drives the data line unless the chip answers: it reads as all ones.
    std::fill(received.begin(), received.end(), std::uint8_t{0xFF});
    const SentBytes sent(command, data);
    if (sent.size() == 0)
        return true;
    const std::uint8_t opcode = sent.at(0);
    if (opcode == spi_flash::kReadStatus) {
        std::fill(received.begin(), received.end(), status());
        return true;
    }
    if (busy())
        return true; // a busy chip ignores everything but the status read

    const std::uint32_t addressMask = facts_.sizeBytes - 1;
    switch (opcode) {
    case spi_flash::kWriteEnable:
        if (sent.size() == 1)
            writeEnableLatch_ = true;
        return true;
    case spi_flash::kWriteDisable: {
        if (sent.size() != 1)
            return true;
        writeEnableLatch_ = false;
        std::string reason; // the adapter reports the failed write-back as a failed transfer
        return writeBack(reason);
    }
    case spi_flash::kReadIdentification:
        identify(sent.address(), sent.size(), received);
        return true;
    case spi_flash::kReadData:
        readAfterCommand(sent.address(), sent.size(), received);
        return true;
    case spi_flash::kPageProgram:
        if (writeEnableLatch_ && sent.size() > kAddressEnd && received.empty())
            programPage(sent.address() & addressMask, bytesAfterAddress(command, data));
        return true;
    case spi_flash::kBlockErase:
        if (writeEnableLatch_ && sent.size() == kAddressEnd && received.empty())
            eraseBlock(sent.address() & addressMask);
        return true;
    default:
        return true; // commands the chip does not know are ignored
    }
}

void SimulatedFlashChip::identify(std::uint32_t address, std::size_t sentCount, std::span<std::uint8_t> received) const
{
    // Manufacturer and device alternate from the first byte after the address on, starting
    // with the one the address's lowest bit picks.
    const std::uint32_t first = address & 1;
    for (std::size_t i = 0; i < received.size(); ++i) {
        const std::size_t position = sentCount + i;
        if (position >= kAddressEnd)
            received[i] = ((first + position - kAddressEnd) & 1) == 0 ? answeredManufacturer_ : answeredDevice_;
    }
}

void SimulatedFlashChip::readAfterCommand(std::uint32_t address, std::size_t sentCount,
                                          std::span<std::uint8_t> received) const
{
    // Bytes sent past the address were clocked out already; with fewer than four sent, the
    // first received bytes still carry the address.
    const std::size_t stillAddress = sentCount < kAddressEnd ? kAddressEnd - sentCount : 0;
    const std::size_t alreadyOut = sentCount > kAddressEnd ? sentCount - kAddressEnd : 0;
    readData(address + static_cast<std::uint32_t>(alreadyOut),
             received.subspan(std::min(stillAddress, received.size())));
}

std::uint8_t SimulatedFlashChip::status() const
{
    // The latch reads set until the operation that cleared it has finished.
    if (busy())
        return spi_flash::kStatusBusy | spi_flash::kStatusWriteEnableLatch;
    return writeEnableLatch_ ? spi_flash::kStatusWriteEnableLatch : 0;
}

void SimulatedFlashChip::answerIdentification(std::uint8_t manufacturer, std::uint8_t device)
{
    answeredManufacturer_ = manufacturer;
    answeredDevice_ = device;
}

void SimulatedFlashChip::flipBitOnRead(std::uint32_t address, std::uint8_t mask)
{
    flippedAddress_ = address;
    flipMask_ = mask;
}

void SimulatedFlashChip::clearFaults()
{
    answeredManufacturer_ = facts_.manufacturerId;
    answeredDevice_ = facts_.deviceId;
    stuckBusy_ = false;
    flippedAddress_.reset();
    flipMask_ = 0;
}

bool SimulatedFlashChip::busy() const
{
    return stuckBusy_ || clock_.nowMicroseconds() < busyUntilMicros_;
}

void SimulatedFlashChip::startOperation(std::uint32_t durationMicros)
{
    writeEnableLatch_ = false;
    busyUntilMicros_ = clock_.nowMicroseconds() + durationMicros;
    changed_ = true;
}

void SimulatedFlashChip::readData(std::uint32_t address, std::span<std::uint8_t> out) const
{
    // Sequential reads run on past the last byte to the first.
    const std::uint32_t addressMask = facts_.sizeBytes - 1;
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint32_t at = (address + static_cast<std::uint32_t>(done)) & addressMask;
        const std::size_t run = std::min<std::size_t>(out.size() - done, facts_.sizeBytes - at);
        std::copy_n(memory_.begin() + static_cast<std::ptrdiff_t>(at), run,
                    out.begin() + static_cast<std::ptrdiff_t>(done));
        done += run;
    }
    if (flippedAddress_) {
        const std::uint32_t offset = (*flippedAddress_ - address) & addressMask;
        if (offset < out.size())
            out[offset] ^= flipMask_;
    }
}

void SimulatedFlashChip::programPage(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    // More than a page of data: only the last page's worth is kept, as the chip latches it.
    if (bytes.size() > facts_.pageSize)
        bytes = bytes.last(facts_.pageSize);
    const std::uint32_t pageStart = address & ~(facts_.pageSize - 1);
    const std::uint32_t pageMask = facts_.pageSize - 1;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        memory_[pageStart | ((address + i) & pageMask)] &= bytes[i];
    startOperation(facts_.pageProgramTypicalMicros);
}

void SimulatedFlashChip::eraseBlock(std::uint32_t address)
{
    const std::uint32_t blockStart = address & ~(facts_.blockSize - 1);
    std::fill_n(memory_.begin() + static_cast<std::ptrdiff_t>(blockStart), facts_.blockSize, std::uint8_t{0xFF});
    startOperation(facts_.blockEraseTypicalMicros);
}
