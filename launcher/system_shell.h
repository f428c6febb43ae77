#pragma once

// The real shell: programs and documents are looked up by name in a list of folders,
// programs run as child processes, documents open with the desktop's default application.

#include "launcher/launcher_shell.h"

#include <QStringList>

class SystemShell final : public LauncherShell {
public:
    explicit SystemShell(QStringList folders);

    std::unique_ptr<StartedProgram> startProgram(const QString& programName, QString& error) override;
    bool openDocument(const QString& documentName, QString& error) override;

private:
    // The first file of that name in the folders, or "" when none holds it.
    QString locate(const QString& fileName, bool executable) const;
    QString whereLooked() const;

    QStringList folders_;
};

// Where the tool set's files are looked for: the current working directory, where an
// installation keeps them, then the folder of the running program, where a build puts them.
QStringList defaultProgramFolders();

// The operator's manual installed with the programs (share/chromix/manual beside the
// folder of the running program, in an installation and in a build tree alike), or ""
// when there is none.
QString installedManualPath();

// The program file of a program name on this platform ("Patchora.exe" on Windows).
QString programFileName(const QString& programName);
