// State shared by all sessions: the SQLite connection, the catalog and the logins.
#pragma once

#include <atomic>
#include <map>
#include <string>

#include "engine/ApplicationContexts.h"
#include "engine/Catalog.h"
#include "engine/Engine.h"
#include "engine/EngineTurns.h"
#include "engine/ProcessTable.h"
#include "engine/Sqlite.h"

namespace tdsim {

struct EngineState {
    EngineState(const EngineConfig& cfg, ServerStats& serverStats)
        : config(cfg),
          stats(serverStats),
          catalog(db, bytesPerNationalChar(cfg.charset)),
          processes(db)
    {
    }

    EngineConfig config;
    ServerStats& stats;
    SqliteDatabase db;
    Catalog catalog;
    ProcessTable processes;  // master..sysprocesses
    EngineTurns turns;       // one session runs statements at a time
    // Set when the server stops: every batch ends at its next statement.
    std::atomic<bool> stopping{false};
    std::map<std::string, std::string> passwords;  // login -> password
    std::string version;
    ApplicationContexts appContexts;  // per session, keyed by spid
    // sp_configure 'allow updates to system tables': off, as the server starts.
    std::atomic<bool> systemTableUpdates{false};
};

}  // namespace tdsim
