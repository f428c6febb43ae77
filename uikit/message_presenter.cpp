#include "uikit/message_presenter.h"

#include <QMessageBox>
#include <QStringList>

namespace {

// A message box wraps long lines, and would break a path after any of its hyphens or
// slashes. Word joiners between a path's characters are invisible and keep it whole; the
// spaces between words stay free to wrap at.
QString withWholePaths(const QString& text)
{
    QStringList words = text.split(QLatin1Char(' '));
    for (QString& word : words) {
        if (!word.contains(QLatin1Char('/')) && !word.contains(QLatin1Char('\\')))
            continue;
        QString joined;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (i > 0)
                joined += QChar(0x2060);
            joined += word[i];
        }
        word = joined;
    }
    return words.join(QLatin1Char(' '));
}

int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, withWholePaths(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    // The box of a window that stays on top would otherwise open hidden behind it.
    if (parent && parent->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box.exec();
}

} // namespace

void MessageBoxPresenter::warn(QWidget* parent, const QString& title, const QString& text)
{
    showBox(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxPresenter::ask(QWidget* parent, const QString& title, const QString& text)
{
    return showBox(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}
