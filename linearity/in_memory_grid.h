#pragma once

// A measurement grid held in memory, for the command-line job and the tests.

#include "linearity/measurement_grid.h"

#include <string>
#include <vector>

class InMemoryGrid : public MeasurementGrid {
public:
    InMemoryGrid() = default;
    InMemoryGrid(int rows, int columns) { createMeasurementGrid(rows, columns); }

    std::string cellText(int column, int row) const override;
    void setCellText(int column, int row, std::string_view text) override;
    int rowCount() const override { return rows_; }
    int columnCount() const override { return columns_; }
    void createMeasurementGrid(int rows, int columns) override;

private:
    bool contains(int column, int row) const;

    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::string> cells_; // row-major
};
