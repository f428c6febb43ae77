#pragma once

// The measured luminance per step and channel: the grid's cell texts read into two step
// tables, validated, with the black level subtracted for the fit.
//
// workingTable is what the fit runs on: its present flags say which steps take part, its
// measuredY holds black-subtracted luminance. rawTable holds the values as entered. No
// table is ever cleared: only the present flags say what counts.

#include "config/channel.h"
#include "config/status_report.h"
#include "config/step_table.h"
#include "linearity/measurement_grid.h"

#include <optional>
#include <string_view>

// The number a cell's text holds: every "," removed (thousands grouping), then the
// leading decimal number as "%lf" reads it. Nothing when the text does not begin with a
// finite number; such a cell ("", "x", ".", "abc") counts as not measured.
[[nodiscard]] std::optional<double> parseCellNumber(std::string_view text);

// Grid column of a channel in the three-column layout; column 0 is also the grayscale.
constexpr int gridColumn(Channel channel)
{
    return static_cast<int>(channelIndex(channel));
}

class MeasurementSet {
public:
    MeasurementSet(MeasurementGrid& grid, StatusReport& status);

    // Parses the step list into both tables, red, green and blue, every step present.
    void parseSteps(std::string_view stepList);

    // N, the number of steps in the list.
    int stepCount() const { return workingTable_.stepCount(); }
    // M, the number of grid rows validation reads: k in verification mode, else N.
    int rowsToRead() const { return verificationMode_ ? verificationSteps_ : stepCount(); }

    bool verificationMode() const { return verificationMode_; }
    void setVerificationMode(bool on) { verificationMode_ = on; }
    // k, the verification step count (0 when the Step Count list has no selection).
    int verificationSteps() const { return verificationSteps_; }
    void setVerificationSteps(int steps) { verificationSteps_ = steps; }

    bool isCellPresent(int column, int row) const;
    // The cell's number; 0.0 for a cell that holds none.
    double cellValue(int column, int row) const;

    // Rebuilds the present flags and measuredY of workingTable for steps 1 to M and
    // appends an error line for each rule the set breaks. True when it can be fitted.
    bool validateMeasurements();
    // Rebuilds the present flags and measuredY of rawTable for steps 1 to M.
    void collectRawValues();
    // Marks steps 1 to k present in every channel of workingTable, the rest not.
    void selectVerificationSteps(int steps);

    StepTable& workingTable() { return workingTable_; }
    const StepTable& workingTable() const { return workingTable_; }
    StepTable& rawTable() { return rawTable_; }
    const StepTable& rawTable() const { return rawTable_; }
    MeasurementGrid& grid() const { return grid_; }

private:
    // The channels validation reports on: all three, or red (grayscale) alone.
    std::size_t reportedChannelCount() const { return verificationMode_ ? 1 : 3; }

    MeasurementGrid& grid_;
    StatusReport& status_;
    StepTable workingTable_;
    StepTable rawTable_;
    bool verificationMode_ = false;
    int verificationSteps_ = 21;
};
