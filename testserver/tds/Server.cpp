#include "Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <system_error>

namespace tdsim::tds {

namespace {
[[noreturn]] void throwErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

Server::Server(ServerContext& context, uint16_t port) : context_(context) {
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

Server::~Server() {
    closeAll();
}

void Server::stop() {
    char byte = 1;
    [[maybe_unused]] auto n = ::write(wakeWrite_.get(), &byte, 1);
}

void Server::run() {
    for (;;) {
        pollfd fds[2] = {{listener_.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno("poll");
        }
        if ((fds[1].revents & POLLIN) != 0) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            accept();
        }
        reapFinished();
    }
    closeAll();
}

void Server::accept() {
    FileDescriptor socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket.valid()) {
        return;  // the client went away before we got to it
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
}

void Server::reapFinished() {
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

void Server::closeAll() {
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
