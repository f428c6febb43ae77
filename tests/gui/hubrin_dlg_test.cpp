#include "launcher/hubrin_dlg.h"

#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "gui/settings_store_fixture.h"
#include "launcher/launcher_shell.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Stands in for the desktop: records what would be started and ended. Starting and the
// failure messages are checked with real processes in the system shell test.
class FakeLauncherShell final : public LauncherShell {
public:
    std::unique_ptr<StartedProgram> startProgram(const QString& programName, QString&) override
    {
        started << programName;
        running.insert(programName);
        return std::make_unique<Program>(*this, programName);
    }

    bool openDocument(const QString&, QString&) override { return true; }

    QStringList started;
    QStringList killed;
    std::set<QString> running; // a test erases a program to end it, as its operator would

private:
    struct Program final : StartedProgram {
        Program(FakeLauncherShell& owner, QString programName) : shell(owner), name(std::move(programName)) {}
        bool isRunning() override { return shell.running.count(name) != 0; }
        void kill() override
        {
            if (shell.running.erase(name))
                shell.killed << name;
        }
        FakeLauncherShell& shell;
        QString name;
    };
};

class LauncherWindow : public ::testing::Test {
protected:
    void open(const StoreContents& contents = {})
    {
        writeSettingsStore(store, contents);
        dialog = std::make_unique<CHubrinDlg>(std::make_unique<RegistryFileStore>(store), shell, messages);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    // The validity flags as the next program to start will read them.
    std::vector<std::string> storedFlags() const
    {
        RegistryFileStore file(store);
        CalibrationSettings s(file);
        static_cast<void>(s.load()); // some tests leave values out on purpose
        return {s.matrixCurrentValid, s.validRed, s.validGreen, s.validBlue};
    }

    void click(const char* name) { clickControl(*dialog, name); }

    TempDir dir;
    const std::filesystem::path store = dir / "registry.reg";
    FakeLauncherShell shell;
    RecordingPresenter messages;
    std::unique_ptr<CHubrinDlg> dialog;
};

TEST_F(LauncherWindow, EveryStartMarksTheCalibrationResultsNotValidUnlessSettingsAreUnreadable)
{
    open({.withStepWedgeKey = false});
    EXPECT_EQ(storedFlags(), std::vector<std::string>(4, "true"));
    open();
    EXPECT_EQ(storedFlags(), std::vector<std::string>(4, "false"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Velvane Chromix \u2122 Application"));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(LauncherWindow, EachProgramStartsOnceWhileItRunsAndClosingEndsTheRest)
{
    open();
    click("startDisplay");
    click("startDisplay");
    EXPECT_EQ(shell.started, QStringList{"Patchora"});
    shell.running.erase("Patchora");
    click("startDisplay");
    click("startCalibration");
    EXPECT_EQ(shell.started, QStringList({"Patchora", "Patchora"})) << "no calibration chosen yet";

    // Both calibration tools run side by side, each once.
    click("linearityCalibration");
    click("startCalibration");
    click("primaryCalibration");
    click("startCalibration");
    click("startCalibration");
    EXPECT_EQ(shell.started, QStringList({"Patchora", "Patchora", "Ramvel", "Trisola"}));

    // Quitting asks first, naming what still runs; No keeps everything running.
    messages.answer = false;
    click("quit");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(messages.questions.size(), 3u);
    EXPECT_EQ(messages.questions[0].title, "Hubrin");
    EXPECT_EQ(
        messages.questions[0].text,
        "Still running: Trisola, Patchora, Ramvel.\nQuitting ends them, and what they have not saved is lost. Quit?");
    EXPECT_TRUE(shell.killed.isEmpty());

    messages.answer = true;
    click("quit");
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
    EXPECT_EQ(shell.killed, QStringList({"Trisola", "Patchora", "Ramvel"})) << "in record order";
}

TEST_F(LauncherWindow, AboutShowsTheVersion)
{
    open();
    QTimer::singleShot(0, [] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About Hubrin"));
        auto* label = findControl<QLabel>(*about, "version");
        auto* ok = findControl<QWidget>(*about, "ok");
        if (label && ok) {
            EXPECT_EQ(label->text(), QStringLiteral("Chromix Display Calibration Version 2.01"));
            const int textRight = label->x() + label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_LT(textRight, ok->x()) << "the text runs into OK";
            EXPECT_TRUE(about->rect().contains(ok->geometry()));
        }
        clickControl(*about, "ok");
    });
    click("about");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
