#pragma once

// What the operator chooses before a download, as plain state that a window binds its
// controls to: the table set, the two region check boxes, and Default / New for the
// primary matrix and the display linearity LUTs, with the rules for when each choice is
// offered.

#include "config/calibration_settings.h"

#include <string>
#include <string_view>

// The choices a run takes when it starts.
struct DownloadChoice {
    std::string displayType;
    std::string table;
    bool colorTables = true; // "Chromix 3D Tables": the 3D tables and their OSD images
    bool calibrationValues = false; // "Calibration Values": the LUTs and the matrix
    bool usePrimaryNew = false;
    bool useLinearityNew = false;
};

// One Default / New pair of options.
struct CalibrationOptions {
    bool defaultEnabled = false;
    bool defaultChecked = false;
    bool newEnabled = false;
    bool newChecked = false;
};

class DownloadSelection {
public:
    // Takes whether the current linearity LUTs may be offered, once.
    explicit DownloadSelection(const CalibrationSettings& settings);

    // A node of the display-type tree was selected: `parentName` is its parent's text
    // (empty for the root). Only a node without children selects a table set.
    void selectNode(std::string_view parentName, std::string_view nodeName, bool hasChildren);

    // A check box was clicked and is now `checked`.
    void setColorTables(bool checked);
    void setCalibrationValues(bool checked);

    // An option was clicked; ignored while it is disabled.
    void choosePrimaryNew(bool useNew);
    void chooseLinearityNew(bool useNew);

    // While a run is active Download stays disabled whatever else happens, so that a
    // second run never starts on the same regions.
    void setRunActive(bool active);

    bool downloadEnabled() const { return downloadAllowed_ && !runActive_; }
    bool colorTables() const { return colorTables_; }
    bool calibrationValues() const { return calibrationValues_; }
    const CalibrationOptions& primary() const { return primary_; }
    const CalibrationOptions& linearity() const { return linearity_; }
    bool matrixNewValid() const { return matrixNewValid_; }
    bool linearityNewValid() const { return linearityNewValid_; }
    const std::string& selectedDisplayType() const { return selectedDisplayType_; }
    const std::string& selectedTable() const { return selectedTable_; }

    // The choices as a run takes them when Download is pressed.
    DownloadChoice choice() const;

private:
    bool tableSetSelected() const { return linearity_.defaultEnabled || linearity_.newEnabled; }
    void checkBoxClicked(bool nowChecked);

    const CalibrationSettings& settings_;
    std::string selectedDisplayType_;
    std::string selectedTable_;
    bool colorTables_ = true;
    bool calibrationValues_ = false;
    CalibrationOptions primary_;
    CalibrationOptions linearity_;
    bool matrixNewValid_ = false;
    bool linearityNewValid_ = false;
    bool downloadAllowed_ = false;
    bool runActive_ = false;
};

// True when the matrix file the primary calibration tool wrote is complete.
bool isMatrixNewValid(const CalibrationSettings& settings);
// True when all three LUT files the linearity tool wrote are complete.
bool isLinearityNewValid(const CalibrationSettings& settings);
