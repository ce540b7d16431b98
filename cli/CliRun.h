// One run of skelder-cli: connect, select the objects as the explorer would list them,
// and script them through the same generation code as the GUI.
#pragma once

#include <QStringList>

// Exit statuses.
// 4: the script was written, but some objects could not be scripted (each is named on
// standard error and has a comment in its place).
enum TCliExit {
    ExitOk = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    ExitNothingMatched = 3,
    ExitIncomplete = 4
};

// Runs with `arguments` (without the program name); the script goes to standard output
// unless a file or directory is named.
int runCli(const QStringList& arguments);
