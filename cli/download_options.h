#pragma once

// The selection words that the download-image commands share: which table set, which
// regions, and Default or New for the primary matrix and the display linearity LUTs.

#include "cli/arguments.h"
#include "download/download_selection.h"
#include "download/download_settings.h"

#include <iosfwd>
#include <set>
#include <string>
#include <string_view>

// The selection words as options of a command's Arguments, to add to its own.
std::set<std::string> selectionValueOptions(); // --table-set, --primary, --linearity
std::set<std::string> selectionSwitches(); // --3d-tables, --calibration-values

// Loads the settings with the display-type catalogue. A store that lacks values is
// reported on `err` and the command carries on, as the download tool does.
void loadDownloadSettings(DownloadSettings& settings, std::string_view command, std::ostream& err);

// Turns the selection words into the choices of a run. kExitSuccess, or kExitUsage for
// words that do not fit together, or kExitFailure for a choice the store does not offer;
// `error` then says why.
int parseDownloadChoice(const Arguments& arguments, const DownloadSettings& settings, DownloadChoice& choice,
                        std::string& error);
