#include "CliRun.h"

#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "CliOptions.h"
#include "ConsoleProgress.h"
#include "Exceptions.h"
#include "ObjectListing.h"
#include "RegAuto.h"
#include "ScriptGenerator.h"
#include "StandardOutput.h"
#include "StatementTrace.h"
#include "TextFile.h"
#include "UserInterface.h"

#include <termios.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {

// Databases that hold the server's own objects, left out unless named with -D.
const QStringList systemDatabases{"master",      "model",       "tempdb",    "sybsystemprocs",
                                  "sybsystemdb", "sybsecurity", "sybmgmtdb", "dbccdb",
                                  "dbccalt",     "sybpcidb"};

// Messages and errors to stderr; informational ones only when not quiet.
class CliUserInterface : public ConsoleUserInterface {
public:
    explicit CliUserInterface(bool quiet) : m_quiet(quiet) {}
    void showMessage(const QString& title, const QString& text, Icon icon) override
    {
        if (m_quiet && icon == Icon::Information)
            return;
        std::fprintf(stderr, "%s\n", qPrintable(text.trimmed()));
        (void)title;
    }

private:
    bool m_quiet;
};

QString readPasswordWithoutEcho()
{
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputs("\n", stderr);
    return QString::fromLocal8Bit(line.c_str());
}

QString passwordFor(const TCliOptions& options)
{
    if (options.PasswordGiven)
        return options.Password;
    if (qEnvironmentVariableIsSet("SKELDER_PASSWORD"))
        return qEnvironmentVariable("SKELDER_PASSWORD");
    if (isatty(STDIN_FILENO))
        return readPasswordWithoutEcho();
    return QString();
}

QStringList listColumn(TCTLibEnhQuery& query, const QString& statement)
{
    QStringList values;
    query.setSQL(QStringList{statement});
    if (query.Open() == 1) {
        while (query.Next())
            values << query.ColumnValue(1);
    }
    return values;
}

// The databases in the explorer's order: ascending, as the tree builds them from the
// descending listing.
QStringList databasesToScript(TCTLibEnhQuery& query, const TCliOptions& options)
{
    QStringList listed = listColumn(query, databaseListingStatement(options.Rdbms));
    std::reverse(listed.begin(), listed.end());
    QStringList chosen;
    for (const QString& database : listed) {
        const bool wanted = options.Databases.isEmpty()
                                ? !systemDatabases.contains(database, Qt::CaseInsensitive)
                                : options.Databases.contains(database);
        if (wanted)
            chosen << database;
    }
    for (const QString& named : options.Databases) {
        if (!listed.contains(named))
            std::fprintf(stderr, "No database named '%s' on the server.\n", qPrintable(named));
    }
    return chosen;
}

bool captionWanted(const TCliOptions& options, const QString& caption)
{
    if (options.ObjectPatterns.isEmpty())
        return true;
    return std::any_of(options.ObjectPatterns.begin(), options.ObjectPatterns.end(),
                       [&caption](const QString& pattern) { return likeMatch(pattern, caption); });
}

TMarkedObjectList selectObjects(TCTLibEnhQuery& query, const TCliOptions& options)
{
    TMarkedObjectList objects;
    for (const QString& database : databasesToScript(query, options)) {
        for (ObjectKind kind : AllObjectKinds) {
            if (!options.Kinds.isEmpty() && !options.Kinds.contains(kind))
                continue;
            const QString statement = objectListingStatement(kind, database, options.Rdbms);
            for (const QString& caption : listColumn(query, statement)) {
                if (!caption.isEmpty() && captionWanted(options, caption))
                    objects.append({database, kind, caption});
            }
        }
    }
    return objects;
}

// A name as one field of a listing line: a tab or line break in it would split the line,
// so those and the backslash are written as escapes.
QString listField(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    name.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    name.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    name.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return name;
}

void printList(const TMarkedObjectList& objects)
{
    QByteArray text;
    for (const TMarkedObject& object : objects)
        text += (listField(object.Database) + '\t' + kindName(object.Kind) + '\t' +
                 listField(object.Caption) + '\n')
                    .toUtf8();
    StandardOutput::write(text);
}

