#pragma once

// Everything the primary calibration dialog holds and does, without the window: the
// field texts, the display type, the measured primaries, the matrices, the status field,
// the report, the Save button's state and the triangle on the chart. The Trisola window
// binds its controls to this; the chromix primary command drives the same operations.

#include "config/status_text.h"
#include "primary/chromaticity_triangle.h"
#include "primary/primary_types.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class CalibrationSettings;

class TrisolaDialogState {
public:
    // The settings record is loaded by initialise() and must outlive this state.
    explicit TrisolaDialogState(CalibrationSettings& settings);

    // Loads the settings record once; when that fails the dialog stays usable and says so.
    void initialise();

    const FieldTexts& fieldTexts() const { return fieldTexts_; }
    void setFieldTexts(const FieldTexts& texts) { fieldTexts_ = texts; }
    // The primary's Clear button: its three texts become "0", the others stay.
    void clearPrimary(Channel channel);

    DisplayType displayType() const { return displayType_; }
    // Takes effect at the next Apply; nothing shown changes now.
    void setDisplayType(DisplayType displayType) { displayType_ = displayType; }

    // Apply. True when it produced valid matrices.
    bool apply();
    // Save: writes the matrix and diagnostics files and ends the dialog. Does nothing and
    // returns false while the Save button is disabled.
    bool save();
    // The data file buttons. Load runs Apply after filling the fields; its result is
    // whether the file was read (Apply reports on its own).
    bool saveData(const std::filesystem::path& file);
    bool loadData(const std::filesystem::path& file);

    // The data file buttons clear the status before they ask for a file name, so a
    // cancelled file dialog still leaves the field empty.
    void clearStatus() { status_.setStatus({}, false); }

    // What the status field shows; every message of this tool is an error.
    const StatusText& status() const { return status_; }
    const std::string& reportText() const { return reportText_; }
    bool saveEnabled() const { return saveEnabled_; }
    bool matricesValid() const { return matrices_.valid; }
    const CalibrationMatrices& matrices() const { return matrices_; }
    const MeasuredPrimaries& measuredPrimaries() const { return measured_; }
    // The measured triangle to draw on the chart, when there is one.
    const std::optional<ChromaticityTriangle>& triangle() const { return triangle_; }
    // True once Save succeeded: the dialog has ended with OK.
    bool finished() const { return finished_; }
    // After a failed Save or Save of the data file: the file and the system's reason,
    // beside the status text.
    const std::string& failureReason() const { return failureReason_; }

private:
    void showError(std::string_view text) { status_.setStatus(text, true); }

    CalibrationSettings& settings_;
    FieldTexts fieldTexts_;
    DisplayType displayType_ = DisplayType::RgbLed;
    MeasuredPrimaries measured_;
    CalibrationMatrices matrices_;
    StatusText status_;
    std::string reportText_;
    bool saveEnabled_ = false;
    std::optional<ChromaticityTriangle> triangle_;
    bool finished_ = false;
    std::string failureReason_;
};
