#pragma once

// The measured-value fields: they take digits and one decimal point, up to a number of
// characters, so that what the operator types is always a number the computation reads.

#include <QClipboard>
#include <QLineEdit>

class CNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    // `textLimit` bounds what the operator types; texts set by the program (from a data
    // file) are shown whole, as the computation sees them.
    explicit CNumberEdit(int textLimit, QWidget* parent = nullptr);

    int textLimit() const { return textLimit_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Inserts a typed character over the selection when the field accepts it.
    void type(QChar character);
    void pasteAcceptedCharacters(QClipboard::Mode mode = QClipboard::Clipboard);
    QString textOutsideSelection() const;

    int textLimit_;
    QChar localeSeparator_;
};
