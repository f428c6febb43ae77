#pragma once

// Where the Data Control Save and Load buttons ask for the linearity data file. The
// window takes it as a parameter so that tests can answer in place of a file dialog.

#include <QString>

class QWidget;

class DataFileChooser {
public:
    virtual ~DataFileChooser() = default;

    // The chosen file, or an empty text when the operator cancels.
    virtual QString fileToSave(QWidget* parent) = 0;
    virtual QString fileToOpen(QWidget* parent) = 0;
};

// The real one: the standard file dialogs, for text files, starting in the current folder.
class FileDialogChooser final : public DataFileChooser {
public:
    QString fileToSave(QWidget* parent) override;
    QString fileToOpen(QWidget* parent) override;
};
