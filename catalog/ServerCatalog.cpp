#include "ServerCatalog.h"

#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"
#include "Identifier.h"

#include <array>

using CatalogStatements::singleQuoted;

namespace {
// sysdevices.status bits.
constexpr int kDefaultDisk = 0x1;
constexpr int kDumpDevice = 0x10;
constexpr int kDSync = 0x4000;
constexpr int kDirectIO = 0x8000;
// sysdevices.cntrltype of a tape dump device: 3 and up.
constexpr int kFirstTapeController = 3;

// syslogins.status bit of a locked login.
constexpr int kLockedLogin = 0x2;
// sysloginroles.status bit of a role active at login.
constexpr int kDefaultRole = 0x1;
// The first srid of a user-defined role; those below are the server's own.
constexpr int kFirstUserRoleId = 32;
// sso_role, whose holders may read password hashes.
constexpr int kSsoRoleId = 1;
// systhresholds.status bit of the server's last-chance threshold.
constexpr int kLastChanceThreshold = 0x1;
// master..sysattributes rows of a role granted to a role.
constexpr int kRoleHierarchyClass = 8;
constexpr int kRoleHierarchyAttribute = 2;

struct DatabaseOption {
    const char* name;
    bool inStatus2;
    int bit;
};
// The sp_dboption options by their sysdatabases status or status2 bit.
constexpr std::array<DatabaseOption, 12> kDatabaseOptions = {{
    {"select into/bulkcopy/pllsort", false, 0x4},
    {"trunc log on chkpt", false, 0x8},
    {"no chkpt on recovery", false, 0x10},
    {"ddl in tran", false, 0x200},
    {"read only", false, 0x400},
    {"dbo use only", false, 0x800},
    {"single user", false, 0x1000},
    {"allow nulls by default", false, 0x2000},
    {"abort tran on log full", true, 0x1},
    {"no free space acctg", true, 0x2},
    {"auto identity", true, 0x4},
    {"identity in nonunique index", true, 0x8},
}};

// sysservers.srvclass by sp_addserver's class name.
const QHash<int, QString>& serverClasses()
{
    static const QHash<int, QString> classes{
        {1, QStringLiteral("sql_server")},   {3, QStringLiteral("direct_connect")},
        {4, QStringLiteral("db2")},          {6, QStringLiteral("sds")},
        {7, QStringLiteral("ASEnterprise")}, {8, QStringLiteral("ASAnywhere")},
        {9, QStringLiteral("ASIQ")}};
    return classes;
}

struct ServerOption {
    const char* name;
    int bit;
    bool valueWhenSet;
};
// The sp_serveroption options by their sysservers.srvstatus bit; "timeouts" is on unless
// its bit is set.
constexpr std::array<ServerOption, 8> kServerOptions = {{
    {"timeouts", 0x1, false},
    {"net password encryption", 0x2, true},
    {"readonly", 0x4, true},
    {"rpc security model A", 0x8, true},
    {"rpc security model B", 0x10, true},
    {"use message confidentiality", 0x40, true},
    {"use message integrity", 0x80, true},
    {"mutual authentication", 0x100, true},
}};

// A varbinary column written as a 0x literal; empty for no bytes.
QString binaryLiteral(const QString& text)
{
    const QByteArray bytes = binaryFromText(text);
    return bytes.isEmpty() ? QString() : QStringLiteral("0x") + QString::fromLatin1(bytes.toHex());
}

QString inDatabase(const QString& database, const QString& table)
{
    return scriptName(database) + QStringLiteral(".dbo.") + table;
}
}  // namespace

bool TServerCatalog::isSystemDatabase(const QString& name)
{
    static const QStringList system{"master",      "model",       "tempdb",    "sybsystemprocs",
                                    "sybsystemdb", "sybsecurity", "sybmgmtdb", "dbccdb",
                                    "dbccalt",     "sybpcidb"};
    return system.contains(name, Qt::CaseInsensitive);
}

