#include "engine/RemoteServers.h"

#include "engine/Catalog.h"
#include "engine/Errors.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

const std::string& serversTable()
{
    static const std::string table = Catalog::systemTable("master", "sysservers");
    return table;
}

// sp_addserver's classes and their srvclass numbers (Reference Manual: Tables,
// sysservers). `null` has no number of its own: it is kept as sql_server.
int classNumber(const std::string& name)
{
    static const std::pair<const char*, int> classes[] = {
        {"local", 0}, {"sql_server", 1},   {"null", 1},       {"direct_connect", 3}, {"db2", 4},
        {"sds", 6},   {"asenterprise", 7}, {"asanywhere", 8}, {"asiq", 9},
    };
    for (const auto& [known, number] : classes) {
        if (toLower(name) == known)
            return number;
    }
    throw EngineError{17202, 16, "Unknown server class '" + name + "'."};
}

// srvstatus bits of the on/off options; `inverted` options set their bit when turned off.
struct ServerOption {
    const char* name;
    int bit;
    bool inverted;
};
const ServerOption kServerOptions[] = {
    {"timeouts", 0x1, true},
    {"net password encryption", 0x2, false},
    {"readonly", 0x4, false},
    {"rpc security model a", 0x8, false},
    {"rpc security model b", 0x10, false},
    {"use message confidentiality", 0x40, false},
    {"use message integrity", 0x80, false},
    {"mutual authentication", 0x100, false},
};

bool truth(const std::string& value)
{
    std::string lower = toLower(value);
    if (lower == "true" || lower == "on" || lower == "1")
        return true;
    if (lower == "false" || lower == "off" || lower == "0")
        return false;
    throw EngineError{17206, 16, "Usage: sp_serveroption [server, optname, {true | false}]"};
}

void run(SqliteDatabase& db, const std::string& sql, const std::vector<SqlValue>& params)
{
    SqliteStatement statement(db.handle(), sql);
    statement.bindAll(params);
    statement.step();
}

}  // namespace

void RemoteServers::install(const std::string& localName)
{
    add(localName, "local", localName);
    add("SYB_BACKUP", "sql_server", localName + "_BS");
}

int RemoteServers::serverId(const std::string& name)
{
    return static_cast<int>(
        db_.queryInt("SELECT srvid FROM " + serversTable() + " WHERE srvname = ?1",
                     {SqlValue::ofText(name)}, -1));
}

bool RemoteServers::add(const std::string& name, const std::string& serverClass,
                        const std::string& netName)
{
    int number = classNumber(serverClass.empty() ? "sql_server" : serverClass);
    std::string network = netName.empty() ? name : netName;
    int known = serverId(name);
    if (number == 0 && db_.queryInt("SELECT count(*) FROM " + serversTable() +
                                        " WHERE srvid = 0 AND srvname <> ?1",
                                    {SqlValue::ofText(name)}) > 0)
        throw EngineError{17215, 16, "There is already a local server."};
    if (known >= 0) {
        run(db_,
            "UPDATE " + serversTable() + " SET srvclass = ?2, srvnetname = ?3 WHERE srvid = ?1",
            {SqlValue::ofInt(known), SqlValue::ofInt(number), SqlValue::ofText(network)});
        return false;
    }
    int srvid =
        number == 0
            ? 0
            : static_cast<int>(db_.queryInt("SELECT max(srvid) + 1 FROM " + serversTable(), {}, 1));
    run(db_,
        "INSERT INTO " + serversTable() +
            " (srvid, srvstatus, srvname, srvnetname, srvclass, srvcost, srvstatus2) VALUES "
            "(?1, 0, ?2, ?3, ?4, ?5, 0)",
        {SqlValue::ofInt(srvid), SqlValue::ofText(name), SqlValue::ofText(network),
         SqlValue::ofInt(number), number == 0 ? SqlValue::null() : SqlValue::ofInt(1000)});
    return true;
}

void RemoteServers::drop(const std::string& name)
{
    int srvid = serverId(name);
    if (srvid < 0)
        throw EngineError{17209, 16, "There is no server named '" + name + "'."};
    run(db_, "DELETE FROM " + serversTable() + " WHERE srvid = ?1", {SqlValue::ofInt(srvid)});
}

void RemoteServers::setOption(const std::string& name, const std::string& option,
                              const std::string& value)
{
    int srvid = serverId(name);
    if (srvid < 0)
        throw EngineError{17209, 16, "There is no server named '" + name + "'."};
    std::string wanted = toLower(option);
    std::vector<SqlValue> key = {SqlValue::ofInt(srvid)};
    if (wanted == "security mechanism") {
        run(db_, "UPDATE " + serversTable() + " SET srvsecmech = ?2 WHERE srvid = ?1",
            {key[0], value.empty() ? SqlValue::null() : SqlValue::ofText(value)});
        return;
    }
    if (wanted == "server cost") {
        run(db_, "UPDATE " + serversTable() + " SET srvcost = ?2 WHERE srvid = ?1",
            {key[0], SqlValue::ofInt(integerOf(value))});
        return;
    }
    for (const ServerOption& known : kServerOptions) {
        if (wanted != known.name)
            continue;
        bool set = truth(value) != known.inverted;
        // The two rpc security models exclude each other.
        int clear = known.bit & 0x18 ? 0x18 : known.bit;
        run(db_,
            "UPDATE " + serversTable() + " SET srvstatus = (srvstatus & ~?2) | ?3 WHERE srvid = ?1",
            {key[0], SqlValue::ofInt(clear), SqlValue::ofInt(set ? known.bit : 0)});
        return;
    }
    throw EngineError{17207, 16, "Server option '" + option + "' is not a valid option."};
}

}  // namespace tdsim
