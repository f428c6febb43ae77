#pragma once

// Stands in for the desktop in the launcher tests: records what would be started and
// opened, and lets a test end a "program" or refuse to start one.

#include "launcher/launcher_shell.h"

#include <QStringList>

#include <map>
#include <memory>
#include <set>

class FakeLauncherShell final : public LauncherShell {
public:
    std::unique_ptr<StartedProgram> startProgram(const QString& programName, QString& error) override
    {
        if (unstartable.count(programName)) {
            error = QStringLiteral("Unable to start ") + programName;
            return nullptr;
        }
        started << programName;
        running[programName] = std::make_shared<bool>(true);
        return std::make_unique<Program>(programName, running[programName], killed);
    }

    bool openDocument(const QString& documentName, QString& error) override
    {
        opened << documentName;
        if (!documentsOpen)
            error = QStringLiteral("Unable to open ") + documentName;
        return documentsOpen;
    }

    // The program ends on its own, as when the operator closes it.
    void end(const QString& programName) { *running.at(programName) = false; }

    QStringList started;
    QStringList killed;
    QStringList opened;
    std::set<QString> unstartable;
    bool documentsOpen = true;

private:
    struct Program final : StartedProgram {
        Program(QString name, std::shared_ptr<bool> alive, QStringList& killed)
            : name(std::move(name)), alive(std::move(alive)), killed(killed) {}
        bool isRunning() override { return *alive; }
        void kill() override
        {
            if (*alive)
                killed << name;
            *alive = false;
        }
        QString name;
        std::shared_ptr<bool> alive;
        QStringList& killed;
    };

    std::map<QString, std::shared_ptr<bool>> running;
};
