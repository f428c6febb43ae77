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

QString folder(const TempDir& dir)
{
    return QString::fromStdString(dir.path().string());
}

bool processExists(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

// The whole chain with real processes: each program found in the first folder that holds
// it as a program, one display at a time, a message for what cannot be started or opened,
// and no program left after the launcher has gone.
TEST(SystemShell, LauncherStartsEachProgramOnceSaysWhatIsMissingAndEndsThemWhenItGoes)
{
    TempDir workingDir;
    TempDir besideLauncher;
    const std::string pids = (workingDir / "pids").string();
    const fs::path download = workingDir / "download";
    const fs::path calibration = workingDir / "calibration";
    writeScript(workingDir / "Patchora", "echo $$ >> '" + pids + "'\nexec sleep 60");
    writeScript(besideLauncher / "Patchora", "echo beside >> '" + pids + "'");
    writeFile(workingDir / "Flashbey", "not a program");
    writeScript(besideLauncher / "Flashbey", "touch '" + download.string() + "'");
    SystemShell shell({folder(workingDir), folder(besideLauncher)});
    RecordingPresenter messages;
    auto launcher = std::make_unique<CHubrinDlg>(nullptr, shell, messages);
    launcher->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(launcher.get()));

    clickControl(*launcher, "startDisplay");
    clickControl(*launcher, "startDownload");
    clickControl(*launcher, "linearityCalibration");
    clickControl(*launcher, "startCalibration");
    clickControl(*launcher, "help");
    const QString folders = folder(workingDir) + " or " + folder(besideLauncher);
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text,
              QStringLiteral("Unable to start Ramvel: no program file \"Ramvel\" in %1.").arg(folders));
    EXPECT_EQ(messages.messages[1].text,
              QStringLiteral("Unable to open the help file: no \"Chromix_Processor.chm\" in %1.").arg(folders));
    writeScript(besideLauncher / "Ramvel", "touch '" + calibration.string() + "'");
    clickControl(*launcher, "startCalibration");
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(download) && fs::exists(calibration) && !readFile(pids).empty(), 5000);
    clickControl(*launcher, "startDisplay");
    QTest::qWait(200);
    const std::string started = readFile(pids);
    ASSERT_EQ(std::count(started.begin(), started.end(), '\n'), 1) << started;
    const pid_t display = static_cast<pid_t>(std::atol(started.c_str()));
    ASSERT_GT(display, 0) << started;
    EXPECT_TRUE(processExists(display));

    launcher.reset();
    EXPECT_FALSE(processExists(display));
    EXPECT_EQ(messages.messages.size(), 2u);
}

} // namespace
