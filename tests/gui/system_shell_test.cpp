#include "launcher/system_shell.h"

#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "launcher/hubrin_dlg.h"
#include "support/temp_dir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

void writeScript(const fs::path& file, const std::string& body)
{
    writeFile(file, "#!/bin/sh\n" + body + "\n");
    fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add);
}

QString folder(const TempDir& dir) { return QString::fromStdString(dir.path().string()); }

bool processExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

// The whole chain with real processes: the program found in the first folder that holds it,
// one display at a time, and none left after the launcher has gone.
TEST(SystemShell, LauncherStartsTheDisplayOnceAndEndsItWhenItGoes)
{
    TempDir workingDir;
    TempDir besideLauncher;
    const std::string pids = (workingDir / "pids").string();
    const fs::path download = workingDir / "download";
    writeScript(workingDir / "Patchora", "echo $$ >> '" + pids + "'\nexec sleep 60");
    writeScript(besideLauncher / "Patchora", "echo beside >> '" + pids + "'");
    writeScript(besideLauncher / "Flashbey", "touch '" + download.string() + "'");
    SystemShell shell({folder(workingDir), folder(besideLauncher)});
    RecordingPresenter messages;
    auto launcher = std::make_unique<CHubrinDlg>(nullptr, shell, messages);
    launcher->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(launcher.get()));

    clickControl(*launcher, "startDisplay");
    clickControl(*launcher, "startDownload");
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(download) && !readFile(pids).empty(), 5000);
    clickControl(*launcher, "startDisplay");
    QTest::qWait(200);
    const std::string started = readFile(pids);
    ASSERT_EQ(std::count(started.begin(), started.end(), '\n'), 1) << started;
    const pid_t display = static_cast<pid_t>(std::atol(started.c_str()));
    ASSERT_GT(display, 0) << started;
    EXPECT_TRUE(processExists(display));

    launcher.reset();
    EXPECT_FALSE(processExists(display));
    EXPECT_TRUE(messages.messages.empty());
}

TEST(SystemShell, AMissingProgramOrHelpFileSaysWhereItWasLookedFor)
{
    TempDir first;
    TempDir second;
    writeFile(first / "Flashbey", "not a program");
    SystemShell shell({folder(first), folder(second)});
    QString error;
    EXPECT_EQ(shell.startProgram(QStringLiteral("Flashbey"), error), nullptr);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Unable to start Flashbey: no program file \"Flashbey\" in %1").arg(folder(first)))) << error.toStdString();
    EXPECT_FALSE(shell.openDocument(QStringLiteral("Chromix_Processor.chm"), error));
    EXPECT_EQ(error, QStringLiteral("Unable to open the help file: no \"Chromix_Processor.chm\" in %1 or %2.").arg(folder(first), folder(second)));
}

} // namespace
