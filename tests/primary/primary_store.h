#pragma once

// A store file for the primary calibration tests: a complete installation whose matrix
// path, flag and install directory each test chooses.

#include "support/store_file.h"

#include <string>

inline std::string primaryStoreText(const std::string& installDirectory, const std::string& matrixCurrent,
                                    const std::string& currentValid)
{
    StoreFileText store;
    store.key("").value("install directory", installDirectory);
    store.key("Matrix").value("Current", matrixCurrent).value("Current Valid", currentValid)
        .value("Default", installDirectory + "/default_matrix.txt");
    for (const char* key : {"First1D\\Default", "Second1D\\Default", "Second1D\\Current"})
        store.key(key).value("Red", "/l/r.txt").value("Green", "/l/g.txt").value("Blue", "/l/b.txt");
    store.key("Second1D\\Current").value("ValidRed", "false").value("ValidGreen", "false").value("ValidBlue", "false");
    store.key("StepWedge").value("steps", "0~128~255");
    store.key("ColorTable\\Display Type").value("Velvane Orlam LED Projector", "Orlam");
    return store.text();
}
