#include "download/download_run.h"

#include "download/download_file_names.h"
#include "download/download_parameters_file.h"
#include "download/table_readers.h"

#include <new>

namespace {

using Reader = bool (*)(const std::string&, FlashRegion&, RunState&, DownloadObserver&);

constexpr std::array<const char*, 3> kChannelWords{"red", "green", "blue"};

void releaseBuffer(FlashRegion& region)
{
    std::vector<std::uint8_t>().swap(region.data);
}

// Fills the selected regions in index order; each step runs only while the run is ok.
class RegionFiller {
public:
    RegionFiller(RunState& state, const DownloadSettings& settings, DownloadObserver& observer, Pacer& pacer)
        : state_(state)
        , settings_(settings)
        , observer_(observer)
        , pacer_(pacer)
    {
    }

    void fill(FlashRegion& region)
    {
        switch (region.index) {
        case 0:
            fillColorTables(region);
            break;
        case 1:
            fillOsdImages(region);
            break;
        case 2:
            fillCalibrationValues(region);
            break;
        default:
            break;
        }
    }

private:
    void fillColorTables(FlashRegion& region)
    {
        for (int k = 1; k <= kColorTableCount; ++k) {
            readFile(
                region, "Reading Chromix 3D tables ... Waiting",
                "Unable to determine the file name of the Chromix 3D table",
                [&](std::string& name) {
                    return colorTableFileName(settings_.catalogue, state_.displayType, state_.table, k, name);
                },
                state_.fileNames.colorTables[static_cast<std::size_t>(k - 1)], readColorTableFile);
        }
    }

    void fillOsdImages(FlashRegion& region)
    {
        for (int i = 0; i < kOsdImageCount; ++i) {
            readFile(
                region, "Reading OSD images ... Waiting", "Unable to determine the file name of the OSD image",
                [&](std::string& name) {
                    return osdImageFileName(settings_.catalogue, state_.displayType, state_.table, i, name);
                },
                state_.fileNames.osdImages[static_cast<std::size_t>(i)], readOsdImageFile);
        }
    }

    void fillCalibrationValues(FlashRegion& region)
    {
        for (Channel channel : kAllChannels) {
            const std::string word = kChannelWords[channelIndex(channel)];
            readFile(
                region, "Reading " + word + " Chromix nonlinearity 1D LUT file ... Waiting",
                "Unable to determine the file name of the " + word + " Chromix nonlinearity 1D LUT",
                [&](std::string& name) { return firstLutFileName(settings_.record, channel, name); },
                state_.fileNames.firstLuts[channelIndex(channel)], readFirstLutFile);
        }
        readFile(
            region, "Reading display primary calibration file ... Waiting",
            "Unable to determine the file name of display primary calibration",
            [&](std::string& name) { return matrixFileName(settings_.record, state_.usePrimaryNew, name); },
            state_.fileNames.matrix, readMatrixFile);
        for (Channel channel : kAllChannels) {
            const std::string word = kChannelWords[channelIndex(channel)];
            readFile(
                region, "Reading " + word + " display linearity calibration files ... Waiting",
                "Unable to determine the file name of the " + word + " display linearity calibration",
                [&](std::string& name) {
                    return secondLutFileName(settings_.record, channel, state_.useLinearityNew, name);
                },
                state_.fileNames.secondLuts[channelIndex(channel)], readSecondLutFile);
        }
    }

    template <typename Lookup>
    void readFile(FlashRegion& region, const std::string& readingText, const std::string& noNameText, Lookup lookup,
                  std::string& recordedName, Reader reader)
    {
        if (!state_.ok)
            return;
        if (state_.stopRequested) {
            state_.ok = false;
            state_.errorText = kRunStoppedText;
            return;
        }
        pacer_.pause(kReadingPauseMs);
        observer_.setStatus(readingText, false);
        pacer_.pause(kReadingPauseMs);
        std::string name;
        if (!lookup(name)) {
            state_.errorText += noNameText;
            state_.ok = false;
            return;
        }
        recordedName = name;
        if (!reader(name, region, state_, observer_))
            state_.ok = false;
    }

    RunState& state_;
    const DownloadSettings& settings_;
    DownloadObserver& observer_;
    Pacer& pacer_;
};

} // namespace

bool startDownload(std::array<FlashRegion, 3>& regions, RunState& state, const DownloadChoice& choice,
                   DownloadObserver& observer)
{
    state.packPhase = 0;
    state.ok = true;
    state.usePrimaryNew = choice.usePrimaryNew;
    state.useLinearityNew = choice.useLinearityNew;
    state.displayType = choice.displayType;
    state.table = choice.table;
    state.fileNames = {};
    regions[0].selected = regions[1].selected = choice.colorTables;
    regions[2].selected = choice.calibrationValues;

    std::uint64_t total = 0;
    for (FlashRegion& region : regions) {
        releaseBuffer(region);
        region.fillCount = 0;
        if (!region.selected)
            continue;
        total += region.paddedSize;
        try {
            region.data.assign(region.paddedSize, 0);
        } catch (const std::bad_alloc&) {
            for (FlashRegion& allocated : regions)
                releaseBuffer(allocated);
            observer.setStatus("Unable to get the memory needed for download", true);
            return false;
        }
    }
    if (total > kFlashSize) {
        for (FlashRegion& region : regions)
            releaseBuffer(region);
        observer.setStatus("Download data size exceeds maximum allowed of 8M bytes", true);
        return false;
    }
    return true;
}

bool readDownloadImage(std::array<FlashRegion, 3>& regions, RunState& state, const DownloadSettings& settings,
                       DownloadObserver& observer, Pacer& pacer)
{
    state.errorText.clear();
    state.ok = true;
    RegionFiller filler(state, settings, observer, pacer);
    for (FlashRegion& region : regions) {
        if (!state.ok)
            break;
        if (region.selected)
            filler.fill(region);
    }
    pacer.pause(kReadingPauseMs);
    if (!state.ok)
        return false;
    for (const FlashRegion& region : regions) {
        if (region.selected && region.fillCount != region.dataSize) {
            state.ok = false;
            state.errorText = kSizeMismatchText;
            return false;
        }
    }
    return true;
}

void runDownload(std::array<FlashRegion, 3>& regions, RunState& state, const DownloadSettings& settings,
                 FlashWriter& writer, DownloadObserver& observer, Pacer& pacer)
{
    observer.setDownloadEnabled(false);
    if (readDownloadImage(regions, state, settings, observer, pacer)) {
        if (state.stopRequested) {
            state.ok = false;
            state.errorText = kRunStoppedText;
        } else {
            writer.writeFlashRegions(regions, state, observer, pacer);
        }
    }
    if (state.ok) {
        writeDownloadParametersFile(settings.record, state.fileNames);
        observer.setCancelCaption("Done");
        observer.beep(Beep::Default);
    } else if (!state.errorText.empty()) {
        observer.setStatus(state.errorText, true);
        observer.beep(Beep::Exclamation);
    }
    observer.setDownloadEnabled(true);
    // Closing the window stops the run; the processor then keeps running what it had
    // loaded until the next reload or power cycle.
    if (state.ok && !state.stopRequested && !writer.reloadProcessor(pacer))
        observer.setStatus("Flash reload command failed!", true);
    for (FlashRegion& region : regions) {
        if (region.selected)
            releaseBuffer(region);
    }
}
