// System procedures over master's server-wide tables: logins, devices, segments and
// thresholds, remote servers, configuration parameters, sp_helpdb and sp_helpdevice.
#include "engine/ServerProcedures.h"

#include <cstdio>

#include "engine/Principals.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

EngineError procedureError(int number, const std::string& text)
{
    return {number, 16, text};
}

void requireRole(SystemProcedureCall& call, int srid)
{
    if (!call.holdsRole(srid))
        missingRole(srid == kSaRoleId ? "sa_role" : "sso_role");
}

int requireLogin(SystemProcedureCall& call, const std::string& login)
{
    int suid = call.catalog().loginSuid(login);
    if (suid == 0)
        throw procedureError(17232, "No such login -- '" + login + "'.");
    return suid;
}

std::string megabytesText(int64_t pages, int decimals)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f MB", decimals,
                  pages / static_cast<double>(kPagesPerMegabyte));
    return text;
}

// "Mon dd yyyy hh:mmAM" from the stored "YYYY-MM-DD HH:MM:SS.mmm".
std::string dateTimeText(const std::string& stored, bool withTime)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int year = 0, month = 1, day = 1, hour = 0, minute = 0;
    std::sscanf(stored.c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute);
    char text[48];
    if (!withTime) {
        std::snprintf(text, sizeof text, "%s %02d, %04d", months[(month + 11) % 12], day, year);
    } else {
        int shown = hour % 12 == 0 ? 12 : hour % 12;
        std::snprintf(text, sizeof text, "%s %2d %04d %2d:%02d%s", months[(month + 11) % 12], day,
                      year, shown, minute, hour < 12 ? "AM" : "PM");
    }
    return text;
}

ColumnInfo textColumn(const char* name, int length)
{
    ColumnInfo info = makeColumnInfo(ColumnType::VarChar, length, true);
    info.name = name;
    return info;
}

void sendResult(SystemProcedureCall& call, ResultSet set)
{
    StatementResult& result = call.out.emplace_back();
    result.rowCount = static_cast<int32_t>(set.rows.size());
    result.hasRowCount = true;
    result.resultSet = std::move(set);
}

// ---- logins -------------------------------------------------------------------------

// sp_addlogin loginame, passwd [, defdb [, deflanguage [, fullname [, passwdexp
// [, minpwdlen [, maxfailedlogins [, auth_mech]]]]]]]
void addLogin(SystemProcedureCall& call)
{
    requireRole(call, kSsoRoleId);
    std::string login = call.requireArg(0, "@loginame");
    if (call.catalog().loginSuid(login) != 0)
        throw procedureError(17260, "A login with the specified name already exists.");
    LoginDefinition definition;
    definition.name = login;
    if (!call.arg(1).empty())
        definition.passwordHash = hashPassword(call.arg(1));
    definition.defaultDatabase = call.arg(2);
    if (!definition.defaultDatabase.empty() &&
        !call.catalog().hasDatabase(definition.defaultDatabase))
        throw unknownDatabase(definition.defaultDatabase);
    definition.language = call.arg(3);
    definition.fullName = call.arg(4);
    definition.creatorSuid = call.suid();
    int suid = call.state().logins.add(definition);
    static const char* const settings[] = {"passwd expiration", "min passwd length",
                                           "max failed_logins", "authenticate with"};
    for (size_t i = 0; i < 4; ++i) {
        if (!call.arg(5 + i).empty())
            applyLoginAttribute(call.state(), suid, {settings[i], call.arg(5 + i)});
    }
    call.info("Password correctly set.");
    call.info("Account unlocked.");
    call.info("New login created.");
}

void dropLoginProcedure(SystemProcedureCall& call)
{
    requireRole(call, kSsoRoleId);
    dropLogin(call.state(), call.requireArg(0, "@loginame"));
    call.info("Login dropped.");
}

// sp_locklogin loginame, {lock | unlock}
void lockLogin(SystemProcedureCall& call)
{
    requireRole(call, kSsoRoleId);
    int suid = requireLogin(call, call.requireArg(0, "@loginame"));
    std::string action = toLower(call.requireArg(1, "@locktype"));
    if (action != "lock" && action != "unlock")
        throw procedureError(17565, "Usage: sp_locklogin [loginame, \"{lock | unlock}\"]");
    call.state().logins.setLocked(suid, action == "lock", call.suid());
    call.info(action == "lock" ? "Account locked." : "Account unlocked.");
}

