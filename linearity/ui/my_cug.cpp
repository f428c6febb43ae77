#include "linearity/ui/my_cug.h"

#include "linearity/measurement_set.h"
#include "linearity/ui/cell_editor.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <array>

namespace {

constexpr int kLinearityColumns = 3;
constexpr int kRowPadding = 4;
// Where a grid rebuilt by a layout switch sits in the dialog, in pixels; the start-up grid
// keeps the placeholder's own position, a few pixels away.
constexpr QPoint kRebuiltGridPosition{20, 20};

struct Heading {
    const char* text;
    Qt::GlobalColor colour;
};
constexpr std::array<Heading, 3> kChannelHeadings{{{"Red", Qt::red}, {"Green", Qt::green}, {"Blue", Qt::blue}}};
constexpr Heading kGrayscaleHeading{"Grayscale", Qt::red};

} // namespace

MyCug::MyCug(QWidget* parent) : QTableWidget(parent), delegate_(new CellEditorDelegate(this))
{
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows as close as the text allows, so more steps fit in the group at once.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPadding);
    // The empty area below the last row is drawn in the button-shadow colour; cells keep
    // the ordinary base colour.
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, palette().color(QPalette::Dark));
    viewport()->setPalette(colours);

    connect(delegate_, &CellEditorDelegate::keyRefused, this, &MyCug::refuseKey);
    connect(delegate_, &CellEditorDelegate::cellEdited, this, &MyCug::readingEdited);
    connect(delegate_, &CellEditorDelegate::entryEnded, this, &MyCug::moveToNextEntryCell);
    connect(delegate_, &CellEditorDelegate::cellEmptied, this, [this](const QPersistentModelIndex& cell) {
        if (cell.isValid())
            setCellText(cell.column(), cell.row(), {});
    });
}

std::string MyCug::cellText(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text().toStdString() : std::string();
}

void MyCug::setCellText(int column, int row, std::string_view text)
{
    if (QTableWidgetItem* cell = item(row, column))
        cell->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

bool MyCug::holdsReadings() const
{
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            const std::optional<double> value = parseCellNumber(cellText(column, row));
            if (value && *value != 0.0)
                return true;
        }
    }
    return false;
}

void MyCug::moveToNextEntryCell()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (current.row() + 1 < rowCount())
        setCurrentCell(current.row() + 1, current.column());
    else if (current.column() + 1 < columnCount())
        setCurrentCell(0, current.column() + 1);
}

void MyCug::createMeasurementGrid(int rows, int columns)
{
    // An entry still open belongs to the grid being discarded.
    if (QWidget* editor = indexWidget(currentIndex()))
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (created_)
        move(kRebuiltGridPosition);
    created_ = true;
    clear();
    setRowCount(std::max(rows, 0));
    setColumnCount(std::max(columns, 0));
    setupHeadings(columns);
    const QBrush cellBackground = palette().brush(QPalette::Base);
    const QString fresh = QString::fromLatin1(kFreshCellText.data(), static_cast<qsizetype>(kFreshCellText.size()));
    for (int row = 0; row < rowCount(); ++row) {
        auto* heading = new QTableWidgetItem(QString::number(row + 1));
        heading->setForeground(Qt::black);
        setVerticalHeaderItem(row, heading);
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem(fresh);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            cell->setBackground(cellBackground);
            setItem(row, column, cell);
        }
    }
    if (rowCount() > 0 && columnCount() > 0)
        setCurrentCell(0, 0);
}

void MyCug::setupHeadings(int columns)
{
    for (int column = 0; column < columnCount(); ++column) {
        const Heading& heading =
            columns == kLinearityColumns ? kChannelHeadings[static_cast<std::size_t>(column)] : kGrayscaleHeading;
        auto* item = new QTableWidgetItem(QString::fromLatin1(heading.text));
        item->setForeground(QColor(heading.colour));
        setHorizontalHeaderItem(column, item);
    }
}

void MyCug::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool character = typed.size() == 1 && typed[0].isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    // A key that reaches the grid while an entry is open belongs to that entry.
    QWidget* editor = state() == QAbstractItemView::EditingState ? indexWidget(currentIndex()) : nullptr;
    if (editor && editor != QApplication::focusWidget()) {
        QCoreApplication::sendEvent(editor, event);
        return;
    }
    if (state() == QAbstractItemView::EditingState || !character || !currentIndex().isValid()) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    const char key = typed[0].unicode() < 0x80 ? static_cast<char>(typed[0].unicode()) : '\0';
    if (verifyEditKey({}, key) == EditKeyVerdict::Reject) {
        refuseKey();
        return;
    }
    delegate_->startNextEditEmpty();
    if (!edit(currentIndex(), QAbstractItemView::EditKeyPressed, event))
        return;
    if (QWidget* openEditor = indexWidget(currentIndex()))
        QCoreApplication::sendEvent(openEditor, event);
}

void MyCug::refuseKey()
{
    QApplication::beep();
    emit keyRefused();
}
