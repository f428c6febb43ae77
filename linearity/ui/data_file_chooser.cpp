#include "linearity/ui/data_file_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace {

QString chooseFile(QWidget* parent, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Text Files (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(QDir::current());
    // Saving into an existing data file updates its keys and keeps its other lines.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString FileDialogChooser::fileToSave(QWidget* parent)
{
    return chooseFile(parent, QFileDialog::AcceptSave);
}

QString FileDialogChooser::fileToOpen(QWidget* parent)
{
    return chooseFile(parent, QFileDialog::AcceptOpen);
}