// sp_modifylogin loginame, option, value
void modifyLogin(SystemProcedureCall& call)
{
    std::string login = call.requireArg(0, "@loginame");
    std::string option = toLower(call.requireArg(1, "@option"));
    std::string value = call.arg(2);
    int suid = requireLogin(call, login);
    bool ownSetting = suid == call.suid() &&
                      (option == "defdb" || option == "deflanguage" || option == "fullname");
    if (!ownSetting)
        requireRole(call, kSsoRoleId);
    if (option == "add default role" || option == "drop default role") {
        Logins& logins = call.state().logins;
        int srid = logins.roleId(value);
        if (srid < 0 || call.db().queryInt("SELECT count(*) FROM " +
                                               Catalog::systemTable("master", "sysloginroles") +
                                               " WHERE suid = ?1 AND srid = ?2",
                                           {SqlValue::ofInt(suid), SqlValue::ofInt(srid)}) == 0)
            throw procedureError(17410,
                                 "The role '" + value + "' is not granted to '" + login + "'.");
        logins.setLoginRoleStatus(srid, suid, option == "add default role" ? kDefaultRole : 0);
    } else {
        applyLoginAttribute(call.state(), suid, {option, value});
    }
    call.info("Option changed.");
}

// sp_password caller_passwd, new_passwd [, loginame]
void changePassword(SystemProcedureCall& call)
{
    std::string callerPassword = call.arg(0);
    std::string newPassword = call.arg(1);
    std::string login = call.arg(2).empty() ? call.login() : call.arg(2);
    int suid = requireLogin(call, login);
    if (suid != call.suid())
        requireRole(call, kSsoRoleId);
    if (!call.state().logins.passwordIs(call.login(), callerPassword))
        throw procedureError(10316,
                             "Invalid caller's password specified, password left unchanged.");
    call.state().logins.setPassword(suid, hashPassword(newPassword));
    call.info("Password correctly set.");
}

// ---- devices --------------------------------------------------------------------------

// sp_addumpdevice {'disk' | 'tape'}, logicalname, physicalname [, tapesize]
void addDumpDevice(SystemProcedureCall& call)
{
    requireRole(call, kSaRoleId);
    std::string type = toLower(call.requireArg(0, "@devtype"));
    if (type != "disk" && type != "tape")
        throw procedureError(17890, "Unknown device type. Use 'disk' or 'tape'.");
    call.state().disk.addDumpDevice(call.requireArg(1, "@logicalname"),
                                    call.requireArg(2, "@physicalname"),
                                    type == "tape" ? kTapeController : kDiskDumpController);
    call.info("'" + type + "' device added.");
}

void dropDevice(SystemProcedureCall& call)
{
    requireRole(call, kSaRoleId);
    call.state().disk.dropDevice(call.requireArg(0, "@logicalname"));
    call.info("Device dropped.");
}

// sp_diskdefault logicalname, {defaulton | defaultoff}
void diskDefault(SystemProcedureCall& call)
{
    requireRole(call, kSaRoleId);
    std::string setting = toLower(call.requireArg(1, "@defstatus"));
    if (setting != "defaulton" && setting != "defaultoff")
        throw procedureError(17880, "Usage: sp_diskdefault logicalname, {defaulton | defaultoff}");
    call.state().disk.setDefault(call.requireArg(0, "@logicalname"), setting == "defaulton");
}

