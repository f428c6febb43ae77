#include "launcher/hubrin_dlg.h"

#include "config/registry_location.h"
#include "gui/dialog_controls.h"
#include "gui/fake_launcher_shell.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "gui/settings_store_fixture.h"
#include "support/temp_dir.h"

#include <QLabel>
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
        writeSettingsStore(dir / "registry.reg", contents);
        ::setenv("CHROMIX_REGISTRY", (dir / "registry.reg").c_str(), 1);
        dialog = std::make_unique<CHubrinDlg>(openDefaultStore(), shell, messages);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void TearDown() override { ::unsetenv("CHROMIX_REGISTRY"); }

    // The validity flags as the next program to start will read them.
    QStringList storedFlags() const
    {
        const auto store = openDefaultStore();
        CalibrationSettings s(*store);
        s.load();
        QStringList flags;
        for (const std::string* flag : {&s.matrixCurrentValid, &s.validRed, &s.validGreen, &s.validBlue})
            flags << QString::fromStdString(*flag);
        return flags;
    }

    void click(const char* name) { clickControl(*dialog, name); }

    TempDir dir;
    FakeLauncherShell shell;
    RecordingPresenter messages;
    std::unique_ptr<CHubrinDlg> dialog;
};

TEST_F(LauncherWindow, EveryStartMarksTheCalibrationResultsNotValidUnlessSettingsAreUnreadable)
{
    open({.withStepWedgeKey = false});
    EXPECT_EQ(storedFlags(), QStringList({"true", "true", "true", "true"}));
    open();
    EXPECT_EQ(storedFlags(), QStringList({"false", "false", "false", "false"}));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Velvane Chromix \u2122 Application"));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LauncherWindow, EachProgramStartsOnceWhileItRunsAndClosingEndsTheRest)
{
    open();
    click("startDisplay");
    click("startDisplay");
    EXPECT_EQ(shell.started, QStringList{"Patchora"});
    shell.end("Patchora");
    click("startDisplay");
    click("startDownload");
    click("startDownload");
    click("startCalibration");
    EXPECT_EQ(shell.started, QStringList({"Patchora", "Patchora", "Flashbey"})) << "no calibration chosen yet";

    // Both calibration tools run side by side, each once.
    click("linearityCalibration");
    click("startCalibration");
    click("primaryCalibration");
    click("startCalibration");
    click("startCalibration");
    click("linearityCalibration");
    click("startCalibration");
    EXPECT_EQ(shell.started, QStringList({"Patchora", "Patchora", "Flashbey", "Ramvel", "Trisola"}));
    EXPECT_TRUE(messages.messages.empty());

    shell.end("Trisola");
    click("quit");
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
    EXPECT_EQ(shell.killed, QStringList({"Flashbey", "Patchora", "Ramvel"})) << "in record order";
}

TEST_F(LauncherWindow, AFailedStartOrAMissingHelpFileGetsAMessage)
{
    open();
    shell.unstartable.insert("Flashbey");
    click("startDownload");
    shell.unstartable.clear();
    click("startDownload");
    EXPECT_EQ(shell.started, QStringList{"Flashbey"}) << "a failed start can be tried again";

    click("help");
    shell.documentsOpen = false;
    click("help");
    EXPECT_EQ(shell.opened, QStringList({"Chromix_Processor.chm", "Chromix_Processor.chm"}));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Unable to start Flashbey"));
    EXPECT_EQ(messages.messages[1].text, QStringLiteral("Unable to open Chromix_Processor.chm"));
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
        if (auto* label = findControl<QLabel>(*about, "version"))
            version = label->text();
        clickControl(*about, "ok");
    });
    click("about");
    EXPECT_EQ(title, QStringLiteral("About Hubrin"));
    EXPECT_EQ(version, QStringLiteral("Chromix Display Calibration Version 2.01"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