QStringList TServerCatalog::names(ObjectKind kind)
{
    QStringList listed;
    const auto collect = [&listed](const auto& records) {
        for (const auto& record : records)
            listed << record.Name;
    };
    switch (kind) {
        case ObjectKind::Devices:
            collect(devices());
            break;
        case ObjectKind::Databases:
            collect(databases());
            break;
        case ObjectKind::Logins:
            collect(logins());
            break;
        case ObjectKind::Roles:
            collect(roles());
            break;
        case ObjectKind::RemoteServers:
            collect(remoteServers());
            break;
        case ObjectKind::Configuration:
            collect(configuration());
            break;
        default:
            break;
    }
    return listed;
}

// The devices a script can create: dump devices and the database devices that hold some
// user database or none at all; the master device and those of the server's own
// databases come with every server.
const QList<TServerDevice>& TServerCatalog::devices()
{
    if (m_devices)
        return *m_devices;
    QSet<int> userDevices, systemDevices;
    {
        CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
        read.open(
            {QStringLiteral("SELECT DISTINCT u.vdevno, d.name FROM master.dbo.sysusages u, "
                            "master.dbo.sysdatabases d WHERE d.dbid = u.dbid")});
        while (read.next())
            (isSystemDatabase(read.text(2)) ? systemDevices : userDevices).insert(read.integer(1));
    }
    QList<TServerDevice> devices;
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open(
        {QStringLiteral("SELECT name, phyname, status, cntrltype, vdevno, high - low + 1 "
                        "FROM master.dbo.sysdevices ORDER BY vdevno, name")});
    while (read.next()) {
        TServerDevice device;
        device.Name = read.text(1);
        device.PhysicalName = read.text(2);
        const int status = read.integer(3);
        device.VDevNo = read.integer(5);
        device.Pages2K = read.integer(6);
        if (status & kDumpDevice) {
            device.Usage = read.integer(4) >= kFirstTapeController ? TServerDevice::Use::DumpTape
                                                                   : TServerDevice::Use::DumpDisk;
        } else {
            const bool system = device.VDevNo == 0 || (systemDevices.contains(device.VDevNo) &&
                                                       !userDevices.contains(device.VDevNo));
            if (system)
                continue;
        }
        device.DefaultDisk = status & kDefaultDisk;
        device.DSync = status & kDSync;
        device.DirectIO = status & kDirectIO;
        devices << device;
    }
    m_devices = devices;
    return *m_devices;
}

QHash<QString, QList<TDatabaseFragment>> TServerCatalog::readFragments()
{
    QHash<QString, QList<TDatabaseFragment>> fragments;
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open({QStringLiteral(
        "SELECT db.name, dev.name, u.size * (@@maxpagesize / 1024), u.segmap "
        "FROM master.dbo.sysusages u, master.dbo.sysdatabases db, master.dbo.sysdevices dev "
        "WHERE db.dbid = u.dbid AND dev.vdevno = u.vdevno AND dev.status & 16 = 0 "
        "ORDER BY u.dbid, u.lstart")});
    while (read.next()) {
        TDatabaseFragment fragment;
        fragment.Device = read.text(2);
        fragment.Kilobytes = read.integer(3);
        fragment.SegmentMap = read.integer(4);
        fragments[read.text(1)] << fragment;
    }
    return fragments;
}

const QList<TServerDatabase>& TServerCatalog::databases()
{
    if (m_databases)
        return *m_databases;
    QList<TServerDatabase> databases;
    {
        CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
        read.open(
            {QStringLiteral("SELECT name, suser_name(suid), status, status2 "
                            "FROM master.dbo.sysdatabases ORDER BY dbid")});
        while (read.next()) {
            TServerDatabase database;
            database.Name = read.text(1);
            if (isSystemDatabase(database.Name))
                continue;
            database.Owner = read.text(2);
            const int status = read.integer(3);
            const int status2 = read.integer(4);
            for (const DatabaseOption& option : kDatabaseOptions) {
                if ((option.inStatus2 ? status2 : status) & option.bit)
                    database.Options << QString::fromLatin1(option.name);
            }
            databases << database;
        }
    }
    const QHash<QString, QList<TDatabaseFragment>> fragments = readFragments();
    QHash<QString, TServerDatabase*> byName;
    for (TServerDatabase& database : databases) {
        database.Fragments = fragments.value(database.Name);
        byName.insert(database.Name, &database);
    }
    if (!databases.isEmpty()) {
        readSegments(byName);
        readThresholds(byName);
    }
    m_databases = databases;
    return *m_databases;
}