// sp_helpdevice [logicalname]
void helpDevice(SystemProcedureCall& call)
{
    std::string wanted = call.arg(0);
    ResultSet set;
    set.columns = {textColumn("device_name", 30), textColumn("physical_name", 127),
                   textColumn("description", 255)};
    for (const char* name : {"status", "cntrltype", "vdevno", "vpn_low", "vpn_high"}) {
        set.columns.push_back(makeColumnInfo(ColumnType::Int, 4, false));
        set.columns.back().name = name;
    }
    const std::string usages = Catalog::systemTable("master", "sysusages");
    SqliteStatement rows(call.db().handle(),
                         "SELECT name, phyname, status, cntrltype, vdevno, low, high, "
                         "(SELECT coalesce(sum(size), 0) FROM " +
                             usages + " u WHERE u.vdevno = d.vdevno AND d.cntrltype = 0) FROM " +
                             Catalog::systemTable("master", "sysdevices") +
                             " d WHERE ?1 = '' OR name = ?1 ORDER BY name");
    rows.bind(1, SqlValue::ofText(wanted));
    while (rows.step()) {
        int status = static_cast<int>(rows.intAt(2)) & 0xffff;
        int64_t pages = rows.intAt(6) - rows.intAt(5) + 1;
        std::string description;
        if (status & kDeviceDump) {
            description =
                rows.intAt(3) == kDiskDumpController ? "disk, dump device" : "tape, dump device";
        } else {
            description = std::string("file system device, special, dsync ") +
                          (status & kDeviceDsync ? "on" : "off") + ", directio " +
                          (status & kDeviceDirectio ? "on" : "off") + ", " +
                          (status & kDeviceDefault ? "default disk, " : "") + "physical disk, " +
                          megabytesText(pages, 2) +
                          ", Free: " + megabytesText(pages - rows.intAt(7), 2);
        }
        set.rows.push_back({Value::ofString(rows.textAt(0)), Value::ofString(rows.textAt(1)),
                            Value::ofString(description), Value::ofInt(int16_t(status)),
                            Value::ofInt(rows.intAt(3)), Value::ofInt(rows.intAt(4)),
                            Value::ofInt(rows.intAt(5)), Value::ofInt(rows.intAt(6))});
    }
    if (!wanted.empty() && set.rows.empty())
        throw procedureError(17871,
                             "No such device exists -- run sp_helpdevice to list the "
                             "devices on this server.");
    sendResult(call, std::move(set));
}

// ---- segments and thresholds ------------------------------------------------------------

int64_t segmentNumber(SystemProcedureCall& call, const std::string& database,
                      const std::string& segment)
{
    int64_t number = call.db().queryInt(
        "SELECT segment FROM " + Catalog::systemTable(database, "syssegments") + " WHERE name = ?1",
        {SqlValue::ofText(segment)}, -1);
    if (number < 0)
        throw procedureError(17521, "There is no such segment as '" + segment + "'.");
    return number;
}

std::string existingDatabase(SystemProcedureCall& call, size_t index)
{
    std::string database = call.arg(index).empty() ? call.database() : call.arg(index);
    if (!call.catalog().hasDatabase(database))
        throw procedureError(17421, "No such database -- run sp_helpdb to list databases.");
    return database;
}

// sp_addsegment segname, dbname, devname: the segment row, and its bit on the fragments
// the database has on the device. A device the database does not use changes no fragment
// (older scripts name devices of other servers).
void addSegment(SystemProcedureCall& call)
{
    std::string segment = call.requireArg(0, "@segname");
    std::string database = existingDatabase(call, 1);
    const std::string segments = Catalog::systemTable(database, "syssegments");
    if (call.db().queryInt("SELECT count(*) FROM " + segments + " WHERE name = ?1",
                           {SqlValue::ofText(segment)}) > 0) {
        throw procedureError(17169, "There is already a segment named '" + segment + "'.");
    }
    int number = static_cast<int>(call.db().queryInt("SELECT max(segment) + 1 FROM " + segments));
    call.catalog().insertRow(
        segments, {{"segment", SqlValue::ofInt(number)}, {"name", SqlValue::ofText(segment)}});
    if (!call.arg(2).empty())
        call.state().disk.setSegmentBit(call.catalog().databaseId(database), call.arg(2), number,
                                        true);
    call.info("Segment created.");
}

// sp_extendsegment segname, dbname, devname
void extendSegment(SystemProcedureCall& call)
{
    std::string segment = call.requireArg(0, "@segname");
    std::string database = existingDatabase(call, 1);
    std::string device = call.requireArg(2, "@devname");
    int64_t number = segmentNumber(call, database, segment);
    if (call.state().disk.setSegmentBit(call.catalog().databaseId(database), device,
                                        static_cast<int>(number), true) < 0)
        throw procedureError(
            17526, "Device '" + device + "' holds no part of database '" + database + "'.");
    call.info("Segment extended.");
}

