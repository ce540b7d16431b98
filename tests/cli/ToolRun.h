// Runs skelder-cli and FreeTDS's bsqldb as child processes against the tdsim of a
// fixture (SYBASE and FREETDSCONF come from the environment TdsimServer sets up).
#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <ostream>

struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// `program` with `arguments` and `environment`; `input` is written to its standard input.
// A program that cannot start gives exit code -1 and says so in `err`.
ToolResult runProgram(
    const QString& program, const QStringList& arguments, const QByteArray& input = {},
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// skelder-cli with `arguments`, isolated from the user's settings by a settings file of
// its own unless the arguments name one; `input` is written to its standard input.
ToolResult runSkelderCli(const QStringList& arguments, const QByteArray& input = {});

// skelder-cli logged in to the fixture's server as sa.
ToolResult runSkelderCliOnServer(const QString& server, const QStringList& arguments);

// The options of a script that re-creates a whole database and runs again over its own
// result: drop guards, triggers, indexes and grants, no database prefix and no header.
QStringList replayableScriptOptions();

// skelder-cli logged in to `server` as sa, run by `bash -c shell` in which "$@" stands for
// the program and its arguments: `ulimit -f 1; exec "$@" >/dev/full`.
ToolResult runSkelderCliInShell(const QString& shell, const QString& server,
                                const QStringList& arguments);

// bsqldb running the script file `path` as sa on `server`; it stops at the first
// message of a severity above 10.
ToolResult runBsqldb(const QString& server, const QString& path);

// fisql running the script file `path` as sa in `database`: like isql, it reports an
// error and goes on with the next batch.
ToolResult runFisql(const QString& server, const QString& path, const QString& database);

// fisql's reports of server messages above severity 10 other than the `warnings` (such as
// 2007, which leaves the object created).
QStringList fisqlErrors(const ToolResult& result, const QList<int>& warnings = {});

// Every line of bsqldb's output that reports a server error.
QStringList serverErrors(const ToolResult& result);

// Writes `script` to `path` and runs it with bsqldb on `server`: the server's errors, or
// the file that could not be written.
QStringList replayWithBsqldb(const QString& server, const QString& path, const QString& script);

// The text of a file, or an empty string when it cannot be read.
QString readText(const QString& path);

// Writes `bytes` as the whole content of the file `path`; false when it cannot.
bool writeText(const QString& path, const QByteArray& bytes);

// Failed comparisons of texts print the text, not its code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
