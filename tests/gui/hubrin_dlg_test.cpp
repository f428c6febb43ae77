#include "launcher/hubrin_dlg.h"

#include "config/registry_location.h"
#include "gui/dialog_controls.h"
#include "gui/fake_launcher_shell.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "gui/settings_store_fixture.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class LauncherWindow : public ::testing::Test {
protected:
    // The launcher opens the store the way the program does: through $CHROMIX_REGISTRY.
    void open(const StoreContents& contents = {})
    {
        writeSettingsStore(storeFile(), contents);
        ::setenv("CHROMIX_REGISTRY", storeFile().c_str(), 1);
        dialog = std::make_unique<CHubrinDlg>(openDefaultStore(), shell, messages);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void TearDown() override { ::unsetenv("CHROMIX_REGISTRY"); }

    std::filesystem::path storeFile() const { return dir / "registry.reg"; }

    // A flag as the next program to start will read it.
    std::string storedFlag(std::string CalibrationSettings::*field) const
    {
        const auto store = openDefaultStore();
        CalibrationSettings settings(*store);
        settings.load();
        return settings.*field;
    }

    template <typename Control>
    Control* control(const char* name) const { return findControl<Control>(*dialog, name); }

    void click(const char* name) { clickControl(*dialog, name); }

    TempDir dir;
    FakeLauncherShell shell;
    RecordingPresenter messages;
    std::unique_ptr<CHubrinDlg> dialog;
};

TEST_F(LauncherWindow, EveryStartMarksTheCalibrationResultsNotValid)
{
    open({.flags = "true"});
    EXPECT_EQ(storedFlag(&CalibrationSettings::matrixCurrentValid), "false");
    EXPECT_EQ(storedFlag(&CalibrationSettings::validRed), "false");
    EXPECT_EQ(storedFlag(&CalibrationSettings::validGreen), "false");
    EXPECT_EQ(storedFlag(&CalibrationSettings::validBlue), "false");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LauncherWindow, UnreadableSettingsLeaveTheFlagsAlone)
{
    open({.flags = "true", .withStepWedgeKey = false});
    EXPECT_EQ(storedFlag(&CalibrationSettings::matrixCurrentValid), "true");
    EXPECT_EQ(storedFlag(&CalibrationSettings::validBlue), "true");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LauncherWindow, OpensWithItsTitleOnTopAndNoCalibrationChosen)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Velvane Chromix \u2122 Application"));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(control<QRadioButton>("primaryCalibration")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("linearityCalibration")->isChecked());
    EXPECT_TRUE(control<QPushButton>("quit")->isDefault());
    EXPECT_EQ(control<QLabel>("logo")->pixmap().size(), QSize(100, 100));
}

TEST_F(LauncherWindow, EachStartButtonStartsItsProgramOnceWhileItRuns)
{
    open();
    click("startDisplay");
    click("startDisplay");
    EXPECT_EQ(shell.started, QStringList{QStringLiteral("Patchora")});
    EXPECT_TRUE(messages.messages.empty());

    shell.end(QStringLiteral("Patchora"));
    click("startDisplay");
    click("startDownload");
    click("startDownload");
    EXPECT_EQ(shell.started, (QStringList{QStringLiteral("Patchora"), QStringLiteral("Patchora"), QStringLiteral("Flashbey")}));
}

TEST_F(LauncherWindow, BothCalibrationToolsRunSideBySideEachOnce)
{
    open();
    click("startCalibration");
    EXPECT_TRUE(shell.started.isEmpty()) << "nothing is chosen yet";
    click("linearityCalibration");
    click("startCalibration");
    click("primaryCalibration");
    click("startCalibration");
    click("startCalibration");
    click("linearityCalibration");
    click("startCalibration");
    EXPECT_EQ(shell.started, (QStringList{QStringLiteral("Ramvel"), QStringLiteral("Trisola")}));
    EXPECT_TRUE(shell.isRunning(QStringLiteral("Ramvel")));
    EXPECT_TRUE(shell.isRunning(QStringLiteral("Trisola")));
}

TEST_F(LauncherWindow, ClosingEndsTheProgramsStillRunningInRecordOrder)
{
    open();
    click("linearityCalibration");
    click("startCalibration");
    click("startDisplay");
    click("startDownload");
    click("primaryCalibration");
    click("startCalibration");
    shell.end(QStringLiteral("Trisola"));

    click("quit");
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
    EXPECT_EQ(shell.killed, (QStringList{QStringLiteral("Flashbey"), QStringLiteral("Patchora"), QStringLiteral("Ramvel")}));
}

TEST_F(LauncherWindow, AProgramThatCannotStartGetsAMessageAndCanBeTriedAgain)
{
    open();
    shell.unstartable.insert(QStringLiteral("Flashbey"));
    click("startDownload");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Unable to start Flashbey"));

    shell.unstartable.clear();
    click("startDownload");
    EXPECT_EQ(shell.started, QStringList{QStringLiteral("Flashbey")});
}

TEST_F(LauncherWindow, HelpOpensTheHelpFileOrSaysWhyNot)
{
    open();
    click("help");
    EXPECT_EQ(shell.opened, QStringList{QStringLiteral("Chromix_Processor.chm")});
    EXPECT_TRUE(messages.messages.empty());

    shell.documentsOpen = false;
    click("help");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Unable to open Chromix_Processor.chm"));
}

TEST_F(LauncherWindow, AboutShowsTheVersion)
{
    open();
    QString title;
    QString version;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        if (auto* text = about->findChild<QLabel*>(QStringLiteral("version")))
            version = text->text();
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    });
    click("about");
    EXPECT_EQ(title, QStringLiteral("About Hubrin"));
    EXPECT_EQ(version, QStringLiteral("Chromix Display Calibration Version 2.01"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