// Each database's segments, read in one statement over every database.
void TServerCatalog::readSegments(QHash<QString, TServerDatabase*>& byName)
{
    QStringList selects;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        selects << QStringLiteral("SELECT %1, segment, name FROM %2")
                       .arg(singleQuoted(it.key()),
                            inDatabase(it.key(), QStringLiteral("syssegments")));
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open({selects.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(" ORDER BY 1, 2")});
    while (read.next()) {
        if (TServerDatabase* database = byName.value(read.text(1)))
            database->Segments << TDatabaseSegment{read.integer(2), read.text(3)};
    }
}

// Each database's thresholds but the server's last-chance ones, likewise.
void TServerCatalog::readThresholds(QHash<QString, TServerDatabase*>& byName)
{
    QStringList selects;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        selects << QStringLiteral(
                       "SELECT %1, s.name, t.free_space, t.proc_name FROM %2 t, %3 s "
                       "WHERE s.segment = t.segment AND t.status & %4 = 0")
                       .arg(singleQuoted(it.key()),
                            inDatabase(it.key(), QStringLiteral("systhresholds")),
                            inDatabase(it.key(), QStringLiteral("syssegments")))
                       .arg(kLastChanceThreshold);
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open({selects.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(" ORDER BY 1, 2, 3")});
    while (read.next()) {
        if (TServerDatabase* database = byName.value(read.text(1)))
            database->Thresholds << TDatabaseThreshold{read.text(2), read.integer(3), read.text(4)};
    }
}

bool TServerCatalog::passwordsReadable()
{
    if (m_passwordsReadable)
        return *m_passwordsReadable;
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open({QStringLiteral("SELECT count(*) FROM master.dbo.sysloginroles "
                              "WHERE suid = suser_id() AND srid = %1")
                   .arg(kSsoRoleId)});
    m_passwordsReadable = read.next() && read.integer(1) > 0;
    return *m_passwordsReadable;
}

const QList<TServerLogin>& TServerCatalog::logins()
{
    if (m_logins)
        return *m_logins;
    QList<TServerLogin> logins;
    {
        CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
        // sa (suid 1) comes with every server.
        read.open(
            {QStringLiteral("SELECT name, suid, dbname, language, fullname, status, "
                            "object_name(procid, db_id(dbname)) "
                            "FROM master.dbo.syslogins WHERE suid > 1 ORDER BY suid")});
        while (read.next()) {
            TServerLogin login;
            login.Name = read.text(1);
            login.Suid = read.integer(2);
            login.DefaultDatabase = read.text(3);
            login.Language = read.text(4);
            login.FullName = read.text(5);
            login.Locked = read.integer(6) & kLockedLogin;
            login.LoginScript = read.text(7);
            logins << login;
        }
    }
    if (!logins.isEmpty()) {
        readLoginRoles(logins);
        if (passwordsReadable())
            readPasswords(logins);
    }
    m_logins = logins;
    return *m_logins;
}

void TServerCatalog::readLoginRoles(QList<TServerLogin>& logins)
{
    QHash<int, TServerLogin*> bySuid;
    for (TServerLogin& login : logins)
        bySuid.insert(login.Suid, &login);
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open(
        {QStringLiteral("SELECT lr.suid, r.name, lr.status FROM master.dbo.sysloginroles lr, "
                        "master.dbo.syssrvroles r WHERE r.srid = lr.srid "
                        "ORDER BY lr.suid, r.srid")});
    while (read.next()) {
        TServerLogin* login = bySuid.value(read.integer(1));
        if (!login)
            continue;
        login->Roles << read.text(2);
        if (read.integer(3) & kDefaultRole)
            login->DefaultRoles << read.text(2);
    }
}