// sp_dropsegment segname, dbname [, device]
void dropSegment(SystemProcedureCall& call)
{
    std::string segment = call.requireArg(0, "@segname");
    std::string database = existingDatabase(call, 1);
    std::string device = call.arg(2);
    int64_t number = segmentNumber(call, database, segment);
    int dbid = call.catalog().databaseId(database);
    if (!device.empty()) {
        if (call.state().disk.setSegmentBit(dbid, device, static_cast<int>(number), false) < 0)
            throw procedureError(
                17526, "Device '" + device + "' holds no part of database '" + database + "'.");
        call.info("Segment reference to device dropped.");
        return;
    }
    if (number <= 2)
        throw procedureError(17524, "The segment '" + segment +
                                        "' is a system segment; name the device to drop it from.");
    std::vector<SqlValue> key = {SqlValue::ofInt(number)};
    if (call.db().queryInt("SELECT count(*) FROM " + Catalog::systemTable(database, "sysindexes") +
                               " WHERE segment = ?1",
                           key) > 0)
        throw procedureError(
            17525, "The segment '" + segment + "' is in use by objects: move them first.");
    call.db().queryInt(
        "DELETE FROM " + Catalog::systemTable(database, "syssegments") + " WHERE segment = ?1",
        key);
    call.db().queryInt(
        "DELETE FROM " + Catalog::systemTable(database, "systhresholds") + " WHERE segment = ?1",
        key);
    call.state().disk.setSegmentBit(dbid, "", static_cast<int>(number), false);
    call.info("Segment dropped.");
}

// sp_dropthreshold dbname, segname, free_space
void dropThreshold(SystemProcedureCall& call)
{
    std::string database = existingDatabase(call, 0);
    int64_t segment = segmentNumber(call, database, call.requireArg(1, "@segname"));
    int64_t freeSpace = integerOf(call.requireArg(2, "@free_space"));
    std::string thresholds = Catalog::systemTable(database, "systhresholds");
    std::vector<SqlValue> key = {SqlValue::ofInt(segment), SqlValue::ofInt(freeSpace)};
    if (call.db().queryInt(
            "SELECT status FROM " + thresholds + " WHERE segment = ?1 AND free_space = ?2", key,
            -1) == 1)
        throw procedureError(17879, "The last-chance threshold cannot be dropped.");
    call.db().queryInt("DELETE FROM " + thresholds + " WHERE segment = ?1 AND free_space = ?2",
                       key);
    if (call.db().changes() == 0)
        throw procedureError(17886, "There is no threshold at that free space on that segment.");
    call.info("Threshold dropped.");
}

// sp_modifythreshold dbname, segname, free_space [, new_proc_name [, new_free_space
// [, new_segname]]]
void modifyThreshold(SystemProcedureCall& call)
{
    std::string database = existingDatabase(call, 0);
    int64_t segment = segmentNumber(call, database, call.requireArg(1, "@segname"));
    int64_t freeSpace = integerOf(call.requireArg(2, "@free_space"));
    std::string thresholds = Catalog::systemTable(database, "systhresholds");
    int64_t newSegment = call.arg(5).empty() ? segment : segmentNumber(call, database, call.arg(5));
    SqliteStatement update(call.db().handle(),
                           "UPDATE " + thresholds +
                               " SET proc_name = coalesce(?3, proc_name), free_space = "
                               "coalesce(?4, free_space), segment = ?5, suid = ?6 WHERE segment "
                               "= ?1 AND free_space = ?2");
    update.bindAll(
        {SqlValue::ofInt(segment), SqlValue::ofInt(freeSpace),
         call.arg(3).empty() ? SqlValue::null() : SqlValue::ofText(call.arg(3)),
         call.arg(4).empty() ? SqlValue::null() : SqlValue::ofInt(integerOf(call.arg(4))),
         SqlValue::ofInt(newSegment), SqlValue::ofInt(call.suid())});
    update.step();
    if (call.db().changes() == 0)
        throw procedureError(17886, "There is no threshold at that free space on that segment.");
    call.info("Threshold modified.");
}

// ---- remote servers ---------------------------------------------------------------------

