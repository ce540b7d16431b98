#include "ToolRun.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
constexpr int kHangingProgramMs = 120000;
}

ToolResult runProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
                      const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted()) {
        result.err = program + QStringLiteral(" did not start");
        return result;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    // A program that hangs fails its test instead of stalling the whole run.
    if (!process.waitForFinished(kHangingProgramMs)) {
        process.kill();
        process.waitForFinished();
        result.err = program + QStringLiteral(" did not end and was killed: ") +
                     QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

namespace {
// The arguments with a settings file of their own in `settingsDir` unless they name one.
QStringList withOwnSettings(const QStringList& arguments, const QTemporaryDir& settingsDir)
{
    if (arguments.contains(QStringLiteral("--settings")))
        return arguments;
    const QString settings = settingsDir.filePath(QStringLiteral("Skelder.ini"));
    QFile(settings).open(QIODevice::WriteOnly);
    return arguments + QStringList{QStringLiteral("--settings"), settings};
}
}  // namespace

ToolResult runSkelderCli(const QStringList& arguments, const QByteArray& input)
{
    QTemporaryDir settingsDir;
    return runProgram(QStringLiteral(SKELDER_CLI_PATH), withOwnSettings(arguments, settingsDir),
                      input);
}

ToolResult runSkelderCliInShell(const QString& shell, const QString& server,
                                const QStringList& arguments)
{
    QTemporaryDir settingsDir;
    const QStringList cli =
        QStringList{QStringLiteral(SKELDER_CLI_PATH), "-S", server, "-U", "sa", "-P", ""} +
        withOwnSettings(arguments, settingsDir);
    return runProgram(QStringLiteral("bash"), QStringList{"-c", shell, "bash"} + cli);
}

ToolResult runSkelderCliOnServer(const QString& server, const QStringList& arguments)
{
    return runSkelderCli(QStringList{"-S", server, "-U", "sa", "-P", ""} + arguments);
}

QStringList replayableScriptOptions()
{
    return {"--drop", "--triggers", "--indexes", "--grants", "--no-prefix-db", "--no-header"};
}

ToolResult runBsqldb(const QString& server, const QString& path)
{
    const QString bsqldb = QStandardPaths::findExecutable(QStringLiteral("bsqldb"));
    if (bsqldb.isEmpty())
        return ToolResult{-1, {}, QStringLiteral("bsqldb is not installed")};
    return runProgram(bsqldb, {"-S", server, "-U", "sa", "-P", "", "-i", path, "-o", "/dev/null"},
                      {});
}

ToolResult runFisql(const QString& server, const QString& path, const QString& database)
{
    const QString fisql = QStandardPaths::findExecutable(QStringLiteral("fisql"));
    if (fisql.isEmpty())
        return ToolResult{-1, {}, QStringLiteral("fisql is not installed")};
    return runProgram(
        fisql, {"-S", server, "-U", "sa", "-P", "", "-D", database, "-w", "250", "-i", path}, {});
}

QStringList fisqlErrors(const ToolResult& result, const QList<int>& warnings)
{
    static const QRegularExpression message(QStringLiteral("^Msg (\\d+), Level (\\d+)"));
    QStringList errors;
    const QStringList lines = (result.out + result.err).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = message.match(lines[i]);
        if (match.hasMatch() && match.captured(2).toInt() > 10 &&
            !warnings.contains(match.captured(1).toInt()))
            errors << lines.mid(i, 3).join(QLatin1Char(' '));
    }
    if (result.exitCode < 0)
        errors << result.err;
    return errors;
}

QStringList serverErrors(const ToolResult& result)
{
    QStringList errors;
    const QStringList lines = (result.out + result.err).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String("Msg ")) || lines[i].contains("error:"))
            errors << (lines.mid(i, 3).join(QLatin1Char(' ')));
    }
    if (result.exitCode != 0 && errors.isEmpty())
        errors << QStringLiteral("exit status %1: %2").arg(result.exitCode).arg(result.err);
    return errors;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList replayWithBsqldb(const QString& server, const QString& path, const QString& script)
{
    if (!writeText(path, script.toUtf8()))
        return {QStringLiteral("cannot write ") + path};
    return serverErrors(runBsqldb(server, path));
}
