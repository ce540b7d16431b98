#include "ServerSections.h"

#include "CatalogStatements.h"
#include "Identifier.h"
#include "ScriptText.h"
#include "ServerCatalog.h"

#include <QFileInfo>

using CatalogStatements::singleQuoted;

namespace {
const QString kGo = QStringLiteral("GO");

// The statement alone, or, with the guards on, run only when `exists` finds nothing.
QStringList whenMissing(const QString& exists, const QStringList& create,
                        const TScriptOptions& options)
{
    if (!options.AddDrop)
        return create;
    QStringList guarded{QStringLiteral("IF NOT EXISTS(") + exists + QLatin1Char(')')};
    for (const QString& line : create)
        guarded << QStringLiteral("  ") + line;
    return guarded;
}

QString rowNamed(const QString& table, const QString& name)
{
    return QStringLiteral("SELECT * FROM master.dbo.") + table + QStringLiteral(" WHERE name = ") +
           singleQuoted(name);
}

// A name where the statement takes an identifier; a name that is no regular identifier
// needs quoted identifiers, which the section then turns on around its batch.
QString identifier(const QString& name, bool& needsQuotedIdentifiers)
{
    if (!isRegularIdentifier(name))
        needsQuotedIdentifiers = true;
    return scriptName(name);
}

QStringList underQuotedIdentifiers(const QStringList& batch, bool needed)
{
    if (!needed)
        return batch;
    return quotedIdentifiers(true) + batch + quotedIdentifiers(false);
}

// The srid of a role, as a subquery.
QString roleId(const QString& role)
{
    return QStringLiteral("(SELECT srid FROM master.dbo.syssrvroles WHERE name = ") +
           singleQuoted(role) + QLatin1Char(')');
}

QStringList opened(const QString& name)
{
    return {QString(), banner(name)};
}

QStringList batch(const QString& statement)
{
    return {statement, kGo};
}

QStringList inDatabase(const QString& database, const QStringList& batches)
{
    bool quotedIdentifiers = false;
    const QString name = identifier(database, quotedIdentifiers);
    return underQuotedIdentifiers({QStringLiteral("USE ") + name, kGo}, quotedIdentifiers) +
           batches + QStringList{QStringLiteral("USE master"), kGo};
}

QString execute(const QString& procedure, const QStringList& arguments)
{
    return QStringLiteral("EXECUTE ") + procedure + QLatin1Char(' ') +
           arguments.join(QStringLiteral(", "));
}

// A size in kilobytes as create and alter database take it: megabytes when whole.
QString databaseSize(qint64 kilobytes)
{
    return kilobytes % 1024 == 0 ? singleQuoted(QString::number(kilobytes / 1024) + 'M')
                                 : singleQuoted(QString::number(kilobytes) + 'K');
}

constexpr int kSystemSegment = 0;
constexpr int kDefaultSegment = 1;
constexpr int kLogSegment = 2;
constexpr int kDataSegmentMap = (1 << kSystemSegment) | (1 << kDefaultSegment);
constexpr int kLogSegmentMap = 1 << kLogSegment;

bool holdsData(const TDatabaseFragment& fragment)
{
    return fragment.SegmentMap & ~kLogSegmentMap;
}
bool holdsLog(const TDatabaseFragment& fragment)
{
    return fragment.SegmentMap & kLogSegmentMap;
}

// The device clauses of one create or alter database: "ON a = '10M', b = '5M' LOG ON c = ...".
QString deviceClauses(const QList<TDatabaseFragment>& data, const QList<TDatabaseFragment>& log)
{
    const auto list = [](const QList<TDatabaseFragment>& fragments) {
        QStringList clauses;
        for (const TDatabaseFragment& fragment : fragments)
            clauses << scriptName(fragment.Device) + QStringLiteral(" = ") +
                           databaseSize(fragment.Kilobytes);
        return clauses.join(QStringLiteral(", "));
    };
    QString clauses;
    if (!data.isEmpty())
        clauses += QStringLiteral(" ON ") + list(data);
    if (!log.isEmpty())
        clauses += QStringLiteral(" LOG ON ") + list(log);
    return clauses;
}

// The fragments as the server allots them: CREATE DATABASE takes the longest start that
// it can give in one statement (data, then log), and each later fragment is one ALTER
// DATABASE, so that the fragments come in the same order of logical pages.
QStringList createAndAlter(const TServerDatabase& database, const QString& name,
                           int& createdFragments)
{
    const QList<TDatabaseFragment>& fragments = database.Fragments;
    int at = 0;
    QList<TDatabaseFragment> data, log;
    // One clause per device: a second piece on a device is an ALTER of its own.
    QStringList devices;
    const auto takes = [&](const TDatabaseFragment& fragment) {
        if (devices.contains(fragment.Device))
            return false;
        devices << fragment.Device;
        return true;
    };
    while (at < fragments.size() && holdsData(fragments[at]) && takes(fragments[at]))
        data << fragments[at++];
    // A device holding data and log together is written as data: without LOG ON the
    // log shares the data's devices.
    const bool mixed = std::any_of(data.begin(), data.end(), holdsLog);
    while (!mixed && at < fragments.size() && !holdsData(fragments[at]) && takes(fragments[at]))
        log << fragments[at++];
    QStringList statements{QStringLiteral("CREATE DATABASE ") + name + deviceClauses(data, log)};
    createdFragments = at;
    for (; at < fragments.size(); ++at) {
        const bool logOnly = !holdsData(fragments[at]);
        statements << QStringLiteral("ALTER DATABASE ") + name +
                          deviceClauses(logOnly ? QList<TDatabaseFragment>{}
                                                : QList<TDatabaseFragment>{fragments[at]},
                                        logOnly ? QList<TDatabaseFragment>{fragments[at]}
                                                : QList<TDatabaseFragment>{});
    }
    return statements;
}

// What CREATE and ALTER DATABASE put on a fragment: system and default on data, the log
// on log, all three where they share a device.
int allottedSegmentMap(const TDatabaseFragment& fragment)
{
    int map = 0;
    if (holdsData(fragment))
        map |= kDataSegmentMap;
    if (holdsLog(fragment))
        map |= kLogSegmentMap;
    return map;
}

// The sp_addsegment, sp_extendsegment and sp_dropsegment calls that map each segment
// onto the devices it has, starting from what create and alter database gave.
// A statement run only when `condition` holds, with the guards on; as it is without them.
QStringList guarded(const QString& condition, const QString& statement,
                    const TScriptOptions& options)
{
    if (!options.AddDrop)
        return batch(statement);
    return {QStringLiteral("IF ") + condition, QStringLiteral("  ") + statement, kGo};
}

// Whether the current database's fragments on `device` hold `segment`.
QString segmentOnDevice(const QString& segment, const QString& device)
{
    return QStringLiteral(
               "EXISTS(SELECT * FROM master.dbo.sysusages u, master.dbo.sysdevices d, "
               "syssegments s WHERE u.dbid = db_id() AND d.vdevno = u.vdevno AND "
               "d.name = %1 AND s.name = %2 AND u.segmap & power(2, s.segment) != 0)")
        .arg(singleQuoted(device), singleQuoted(segment));
}

// The sp_addsegment, sp_extendsegment and sp_dropsegment calls that map each segment
// onto the devices it has, starting from what create and alter database gave; each runs
// only when the database does not have its mapping yet.
QStringList segmentMapping(const TServerDatabase& database, const TScriptOptions& options)
{
    QStringList batches;
    const QString db = procedureArgument(database.Name);
    for (const TDatabaseSegment& segment : database.Segments) {
        const int bit = 1 << segment.Number;
        QStringList onDevices, offDevices;
        for (const TDatabaseFragment& fragment : database.Fragments) {
            const bool has = fragment.SegmentMap & bit;
            const bool given = allottedSegmentMap(fragment) & bit;
            if (has && !given && !onDevices.contains(fragment.Device))
                onDevices << fragment.Device;
            if (!has && given && !offDevices.contains(fragment.Device))
                offDevices << fragment.Device;
        }
        const QString name = procedureArgument(segment.Name);
        const bool added = segment.Number > kLogSegment;
        if (added) {
            // A segment on no device is added on the first fragment's and taken off it.
            const bool onNoDevice = onDevices.isEmpty();
            const QString first =
                onNoDevice ? database.Fragments.value(0).Device : onDevices.takeFirst();
            if (onNoDevice)
                offDevices << first;
            batches << guarded(
                QStringLiteral("NOT EXISTS(SELECT * FROM syssegments WHERE name = ") +
                    singleQuoted(segment.Name) + QLatin1Char(')'),
                execute(QStringLiteral("sp_addsegment"), {name, db, procedureArgument(first)}),
                options);
        }
        for (const QString& device : onDevices)
            batches << guarded(
                QStringLiteral("NOT ") + segmentOnDevice(segment.Name, device),
                execute(QStringLiteral("sp_extendsegment"), {name, db, procedureArgument(device)}),
                options);
        for (const QString& device : offDevices)
            batches << guarded(
                segmentOnDevice(segment.Name, device),
                execute(QStringLiteral("sp_dropsegment"), {name, db, procedureArgument(device)}),
                options);
    }
    return batches;
}

// The lines that stop a script run by isql at a placeholder still to be replaced.
QStringList scriptStop(const QString& message)
{
    return {QStringLiteral("PRINT ") + singleQuoted(message), QStringLiteral("SELECT syb_quit()"),
            kGo};
}

// The sp_dboption options that would refuse the creation of the database's objects.
bool restrictsObjectCreation(const QString& option)
{
    return option == QLatin1String("read only") || option == QLatin1String("single user") ||
           option == QLatin1String("dbo use only");
}
}  // namespace

