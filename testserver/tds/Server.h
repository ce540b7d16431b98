// The listener: accepts clients on 127.0.0.1 and runs each connection on its
// own thread until the server is stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "Connection.h"
#include "Socket.h"

namespace tdsim::tds {

class Server {
public:
    // Binds and listens at once, so port() is valid after construction.
    // Throws std::system_error when the port cannot be bound.
    Server(ServerContext& context, uint16_t port);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    uint16_t port() const { return port_; }

    // Accepts connections until stop(); then closes every connection and
    // waits for their threads. While accepting fails for want of descriptors or
    // memory it reports that once and retries every 100 ms, joining connections
    // that ended in between.
    void run();
    // Safe to call from another thread or a signal handler.
    void stop();

private:
    struct ClientThread {
        // A second descriptor for the connection's socket, so that stop() can shut
        // the socket down without racing the connection closing its own.
        FileDescriptor socket;
        std::atomic<bool> finished{false};
        std::thread thread;
    };

    // Waits for a client to connect; false when stop() was called.
    bool waitForClient();
    // Waits a short while; false when stop() was called meanwhile.
    bool pauseUnlessStopped();
    // Accepts one client and starts its thread; returns 0, or the errno of accept4.
    int accept();
    void reapFinished();
    void closeAll();

    ServerContext& context_;
    FileDescriptor listener_;
    FileDescriptor wakeRead_;
    FileDescriptor wakeWrite_;
    uint16_t port_ = 0;
    std::atomic<int> nextSpid_{11};
    std::mutex clientsMutex_;
    std::list<ClientThread> clients_;
};

}  // namespace tdsim::tds
