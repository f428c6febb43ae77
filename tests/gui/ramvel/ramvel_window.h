#pragma once

// The linearity window on a store of its own, with helpers that type into the grid and
// answer the data file dialogs the way an operator would.

#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "linearity/linearity_test_support.h"
#include "linearity/ui/my_cug.h"
#include "linearity/ui/ramvel_dlg.h"
#include "uikit/data_file_chooser.h"
#include "uikit/status_field.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Answers the file dialogs with a prepared name (none: cancelled) and notes the status
// text shown when the dialog was asked for.
class ScriptedChooser final : public DataFileChooser {
public:
    std::optional<std::filesystem::path> fileToSave(QWidget*) override { return answer(); }
    std::optional<std::filesystem::path> fileToLoad(QWidget*) override { return answer(); }
    std::optional<std::filesystem::path> answer()
    {
        statusWhenAsked = status->text();
        return next;
    }

    std::optional<std::filesystem::path> next;
    QString statusWhenAsked;
    StatusField* status = nullptr;
};

class RamvelWindow : public ::testing::Test {
protected:
    void open(const std::string& steps) { openStore(writeLinearityStore(dir, steps)); }
    void openStore(const std::filesystem::path& registryFile)
    {
        dialog = std::make_unique<RamvelDlg>(std::make_unique<RegistryFileStore>(registryFile), files, messages);
        dialog->initialise();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        files.status = control<StatusField>("status");
    }

    template <typename Control> Control* control(const char* name) const { return findControl<Control>(*dialog, name); }
    void click(const char* name) { clickControl(*dialog, name); }
    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabled(); }
    bool checked(const char* name) const { return control<QCheckBox>(name)->isChecked(); }
    QString status() const { return files.status->text(); }
    bool statusIsError() const { return files.status->showsError(); }

    MyCug& grid() const { return *control<MyCug>("grid"); }
    QPoint cellCentre(int column, int row) const
    {
        const QModelIndex index = grid().model()->index(row, column);
        grid().scrollTo(index);
        return grid().visualRect(index).center();
    }
    void clickCell(int column, int row)
    {
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(column, row));
    }
    void editCell(int column, int row)
    {
        clickCell(column, row);
        QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(column, row));
    }

    // The first key starts the entry on the grid, the rest go to the editor that then has
    // the focus.
    void typeKeys(const char* keys)
    {
        for (; *keys; ++keys)
            QTest::keyClick(focused(), *keys);
    }
    void pressEnter()
    {
        QTest::keyClick(focused(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the entry is written back after the key
    }
    void typeIntoCell(int column, int row, const std::string& keys)
    {
        clickCell(column, row);
        typeKeys(keys.c_str());
        pressEnter();
    }
    QWidget* focused() const { return QApplication::focusWidget() ? QApplication::focusWidget() : &grid(); }

    void fillColumn(int column, const std::vector<std::string>& texts)
    {
        for (std::size_t row = 0; row < texts.size(); ++row)
            grid().setCellText(column, static_cast<int>(row), texts[row]);
    }
    void fillAllColumns(const std::vector<std::string>& texts)
    {
        for (int column = 0; column < 3; ++column)
            fillColumn(column, texts);
    }
    QStringList column(int c) const
    {
        QStringList texts;
        for (int row = 0; row < grid().rowCount(); ++row)
            texts << QString::fromStdString(grid().cellText(c, row));
        return texts;
    }

    TempDir dir;
    ScriptedChooser files;
    RecordingPresenter messages;
    std::unique_ptr<RamvelDlg> dialog;
};

// Six steps measured as Y = 100 (code / 255)^2.2.
inline constexpr const char* kSixSteps = "0~51~102~153~204~255";
inline std::vector<std::string> gamma22Texts()
{
    return powerLawTexts({0, 51, 102, 153, 204, 255}, 0.0, 100.0, 2.2);
}
