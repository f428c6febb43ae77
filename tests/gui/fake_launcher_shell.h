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
        auto running = std::make_shared<bool>(true);
        runningFlags[programName] = running;
        return std::make_unique<Program>(programName, running, killed);
    }

    bool openDocument(const QString& documentName, QString& error) override
    {
        opened << documentName;
        if (!documentsOpen)
            error = QStringLiteral("Unable to open ") + documentName;
        return documentsOpen;
    }

    // The program ends on its own, as when the operator closes it.
    void end(const QString& programName) { *runningFlags.at(programName) = false; }
    bool isRunning(const QString& programName) const { return *runningFlags.at(programName); }

    QStringList started;
    QStringList killed;
    QStringList opened;
    std::set<QString> unstartable;
    bool documentsOpen = true;

private:
    class Program final : public StartedProgram {
    public:
        Program(QString name, std::shared_ptr<bool> running, QStringList& killed)
            : name_(std::move(name))
            , running_(std::move(running))
            , killed_(killed)
        {
        }
        bool isRunning() override { return *running_; }
        void kill() override
        {
            if (!*running_)
                return;
            *running_ = false;
            killed_ << name_;
        }

    private:
        QString name_;
        std::shared_ptr<bool> running_;
        QStringList& killed_;
    };

    std::map<QString, std::shared_ptr<bool>> runningFlags;
};
