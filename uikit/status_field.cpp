#include "uikit/status_field.h"

#include <QPalette>

#include <utility>

StatusField::StatusField(QString lineSeparator, QWidget* parent)
    : QPlainTextEdit(parent)
    , lineSeparator_(std::move(lineSeparator))
{
    setReadOnly(true);
    refresh(false);
}

void StatusField::setStatus(const QString& text, bool error)
{
    text_ = text;
    refresh(error);
}

void StatusField::appendStatus(const QString& line, bool error)
{
    if (!text_.isEmpty())
        text_ += lineSeparator_;
    text_ += line;
    refresh(error);
}

void StatusField::refresh(bool error)
{
    error_ = error;
    QPalette colours = palette();
    colours.setColor(QPalette::Text, error ? Qt::red : Qt::blue);
    setPalette(colours);
    // The editor shows line feeds only; a carriage return would show as a stray glyph.
    QString shown = text_;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
    moveCursor(QTextCursor::End);
}
