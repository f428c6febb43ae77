#pragma once

// Typing into the measurement grid: which keys a cell takes, the editor that enforces it,
// and the delegate that puts the editor on a cell and writes the typed number back.

#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <string_view>

enum class EditKeyVerdict {
    Accept,
    Reject,
    // A second "." starts the entry again: the cell and the field are emptied first.
    StartFresh,
};

// Judges `key` as if appended to the field's `text`, wherever the caret is: digits and
// one "." while the entry keeps at most four decimals and an integer part of at most
// 10,000,000; no sign, no exponent, no grouping. Backspace ('\b') is always taken.
EditKeyVerdict verifyEditKey(std::string_view text, char key);

class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    explicit CellEditor(QWidget* parent = nullptr);

    // True once a typed character was judged: the cell then shows four decimals,
    // whether or not the key was taken.
    bool keyJudged() const { return keyJudged_; }

signals:
    void keyRefused();
    void freshEntryStarted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A middle click would paste the selection past the key rules.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool keyJudged_ = false;
};

class CellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The next editor opens empty instead of with the cell's text: an entry started by
    // typing replaces the cell.
    void startNextEditEmpty() { startEmpty_ = true; }

    // The current cell carries a dotted focus frame one pixel inside its right and bottom
    // edges, whatever the style does with item focus.
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // A number is kept with four decimals once a key was typed; a field without a number
    // empties the cell, which marks the step as not measured.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    void keyRefused() const;
    void cellEmptied(const QPersistentModelIndex& cell) const;
    // The operator's entry changed a cell.
    void cellEdited() const;
    // Enter ended an entry: it is written and the editor is closed.
    void entryEnded() const;

protected:
    // Enter writes the entry and closes the editor at once, before the next key is read,
    // so that fast typing never sends the next reading's keys to a closing editor.
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    mutable bool startEmpty_ = false;
};
