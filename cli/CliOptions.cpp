#include "CliOptions.h"

#include "SkelderVersion.h"

#include <QCommandLineParser>
#include <algorithm>

namespace {

QCommandLineOption option(const QStringList& names, const char* description,
                          const char* valueName = nullptr)
{
    return valueName ? QCommandLineOption(names, QString::fromLatin1(description),
                                          QString::fromLatin1(valueName))
                     : QCommandLineOption(names, QString::fromLatin1(description));
}

TCliParseResult usageError(const QString& message)
{
    TCliParseResult result;
    result.message = message + QStringLiteral("\nTry 'skelder-cli --help'.");
    result.exitCode = 2;
    return result;
}

// A pair of flags such as --drop / --no-drop; the last one given wins.
void applySwitch(const QCommandLineParser& parser, const QStringList& arguments, const char* on,
                 const char* off, bool& value)
{
    if (!parser.isSet(QString::fromLatin1(on)) && !parser.isSet(QString::fromLatin1(off)))
        return;
    const QString onFlag = QStringLiteral("--") + QLatin1String(on);
    const QString offFlag = QStringLiteral("--") + QLatin1String(off);
    value = arguments.lastIndexOf(onFlag) > arguments.lastIndexOf(offFlag);
}
}  // namespace

std::optional<ObjectKind> kindFromName(const QString& name)
{
    for (ObjectKind kind : EveryKind) {
        if (name.compare(objectKindKey(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

QString kindName(ObjectKind kind)
{
    return objectKindKey(kind);
}

QString settingsFileArgument(const QStringList& arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--settings") && i + 1 < arguments.size())
            return arguments[i + 1];
        if (arguments[i].startsWith(QLatin1String("--settings=")))
            return arguments[i].mid(11);
    }
    return QString::fromLatin1(TAppSettings::FileName);
}

QString cliVersionText()
{
    return QStringLiteral("skelder-cli (Skelder) " SKELDER_VERSION "\nQt %1, FreeTDS %2")
        .arg(QString::fromLatin1(qVersion()), QStringLiteral(SKELDER_FREETDS_VERSION));
}

namespace {
// The options besides --help and --version, in the order --help lists them.
void addOptions(QCommandLineParser& parser)
{
    parser.addOptions({
        option({"S", "server"}, "Server: an entry of the server list ($SYBASE/ini/sql.ini).",
               "name"),
        option({"U", "user"}, "Login name.", "login"),
        option({"P", "password"},
               "Password; otherwise SKELDER_PASSWORD, otherwise asked for without echo when a "
               "terminal is attached (empty otherwise).",
               "password"),
        option({"D", "database"}, "Database to script (repeatable; default: every user database).",
               "name"),
        option({"kind"},
               "Kind of object to script (repeatable; default: every kind of a database): "
               "users, groups, tables, views, indexes, triggers, procedures, rules, datatypes; "
               "and of the server itself: logins, roles, databases, devices, remote-servers, "
               "configuration.",
               "kind"),
        option({"whole-server"},
               "Script the whole server in the order a new server needs it: configuration, "
               "devices (with --devices), databases, logins, roles, remote servers, then "
               "every object of every user database."),
        option({"devices"},
               "Also write the devices, which --whole-server leaves out (their paths belong to "
               "the old machine: see --device-directory)."),
        option({"device-directory"},
               "Write device files into this directory of the new machine instead of their "
               "old paths.",
               "dir"),
        option({"password-placeholders"},
               "Write a placeholder for each login's password, which stops the script until "
               "it is replaced, instead of the stored password hash."),
        option({"object"},
               "Objects whose caption (owner.name, table.index, or name) matches the pattern, "
               "with % and _ wildcards (repeatable; default: all).",
               "pattern"),
        option({"drop"}, "Write guarded DROP batches."),
        option({"no-drop"}, "Write no DROP batches."),
        option({"triggers"}, "Write a table's triggers after it."),
        option({"no-triggers"}, "Write no trigger sections after tables."),
        option({"indexes"}, "Write a table's indexes after it."),
        option({"no-indexes"}, "Write no index sections after tables."),
        option({"grants"}, "Write GRANT batches."),
        option({"no-grants"}, "Write no GRANT batches."),
        option({"prefix-db"}, "Prefix names with the database in DROP guards and CREATE TABLE."),
        option({"no-prefix-db"}, "Write names without the database prefix."),
        option({"separate-files"}, "Write one file per object into this directory.", "dir"),
        option({"o", "output"}, "Write the script to this file (default: standard output).",
               "file"),
        option({"repository"},
               "Keep a schema repository in this directory: <database>/<kind>/<owner>.<name>.sql "
               "and replay-order.txt, without time stamps; only changed files are rewritten and "
               "the files of objects gone are removed.",
               "dir"),
        option({"compare"},
               "Compare the database of -D with TARGET: another database of the server, "
               "ENTRY:DATABASE of another server entry, or a repository directory; report the "
               "objects on one side only and a unified diff of those that differ; exit 1 when "
               "they differ.",
               "target"),
        option({"migration"},
               "With --compare and a database as TARGET: write the Transact-SQL that turns "
               "TARGET into the database of -D into this file.",
               "file"),
        option({"drop-extra"},
               "With --migration: drop the objects only TARGET has (tables only with "
               "--allow-data-loss)."),
        option({"allow-data-loss"}, "With --migration --drop-extra: drop tables too."),
        option({"compare-user"}, "With --compare ENTRY:DATABASE: the login there.", "login"),
        option({"compare-password"}, "With --compare ENTRY:DATABASE: the password there.",
               "password"),
        option({"check"},
               "With --repository: write nothing, list the differences and exit 1 when the "
               "repository differs from the server."),
        option({"ext"},
               "File extension of a kind for --separate-files, e.g. tables=sql "
               "(repeatable).",
               "kind=ext"),
        option({"rdbms"}, "Kind of server: \"Sybase SQL Server\" (default) or \"SQLAnywhere\".",
               "name"),
        option({"settings"}, "Settings file (default: Skelder.ini in the configuration directory).",
               "file"),
        option({"list"},
               "Print the objects that would be scripted (database, kind, caption) "
               "instead of scripting them."),
        option({"quiet"}, "No progress and no informational messages."),
        option({"no-header"}, "Omit the header comment, for output that compares between runs."),
        option({"per-object-reads"},
               "Read the catalog object by object, never one request per kind of read (for "
               "the whole database, or for the selected objects alone when they are a small "
               "part of it)."),
        option({"login-timeout"},
               "Seconds to wait for the server to answer the login (default: 30, or the "
               "settings file's).",
               "seconds"),
        option({"command-timeout"},
               "Seconds to wait for each answer of the server before the run ends with an "
               "error (default: 600, or the settings file's).",
               "seconds"),
        option({"trace"},
               "Write every statement sent and every server message received, with the time, "
               "to this file (never the password).",
               "file"),
    });
}

// Each reader fills its part of `options` from the command line and the settings; it
// gives the usage error that stops the run, if any.
// What is scripted: the server, the login and the objects.
std::optional<QString> readSelection(const QCommandLineParser& parser, const TAppSettings& settings,
                                     TCliOptions& options)
{
    options.Server = parser.isSet("server") ? parser.value("server") : settings.ServerName;
    options.User = parser.isSet("user") ? parser.value("user") : settings.UserName;
    options.PasswordGiven = parser.isSet("password");
    options.Password = parser.value("password");
    if (parser.isSet("rdbms"))
        options.Rdbms = parser.value("rdbms");
    if (options.Rdbms != QLatin1String("Sybase SQL Server") &&
        options.Rdbms != QLatin1String("SQLAnywhere"))
        return QStringLiteral("Unknown --rdbms: ") + options.Rdbms;
    options.Databases = parser.values("database");
    for (const QString& name : parser.values("kind")) {
        const std::optional<ObjectKind> kind = kindFromName(name);
        if (!kind)
            return QStringLiteral("Unknown --kind: ") + name;
        if (!options.Kinds.contains(*kind))
            options.Kinds << *kind;
    }
    options.ObjectPatterns = parser.values("object");
    options.WholeServer = parser.isSet("whole-server");
    if (options.WholeServer && (!options.Databases.isEmpty() || !options.Kinds.isEmpty()))
        return QStringLiteral(
            "--whole-server takes every database and kind: leave out -D and "
            "--kind.");
    if (options.WholeServer) {
        for (ObjectKind kind : EveryKind) {
            if (kind != ObjectKind::Devices)
                options.Kinds << kind;
        }
    }
    if (parser.isSet("devices") && !options.Kinds.contains(ObjectKind::Devices))
        options.Kinds << ObjectKind::Devices;
    const bool serverKinds = std::any_of(options.Kinds.begin(), options.Kinds.end(), isServerKind);
    if (serverKinds && options.Rdbms != QLatin1String("Sybase SQL Server"))
        return QStringLiteral(
            "The server's own objects (logins, roles, databases, devices, remote "
            "servers, configuration) are read from Adaptive Server's master only.");
    return std::nullopt;
}

// How it is scripted: the switches, which the last of a pair decides, and the extensions.
std::optional<QString> readScriptOptions(const QCommandLineParser& parser,
                                         const QStringList& arguments, const TAppSettings& settings,
                                         TCliOptions& options)
{
    options.Options = settings.Options;
    applySwitch(parser, arguments, "drop", "no-drop", options.Options.AddDrop);
    applySwitch(parser, arguments, "prefix-db", "no-prefix-db", options.Options.PrefixWithDb);
    applySwitch(parser, arguments, "triggers", "no-triggers", options.Options.TriggerScript);
    applySwitch(parser, arguments, "indexes", "no-indexes", options.Options.IndexScript);
    applySwitch(parser, arguments, "grants", "no-grants", options.Options.PrivilegeScript);
    if (parser.isSet("password-placeholders"))
        options.Options.PasswordPlaceholders = true;
    if (parser.isSet("device-directory"))
        options.Options.DeviceDirectory = parser.value("device-directory");
    for (const QString& assignment : parser.values("ext")) {
        const int equals = assignment.indexOf(QLatin1Char('='));
        const std::optional<ObjectKind> kind =
            equals < 0 ? std::nullopt : kindFromName(assignment.left(equals));
        if (!kind)
            return QStringLiteral("Bad --ext (expected KIND=EXT): ") + assignment;
        options.Options.extension(*kind) = assignment.mid(equals + 1);
    }
    return std::nullopt;
}

// Where the script goes, what else the run prints, and how long it waits for the server.
std::optional<QString> readOutput(const QCommandLineParser& parser, const TAppSettings& settings,
                                  TCliOptions& options)
{
    options.OutputFile = parser.value("output");
    options.SeparateFilesDir = parser.value("separate-files");
    options.RepositoryDir = parser.value("repository");
    options.CheckOnly = parser.isSet("check");
    const int targets = int(!options.OutputFile.isEmpty()) +
                        int(!options.SeparateFilesDir.isEmpty()) +
                        int(!options.RepositoryDir.isEmpty());
    if (targets > 1)
        return QStringLiteral("--separate-files, --repository and --output exclude each other.");
    if (options.CheckOnly && options.RepositoryDir.isEmpty())
        return QStringLiteral("--check goes with --repository.");
    options.CompareTarget = parser.value("compare");
    // Texts that name no database compare with those of a database of another name.
    if (!options.RepositoryDir.isEmpty() || !options.CompareTarget.isEmpty())
        options.Options.PrefixWithDb = false;
    options.CompareUser = parser.value("compare-user");
    options.ComparePasswordGiven = parser.isSet("compare-password");
    options.ComparePassword = parser.value("compare-password");
    options.MigrationFile = parser.value("migration");
    options.DropExtra = parser.isSet("drop-extra");
    options.AllowDataLoss = parser.isSet("allow-data-loss");
    if (!options.MigrationFile.isEmpty() && options.CompareTarget.isEmpty())
        return QStringLiteral("--migration goes with --compare.");
    if ((options.DropExtra || options.AllowDataLoss) && options.MigrationFile.isEmpty())
        return QStringLiteral("--drop-extra and --allow-data-loss go with --migration.");
    if (!options.CompareTarget.isEmpty()) {
        if (options.Databases.size() != 1)
            return QStringLiteral("--compare compares one database: name it with -D.");
        if (targets > 0 || options.List)
            return QStringLiteral(
                "--compare writes a report, not a script: leave out -o, "
                "--separate-files, --repository and --list.");
    }
    options.Options.SeparateFiles = !options.SeparateFilesDir.isEmpty();
    options.List = parser.isSet("list");
    options.Quiet = parser.isSet("quiet");
    options.Header = !parser.isSet("no-header");
    options.PerObjectReads = parser.isSet("per-object-reads");
    options.TraceFile = parser.value("trace");
    options.LoginTimeout = settings.LoginTimeout;
    options.CommandTimeout = settings.CommandTimeout;
    for (const auto& [name, seconds] : {std::pair{"login-timeout", &options.LoginTimeout},
                                        std::pair{"command-timeout", &options.CommandTimeout}}) {
        if (!parser.isSet(QLatin1String(name)))
            continue;
        bool ok = false;
        *seconds = parser.value(QLatin1String(name)).toInt(&ok);
        if (!ok || *seconds < 1)
            return QStringLiteral("--%1 needs a whole number of seconds above 0.")
                .arg(QLatin1String(name));
    }
    return std::nullopt;
}

}  // namespace

TCliParseResult parseCliArguments(const QStringList& arguments, const TAppSettings& settings)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes Transact-SQL scripts that re-create the objects of Adaptive Server databases.\n"
        "Defaults for every option come from the settings file shared with the Skelder GUI."));
    // Not addHelpOption(): its --help-all would be accepted and then ignored.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Describe every option and exit."));
    parser.addOption(help);
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Print the version and exit."));
    parser.addOption(version);
    addOptions(parser);

    QStringList argv = arguments;
    argv.prepend(QStringLiteral("skelder-cli"));
    if (!parser.parse(argv))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        TCliParseResult result;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        TCliParseResult result;
        result.message = cliVersionText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("Unexpected argument: ") +
                          parser.positionalArguments().constFirst());

    TCliOptions options;
    std::optional<QString> error = readSelection(parser, settings, options);
    if (!error)
        error = readScriptOptions(parser, arguments, settings, options);
    if (!error)
        error = readOutput(parser, settings, options);
    if (error)
        return usageError(*error);

    TCliParseResult result;
    result.options = options;
    return result;
}

bool likeMatch(const QString& pattern, const QString& text)
{
    // Iterative matching with backtracking to the last %.
    int p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('%')) {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('_') || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}
