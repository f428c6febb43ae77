#pragma once

// Asks the operator which data file to save into or load (the linearity and primary
// tools). A window takes it as a parameter, so that tests answer in place of a person.

#include <filesystem>
#include <optional>

class QWidget;

class DataFileChooser {
public:
    virtual ~DataFileChooser() = default;

    // Nothing when the operator cancels.
    virtual std::optional<std::filesystem::path> fileToSave(QWidget* parent) = 0;
    virtual std::optional<std::filesystem::path> fileToLoad(QWidget* parent) = 0;
};

// The real one: the desktop's file dialogs for text files, starting in the current
// working directory. Saving into an existing file only updates its keys, so it is not
// asked about.
class FileDialogChooser final : public DataFileChooser {
public:
    std::optional<std::filesystem::path> fileToSave(QWidget* parent) override;
    std::optional<std::filesystem::path> fileToLoad(QWidget* parent) override;
};
