#pragma once

// The download tool's view of the store: the settings record every program loads, and the
// display-type catalogue that only this tool reads, loaded together.

#include "config/calibration_settings.h"
#include "config/display_type_catalogue.h"

class DownloadSettings {
public:
    explicit DownloadSettings(RegistryStore& store) : record(store), catalogue(store) {}

    // As CalibrationSettings::load, with the display-type tree built at its end.
    [[nodiscard]] bool load() { return record.load(&catalogue); }

    CalibrationSettings record;
    DisplayTypeCatalogue catalogue;
};
