#include "download/adapters/simulated_flash_chip.h"

#include "config/atomic_file.h"
#include "config/number_text.h"
#include "download/adapters/spi_flash_commands.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::size_t kAddressEnd = 4; // opcode and three address bytes

// The bytes a cycle clocks in: the command, then the data; the data line idles low while
// the chip answers.
class SentBytes {
public:
    SentBytes(std::span<const std::uint8_t> command, std::span<const std::uint8_t> data)
        : command_(command), data_(data) {}

    std::size_t size() const { return command_.size() + data_.size(); }
    std::uint8_t at(std::size_t position) const
    {
        if (position < command_.size())
            return command_[position];
        if (position < size())
            return data_[position - command_.size()];
        return 0x00;
    }
    std::uint32_t address() const
    {
        return (std::uint32_t{at(1)} << 16) | (std::uint32_t{at(2)} << 8) | at(3);
    }

private:
    std::span<const std::uint8_t> command_;
    std::span<const std::uint8_t> data_;
};

} // namespace

SimulatedFlashChip::SimulatedFlashChip(const FlashChipFacts& facts, SimulatedClock& clock,
                                       std::filesystem::path imageFile)
    : facts_(facts), clock_(clock), imageFile_(std::move(imageFile)), memory_(facts.sizeBytes, 0xFF),
      answeredManufacturer_(facts.manufacturerId), answeredDevice_(facts.deviceId)
{
}

bool SimulatedFlashChip::loadImage(std::string& error)
{
    if (imageFile_.empty())
        return true;
    std::error_code ignored;
    if (!std::filesystem::exists(imageFile_, ignored)) {
        std::fill(memory_.begin(), memory_.end(), std::uint8_t{0xFF});
        changed_ = true;
        return true;
    }
    const std::optional<std::string> content = readWholeFile(imageFile_);
    if (!content) {
        error = "Unable to read the flash image " + imageFile_.string();
        return false;
    }
    if (content->size() != memory_.size()) {
        error = "The flash image " + imageFile_.string() + " holds " + formatInteger(static_cast<long long>(content->size()))
              + " bytes, not " + formatInteger(facts_.sizeBytes);
        return false;
    }
    std::copy(content->begin(), content->end(), memory_.begin());
    changed_ = false;
    return true;
}

bool SimulatedFlashChip::writeBack(std::string& error)
{
    if (imageFile_.empty() || !changed_)
        return true;
    const std::string_view bytes(reinterpret_cast<const char*>(memory_.data()), memory_.size());
    if (!replaceFileAtomically(imageFile_, bytes)) {
        error = "Unable to write the flash image " + imageFile_.string();
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

    // The chip answers from the first byte after the address on; `received` starts where
    // the sent bytes end.
    const auto answer = [&](auto byteAtOffset) {
        for (std::size_t i = 0; i < received.size(); ++i) {
            const std::size_t position = sent.size() + i;
            if (position >= kAddressEnd)
                received[i] = byteAtOffset(position - kAddressEnd);
        }
    };
    const std::uint32_t addressMask = facts_.sizeBytes - 1;
    switch (opcode) {
    case spi_flash::kWriteEnable:
        if (sent.size() == 1)
            writeEnableLatch_ = true;
        return true;
    case spi_flash::kWriteDisable:
        if (sent.size() != 1)
            return true;
        writeEnableLatch_ = false;
        {
            std::string ignoredReason;
            return writeBack(ignoredReason);
        }
    case spi_flash::kReadIdentification: {
        const std::uint32_t first = sent.address() & 1;
        answer([&](std::size_t offset) { return ((first + offset) & 1) == 0 ? answeredManufacturer_ : answeredDevice_; });
        return true;
    }
    case spi_flash::kReadData: {
        const std::uint32_t address = sent.address();
        answer([&](std::size_t offset) {
            const std::uint32_t at = (address + static_cast<std::uint32_t>(offset)) & addressMask;
            const std::uint8_t flip = flippedAddress_ == at ? flipMask_ : 0;
            return static_cast<std::uint8_t>(memory_[at] ^ flip);
        });
        return true;
    }
    case spi_flash::kPageProgram:
        if (writeEnableLatch_ && sent.size() > kAddressEnd && received.empty()) {
            std::vector<std::uint8_t> payload(sent.size() - kAddressEnd);
            for (std::size_t i = 0; i < payload.size(); ++i)
                payload[i] = sent.at(kAddressEnd + i);
            programPage(sent.address() & addressMask, payload);
        }
        return true;
    case spi_flash::kBlockErase:
        if (writeEnableLatch_ && sent.size() == kAddressEnd && received.empty())
            eraseBlock(sent.address() & addressMask);
        return true;
    default:
        return true; // commands the chip does not know are ignored
    }
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
    std::fill_n(memory_.begin() + blockStart, facts_.blockSize, std::uint8_t{0xFF});
    startOperation(facts_.blockEraseTypicalMicros);
}
