#pragma once

// Fakes for the download tests: an observer and a pacer that record what the run does,
// a flash writer that records what it was given, and small input files.

#include "download/download_observer.h"
#include "download/flash_region.h"
#include "download/flash_writer.h"
#include "download/pacer.h"
#include "download/run_state.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Every call as one line: "status: TEXT", "error: TEXT" (a status shown as an error),
// "append: ...", "download on/off", "caption: ...", "beep default/exclamation".
class RecordingObserver : public DownloadObserver {
public:
    void setStatus(std::string_view text, bool error) override
    {
        events.push_back((error ? "error: " : "status: ") + std::string(text));
    }
    void appendStatus(std::string_view text, bool error) override
    {
        events.push_back((error ? "append error: " : "append: ") + std::string(text));
    }
    void setProgress(int percent) override { events.push_back("progress " + std::to_string(percent)); }
    void setDownloadEnabled(bool enabled) override { events.push_back(enabled ? "download on" : "download off"); }
    void setCancelCaption(const std::string& caption) override { events.push_back("caption: " + caption); }
    void beep(Beep kind) override { events.push_back(kind == Beep::Default ? "beep default" : "beep exclamation"); }

    // The events that start with `prefix`, or with `starting` false the others.
    std::vector<std::string> filtered(const std::string& prefix, bool starting = true) const
    {
        std::vector<std::string> kept;
        std::copy_if(events.begin(), events.end(), std::back_inserter(kept),
                     [&](const std::string& event) { return event.starts_with(prefix) == starting; });
        return kept;
    }
    // The events without the readers' progress texts.
    std::vector<std::string> withoutProgress() const { return filtered("status: Read count is ", false); }

    std::vector<std::string> events;
};

// Records each pause in the observer's event list, so that order shows.
class RecordingPacer : public Pacer {
public:
    explicit RecordingPacer(RecordingObserver* observer = nullptr) : observer_(observer) {}
    void pause(std::uint32_t milliseconds) override
    {
        pauses.push_back(milliseconds);
        if (observer_)
            observer_->events.push_back("pause " + std::to_string(milliseconds));
    }
    std::vector<std::uint32_t> pauses;

private:
    RecordingObserver* observer_;
};

class FakeFlashWriter : public FlashWriter {
public:
    void writeFlashRegions(std::array<FlashRegion, 3>& regions, RunState& state, DownloadObserver& observer,
                           Pacer&) override
    {
        ++writeCalls;
        written = regions; // the buffers as the run handed them over
        if (failWith.empty()) {
            observer.setStatus("Flash download completed successfully", false);
        } else {
            state.errorText += failWith;
            state.ok = false;
        }
    }
    bool reloadProcessor(Pacer&) override
    {
        ++reloadCalls;
        return reloadSucceeds;
    }

    int writeCalls = 0;
    int reloadCalls = 0;
    bool reloadSucceeds = true;
    std::string failWith;
    std::array<FlashRegion, 3> written;
};

// A scratch folder for the files a test reads.
struct ScratchFolder {
    // Writes `content` as the folder's file `name`; returns its path.
    std::string file(const std::string& name, const std::string& content) const
    {
        writeFile(dir / name, content);
        return (dir / name).string();
    }
    TempDir dir;
};

// A region with a zero-filled buffer of `size` bytes, as a run prepares it.
inline FlashRegion bufferOf(std::uint32_t size)
{
    FlashRegion region;
    region.paddedSize = region.dataSize = size;
    region.data.assign(size, 0);
    region.selected = true;
    return region;
}

// `count` copies of one value, one per line.
inline std::string repeatedLines(const std::string& value, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += value + "\r\n";
    return text;
}

// The 10-bit field at `index` of bytes packed most significant bit first, read bit by bit.
inline std::uint16_t unpackField(const std::vector<std::uint8_t>& bytes, std::size_t byteOffset, std::size_t index)
{
    std::uint16_t field = 0;
    for (std::size_t bit = index * 10; bit < index * 10 + 10; ++bit) {
        const std::uint8_t byte = bytes[byteOffset + bit / 8];
        field = static_cast<std::uint16_t>(field << 1 | (byte >> (7 - bit % 8) & 1));
    }
    return field;
}
