#include "CliRun.h"

#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "CliOptions.h"
#include "ConsoleProgress.h"
#include "Exceptions.h"
#include "Identifier.h"
#include "ObjectListing.h"
#include "PrintableText.h"
#include "RegAuto.h"
#include "Repository.h"
#include "SchemaCompare.h"
#include "ScriptGenerator.h"
#include "ServerCatalog.h"
#include "StandardOutput.h"
#include "StatementTrace.h"
#include "TextFile.h"
#include "UserInterface.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

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

// Echo is off while the password is typed. An interrupt or a termination meanwhile would
// leave the user's terminal without echo, so those signals put the terminal back first.
class TerminalEchoOff {
public:
    TerminalEchoOff()
    {
        if (tcgetattr(STDIN_FILENO, &s_saved) != 0)
            return;
        m_active = true;
        struct sigaction restore {};
        restore.sa_handler = &restoreAndRaise;
        restore.sa_flags = SA_RESETHAND;
        sigemptyset(&restore.sa_mask);
        for (size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &restore, &m_previous[i]);
        termios silent = s_saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    ~TerminalEchoOff()
    {
        if (!m_active)
            return;
        tcsetattr(STDIN_FILENO, TCSANOW, &s_saved);
        for (size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    TerminalEchoOff(const TerminalEchoOff&) = delete;
    TerminalEchoOff& operator=(const TerminalEchoOff&) = delete;

private:
    static constexpr std::array<int, 4> kSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

    // The handler was reset to the default on entry: raising the signal again ends the
    // program as the signal would have, once the terminal echoes again.
    static void restoreAndRaise(int signal)
    {
        tcsetattr(STDIN_FILENO, TCSANOW, &s_saved);
        raise(signal);
    }

    static inline termios s_saved{};
    bool m_active = false;
    std::array<struct sigaction, kSignals.size()> m_previous{};
};

QString readPasswordWithoutEcho()
{
    std::string line;
    {
        // Off before the prompt shows, so that nothing typed after it is echoed.
        const TerminalEchoOff echoOff;
        std::fputs("Password: ", stderr);
        std::fflush(stderr);
        std::getline(std::cin, line);
    }
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

// The databases in the explorer's order.
QStringList databasesToScript(TObjectListingReader& listing, const TCliOptions& options)
{
    const QStringList listed = listing.databases();
    QStringList chosen;
    for (const QString& database : listed) {
        const bool wanted = options.Databases.isEmpty()
                                ? !TServerCatalog::isSystemDatabase(database)
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

// The server's own objects of the kinds asked for, in folder order.
TMarkedObjectList selectServerObjects(TServerCatalog& catalog, const TCliOptions& options)
{
    TMarkedObjectList objects;
    for (ObjectKind kind : AllServerKinds) {
        if (!options.Kinds.contains(kind))
            continue;
        for (const QString& name : catalog.names(kind)) {
            if (captionWanted(options, name))
                objects.append({QString(), kind, name});
        }
    }
    return objects;
}

// The objects to script; `listedCounts` gets how many objects each database's listing
// holds, which tells whether the database is better read whole.
TMarkedObjectList selectObjects(TCTLibEnhQuery& query, TServerCatalog& serverCatalog,
                                const TCliOptions& options, QHash<QString, int>& listedCounts)
{
    TObjectListingReader listing(query, options.Rdbms);
    TMarkedObjectList objects = selectServerObjects(serverCatalog, options);
    QList<ObjectKind> kinds;
    for (ObjectKind kind : AllObjectKinds) {
        if (options.Kinds.isEmpty() || options.Kinds.contains(kind))
            kinds << kind;
    }
    // Only the server's own kinds asked for: no database is read.
    if (kinds.isEmpty())
        return objects;
    for (const QString& database : databasesToScript(listing, options)) {
        // The owner goes with each caption: the caption "a.b.c" may be owner "a.b"'s "c" or
        // owner "a"'s "b.c", and both may exist.
        listing.readObjects(kinds, database,
                            [&](ObjectKind kind, const QString& caption, const QString& owner) {
                                ++listedCounts[database];
                                if (!caption.isEmpty() && captionWanted(options, caption))
                                    objects.append({database, kind, caption, owner});
                            });
    }
    return objects;
}

// A name as one field of a listing line: a tab or line break in it would split the line
// and other control characters would drive the terminal, so those and the backslash are
// written as escapes.
QString listField(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return printableText(name);
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
void reportNotes(const QStringList& warnings, const QStringList& unscripted)
{
    for (const QString& warning : warnings)
        std::fprintf(stderr, "warning: %s\n", qPrintable(printableText(warning)));
    for (const QString& object : unscripted)
        std::fprintf(stderr, "not scripted: %s\n", qPrintable(printableText(object)));
}

int completionStatus(const TScriptGenerator& generator)
{
    reportNotes(generator.Warnings, generator.Unscripted);
    return generator.Unscripted.isEmpty() ? ExitOk : ExitIncomplete;
}

// Script lines onto standard output as they come.
class TStandardOutputSink : public TScriptSink {
public:
    void appendLines(const QStringList& lines) override
    {
        StandardOutput::write(crlfTextBytes(scriptTextLines(lines)));
    }
};

int script(TCTLibDatabase& db, TCTLibObjInfo& info, TServerCatalog& serverCatalog,
           const TMarkedObjectList& objects, const QHash<QString, int>& listedCounts,
           const TCliOptions& options)
{
    TConsoleProgress progress(!options.Quiet && isatty(STDERR_FILENO));
    TScriptGenerator generator(info, options.Options);
    generator.PerObjectReads = options.PerObjectReads;
    generator.ServerCatalog = &serverCatalog;
    generator.ListedObjectCounts = listedCounts;
    generator.ListedEveryKind = options.Kinds.isEmpty() || options.WholeServer;

    if (!options.RepositoryDir.isEmpty()) {
        TRepositoryFileSet repository(options.RepositoryDir, options.CheckOnly);
        generator.WriteFileSet(objects, repository, progress);
        QByteArray report;
        for (const TRepositoryFileSet::Difference& difference : repository.differences())
            report += (changeName(difference.change) + QStringLiteral(": ") +
                       printableText(difference.name) + QLatin1Char('\n'))
                          .toUtf8();
        StandardOutput::write(report + repository.summary().toUtf8() + '\n');
        const int status = completionStatus(generator);
        // A drift check fails when the repository is not what the server holds.
        if (options.CheckOnly && !repository.differences().isEmpty())
            return ExitFailure;
        return status;
    }
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
    // Each object's section is written as soon as it is built; a file takes the place of
    // the earlier one only once the whole script is in it.
    if (!options.OutputFile.isEmpty()) {
        TFileWriter file(options.OutputFile);
        TFileScriptSink sink(file);
        generator.WriteScript(objects, header, sink, true, nullptr, progress, options.Header);
        file.commit();
        return completionStatus(generator);
    }
    TStandardOutputSink sink;
    generator.WriteScript(objects, header, sink, true, nullptr, progress, options.Header);
    return completionStatus(generator);
}

// A settings file named on the command line must be there; any settings file that is
// there must be readable, or the run would go on with defaults the user did not choose.
std::optional<QString> settingsFileProblem(const QString& path, bool named)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!named)
            return std::nullopt;
        return QStringLiteral("Settings file '%1' does not exist.").arg(path);
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("Settings file '%1' cannot be read: %2.")
            .arg(path, info.isDir() ? QStringLiteral("it is a directory") : file.errorString());
    }
    return std::nullopt;
}

// One login and the readers that go through it, under a connection name of its own.
struct ServerSession {
    TCTLibDatabase db;
    TCTLibEnhQuery query;
    TCTLibObjInfo info;

    bool open(const QString& name, const QString& server, const QString& user,
              const QString& password, const TCliOptions& options)
    {
        db.SetName(name);
        db.LoginPrompt = false;
        db.ServerName = server;
        db.UserName = user;
        db.Password = password;
        db.Rdbms = options.Rdbms;
        db.setLoginTimeOut(options.LoginTimeout);
        db.setTimeOut(options.CommandTimeout);
        db.Connect();
        if (!db.connected()) {
            std::fprintf(stderr, "Cannot login to server '%s'\n", qPrintable(server));
            return false;
        }
        query.DbName = name;
        info.setObjectName(name + QStringLiteral("_info"));
        info.DbName = name;
        info.UseExecCursor = false;
        info.PrefixWithDbName = options.Options.PrefixWithDb;
        return true;
    }
};

// The objects of `database` that the options select, as repository texts.
TSchemaTextSet schemaTexts(ServerSession& session, TCliOptions options, const QString& database)
{
    options.Databases = {database};
    TServerCatalog serverCatalog(session.info);
    QHash<QString, int> listedCounts;
    const TMarkedObjectList objects =
        selectObjects(session.query, serverCatalog, options, listedCounts);
    TConsoleProgress progress(!options.Quiet && isatty(STDERR_FILENO));
    TScriptGenerator generator(session.info, options.Options);
    generator.ListedObjectCounts = listedCounts;
    generator.ListedEveryKind = options.Kinds.isEmpty();
    TSchemaTextSet texts;
    generator.WriteFileSet(objects, texts, progress);
    return texts;
}

// The migration script: in the target database, what only it has dropped (as chosen),
// then what the source has that it lacks or has otherwise created from the source's
// catalog, in the order a script of those objects has.
void writeMigration(ServerSession& session, TCTLibObjInfo& targetInfo, const TCliOptions& options,
                    TMigrationPlan plan, const QString& targetDatabase)
{
    TFileWriter file(options.MigrationFile);
    TFileScriptSink sink(file);
    TConsoleProgress progress(!options.Quiet && isatty(STDERR_FILENO));
    const TMigrationNotes notes =
        writeMigration({session.info, options.Databases.constFirst(), targetInfo, targetDatabase},
                       plan, options.Options, sink, progress);
    file.commit();
    reportNotes(notes.Warnings, notes.Unscripted);
    for (const QString& leftOut : plan.LeftOut)
        std::fprintf(stderr, "migration leaves out %s\n", qPrintable(printableText(leftOut)));
}

// The database of -D against the compare target: a report on standard output, exit 1 when
// they differ.
int compare(ServerSession& session, const TCliOptions& options)
{
    const QString database = options.Databases.constFirst();
    const QString target = options.CompareTarget;
    const TSchemaTextSet source = schemaTexts(session, options, database);
    TSchemaTextSet targetSet;
    TSchemaTexts targetTexts;
    // The target's own login, when it is on another server.
    std::unique_ptr<ServerSession> other;
    if (QFileInfo(target).isDir()) {
        if (!options.MigrationFile.isEmpty()) {
            std::fprintf(stderr,
                         "A migration needs a database to compare with, not a "
                         "repository.\n");
            return ExitUsage;
        }
        const QStringList databases = repositoryDatabases(target);
        const QString folder =
            databases.size() == 1 && !databases.contains(safeFileNamePart(database))
                ? databases.constFirst()
                : database;
        targetTexts = repositoryTexts(target, folder);
    } else if (target.contains(QLatin1Char(':'))) {
        other = std::make_unique<ServerSession>();
        const QString user = options.CompareUser.isEmpty() ? options.User : options.CompareUser;
        const QString password = options.ComparePasswordGiven || !options.CompareUser.isEmpty()
                                     ? options.ComparePassword
                                     : session.db.Password;
        if (!other->open(QStringLiteral("compare"), target.section(QLatin1Char(':'), 0, 0), user,
                         password, options))
            return ExitFailure;
        targetSet = schemaTexts(*other, options, target.section(QLatin1Char(':'), 1));
        targetTexts = targetSet.texts();
    } else {
        targetSet = schemaTexts(session, options, target);
        targetTexts = targetSet.texts();
    }
    const TSchemaTexts& sourceTexts = source.texts();
    const QList<TSchemaDifference> differences =
        compareSchemas(sourceTexts, targetTexts, database, target);
    QByteArray report;
    for (const TSchemaDifference& difference : differences) {
        report += (sideName(difference.side) + QStringLiteral(": ") +
                   printableText(difference.name) + QLatin1Char('\n') + difference.diff)
                      .toUtf8();
    }
    const auto count = [&differences](TSchemaDifference::Side side) {
        return std::count_if(differences.begin(), differences.end(),
                             [side](const TSchemaDifference& d) { return d.side == side; });
    };
    report += QStringLiteral("%1 only in source, %2 only in target, %3 differ, %4 the same\n")
                  .arg(count(TSchemaDifference::Side::OnlyInSource))
                  .arg(count(TSchemaDifference::Side::OnlyInTarget))
                  .arg(count(TSchemaDifference::Side::Different))
                  .arg(sourceTexts.size() - count(TSchemaDifference::Side::OnlyInSource) -
                       count(TSchemaDifference::Side::Different))
                  .toUtf8();
    StandardOutput::write(report);
    if (!options.MigrationFile.isEmpty()) {
        TMigrationPlan plan = migrationPlan(differences, source.objects(), targetSet.objects(),
                                            {options.DropExtra, options.AllowDataLoss});
        writeMigration(session, other ? other->info : session.info, options, plan,
                       target.section(QLatin1Char(':'), -1));
    }
    return differences.isEmpty() ? ExitOk : ExitFailure;
}

// Logs in, selects the objects and lists or scripts them: the run's exit status.
int connectAndRun(const TCliOptions& options)
{
    ServerSession session;
    if (!session.open(QStringLiteral("db"), options.Server, options.User, passwordFor(options),
                      options))
        return ExitFailure;
    if (!options.CompareTarget.isEmpty()) {
        const int status = compare(session, options);
        session.db.DisConnect();
        return status;
    }
    // The server's own objects are read once, for the selection and the script alike.
    TServerCatalog serverCatalog(session.info);
    QHash<QString, int> listedCounts;
    const TMarkedObjectList objects =
        selectObjects(session.query, serverCatalog, options, listedCounts);
    if (objects.isEmpty()) {
        std::fprintf(stderr, "No object matched.\n");
        return ExitNothingMatched;
    }
    if (options.List) {
        printList(objects);
        return ExitOk;
    }
    const int status =
        script(session.db, session.info, serverCatalog, objects, listedCounts, options);
    session.db.DisConnect();
    return status;
}

}  // namespace

int runCli(const QStringList& arguments)
{
    QObject owner;
    TRegAuto store(&owner);
    configureSettingsStore(store);
    const QString settingsFile = settingsFileArgument(arguments);
    const bool named = settingsFile != QLatin1String(TAppSettings::FileName);
    // A file named on the command line is found from here, not in the configuration directory.
    store.IniFile = named ? QFileInfo(settingsFile).absoluteFilePath() : settingsFile;
    if (const std::optional<QString> problem = settingsFileProblem(store.iniFilePath(), named)) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
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
        const int status = connectAndRun(options);
        // A trace asked for and not written is a file error, whatever the run gave.
        if (trace) {
            const QString failure = trace->finish();
            if (!failure.isEmpty()) {
                std::fprintf(stderr, "Cannot write trace file \"%s\". %s\n",
                             qPrintable(options.TraceFile), qPrintable(failure));
                return ExitFailure;
            }
        }
        return status;
    } catch (const EAbort&) {
        return ExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", qPrintable(exceptionMessage(error).trimmed()));
        return ExitFailure;
    }
}
