#include "linearity/ui/cell_editor.h"

#include "config/number_text.h"
#include "linearity/measurement_set.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>

#include <string>

namespace {

constexpr long long kLargestIntegerPart = 10'000'000;
// Decimals the field may hold before a key; the key may add the fourth.
constexpr std::size_t kDecimalsBeforeKey = 3;
constexpr int kEditedDecimals = 4;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

EditKeyVerdict verifyEditKey(std::string_view text, char key)
{
    if (key == '\b')
        return EditKeyVerdict::Accept;
    const std::size_t point = text.find('.');
    if (key == '.' && point != std::string_view::npos)
        return EditKeyVerdict::StartFresh;
    if (!isDigit(key) && key != '.')
        return EditKeyVerdict::Reject;
    const std::size_t decimals = point == std::string_view::npos ? 0 : text.size() - point - 1;
    if (decimals > kDecimalsBeforeKey)
        return EditKeyVerdict::Reject;
    std::string candidate(text);
    candidate += key;
    long long integerPart = 0;
    for (char c : candidate) {
        if (!isDigit(c))
            break;
        integerPart = integerPart * 10 + (c - '0');
        if (integerPart > kLargestIntegerPart)
            return EditKeyVerdict::Reject;
    }
    return EditKeyVerdict::Accept;
}

CellEditor::CellEditor(QWidget* parent) : QLineEdit(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    setFrame(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void CellEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        emit keyRefused();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The delegate ends the entry on Enter; Enter never presses Apply from here.
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool character = typed.size() == 1 && (typed[0].isPrint() || typed[0] == QLatin1Char('\b'));
    if (!character) {
        QLineEdit::keyPressEvent(event); // caret movement, selection, undo, delete
        return;
    }
    const char key = typed[0].unicode() < 0x80 ? static_cast<char>(typed[0].unicode()) : '\0';
    keyJudged_ = true;
    switch (verifyEditKey(text().toStdString(), key)) {
    case EditKeyVerdict::Reject:
        event->accept();
        emit keyRefused();
        return;
    case EditKeyVerdict::StartFresh:
        clear();
        emit freshEntryStarted();
        break;
    case EditKeyVerdict::Accept:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void CellEditor::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton)
        return;
    QLineEdit::mousePressEvent(event);
}

void CellEditor::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton)
        return;
    QLineEdit::mouseReleaseEvent(event);
}

bool CellEditorDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<CellEditor*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit entryEnded();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void CellEditorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell(option);
    cell.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, cell, index);
    if (!(option.state & QStyle::State_HasFocus))
        return;
    painter->save();
    painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    // A stroked rectangle covers one pixel more than its size: this frame ends one pixel
    // short of the cell's right and bottom edges.
    painter->drawRect(option.rect.adjusted(0, 0, -2, -2));
    painter->restore();
}

QWidget* CellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* editor = new CellEditor(parent);
    connect(editor, &CellEditor::keyRefused, this, &CellEditorDelegate::keyRefused);
    connect(editor, &CellEditor::freshEntryStarted, this, [this, cell = QPersistentModelIndex(index)] {
        emit cellEmptied(cell);
        emit cellEdited();
    });
    return editor;
}

void CellEditorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* field = static_cast<CellEditor*>(editor);
    if (startEmpty_) {
        startEmpty_ = false;
        field->clear();
        return;
    }
    field->setText(index.data(Qt::EditRole).toString());
}

void CellEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const auto* field = static_cast<CellEditor*>(editor);
    const QString typed = field->text();
    if (!field->keyJudged() && typed == index.data(Qt::EditRole).toString())
        return;
    const std::optional<double> value = parseCellNumber(typed.toStdString());
    const std::string cell = value ? formatFixed(*value, 0, kEditedDecimals) : std::string();
    model->setData(index, QString::fromStdString(cell), Qt::EditRole);
    emit cellEdited();
}
