#pragma once

// The linearity window on a store of its own, with helpers that type into the grid and
// answer the data file dialogs the way an operator would.

#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "linearity/linearity_calibration.h"
#include "linearity/linearity_test_support.h"
#include "uikit/data_file_chooser.h"
#include "linearity/ui/my_cug.h"
#include "linearity/ui/ramvel_dlg.h"
#include "support/temp_dir.h"
#include "uikit/status_field.h"

#include "config/registry_file_store.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Answers the file dialogs with a prepared name; no name is a cancel.
class ScriptedChooser final : public DataFileChooser {
public:
    std::optional<std::filesystem::path> fileToSave(QWidget*) override { return answer(); }
    std::optional<std::filesystem::path> fileToLoad(QWidget*) override { return answer(); }

    std::optional<std::filesystem::path> next;
    QString statusWhenAsked;
    StatusField* status = nullptr;

private:
    std::optional<std::filesystem::path> answer()
    {
        if (status)
            statusWhenAsked = status->text();
        return next;
    }
};

class RamvelWindow : public ::testing::Test {
protected:
    void open(const std::string& steps)
    {
        openStore(writeLinearityStore(dir, steps));
    }

    void openStore(const std::filesystem::path& registryFile)
    {
        dialog = std::make_unique<RamvelDlg>(std::make_unique<RegistryFileStore>(registryFile), files);
        dialog->initialise();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        files.status = control<StatusField>("status");
    }

    template <typename Control>
    Control* control(const char* name) const { return findControl<Control>(*dialog, name); }

    void click(const char* name) { clickControl(*dialog, name); }
    MyCug& grid() const { return *control<MyCug>("grid"); }
    QString text(const char* label) const { return control<QLabel>(label)->text(); }
    QString status() const { return control<StatusField>("status")->text(); }
    bool statusIsError() const { return control<StatusField>("status")->showsError(); }

    void clickCell(int column, int row)
    {
        MyCug& g = grid();
        const QModelIndex index = g.model()->index(row, column);
        g.scrollTo(index);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(index).center());
    }

    // Types into the cell as an operator does: the first key starts the entry on the
    // grid, the rest go to the editor that then has the focus.
    void typeKeys(const QString& keys)
    {
        for (QChar key : keys)
            QTest::keyClick(focused(), key.toLatin1());
    }
    void typeIntoCell(int column, int row, const QString& keys)
    {
        clickCell(column, row);
        typeKeys(keys);
        QTest::keyClick(focused(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the entry is written back after the key
    }
    QWidget* focused() const
    {
        QWidget* widget = QApplication::focusWidget();
        return widget ? widget : &grid();
    }

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
    std::unique_ptr<RamvelDlg> dialog;
};

// Six steps measured as Y = 100 (code / 255)^2.2.
inline constexpr const char* kSixSteps = "0~51~102~153~204~255";
inline std::vector<std::string> gamma22Texts()
{
    return powerLawTexts({0, 51, 102, 153, 204, 255}, 0.0, 100.0, 2.2);
}
