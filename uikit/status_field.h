#pragma once

// The read-only field each dialog reports through. Its whole text is red when the last
// message was an error and blue otherwise, so the operator sees at a glance whether the
// last step worked.

#include <QPlainTextEdit>
#include <QString>

class StatusField : public QPlainTextEdit {
    Q_OBJECT
public:
    // `lineSeparator` joins appended lines in text() ("\r\n" or "\n", as the tool writes it).
    explicit StatusField(QString lineSeparator, QWidget* parent = nullptr);

    void setStatus(const QString& text, bool error);
    void appendStatus(const QString& line, bool error);

    // The text as the tool composed it, separators included.
    const QString& text() const { return text_; }
    bool showsError() const { return error_; }

private:
    void refresh(bool error);

    QString lineSeparator_;
    QString text_;
    bool error_ = false;
};
