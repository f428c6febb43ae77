#pragma once

// What the launcher asks of the desktop: start a program, open a document. The window
// takes it as a parameter, so tests see what would be started without starting it.

#include <QString>

#include <memory>

// A program the launcher started.
class StartedProgram {
public:
    virtual ~StartedProgram() = default;

    virtual bool isRunning() = 0;
    // Ends the program at once, without asking it; does nothing once it has ended.
    virtual void kill() = 0;
};

class LauncherShell {
public:
    virtual ~LauncherShell() = default;

    // Starts the named program with no arguments, in the launcher's working directory and
    // environment. Null when it cannot be started; `error` then says why, for the operator.
    virtual std::unique_ptr<StartedProgram> startProgram(const QString& programName, QString& error) = 0;

    // Opens a document with the desktop's default application; false with `error` set
    // when it cannot be opened.
    virtual bool openDocument(const QString& documentName, QString& error) = 0;
};
