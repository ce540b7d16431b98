#include "engine/ProcessTable.h"

#include "engine/Catalog.h"

namespace tdsim {
namespace {

std::string table()
{
    return Catalog::systemTable("master", "sysprocesses");
}

SqlValue textOrNull(const std::string& text)
{
    return text.empty() ? SqlValue::null() : SqlValue::ofText(text.substr(0, 30));
}

// The server's default execution class: EC2, medium priority, any engine.
const char* const kExecutionClass = "EC2";
const char* const kPriority = "MEDIUM";
const char* const kAffinity = "ANYENGINE";
const char* const kIdleStatus = "recv sleep";
const char* const kIdleCommand = "AWAITING COMMAND";

}  // namespace

int64_t ProcessTable::add(int spid, int suid, const ClientInfo& client,
                          const ProcessContext& context)
{
    const int64_t session = ++lastSession_;
    SqliteStatement insert(
        db_.handle(),
        "INSERT INTO " + table() +
            " (spid, kpid, enginenum, status, suid, hostname, program_name, cmd, cpu, "
            "physical_io, memusage, blocked, dbid, uid, gid, time_blocked, network_pktsz, fid, "
            "execlass, priority, affinity, id, stmtnum, linenum, block_xloid, sys_id, ses_id, "
            "loggedindatetime, ipaddr, tdsim_session) VALUES (?1, ?2, 0, ?3, ?4, ?5, ?6, ?7, 0, "
            "0, 0, 0, ?8, ?9, ?10, 0, ?11, 0, ?12, ?13, ?14, 0, 0, 0, 0, 0, 0, tsql_getdate(), "
            "?15, ?16)");
    insert.bind(1, SqlValue::ofInt(spid));
    // A kernel process id per session, distinct from every spid.
    insert.bind(2, SqlValue::ofInt(65536 * static_cast<int64_t>(spid) + 1));
    insert.bind(3, SqlValue::ofText(kIdleStatus));
    insert.bind(4, SqlValue::ofInt(suid));
    insert.bind(5, textOrNull(client.hostName));
    insert.bind(6, textOrNull(client.programName));
    insert.bind(7, SqlValue::ofText(kIdleCommand));
    insert.bind(8, SqlValue::ofInt(context.dbid));
    insert.bind(9, SqlValue::ofInt(context.uid));
    insert.bind(10, SqlValue::ofInt(context.gid));
    insert.bind(11, SqlValue::ofInt(client.packetSize));
    insert.bind(12, SqlValue::ofText(kExecutionClass));
    insert.bind(13, SqlValue::ofText(kPriority));
    insert.bind(14, SqlValue::ofText(kAffinity));
    insert.bind(15, client.address.empty() ? SqlValue::null() : SqlValue::ofText(client.address));
    insert.bind(16, SqlValue::ofInt(session));
    insert.step();
    activity_[session] = std::string(kIdleStatus) + '|' + kIdleCommand;
    return session;
}

void ProcessTable::remove(int64_t session)
{
    activity_.erase(session);
    SqliteStatement erase(db_.handle(), "DELETE FROM " + table() + " WHERE tdsim_session = ?1");
    erase.bind(1, SqlValue::ofInt(session));
    erase.step();
}

void ProcessTable::moveTo(int64_t session, const ProcessContext& context)
{
    SqliteStatement update(db_.handle(), "UPDATE " + table() +
                                             " SET dbid = ?1, uid = ?2, gid = ?3"
                                             " WHERE tdsim_session = ?4");
    update.bind(1, SqlValue::ofInt(context.dbid));
    update.bind(2, SqlValue::ofInt(context.uid));
    update.bind(3, SqlValue::ofInt(context.gid));
    update.bind(4, SqlValue::ofInt(session));
    update.step();
}

void ProcessTable::running(int64_t session, const std::string& command)
{
    setActivity(session, "running", command);
}

void ProcessTable::idle(int64_t session)
{
    setActivity(session, kIdleStatus, kIdleCommand);
}

void ProcessTable::setActivity(int64_t session, const char* status, const std::string& command)
{
    std::string shown = std::string(status) + '|' + command;
    std::string& current = activity_[session];
    if (current == shown)
        return;
    current = std::move(shown);
    // Runs whenever a batch moves to another command: a cached statement.
    StatementLease update =
        db_.cached("UPDATE " + table() + " SET status = ?1, cmd = ?2 WHERE tdsim_session = ?3");
    update->bind(1, SqlValue::ofText(status));
    update->bind(2, SqlValue::ofText(command));
    update->bind(3, SqlValue::ofInt(session));
    update->step();
}

}  // namespace tdsim