TServerSection deviceSection(const TServerDevice& device, const TScriptOptions& options)
{
    TServerSection section;
    section.Lines = opened(device.Name);
    QString path = device.PhysicalName;
    if (!options.DeviceDirectory.isEmpty() && device.Usage != TServerDevice::Use::DumpTape)
        path = options.DeviceDirectory + QLatin1Char('/') + QFileInfo(path).fileName();
    if (device.Usage != TServerDevice::Use::Database) {
        const QString type = device.Usage == TServerDevice::Use::DumpTape ? QStringLiteral("tape")
                                                                          : QStringLiteral("disk");
        section.Lines << whenMissing(rowNamed(QStringLiteral("sysdevices"), device.Name),
                                     {execute(QStringLiteral("sp_addumpdevice"),
                                              {singleQuoted(type), singleQuoted(device.Name),
                                               singleQuoted(path)})},
                                     options)
                      << kGo;
        return section;
    }
    const QString size = device.Pages2K % 512 == 0
                             ? singleQuoted(QString::number(device.Pages2K / 512) + 'M')
                             : QString::number(device.Pages2K);
    QStringList init{QStringLiteral("DISK INIT NAME = ") + singleQuoted(device.Name) +
                     QStringLiteral(", PHYSNAME = ") + singleQuoted(path) +
                     QStringLiteral(", SIZE = ") + size + QStringLiteral(", VDEVNO = ") +
                     QString::number(device.VDevNo) + QStringLiteral(", DSYNC = ") +
                     (device.DSync ? QStringLiteral("true") : QStringLiteral("false")) +
                     QStringLiteral(", DIRECTIO = ") +
                     (device.DirectIO ? QStringLiteral("true") : QStringLiteral("false"))};
    section.Lines << whenMissing(rowNamed(QStringLiteral("sysdevices"), device.Name), init, options)
                  << kGo;
    if (device.DefaultDisk)
        section.Lines << batch(
            execute(QStringLiteral("sp_diskdefault"),
                    {procedureArgument(device.Name), QStringLiteral("defaulton")}));
    return section;
}

