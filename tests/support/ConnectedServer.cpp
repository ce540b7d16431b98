#include "ConnectedServer.h"

#include <stdexcept>

ConnectedServer::ConnectedServer(const QStringList& scripts, const QStringList& serverArgs,
                                 const Preparation& prepare)
    : server(scripts, serverArgs)
{
    db.SetName(QStringLiteral("db"));
    if (prepare)
        prepare(server, db);
    else
        server.configure(db);
    db.Connect();
    if (!db.connected())
        throw std::runtime_error("the login to tdsim failed");
}
