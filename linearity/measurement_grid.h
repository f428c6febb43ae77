#pragma once

// The table of cell texts the operator types the measurements into: one row per step,
// one column per channel (a single "Grayscale" column in verification mode). The
// measurement set reads it; the window's grid widget and InMemoryGrid implement it.

#include <string>
#include <string_view>

class MeasurementGrid {
public:
    virtual ~MeasurementGrid() = default;

    // The text of a data cell; "" for a cell outside the grid, so a column the current
    // layout lacks reads as not entered.
    virtual std::string cellText(int column, int row) const = 0;

    // Replaces a data cell's text as it stands (no conversion); ignored outside the grid.
    virtual void setCellText(int column, int row, std::string_view text) = 0;

    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;

    // Replaces the grid by a fresh one of the given size; every cell starts at the
    // grid's initial text (kFreshCellText).
    virtual void createMeasurementGrid(int rows, int columns) = 0;
};

// A fresh or cleared cell holds the number 0 shown with three decimals.
inline constexpr std::string_view kFreshCellText = "0.000";
