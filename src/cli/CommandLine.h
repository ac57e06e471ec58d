#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The program's command-line verbs (`lexivane --lookup WORD`, ...). They run
// on Qt Core alone, before any window system is touched, so they work over
// ssh, in scripts and in status bars. A verb prints its result to `out`
// (plain text, tab-separated where it is a table), its messages to `err`,
// and returns one of the exit codes below.
//
// Adding a verb: write a `int runXxx(const QStringList &arguments,
// CommandContext &context)` in a file of its own in this folder, declare it
// in CommandVerbs.h and add one row to the table in CommandLine.cpp.
namespace cli {

enum ExitCode : int {
    Success = 0,
    NothingDone = 1,
    UsageError = 2,
};

struct CommandContext
{
    // The folder that holds the program and lexvan.ini (and lexvan.db).
    QString programDir;
    // The folder the program was started from: "data" under it holds the
    // word libraries, as for the windows.
    QString workingDir;
    QTextStream &out;
    QTextStream &err;

    // "data" under the working folder.
    QString dataDir() const;
};

// True when `firstArgument` names a verb (or is --help): the program then
// runs runCommandLine() instead of opening windows.
bool isVerb(const QString &firstArgument);

// Runs the verb named by arguments[0]; the rest are its own arguments.
int runCommandLine(const QStringList &arguments, CommandContext &context);

} // namespace cli
