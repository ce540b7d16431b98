#include "Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <system_error>

namespace tdsim::tds {

namespace {
// The spid in the listener's own reports: no connection has one yet.
constexpr int kListenerSpid = 0;
// How long the listener rests after accepting failed for want of resources: long enough
// not to burn a core, short enough that a freed descriptor is used soon.
constexpr std::chrono::milliseconds kStarvedPause{100};

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Errors after which the client is still pending and only freed descriptors or memory
// let accept succeed.
bool lacksResources(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}
}  // namespace

Server::Server(ServerContext& context, uint16_t port) : context_(context)
{
    listener_.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener_.valid()) {
        throwErrno("socket");
    }
    int yes = 1;
    ::setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throwErrno("bind");
    }
    if (::listen(listener_.get(), 64) != 0) {
        throwErrno("listen");
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throwErrno("pipe");
    }
    wakeRead_.reset(pipeEnds[0]);
    wakeWrite_.reset(pipeEnds[1]);
}

Server::~Server()
{
    closeAll();
}

void Server::stop()
{
    char byte = 1;
    [[maybe_unused]] auto n = ::write(wakeWrite_.get(), &byte, 1);
}

void Server::run()
{
    // Set while accepting fails for want of descriptors or memory, so that such a streak is
    // reported once rather than on every retry.
    bool starved = false;
    while (waitForClient()) {
        // Joining finished connections first closes their descriptors, which the next
        // accept may need.
        reapFinished();
        int error = accept();
        if (error == 0) {
            starved = false;
        } else if (lacksResources(error)) {
            if (!starved) {
                context_.trace.problem(kListenerSpid, "cannot accept a connection (" +
                                                          std::generic_category().message(error) +
                                                          "); retrying as connections end");
                starved = true;
            }
            // The pending client keeps the listener readable, so polling it again at once
            // would spin until a connection ends; pause instead, unless stopped.
            if (!pauseUnlessStopped()) {
                break;
            }
        }
        // Other failures (the client gave up, a signal) leave nothing pending: poll again.
    }
    closeAll();
}

bool Server::waitForClient()
{
    for (;;) {
        pollfd fds[2] = {{wakeRead_.get(), POLLIN, 0}, {listener_.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno("poll");
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return false;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return true;
        }
    }
}

bool Server::pauseUnlessStopped()
{
    pollfd wake{wakeRead_.get(), POLLIN, 0};
    for (;;) {
        int ready = ::poll(&wake, 1, static_cast<int>(kStarvedPause.count()));
        if (ready >= 0) {
            return ready == 0;
        }
        if (errno != EINTR) {
            throwErrno("poll");
        }
    }
}

int Server::accept()
{
    FileDescriptor socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket.valid()) {
        return errno;
    }
    int yes = 1;
    ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    FileDescriptor watch(::fcntl(socket.get(), F_DUPFD_CLOEXEC, 0));
    std::lock_guard lock(clientsMutex_);
    ClientThread& client = clients_.emplace_back();
    client.socket = std::move(watch);
    int spid = nextSpid_++;
    try {
        client.thread = std::thread([this, &client, spid, s = std::move(socket)]() mutable {
            Connection(std::move(s), spid, context_).run();
            client.finished = true;
        });
    } catch (const std::system_error& e) {
        // Out of threads: this client is turned away, the others keep going.
        context_.trace.problem(spid, std::string("cannot start a connection thread: ") + e.what());
        clients_.pop_back();
    }
    return 0;
}

void Server::reapFinished()
{
    std::lock_guard lock(clientsMutex_);
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (it->finished) {
            it->thread.join();
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::closeAll()
{
    std::lock_guard lock(clientsMutex_);
    for (auto& client : clients_) {
        if (!client.finished && client.socket.valid()) {
            // Wakes the connection's blocking read or write; it then ends.
            ::shutdown(client.socket.get(), SHUT_RDWR);
        }
    }
    for (auto& client : clients_) {
        if (client.thread.joinable()) {
            client.thread.join();
        }
    }
    clients_.clear();
}

}  // namespace tdsim::tds