// Warnings and the objects left out go to standard error; any object left out makes the
// run incomplete.
int completionStatus(const TScriptGenerator& generator)
{
    for (const QString& warning : generator.Warnings)
        std::fprintf(stderr, "warning: %s\n", qPrintable(warning));
    for (const QString& object : generator.Unscripted)
        std::fprintf(stderr, "not scripted: %s\n", qPrintable(object));
    return generator.Unscripted.isEmpty() ? ExitOk : ExitIncomplete;
}

int script(TCTLibDatabase& db, const TMarkedObjectList& objects, const TCliOptions& options)
{
    TCTLibObjInfo info;
    info.setObjectName(QStringLiteral("info"));
    info.DbName = db.objectName();
    info.UseExecCursor = false;
    info.PrefixWithDbName = options.Options.PrefixWithDb;
    TConsoleProgress progress(!options.Quiet && isatty(STDERR_FILENO));
    TScriptGenerator generator(info, options.Options);

    if (!options.SeparateFilesDir.isEmpty()) {
        if (!QDir().mkpath(options.SeparateFilesDir))
            throw EFileError(
                QStringLiteral("Cannot create directory \"%1\"").arg(options.SeparateFilesDir));
        generator.BuildSeparateFiles(objects, options.SeparateFilesDir, progress);
        return completionStatus(generator);
    }

    TScriptHeader header;
    if (options.Header) {
        header.ServerName = db.ServerName;
        header.ServerVersion = db.GetServerVersion();
        header.GeneratedOn = db.GetServerDateTime();
    }
    const QStringList lines =
        generator.BuildScript(objects, header, true, nullptr, progress, options.Header);
    if (!options.OutputFile.isEmpty()) {
        saveScriptLines(options.OutputFile, lines);
        return completionStatus(generator);
    }
    StandardOutput::write(crlfTextBytes(scriptTextLines(lines)));
    return completionStatus(generator);
}

}  // namespace

int runCli(const QStringList& arguments)
{
    QObject owner;
    TRegAuto store(&owner);
    configureSettingsStore(store);
    store.IniFile = settingsFileArgument(arguments);
    if (store.IniFile != QLatin1String(TAppSettings::FileName) && !QFile::exists(store.IniFile)) {
        std::fprintf(stderr, "Settings file '%s' does not exist.\n", qPrintable(store.IniFile));
        return ExitUsage;
    }
    TAppSettings settings;
    settings.Load(store);

    const TCliParseResult parsed = parseCliArguments(arguments, settings);
    if (!parsed.options) {
        std::fprintf(parsed.exitCode ? stderr : stdout, "%s\n", qPrintable(parsed.message));
        return parsed.exitCode;
    }
    const TCliOptions& options = *parsed.options;

    CliUserInterface console(options.Quiet);
    UserInterface* previous = UserInterface::install(&console);
    struct RestoreInterface {
        UserInterface* previous;
        ~RestoreInterface() { UserInterface::install(previous); }
    } restore{previous};

    try {
        // Outlives the connection, so that the logout is traced too.
        std::optional<TStatementTrace> trace;
        if (!options.TraceFile.isEmpty())
            trace.emplace(options.TraceFile);
        TCTLibDatabase db;
        db.SetName(QStringLiteral("db"));
        db.LoginPrompt = false;
        db.ServerName = options.Server;
        db.UserName = options.User;
        db.Password = passwordFor(options);
        db.Rdbms = options.Rdbms;
        db.setLoginTimeOut(options.LoginTimeout);
        db.setTimeOut(options.CommandTimeout);
        db.Connect();
        if (!db.connected()) {
            std::fprintf(stderr, "Cannot login to server '%s'\n", qPrintable(options.Server));
            return ExitFailure;
        }

        TCTLibEnhQuery query;
        query.DbName = db.objectName();
        const TMarkedObjectList objects = selectObjects(query, options);
        if (objects.isEmpty()) {
            std::fprintf(stderr, "No object matched.\n");
            return ExitNothingMatched;
        }
        if (options.List) {
            printList(objects);
            return ExitOk;
        }
        const int status = script(db, objects, options);
        db.DisConnect();
        return status;
    } catch (const EAbort&) {
        return ExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", qPrintable(exceptionMessage(error).trimmed()));
        return ExitFailure;
    }
}