// sp_addserver lname [, class [, pname]]
void addServer(SystemProcedureCall& call)
{
    requireRole(call, kSaRoleId);
    bool added = call.state().servers.add(call.requireArg(0, "@lname"), call.arg(1), call.arg(2));
    call.info(added ? "Server added." : "Changing physical name of server.");
}

// sp_dropserver server [, droplogins]
void dropServer(SystemProcedureCall& call)
{
    requireRole(call, kSaRoleId);
    call.state().servers.drop(call.requireArg(0, "@server"));
    call.info("Server dropped.");
}

// sp_serveroption [server, optname, optvalue]
void serverOption(SystemProcedureCall& call)
{
    if (call.arg(0).empty())
        return;  // lists the options
    requireRole(call, kSaRoleId);
    call.state().servers.setOption(call.requireArg(0, "@server"), call.requireArg(1, "@optname"),
                                   call.arg(2));
}

// ---- configuration ----------------------------------------------------------------------

void showParameters(SystemProcedureCall& call, const std::vector<const ConfigParameter*>& shown)
{
    std::string configs;
    for (const ConfigParameter* parameter : shown)
        configs += (configs.empty() ? "" : ", ") + std::to_string(parameter->config);
    call.runInternal(
        "select \"Parameter Name\" = convert(varchar(80), c.name), \"Default\" = "
        "convert(varchar(11), r.defvalue), \"Memory Used\" = r.memory_used, \"Config Value\" = "
        "convert(varchar(11), isnull(c.value2, convert(varchar(11), c.value))), \"Run Value\" = "
        "convert(varchar(11), isnull(r.value2, convert(varchar(11), r.value))), \"Unit\" = "
        "r.unit, \"Type\" = r.type from master.dbo.sysconfigures c, master.dbo.syscurconfigs r "
        "where r.config = c.config and c.config in (" +
        configs + ") order by c.name");
}

// sp_configure [name [, value [, value2]]]: sets the configured value (and the run value
// of a dynamic parameter); with a name only, shows the parameter. A parameter tdsim does
// not model is accepted with a value and changes nothing.
void configure(SystemProcedureCall& call)
{
    std::string name = call.arg(0);
    std::vector<const ConfigParameter*> shown;
    if (name.empty()) {
        for (const ConfigParameter& parameter : ServerConfiguration::parameters())
            shown.push_back(&parameter);
        showParameters(call, shown);
        return;
    }
    const ConfigParameter* parameter = ServerConfiguration::find(name);
    bool setting = call.args.size() > 1 && !call.arg(1).empty();
    if (!parameter) {
        if (setting)
            return;
        throw procedureError(15135, "Configuration option '" + name + "' does not exist.");
    }
    if (setting) {
        requireRole(call, kSaRoleId);
        int value = integerOf(call.arg(1));
        call.state().configuration.set(*parameter, value, call.arg(2));
        if (std::string(parameter->name) == "allow updates to system tables")
            call.state().systemTableUpdates = value != 0;
        call.info(parameter->dynamic
                      ? "Configuration option changed. ASE need not be rebooted since the "
                        "option is dynamic."
                      : "Configuration option changed. Since the option is static, Adaptive "
                        "Server must be rebooted in order for the change to take effect.");
    }
    showParameters(call, {parameter});
}

// ---- sp_helpdb --------------------------------------------------------------------------

std::string databaseStatusText(SystemProcedureCall& call, int64_t status, int64_t status2, int dbid)
{
    std::string text;
    for (const DatabaseOption& option : databaseOptions()) {
        int64_t bits = std::string(option.column) == "status" ? status : status2;
        if (bits & option.bit)
            text += (text.empty() ? "" : ", ") + std::string(option.name);
    }
    if (call.state().disk.logOnlyPages(dbid) == 0)
        text += (text.empty() ? "" : ", ") + std::string("mixed log and data");
    return text.empty() ? "no options set" : text;
}

