#include "linearity/in_memory_grid.h"

#include <algorithm>

std::string InMemoryGrid::cellText(int column, int row) const
{
    if (!contains(column, row))
        return {};
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_)
                  + static_cast<std::size_t>(column)];
}

void InMemoryGrid::setCellText(int column, int row, std::string_view text)
{
    if (contains(column, row))
        cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column)] =
            text;
}

void InMemoryGrid::createMeasurementGrid(int rows, int columns)
{
    rows_ = std::max(rows, 0);
    columns_ = std::max(columns, 0);
    cells_.assign(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), std::string(kFreshCellText));
}

bool InMemoryGrid::contains(int column, int row) const
{
    return column >= 0 && column < columns_ && row >= 0 && row < rows_;
}
