// master..sysprocesses: one row per open client session, kept as the sessions open, change
// database, run batches and close.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "engine/Engine.h"
#include "engine/Sqlite.h"

namespace tdsim {

// Where a session stands, as sysprocesses shows it.
struct ProcessContext {
    int dbid = 1;
    int uid = 1;
    int gid = 0;
};

class ProcessTable {
public:
    explicit ProcessTable(SqliteDatabase& db) : db_(db) {}

    // Adds the row of a session that just logged in; returns the key that names it.
    int64_t add(int spid, int suid, const ClientInfo& client, const ProcessContext& context);
    void remove(int64_t session);
    // The session's database changed (login, USE).
    void moveTo(int64_t session, const ProcessContext& context);
    // The session runs a statement of a batch (cmd names it), or waits for the next batch.
    void running(int64_t session, const std::string& command);
    void idle(int64_t session);

private:
    void setActivity(int64_t session, const char* status, const std::string& command);

    SqliteDatabase& db_;
    int64_t lastSession_ = 0;
    // What each session's row shows now (status and cmd), so that the statements of a
    // batch rewrite the row only when the command changes.
    std::map<int64_t, std::string> activity_;
};

}  // namespace tdsim
