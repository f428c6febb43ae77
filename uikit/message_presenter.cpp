#include "uikit/message_presenter.h"

#include <QMessageBox>

namespace {

// A message box wraps long lines, and would break a path after any of its hyphens;
// non-breaking hyphens look the same and leave only the spaces to wrap at.
QString withUnbrokenHyphens(QString text)
{
    return text.replace(QLatin1Char('-'), QChar(0x2011));
}

int showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, withUnbrokenHyphens(text), buttons, parent);
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
