#include "uikit/data_file_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace {

std::optional<std::filesystem::path> askForFile(QWidget* parent, QFileDialog::AcceptMode mode)
{
    const bool saving = mode == QFileDialog::AcceptSave;
    QFileDialog dialog(parent, saving ? QStringLiteral("Save As") : QStringLiteral("Open"), QDir::currentPath(),
                       QStringLiteral("Text Files (*.txt)"));
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (saving)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    else
        dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdU16String());
}

} // namespace

std::optional<std::filesystem::path> FileDialogChooser::fileToSave(QWidget* parent)
{
    return askForFile(parent, QFileDialog::AcceptSave);
}

std::optional<std::filesystem::path> FileDialogChooser::fileToLoad(QWidget* parent)
{
    return askForFile(parent, QFileDialog::AcceptOpen);
}