// sp_helpdb [dbname]: the databases, and for one database its device fragments.
void helpDatabase(SystemProcedureCall& call)
{
    std::string wanted = call.arg(0);
    if (!wanted.empty() && !call.catalog().hasDatabase(wanted))
        throw procedureError(17421, "No such database -- run sp_helpdb to list databases.");
    ResultSet databases;
    databases.columns = {textColumn("name", 30),    textColumn("db_size", 13),
                         textColumn("owner", 30),   makeColumnInfo(ColumnType::SmallInt, 2, false),
                         textColumn("created", 11), textColumn("status", 600)};
    databases.columns[3].name = "dbid";
    SqliteStatement rows(call.db().handle(),
                         "SELECT d.name, d.dbid, l.name, d.crdate, d.status, d.status2, "
                         "(SELECT coalesce(sum(size), 0) FROM " +
                             Catalog::systemTable("master", "sysusages") +
                             " u WHERE u.dbid = d.dbid) FROM " +
                             Catalog::systemTable("master", "sysdatabases") + " d LEFT JOIN " +
                             Catalog::systemTable("master", "syslogins") +
                             " l ON l.suid = d.suid WHERE ?1 = '' OR d.name = ?1 ORDER BY d.name");
    rows.bind(1, SqlValue::ofText(wanted));
    while (rows.step()) {
        int dbid = static_cast<int>(rows.intAt(1));
        databases.rows.push_back(
            {Value::ofString(rows.textAt(0)), Value::ofString(megabytesText(rows.intAt(6), 1)),
             Value::ofString(rows.textAt(2)), Value::ofInt(dbid),
             Value::ofString(dateTimeText(rows.textAt(3), false)),
             Value::ofString(databaseStatusText(call, rows.intAt(4), rows.intAt(5), dbid))});
    }
    sendResult(call, std::move(databases));
    if (wanted.empty())
        return;
    ResultSet fragments;
    fragments.columns = {textColumn("device_fragments", 30), textColumn("size", 13),
                         textColumn("usage", 20), textColumn("created", 25),
                         textColumn("free kbytes", 16)};
    int dbid = call.catalog().databaseId(wanted);
    SqliteStatement unreserved(call.db().handle(), "SELECT unreservedpgs FROM " +
                                                       Catalog::systemTable("master", "sysusages") +
                                                       " WHERE dbid = ?1 AND lstart = ?2");
    for (const Fragment& fragment : call.state().disk.fragments(dbid)) {
        bool data = fragment.segmap & kSegmapData;
        bool log = fragment.segmap & kSegmapLog;
        unreserved.reset();
        unreserved.bindAll({SqlValue::ofInt(dbid), SqlValue::ofInt(fragment.lstart)});
        std::string free = "not applicable";
        if (data && unreserved.step())
            free = std::to_string(unreserved.intAt(0) * 2);
        fragments.rows.push_back(
            {Value::ofString(fragment.device), Value::ofString(megabytesText(fragment.pages, 1)),
             Value::ofString(data && log ? "data and log"
                             : log       ? "log only"
                                         : "data only"),
             Value::ofString(dateTimeText(fragment.created, true)), Value::ofString(free)});
    }
    sendResult(call, std::move(fragments));
}

}  // namespace

const std::map<std::string, ServerProcedure>& serverProcedures()
{
    static const std::map<std::string, ServerProcedure> table = {
        {"sp_addlogin", {addLogin, 9}},           {"sp_droplogin", {dropLoginProcedure, 1}},
        {"sp_locklogin", {lockLogin, 4}},         {"sp_modifylogin", {modifyLogin, 3}},
        {"sp_password", {changePassword, 4}},     {"sp_addumpdevice", {addDumpDevice, 6}},
        {"sp_dropdevice", {dropDevice, 1}},       {"sp_diskdefault", {diskDefault, 2}},
        {"sp_helpdevice", {helpDevice, 1}},       {"sp_addsegment", {addSegment, 3}},
        {"sp_extendsegment", {extendSegment, 3}}, {"sp_dropsegment", {dropSegment, 3}},
        {"sp_dropthreshold", {dropThreshold, 3}}, {"sp_modifythreshold", {modifyThreshold, 6}},
        {"sp_addserver", {addServer, 3}},         {"sp_dropserver", {dropServer, 2}},
        {"sp_serveroption", {serverOption, 3}},   {"sp_configure", {configure, 4}},
        {"sp_helpdb", {helpDatabase, 2}},
    };
    return table;
}

}  // namespace tdsim
