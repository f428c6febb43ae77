#include "launcher/system_shell.h"

#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "launcher/hubrin_dlg.h"
#include "support/temp_dir.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

void writeScript(const fs::path& file, const std::string& body)
{
    writeFile(file, "#!/bin/sh\n" + body + "\n");
    fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add);
}

QString folder(const TempDir& dir) { return QString::fromStdString(dir.path().string()); }

// The process ids the started scripts wrote, one line per start.
std::vector<pid_t> startedPids(const fs::path& log)
{
    std::vector<pid_t> pids;
    std::istringstream lines(readFile(log));
    for (long pid = 0; lines >> pid;)
        pids.push_back(static_cast<pid_t>(pid));
    return pids;
}

bool processExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

TEST(SystemShell, StartsTheProgramFromTheFirstFolderThatHoldsIt)
{
    TempDir workingDir;
    TempDir besideLauncher;
    const fs::path marker = workingDir / "marker";
    writeScript(workingDir / "Ramvel", "echo working > '" + marker.string() + "'");
    writeScript(besideLauncher / "Ramvel", "echo beside > '" + marker.string() + "'");
    writeScript(besideLauncher / "Trisola", "echo trisola > '" + marker.string() + "'");

    SystemShell shell({folder(workingDir), folder(besideLauncher)});
    QString error;
    auto ramvel = shell.startProgram(QStringLiteral("Ramvel"), error);
    ASSERT_NE(ramvel, nullptr) << error.toStdString();
    QTRY_VERIFY_WITH_TIMEOUT(!ramvel->isRunning(), 5000);
    EXPECT_EQ(readFile(marker), "working\n");

    auto trisola = shell.startProgram(QStringLiteral("Trisola"), error);
    ASSERT_NE(trisola, nullptr) << error.toStdString();
    QTRY_VERIFY_WITH_TIMEOUT(!trisola->isRunning(), 5000);
    EXPECT_EQ(readFile(marker), "trisola\n");
}

TEST(SystemShell, AMissingOrNonExecutableProgramSaysWhereItWasLookedFor)
{
    TempDir dir;
    writeFile(dir / "Flashbey", "not a program");
    SystemShell shell({folder(dir)});
    QString error;
    EXPECT_EQ(shell.startProgram(QStringLiteral("Flashbey"), error), nullptr);
    EXPECT_EQ(error, QStringLiteral("Unable to start Flashbey: no program file \"Flashbey\" in %1.").arg(folder(dir)));
    EXPECT_EQ(shell.startProgram(QStringLiteral("Patchora"), error), nullptr);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Unable to start Patchora:")));
}

TEST(SystemShell, AMissingHelpFileSaysWhereItWasLookedFor)
{
    TempDir first;
    TempDir second;
    SystemShell shell({folder(first), folder(second)});
    QString error;
    EXPECT_FALSE(shell.openDocument(QStringLiteral("Chromix_Processor.chm"), error));
    EXPECT_EQ(error, QStringLiteral("Unable to open the help file: no \"Chromix_Processor.chm\" in %1 or %2.").arg(folder(first), folder(second)));
}

// The whole chain with real processes: one display at a time, and none left after the
// launcher has gone.
TEST(SystemShell, LauncherStartsTheDisplayOnceAndEndsItWhenItGoes)
{
    TempDir dir;
    const fs::path pids = dir / "pids";
    writeScript(dir / "Patchora", "echo $$ >> '" + pids.string() + "'\nexec sleep 60");
    SystemShell shell({folder(dir)});
    RecordingPresenter messages;
    auto launcher = std::make_unique<CHubrinDlg>(nullptr, shell, messages);
    launcher->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(launcher.get()));

    auto* startDisplay = launcher->findChild<QPushButton*>(QStringLiteral("startDisplay"));
    QTest::mouseClick(startDisplay, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(startedPids(pids).size(), std::size_t{1}, 5000);
    QTest::mouseClick(startDisplay, Qt::LeftButton);
    QTest::qWait(200);
    ASSERT_EQ(startedPids(pids).size(), 1u);
    const pid_t display = startedPids(pids).front();
    EXPECT_TRUE(processExists(display));

    launcher.reset();
    EXPECT_FALSE(processExists(display));
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
