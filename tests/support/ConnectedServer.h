// What a test suite that talks to one server shares: a recording user interface, a tdsim
// started with the suite's scripts, and a connection "db" logged in to it.
#pragma once

#include "CTLibDatabase.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"

#include <QStringList>
#include <functional>

class ConnectedServer {
public:
    // Sets the connection up for the login; by default as sa through the interfaces file.
    using Preparation = std::function<void(TdsimServer&, TCTLibDatabase&)>;

    // Throws std::runtime_error when the server does not start or the login fails.
    explicit ConnectedServer(const QStringList& scripts, const QStringList& serverArgs = {},
                             const Preparation& prepare = {});
    ConnectedServer(const ConnectedServer&) = delete;
    ConnectedServer& operator=(const ConnectedServer&) = delete;

    // Destroyed in reverse order: the connection logs out before the server stops.
    RecordingUserInterface ui;
    TdsimServer server;
    TCTLibDatabase db;
};
