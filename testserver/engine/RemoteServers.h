// The servers this one knows: master..sysservers (the local server, the Backup Server and
// remote servers added with sp_addserver).
#pragma once

#include <string>

#include "engine/Sqlite.h"

namespace tdsim {

class RemoteServers {
public:
    explicit RemoteServers(SqliteDatabase& db) : db_(db) {}

    // The local server (srvid 0) and SYB_BACKUP, as an installation leaves them.
    void install(const std::string& localName);

    // sp_addserver: adds a server, or for a known name changes its class and network name.
    // Returns false when the name was known (the row was changed).
    bool add(const std::string& name, const std::string& serverClass, const std::string& netName);
    void drop(const std::string& name);
    // sp_serveroption: a documented srvstatus option, 'security mechanism' or 'server cost'.
    void setOption(const std::string& name, const std::string& option, const std::string& value);

private:
    int serverId(const std::string& name);  // -1 when unknown

    SqliteDatabase& db_;
};

}  // namespace tdsim
