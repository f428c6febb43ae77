#include "launcher/system_shell.h"

#include "gui/dialog_controls.h"
#include "gui/qt_printers.h"
#include "gui/recording_presenter.h"
#include "launcher/hubrin_dlg.h"
#include "support/temp_dir.h"

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
    for (const auto& [program, found] : {std::pair{"Ramvel", "working\n"}, std::pair{"Trisola", "trisola\n"}}) {
        QString error;
        auto started = shell.startProgram(QString::fromLatin1(program), error);
        ASSERT_NE(started, nullptr) << error.toStdString();
        QTRY_VERIFY_WITH_TIMEOUT(!started->isRunning(), 5000);
        EXPECT_EQ(readFile(marker), found);
    }
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

    clickControl(*launcher, "startDisplay");
    QTRY_COMPARE_WITH_TIMEOUT(startedPids(pids).size(), std::size_t{1}, 5000);
    clickControl(*launcher, "startDisplay");
    QTest::qWait(200);
    ASSERT_EQ(startedPids(pids).size(), 1u);
    const pid_t display = startedPids(pids).front();
    EXPECT_TRUE(processExists(display));

    launcher.reset();
    EXPECT_FALSE(processExists(display));
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
