// Message framing over a connected socket: collects request packets into whole
// messages, cuts replies into packets of the negotiated size, and notices an
// attention packet that arrives while a reply is being written.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "Bytes.h"
#include "Reply.h"
#include "Socket.h"

namespace tdsim::tds {

namespace packet {
enum : uint8_t {
    kRawSql = 0x01,
    kLogin = 0x02,
    kReply = 0x04,
    kAttention = 0x06,
    kRequest = 0x0F,
    kTds7Login = 0x10,
    kPreLogin = 0x12,
};
constexpr size_t kHeaderSize = 8;
constexpr uint8_t kLastPacket = 0x01;
}  // namespace packet

struct InboundMessage {
    uint8_t type = 0;
    Bytes payload;
};

enum class SendOutcome { Complete, Cancelled };

class PacketChannel {
public:
    explicit PacketChannel(FileDescriptor socket);

    // The next whole message, or nothing once the peer has closed the socket.
    // Throws ProtocolError on a malformed header or an oversized message.
    std::optional<InboundMessage> readMessage();

    // Sends a reply. If the client sends an attention meanwhile, the token being
    // written is finished, the rest dropped and an attention-acknowledging DONE
    // sent instead. Throws std::system_error when the peer has gone.
    SendOutcome sendReply(const Reply& reply);
    // Acknowledges an attention that arrived while no reply was being written.
    void acknowledgeAttention();
    // Without waiting: whether the client has sent an attention (or gone) since the
    // request being answered; the attention stays pending for sendReply to acknowledge.
    bool attentionArrived();

    // Ends the conversation: the peer sees the connection close even if another
    // descriptor for the socket is still open.
    void close();

    void setPacketSize(size_t size) { packetSize_ = size; }
    void setLatency(std::chrono::milliseconds latency) { latency_ = latency; }
    uint64_t bytesSent() const { return bytesSent_; }
    uint64_t bytesReceived() const { return bytesReceived_; }
    int fd() const { return socket_.get(); }

    // The largest request message accepted; a bigger one is treated as malformed.
    static constexpr size_t kMaxMessageSize = 16 * 1024 * 1024;

private:
    bool fillInbox();  // blocking read of more bytes; false on end of stream
    void writeAll(const uint8_t* data, size_t size);
    void writePacket(const uint8_t* data, size_t size, bool last);
    void drainAttentions();  // moves any complete attention packets out of the inbox
    std::optional<size_t> completePacketLength() const;

    FileDescriptor socket_;
    Bytes inbox_;
    size_t packetSize_ = 512;
    std::chrono::milliseconds latency_{0};
    int attentionsPending_ = 0;
    uint64_t bytesSent_ = 0;
    uint64_t bytesReceived_ = 0;
};

}  // namespace tdsim::tds
