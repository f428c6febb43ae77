#pragma once

// The measurement grid: one row per step, a column per channel ("Red", "Green", "Blue"),
// or a single "Grayscale" column of 21 rows in verification mode. The operator types the
// measured luminance into it; the linearity core reads and writes it as cell texts.

#include "linearity/measurement_grid.h"

#include <QTableWidget>

class CellEditorDelegate;

class MyCug : public QTableWidget, public MeasurementGrid {
    Q_OBJECT
public:
    explicit MyCug(QWidget* parent = nullptr);

    std::string cellText(int column, int row) const override;
    void setCellText(int column, int row, std::string_view text) override;
    int rowCount() const override { return QTableWidget::rowCount(); }
    int columnCount() const override { return QTableWidget::columnCount(); }
    void createMeasurementGrid(int rows, int columns) override;

    // True when a data cell holds a number other than 0: readings a new grid would lose.
    bool holdsReadings() const;

signals:
    // A typed key the cell does not take; the grid beeps.
    void keyRefused();
    // The operator changed a cell by typing into it.
    void readingEdited();

protected:
    // A character typed on the current cell starts an entry that replaces its text.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setupHeadings(int columns);
    void refuseKey();
    // After Enter: the next row, or the next column's first row after the last row, so a
    // column of readings is typed as number, Enter, number, Enter.
    void moveToNextEntryCell();

    CellEditorDelegate* delegate_ = nullptr;
    // False until the start-up grid exists; every later grid comes from a layout switch.
    bool created_ = false;
};
