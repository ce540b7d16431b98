// Runs skelder-cli and FreeTDS's bsqldb as child processes against the tdsim of a
// fixture (SYBASE and FREETDSCONF come from the environment TdsimServer sets up).
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// skelder-cli with `arguments`, isolated from the user's settings by a settings file of
// its own unless the arguments name one; `input` is written to its standard input.
ToolResult runSkelderCli(const QStringList& arguments, const QByteArray& input = {});

// skelder-cli logged in to the fixture's server as sa.
ToolResult runSkelderCliOnServer(const QString& server, const QStringList& arguments);

// bsqldb running the script file `path` as sa on `server`; it stops at the first
// message of a severity above 10.
ToolResult runBsqldb(const QString& server, const QString& path);

// Every line of bsqldb's output that reports a server error.
QStringList serverErrors(const ToolResult& result);

// The text of a file, or an empty string when it cannot be read.
QString readText(const QString& path);

// Failed comparisons of texts print the text, not its code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
