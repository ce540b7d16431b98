#include "PacketChannel.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

namespace tdsim::tds {

namespace {
// While a reply is being written, input is only read to look for attention
// packets; past this much unread input the server stops reading.
constexpr size_t kInboxLimit = 1024 * 1024;
constexpr size_t kReadChunk = 64 * 1024;

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

PacketChannel::PacketChannel(FileDescriptor socket) : socket_(std::move(socket)) {}

std::optional<size_t> PacketChannel::completePacketLength() const
{
    if (inbox_.size() < packet::kHeaderSize) {
        return std::nullopt;
    }
    size_t length = (static_cast<size_t>(inbox_[2]) << 8) | inbox_[3];
    if (length < packet::kHeaderSize) {
        throw ProtocolError("packet length " + std::to_string(length) + " below header size");
    }
    if (inbox_.size() < length) {
        return std::nullopt;
    }
    return length;
}

bool PacketChannel::fillInbox()
{
    uint8_t buffer[kReadChunk];
    for (;;) {
        ssize_t n = ::recv(socket_.get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            inbox_.insert(inbox_.end(), buffer, buffer + n);
            bytesReceived_ += static_cast<uint64_t>(n);
            return true;
        }
        if (n == 0 || errno == ECONNRESET) {
            return false;
        }
        if (errno != EINTR) {
            throwErrno("recv");
        }
    }
}

std::optional<InboundMessage> PacketChannel::readMessage()
{
    InboundMessage message;
    bool started = false;
    for (;;) {
        std::optional<size_t> length = completePacketLength();
        if (!length) {
            if (!fillInbox()) {
                if (!started && inbox_.empty()) {
                    return std::nullopt;
                }
                throw ProtocolError("connection closed inside a message");
            }
            continue;
        }
        uint8_t type = inbox_[0];
        uint8_t status = inbox_[1];
        if (started && type != message.type) {
            if (type != packet::kAttention) {
                throw ProtocolError("packet type changed inside a message");
            }
            // The client gave up on the request it was sending.
            message = InboundMessage{};
        }
        message.type = type;
        started = true;
        message.payload.insert(message.payload.end(), inbox_.begin() + packet::kHeaderSize,
                               inbox_.begin() + static_cast<std::ptrdiff_t>(*length));
        inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(*length));
        if (message.payload.size() > kMaxMessageSize) {
            throw ProtocolError("request message larger than " + std::to_string(kMaxMessageSize) +
                                " bytes");
        }
        if ((status & packet::kLastPacket) != 0 || type == packet::kAttention) {
            return message;
        }
    }
}

void PacketChannel::drainAttentions()
{
    while (auto length = completePacketLength()) {
        if (inbox_[0] != packet::kAttention) {
            return;
        }
        inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(*length));
        ++attentionsPending_;
    }
}

void PacketChannel::writeAll(const uint8_t* data, size_t size)
{
    while (size > 0) {
        pollfd p{socket_.get(), POLLOUT, 0};
        if (inbox_.size() < kInboxLimit) {
            p.events |= POLLIN;
        }
        if (::poll(&p, 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno("poll");
        }
        if ((p.revents & POLLIN) != 0) {
            if (!fillInbox()) {
                throw std::system_error(ECONNRESET, std::generic_category(), "peer closed");
            }
            drainAttentions();
        }
        if ((p.revents & POLLOUT) == 0) {
            if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                throw std::system_error(EPIPE, std::generic_category(), "socket error");
            }
            continue;
        }
        ssize_t n = ::send(socket_.get(), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            throwErrno("send");
        }
        data += n;
        size -= static_cast<size_t>(n);
        bytesSent_ += static_cast<uint64_t>(n);
    }
}

void PacketChannel::writePacket(const uint8_t* data, size_t size, bool last)
{
    Bytes packetBytes;
    packetBytes.reserve(size + packet::kHeaderSize);
    size_t length = size + packet::kHeaderSize;
    packetBytes.push_back(packet::kReply);
    packetBytes.push_back(last ? packet::kLastPacket : 0);
    packetBytes.push_back(static_cast<uint8_t>(length >> 8));
    packetBytes.push_back(static_cast<uint8_t>(length));
    packetBytes.insert(packetBytes.end(), 4, 0);  // channel, packet number, window
    packetBytes.insert(packetBytes.end(), data, data + size);
    writeAll(packetBytes.data(), packetBytes.size());
}

SendOutcome PacketChannel::sendReply(const Reply& reply)
{
    if (latency_.count() > 0) {
        std::this_thread::sleep_for(latency_);
    }
    drainAttentions();
    const Bytes& bytes = reply.bytes();
    const auto& starts = reply.tokenStarts();
    size_t chunkSize = packetSize_ - packet::kHeaderSize;
    size_t offset = 0;
    while (offset < bytes.size()) {
        if (attentionsPending_ > 0) {
            // Finish the token in progress so the client can still parse the stream.
            auto next = std::lower_bound(starts.begin(), starts.end(), offset);
            size_t tokenEnd = next == starts.end() ? bytes.size() : *next;
            Reply ack;
            ack.done(done::kAttention);
            Bytes tail(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                       bytes.begin() + static_cast<std::ptrdiff_t>(tokenEnd));
            tail.insert(tail.end(), ack.bytes().begin(), ack.bytes().end());
            for (size_t at = 0; at < tail.size(); at += chunkSize) {
                size_t n = std::min(chunkSize, tail.size() - at);
                writePacket(tail.data() + at, n, at + n == tail.size());
            }
            attentionsPending_ = 0;
            return SendOutcome::Cancelled;
        }
        size_t n = std::min(chunkSize, bytes.size() - offset);
        writePacket(bytes.data() + offset, n, offset + n == bytes.size());
        offset += n;
    }
    if (attentionsPending_ > 0) {
        acknowledgeAttention();
        return SendOutcome::Cancelled;
    }
    return SendOutcome::Complete;
}

void PacketChannel::close()
{
    if (socket_.valid()) {
        ::shutdown(socket_.get(), SHUT_RDWR);
        socket_.reset();
    }
}

bool PacketChannel::attentionArrived()
{
    pollfd p{socket_.get(), POLLIN, 0};
    while (inbox_.size() < kInboxLimit && ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0) {
        if (!fillInbox())
            return true;  // the client is gone: nobody waits for the rest
        p.revents = 0;
    }
    drainAttentions();
    return attentionsPending_ > 0;
}

void PacketChannel::acknowledgeAttention()
{
    Reply ack;
    ack.done(done::kAttention);
    writePacket(ack.bytes().data(), ack.bytes().size(), true);
    attentionsPending_ = 0;
}

}  // namespace tdsim::tds
