// One client connection: login, then requests until logout or disconnect.
#pragma once

#include <chrono>
#include <string>

#include "PacketChannel.h"
#include "Trace.h"
#include "engine/Engine.h"

namespace tdsim::tds {

// What every connection shares.
struct ServerContext {
    Engine& engine;
    ServerStats& stats;
    Trace& trace;
    std::string serverName = "TDSIM";
    std::string charset = "iso_1";
    std::chrono::milliseconds latency{0};
    Product product = Product::AdaptiveServer;
};

class Connection {
public:
    Connection(FileDescriptor socket, int spid, ServerContext& context);

    // Serves the client until it logs out or goes away. Bad input ends only this
    // connection; nothing escapes to the caller.
    void run();

private:
    void serve();
    std::unique_ptr<Session> login();
    void requestLoop(Session& session);
    bool send(const Reply& reply);
    void countTraffic();

    PacketChannel channel_;
    int spid_;
    ServerContext& context_;
    uint64_t countedIn_ = 0;
    uint64_t countedOut_ = 0;
};

}  // namespace tdsim::tds