void TServerCatalog::readPasswords(QList<TServerLogin>& logins)
{
    QHash<int, TServerLogin*> bySuid;
    for (TServerLogin& login : logins)
        bySuid.insert(login.Suid, &login);
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open({QStringLiteral("SELECT suid, password FROM master.dbo.syslogins WHERE suid > 1")});
    while (read.next()) {
        if (TServerLogin* login = bySuid.value(read.integer(1)))
            login->PasswordHash = binaryLiteral(read.text(2));
    }
}

const QList<TServerRole>& TServerCatalog::roles()
{
    if (m_roles)
        return *m_roles;
    QList<TServerRole> roles;
    QHash<int, int> positionOfSrid;
    {
        CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
        read.open({QStringLiteral("SELECT srid, name, CASE WHEN password IS NULL THEN 0 ELSE 1 END "
                                  "FROM master.dbo.syssrvroles WHERE srid >= %1 ORDER BY srid")
                       .arg(kFirstUserRoleId)});
        while (read.next()) {
            positionOfSrid.insert(read.integer(1), roles.size());
            roles << TServerRole{read.text(2), read.integer(3) != 0, {}};
        }
    }
    if (!roles.isEmpty()) {
        CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
        read.open(
            {QStringLiteral("SELECT a.object, r.name FROM master.dbo.sysattributes a, "
                            "master.dbo.syssrvroles r WHERE a.class = %1 AND a.attribute = %2 "
                            "AND r.srid = a.object_info1 ORDER BY a.object, r.srid")
                 .arg(kRoleHierarchyClass)
                 .arg(kRoleHierarchyAttribute)});
        while (read.next()) {
            const auto at = positionOfSrid.constFind(read.integer(1));
            if (at != positionOfSrid.cend())
                roles[*at].GrantedRoles << read.text(2);
        }
    }
    m_roles = roles;
    return *m_roles;
}

// The remote servers; the local server's name belongs to the machine it runs on.
const QList<TRemoteServer>& TServerCatalog::remoteServers()
{
    if (m_remoteServers)
        return *m_remoteServers;
    QList<TRemoteServer> servers;
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open(
        {QStringLiteral("SELECT srvname, srvnetname, srvclass, srvstatus "
                        "FROM master.dbo.sysservers WHERE srvclass != 0 ORDER BY srvid")});
    while (read.next()) {
        TRemoteServer server;
        server.Name = read.text(1);
        server.NetworkName = read.text(2);
        server.ServerClass = serverClasses().value(read.integer(3), QStringLiteral("sql_server"));
        const int status = read.integer(4);
        for (const ServerOption& option : kServerOptions) {
            if (status & option.bit)
                server.Options << qMakePair(QString::fromLatin1(option.name), option.valueWhenSet);
        }
        servers << server;
    }
    m_remoteServers = servers;
    return *m_remoteServers;
}

// The parameters whose configured value differs from the default.
const QList<TConfigurationValue>& TServerCatalog::configuration()
{
    if (m_configuration)
        return *m_configuration;
    QList<TConfigurationValue> values;
    CatalogRead read(m_reader, CatalogRead::Mode::LanguageCommand);
    read.open(
        {QStringLiteral("SELECT c.name, c.value, c.value2, cc.defvalue "
                        "FROM master.dbo.sysconfigures c, master.dbo.syscurconfigs cc "
                        "WHERE cc.config = c.config ORDER BY c.name")});
    while (read.next()) {
        TConfigurationValue value;
        value.Name = read.text(1);
        value.Text = !read.text(3).isEmpty();
        value.Value = value.Text ? read.text(3) : read.text(2);
        value.DefaultValue = read.text(4);
        if (value.Value != value.DefaultValue)
            values << value;
    }
    m_configuration = values;
    return *m_configuration;
}