TServerSection databaseSection(const TServerDatabase& database, const TScriptOptions& options)
{
    TServerSection section;
    section.Lines = opened(database.Name);
    bool quotedIdentifiers = false;
    const QString name = identifier(database.Name, quotedIdentifiers);
    int createdFragments = 0;
    const QStringList statements = createAndAlter(database, name, createdFragments);
    QStringList create = whenMissing(rowNamed(QStringLiteral("sysdatabases"), database.Name),
                                     {statements[0]}, options);
    create << kGo;
    // Each ALTER adds one fragment: it runs while the database has fewer than it gives.
    for (int n = 1; n < statements.size(); ++n) {
        create << guarded(QStringLiteral("(SELECT count(*) FROM master.dbo.sysusages WHERE "
                                         "dbid = db_id(%1)) < %2")
                              .arg(singleQuoted(database.Name))
                              .arg(createdFragments + n),
                          statements[n], options);
    }
    section.Lines << underQuotedIdentifiers(create, quotedIdentifiers);

    const QString db = procedureArgument(database.Name);
    for (const QString& option : database.Options) {
        const QStringList set = batch(execute(QStringLiteral("sp_dboption"),
                                              {db, singleQuoted(option), QStringLiteral("true")}));
        (restrictsObjectCreation(option) ? section.AtEnd : section.Lines) << set;
    }
    QStringList inside = segmentMapping(database, options);
    for (const TDatabaseThreshold& threshold : database.Thresholds) {
        const QString freePages = QString::number(threshold.FreePages);
        inside << guarded(
            QStringLiteral("NOT EXISTS(SELECT * FROM systhresholds t, syssegments s WHERE "
                           "s.segment = t.segment AND s.name = %1 AND t.free_space = %2)")
                .arg(singleQuoted(threshold.Segment), freePages),
            execute(QStringLiteral("sp_addthreshold"),
                    {db, procedureArgument(threshold.Segment), freePages,
                     procedureArgument(threshold.Procedure)}),
            options);
    }
    if (!inside.isEmpty())
        section.Lines << inDatabase(database.Name, inside);
    if (!database.Owner.isEmpty() && database.Owner != QLatin1String("sa"))
        section.AfterLogins << inDatabase(
            database.Name,
            guarded(QStringLiteral("NOT EXISTS(SELECT * FROM master.dbo.sysdatabases WHERE "
                                   "dbid = db_id() AND suid = suser_id(%1))")
                        .arg(singleQuoted(database.Owner)),
                    execute(QStringLiteral("sp_changedbowner"), {singleQuoted(database.Owner)}),
                    options));
    return section;
}

