#include "launcher/system_shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <utility>

namespace {

// How long a program that was killed gets to disappear before the launcher moves on.
constexpr int kEndWaitMilliseconds = 3000;
constexpr int kStartWaitMilliseconds = 5000;

class ChildProcess final : public StartedProgram {
public:
    explicit ChildProcess(std::unique_ptr<QProcess> process) : process_(std::move(process)) {}

    ~ChildProcess() override { kill(); }

    bool isRunning() override
    {
        // A zero wait collects an exit the event loop has not delivered yet.
        if (process_->state() != QProcess::NotRunning)
            process_->waitForFinished(0);
        return process_->state() != QProcess::NotRunning;
    }

    void kill() override
    {
        if (process_->state() == QProcess::NotRunning)
            return;
        process_->kill();
        process_->waitForFinished(kEndWaitMilliseconds);
    }

private:
    std::unique_ptr<QProcess> process_;
};

} // namespace

QString programFileName(const QString& programName)
{
#ifdef Q_OS_WIN
    return programName + QStringLiteral(".exe");
#else
    return programName;
#endif
}

QStringList defaultProgramFolders()
{
    QStringList folders{QDir::currentPath()};
    const QString own = QCoreApplication::applicationDirPath();
    if (!own.isEmpty() && QDir(own) != QDir::current())
        folders << own;
    return folders;
}

QString installedManualPath()
{
    const QFileInfo manual(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../share/chromix/manual/index.html"));
    return manual.isFile() ? manual.canonicalFilePath() : QString();
}

SystemShell::SystemShell(QStringList folders) : folders_(std::move(folders))
{
}

QString SystemShell::locate(const QString& fileName, bool executable) const
{
    for (const QString& folder : folders_) {
        const QFileInfo file(QDir(folder), fileName);
        if (file.isFile() && (!executable || file.isExecutable()))
            return file.absoluteFilePath();
    }
    return {};
}

QString SystemShell::whereLooked() const
{
    return folders_.isEmpty() ? QStringLiteral("no folder") : folders_.join(QStringLiteral(" or "));
}

std::unique_ptr<StartedProgram> SystemShell::startProgram(const QString& programName, QString& error)
{
    const QString fileName = programFileName(programName);
    const QString path = locate(fileName, true);
    if (path.isEmpty()) {
        error = QStringLiteral("Unable to start %1: no program file \"%2\" in %3.")
                    .arg(programName, fileName, whereLooked());
        return nullptr;
    }
    auto process = std::make_unique<QProcess>();
    // The program writes to the launcher's own output; an unread pipe could stall it.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(path, QStringList{});
    if (!process->waitForStarted(kStartWaitMilliseconds)) {
        error = QStringLiteral("Unable to start %1: %2.").arg(programName, process->errorString());
        return nullptr;
    }
    return std::make_unique<ChildProcess>(std::move(process));
}

bool SystemShell::openDocument(const QString& documentName, QString& error)
{
    const QString path = locate(documentName, false);
    if (path.isEmpty()) {
        error = QStringLiteral("Unable to open the help file: no \"%1\" in %2.").arg(documentName, whereLooked());
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        error = QStringLiteral("Unable to open the help file %1: no application is set up to open it.").arg(path);
        return false;
    }
    return true;
}
