// State shared by all sessions: the SQLite connection, the catalog and the logins.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "engine/ApplicationContexts.h"
#include "engine/Catalog.h"
#include "engine/Engine.h"
#include "engine/Sqlite.h"

namespace tdsim {

struct EngineState {
    EngineState(const EngineConfig& cfg, ServerStats& serverStats)
        : config(cfg), stats(serverStats), catalog(db, bytesPerNationalChar(cfg.charset))
    {
    }

    EngineConfig config;
    ServerStats& stats;
    SqliteDatabase db;
    Catalog catalog;
    std::mutex mutex;                              // one statement batch at a time
    std::map<std::string, std::string> passwords;  // login -> password
    std::string version;
    ApplicationContexts appContexts;  // per session, keyed by spid
};

}  // namespace tdsim