TServerSection loginSection(const TServerLogin& login, const TScriptOptions& options)
{
    TServerSection section;
    section.Lines = opened(login.Name);
    const bool placeholder = options.PasswordPlaceholders || login.PasswordHash.isEmpty();
    QString create = QStringLiteral("CREATE LOGIN ") + scriptName(login.Name);
    if (placeholder) {
        const QString stand = QStringLiteral("<password of %1>").arg(login.Name);
        section.Lines << scriptStop(QStringLiteral("Login %1: replace %2 below with its password, "
                                                   "then remove this batch")
                                        .arg(login.Name, stand));
        create += QStringLiteral(" WITH PASSWORD ") + singleQuoted(stand);
        section.Warnings
            << QStringLiteral("login %1: its password is a placeholder to replace").arg(login.Name);
    } else {
        create += QStringLiteral(" WITH ENCRYPTED PASSWORD ") + singleQuoted(login.PasswordHash);
    }
    // The suid keeps the login's users in databases loaded from dumps; 2 and below are the
    // server's own.
    if (login.Suid > 2)
        create += QStringLiteral(" SUID ") + QString::number(login.Suid);
    if (!login.FullName.isEmpty())
        create += QStringLiteral(" FULLNAME ") + singleQuoted(login.FullName);
    if (!login.DefaultDatabase.isEmpty())
        create += QStringLiteral(" DEFAULT DATABASE ") + procedureArgument(login.DefaultDatabase);
    if (!login.Language.isEmpty())
        create += QStringLiteral(" DEFAULT LANGUAGE ") + procedureArgument(login.Language);
    bool quotedIdentifiers = !isRegularIdentifier(login.Name);
    section.Lines << underQuotedIdentifiers(
        whenMissing(rowNamed(QStringLiteral("syslogins"), login.Name), {create}, options) << kGo,
        quotedIdentifiers);
    if (login.Locked)
        section.Lines << batch(execute(QStringLiteral("sp_locklogin"),
                                       {singleQuoted(login.Name), QStringLiteral("'lock'")}));
    // The login script is a procedure of the default database, made with its objects.
    if (!login.LoginScript.isEmpty())
        section.AtEnd << batch(execute(QStringLiteral("sp_modifylogin"),
                                       {singleQuoted(login.Name), QStringLiteral("'login script'"),
                                        singleQuoted(login.LoginScript)}));
    for (const QString& role : login.Roles) {
        section.AfterLogins
            << whenMissing(
                   QStringLiteral("SELECT * FROM master.dbo.sysloginroles WHERE suid = suser_id(") +
                       singleQuoted(login.Name) + QStringLiteral(") AND srid = ") + roleId(role),
                   {QStringLiteral("GRANT ROLE ") + scriptName(role) + QStringLiteral(" TO ") +
                    scriptName(login.Name)},
                   options)
            << kGo;
        if (login.DefaultRoles.contains(role))
            section.AfterLogins << batch(
                execute(QStringLiteral("sp_modifylogin"),
                        {singleQuoted(login.Name), QStringLiteral("'add default role'"),
                         singleQuoted(role)}));
    }
    return section;
}

