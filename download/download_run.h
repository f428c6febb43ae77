#pragma once

// A download run: the choices taken at its start, the files read into the region buffers
// with a message and pauses around each, the size check, the flash written through a
// FlashWriter, the diagnostics file and the processor's reload.

#include "download/download_observer.h"
#include "download/download_selection.h"
#include "download/download_settings.h"
#include "download/flash_region.h"
#include "download/flash_writer.h"
#include "download/pacer.h"
#include "download/run_state.h"

#include <array>
#include <cstdint>

// The pause around every reading message.
inline constexpr std::uint32_t kReadingPauseMs = 2000;

inline constexpr const char* kRunStoppedText = "Download stopped before the flash was written";

// Prepares a run (user-interface thread): takes the choices into the run state, selects
// the regions and gives each selected one a fresh zero-filled buffer. False, with the
// reason shown as an error, when that fails. The caller then starts runDownload on its
// worker thread, and keeps regions and state alive until the run has returned.
bool startDownload(std::array<FlashRegion, 3>& regions, RunState& state, const DownloadChoice& choice,
                   DownloadObserver& observer);

// Reads the files of the selected regions into their buffers and checks each region's
// size, with every reading message and pause, exactly as a run does before it writes the
// flash. The buffers stay filled. True when every selected region is complete; otherwise
// the run state's errorText says why.
bool readDownloadImage(std::array<FlashRegion, 3>& regions, RunState& state, const DownloadSettings& settings,
                       DownloadObserver& observer, Pacer& pacer);

// The whole run (worker thread). A stop request ends it between steps, without touching
// the flash further. The region buffers are released at its end.
void runDownload(std::array<FlashRegion, 3>& regions, RunState& state, const DownloadSettings& settings,
                 FlashWriter& writer, DownloadObserver& observer, Pacer& pacer);
