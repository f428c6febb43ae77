#include "uikit/message_presenter.h"

#include <QMessageBox>

void MessageBoxPresenter::warn(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text);
}