TServerSection roleSection(const TServerRole& role, const TScriptOptions& options)
{
    TServerSection section;
    section.Lines = opened(role.Name);
    QString create = QStringLiteral("CREATE ROLE ") + scriptName(role.Name);
    if (role.HasPassword) {
        const QString stand = QStringLiteral("<password of role %1>").arg(role.Name);
        section.Lines << scriptStop(QStringLiteral("Role %1: replace %2 below with its password, "
                                                   "then remove this batch")
                                        .arg(role.Name, stand));
        create += QStringLiteral(" WITH PASSWD ") + singleQuoted(stand);
        section.Warnings
            << QStringLiteral("role %1: its password is a placeholder to replace").arg(role.Name);
    }
    section.Lines << whenMissing(rowNamed(QStringLiteral("syssrvroles"), role.Name), {create},
                                 options)
                  << kGo;
    for (const QString& granted : role.GrantedRoles) {
        section.AfterLogins << whenMissing(
                                   QStringLiteral(
                                       "SELECT * FROM master.dbo.sysattributes WHERE class = 8 AND "
                                       "attribute = 2 AND object = ") +
                                       roleId(role.Name) + QStringLiteral(" AND object_info1 = ") +
                                       roleId(granted),
                                   {QStringLiteral("GRANT ROLE ") + scriptName(granted) +
                                    QStringLiteral(" TO ") + scriptName(role.Name)},
                                   options)
                            << kGo;
    }
    return section;
}

TServerSection remoteServerSection(const TRemoteServer& server, const TScriptOptions& options)
{
    TServerSection section;
    section.Lines = opened(server.Name);
    QStringList arguments{singleQuoted(server.Name), singleQuoted(server.ServerClass)};
    if (!server.NetworkName.isEmpty() && server.NetworkName != server.Name)
        arguments << singleQuoted(server.NetworkName);
    section.Lines << whenMissing(QStringLiteral("SELECT * FROM master.dbo.sysservers WHERE "
                                                "srvname = ") +
                                     singleQuoted(server.Name),
                                 {execute(QStringLiteral("sp_addserver"), arguments)}, options)
                  << kGo;
    for (const auto& [option, value] : server.Options)
        section.Lines << batch(execute(QStringLiteral("sp_serveroption"),
                                       {singleQuoted(server.Name), singleQuoted(option),
                                        value ? QStringLiteral("true") : QStringLiteral("false")}));
    return section;
}

TServerSection configurationSection(const TConfigurationValue& value)
{
    TServerSection section;
    section.Lines = opened(value.Name);
    const QStringList arguments =
        value.Text
            ? QStringList{singleQuoted(value.Name), QStringLiteral("0"), singleQuoted(value.Value)}
            : QStringList{singleQuoted(value.Name), value.Value};
    section.Lines << batch(execute(QStringLiteral("sp_configure"), arguments));
    return section;
}

namespace {
template <typename Record>
const Record* named(const QList<Record>& records, const QString& name)
{
    for (const Record& record : records) {
        if (record.Name == name)
            return &record;
    }
    return nullptr;
}
}  // namespace

std::optional<TServerSection> serverSection(TServerCatalog& catalog, ObjectKind kind,
                                            const QString& name, const TScriptOptions& options)
{
    switch (kind) {
        case ObjectKind::Devices:
            if (const auto* device = named(catalog.devices(), name))
                return deviceSection(*device, options);
            break;
        case ObjectKind::Databases:
            if (const auto* database = named(catalog.databases(), name))
                return databaseSection(*database, options);
            break;
        case ObjectKind::Logins:
            if (const auto* login = named(catalog.logins(), name))
                return loginSection(*login, options);
            break;
        case ObjectKind::Roles:
            if (const auto* role = named(catalog.roles(), name))
                return roleSection(*role, options);
            break;
        case ObjectKind::RemoteServers:
            if (const auto* server = named(catalog.remoteServers(), name))
                return remoteServerSection(*server, options);
            break;
        case ObjectKind::Configuration:
            if (const auto* value = named(catalog.configuration(), name))
                return configurationSection(*value);
            break;
        default:
            break;
    }
    return std::nullopt;
}
