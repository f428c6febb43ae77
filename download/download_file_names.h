#pragma once

// Where each input file of a download comes from in the settings. Every function returns
// false when the name cannot be determined; a catalogue key that does not exist gives
// true with an empty name (the reader then cannot open it).

#include "config/calibration_settings.h"
#include "config/display_type_catalogue.h"

#include <string>

inline constexpr int kColorTableCount = 6;
inline constexpr int kOsdImageCount = 14;

// 3D colour table k, 1 to 6.
bool colorTableFileName(const DisplayTypeCatalogue& catalogue, const std::string& displayType, const std::string& table,
                        int k, std::string& out);
// OSD image at place i (0 to 13) of the region: native 1-6, D65 1-6, native 7, D65 7.
bool osdImageFileName(const DisplayTypeCatalogue& catalogue, const std::string& displayType, const std::string& table,
                      int i, std::string& out);
bool firstLutFileName(const CalibrationSettings& settings, Channel channel, std::string& out);
bool matrixFileName(const CalibrationSettings& settings, bool usePrimaryNew, std::string& out);
bool secondLutFileName(const CalibrationSettings& settings, Channel channel, bool useLinearityNew, std::string& out);
