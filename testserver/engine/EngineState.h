// State shared by all sessions: the SQLite connection, the catalog and master's
// server-wide tables.
#pragma once

#include <atomic>
#include <map>
#include <string>

#include "engine/ApplicationContexts.h"
#include "engine/Catalog.h"
#include "engine/DiskSpace.h"
#include "engine/Engine.h"
#include "engine/EngineTurns.h"
#include "engine/Logins.h"
#include "engine/ProcessTable.h"
#include "engine/RemoteServers.h"
#include "engine/ServerConfiguration.h"
#include "engine/Sqlite.h"

namespace tdsim {

struct EngineState {
    EngineState(const EngineConfig& cfg, ServerStats& serverStats)
        : config(cfg),
          stats(serverStats),
          catalog(db, bytesPerNationalChar(cfg.charset)),
          processes(db),
          disk(db),
          logins(db),
          configuration(db),
          servers(db)
    {
    }

    EngineConfig config;
    ServerStats& stats;
    SqliteDatabase db;
    Catalog catalog;
    ProcessTable processes;             // master..sysprocesses
    DiskSpace disk;                     // master..sysdevices, sysusages
    Logins logins;                      // master..syslogins, syssrvroles, sysloginroles
    ServerConfiguration configuration;  // master..sysconfigures, syscurconfigs
    RemoteServers servers;              // master..sysservers
    EngineTurns turns;                  // one session runs statements at a time
    // Set when the server stops: every batch ends at its next statement.
    std::atomic<bool> stopping{false};
    std::string version;
    ApplicationContexts appContexts;  // per session, keyed by spid
    // sp_configure 'allow updates to system tables': off, as the server starts.
    std::atomic<bool> systemTableUpdates{false};
};

}  // namespace tdsim
