#pragma once

// Shared inputs of the primary calibration tests.

#include "primary/primary_types.h"
#include "support/store_file.h"

#include <string>

// ITU-R BT.709 primaries, luminances of a D65 white (the "Y" row of the BT.709 matrix).
inline FieldTexts bt709FieldTexts()
{
    return {{{"0.64", "0.33", "0.2126"}, {"0.30", "0.60", "0.7152"}, {"0.15", "0.06", "0.0722"}}};
}

// A primary data file of the BT.709 primaries in another luminance scale.
inline std::string primaryDataFileText(const std::string& red = "0.64, 0.33, 21.26",
                                       const std::string& version = "1.00",
                                       const std::string& displayType = "RGB_LED_DISPLAY")
{
    return "[DATA]\r\nMEASURED_DATA_RED=" + red + "\r\nMEASURED_DATA_GREEN=0.30, 0.60, 71.52\r\n"
        + "MEASURED_DATA_BLUE=0.15, 0.06, 7.22\r\n[PARAMETERS]\r\nVERSION=" + version
        + "\r\nDISPLAY_TYPE=" + displayType + "\r\n";
}

// The matrix file of those primaries on an RGB LED display.
inline constexpr const char* kRgbLedMatrixFile = "1 0 0\r\n0 1 0\r\n0 0 1\r\n"
                                                 "1.34723 -0.389109 0.0128668\r\n"
                                                 "-0.0832443 1.05913 -0.0572284\r\n"
                                                 "-0.0153776 -0.0618034 1.07718\r\n";

// A store file of a complete installation whose matrix path, flag and install directory
// each test chooses.
inline std::string primaryStoreText(const std::string& installDirectory, const std::string& matrixCurrent,
                                    const std::string& currentValid)
{
    StoreFileText store;
    store.key("").value("install directory", installDirectory);
    store.key("Matrix")
        .value("Current", matrixCurrent)
        .value("Current Valid", currentValid)
        .value("Default", installDirectory + "/default_matrix.txt");
    for (const char* key : {"First1D\\Default", "Second1D\\Default", "Second1D\\Current"})
        store.key(key).value("Red", "/l/r.txt").value("Green", "/l/g.txt").value("Blue", "/l/b.txt");
    store.key("Second1D\\Current").value("ValidRed", "false").value("ValidGreen", "false").value("ValidBlue", "false");
    store.key("StepWedge").value("steps", "0~128~255");
    store.key("ColorTable\\Display Type").value("Velvane Orlam LED Projector", "Orlam");
    return store.text();
}
