// The request side: packet reassembly and parsing of captured client bytes,
// attention handling while a reply is written, and malformed input.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "Captures.h"
#include "TestBytes.h"
#include "tds/Login.h"
#include "tds/PacketChannel.h"
#include "tds/Request.h"

namespace tdsim::tds {
namespace {

using testing::hex;
using testing::payloadOf;

// A channel on one end of a socket pair; the test plays the client on the other.
class ChannelPair {
public:
    ChannelPair()
    {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        server_ = std::make_unique<PacketChannel>(FileDescriptor(fds[0]));
        client_.reset(fds[1]);
    }
    PacketChannel& server() { return *server_; }
    void clientSends(const Bytes& bytes)
    {
        ASSERT_EQ(::send(client_.get(), bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    void clientSendsPackets(const std::vector<std::string>& packets)
    {
        for (const auto& p : packets) {
            clientSends(hex(p));
        }
    }
    void clientCloses() { client_.reset(); }
    // Reads everything the server sent until its last packet; returns payloads joined.
    Bytes clientReadsReply(int* packets = nullptr)
    {
        Bytes payload;
        int count = 0;
        for (;;) {
            uint8_t header[8];
            readExactly(header, 8);
            size_t length = (header[2] << 8) | header[3];
            Bytes body(length - 8);
            readExactly(body.data(), body.size());
            payload.insert(payload.end(), body.begin(), body.end());
            ++count;
            if (header[1] & 1) {
                break;
            }
        }
        if (packets) {
            *packets = count;
        }
        return payload;
    }

private:
    void readExactly(uint8_t* to, size_t n)
    {
        while (n > 0) {
            ssize_t got = ::recv(client_.get(), to, n, 0);
            ASSERT_GT(got, 0);
            to += got;
            n -= static_cast<size_t>(got);
        }
    }
    std::unique_ptr<PacketChannel> server_;
    FileDescriptor client_;
};

TEST(LoginRecordTest, CapturedLoginOverTwoPacketsParses)
{
    ChannelPair pair;
    pair.clientSendsPackets(testing::kLoginPackets);
    auto message = pair.server().readMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type, packet::kLogin);
    EXPECT_EQ(message->payload.size(), 603u);
    LoginRecord login = parseLoginRecord(message->payload);
    EXPECT_EQ(login.userName, "alice");
    EXPECT_EQ(login.password, "secret");
    EXPECT_EQ(login.appName, "e2e");
    EXPECT_EQ(login.serverName, "tdsim");
    EXPECT_EQ(login.libraryName, "CT-Library");
    EXPECT_EQ(login.language, "us_english");
    EXPECT_EQ(login.requestedPacketSize, 4096);
    EXPECT_EQ(login.requestCapabilities, hex("00 00 60 08 81 81 e8 0f 6d 7f ff ff ff fe"));
    EXPECT_EQ(login.responseCapabilities, hex("00 00 00 00 00 00 00 00 00 02 68 00 00 00"));
}

TEST(LoginRecordTest, BadLoginRecordsAreRejected)
{
    Bytes record = payloadOf(testing::kLoginPackets);
    Bytes overlong = record;
    overlong[61] = 31;  // user name length beyond its 30-byte field
    EXPECT_THROW(parseLoginRecord(overlong), ProtocolError);
    EXPECT_THROW(parseLoginRecord(Bytes(record.begin(), record.begin() + 300)), ProtocolError);
    Bytes badCapability = record;
    badCapability[570] = 0xff;  // capability length past the end
    EXPECT_THROW(parseLoginRecord(badCapability), ProtocolError);
}

TEST(RequestParserTest, CursorDeclareRowsOpenBatch)
{
    auto commands = parseRequest(payloadOf(testing::kCursorBatch));
    ASSERT_EQ(commands.size(), 3u);
    auto& declare = std::get<CursorDeclare>(commands[0]);
    EXPECT_EQ(declare.name, "c1");
    EXPECT_EQ(declare.statement, "select * from demo");
    auto& rows = std::get<CursorSetRows>(commands[1]);
    EXPECT_EQ(rows.cursor.id, 0u);
    EXPECT_EQ(rows.cursor.name, "c1");
    EXPECT_EQ(rows.command, 1);
    EXPECT_EQ(rows.rows, 3);
    EXPECT_EQ(std::get<CursorOpen>(commands[2]).cursor.name, "c1");

    auto fetch = parseRequest(payloadOf(testing::kCursorFetch));
    ASSERT_EQ(fetch.size(), 1u);
    EXPECT_EQ(std::get<CursorFetch>(fetch[0]).type, FetchType::Next);
    auto close = parseRequest(payloadOf(testing::kCursorCloseDeallocate));
    EXPECT_EQ(std::get<CursorClose>(close[0]).cursor.id, 1u);
    EXPECT_TRUE(std::get<CursorClose>(close[0]).deallocate);
}

TEST(RequestParserTest, DynamicPrepareExecuteDeallocate)
{
    auto prepare = parseRequest(payloadOf(testing::kDynamicPrepare));
    auto& p = std::get<DynamicCommand>(prepare.at(0));
    EXPECT_EQ(p.op, DynamicOp::Prepare);
    EXPECT_EQ(p.id, "dyn1");
    EXPECT_EQ(p.statement, "select * from demo where id = ?");

    auto execute = parseRequest(payloadOf(testing::kDynamicExecute));
    ASSERT_EQ(execute.size(), 1u);
    auto& e = std::get<DynamicCommand>(execute[0]);
    EXPECT_EQ(e.op, DynamicOp::Execute);
    ASSERT_EQ(e.params.size(), 1u);
    EXPECT_EQ(e.params[0].format.typeCode(), wire::kIntN);
    EXPECT_EQ(e.params[0].value.intValue, 2);

    auto dealloc = parseRequest(payloadOf(testing::kDynamicDeallocate));
    EXPECT_EQ(std::get<DynamicCommand>(dealloc.at(0)).op, DynamicOp::Deallocate);
    EXPECT_TRUE(
        std::holds_alternative<LogoutCommand>(parseRequest(payloadOf(testing::kLogout)).at(0)));
}

TEST(RequestParserTest, ExecuteWithCharNumericAndNullParameters)
{
    auto commands =
        parseRequest(hex("e7 09 00 02 01 04 'dyn1' 00 00"
                         "ec 1f 00 03 00"
                         "   00 00 00 00 00 00 2f 03 00"
                         "   00 00 00 00 00 00 6c 06 0a 02 00"
                         "   00 00 00 00 00 00 26 04 00"
                         "d7 03 'abc' 06 01 00 00 00 30 39 00"));
    auto& params = std::get<DynamicCommand>(commands.at(0)).params;
    ASSERT_EQ(params.size(), 3u);
    EXPECT_EQ(params[0].value.bytes, "abc");
    EXPECT_EQ(params[1].value.intValue, -12345);
    EXPECT_EQ(params[1].format.scale(), 2);
    EXPECT_TRUE(params[2].value.isNull);
}

TEST(RequestParserTest, OptionCommands)
{
    auto commands =
        parseRequest(hex("a6 07 00 01 02 04 00 80 00 00"  // set textsize 32768
                         "a6 03 00 03 22 00"              // get ansinull
                         "a6 03 00 01 00 00"));           // option 0, no argument
    ASSERT_EQ(commands.size(), 3u);
    auto& textSize = std::get<OptionCommand>(commands[0]);
    EXPECT_EQ(textSize.op, OptionOp::Set);
    EXPECT_EQ(textSize.option, 2);
    EXPECT_EQ(textSize.argument, hex("00 80 00 00"));
    EXPECT_EQ(std::get<OptionCommand>(commands[1]).op, OptionOp::Get);
    EXPECT_EQ(std::get<OptionCommand>(commands[2]).option, 0);
}

TEST(RequestParserTest, MultiPacketBatchIsReassembled)
{
    ChannelPair pair;
    pair.clientSendsPackets(testing::kMultiPacketBatch);
    auto message = pair.server().readMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->payload.size(), 4096u - 8 + 1944 - 8);
    auto commands = parseRequest(message->payload);
    ASSERT_EQ(commands.size(), 1u);
    const std::string& text = std::get<LanguageCommand>(commands[0]).text;
    EXPECT_EQ(text.rfind("select * from demo", 0), 0u);
    EXPECT_EQ(text.size(), 18u + 6000u);
}

TEST(RequestParserTest, EveryTruncationOfCapturedRequestsFailsCleanly)
{
    for (const auto* capture : {&testing::kCursorBatch, &testing::kDynamicExecute,
                                &testing::kDynamicPrepare, &testing::kCursorFetch}) {
        Bytes whole = payloadOf(*capture);
        size_t complete = parseRequest(whole).size();
        for (size_t cut = 1; cut < whole.size(); ++cut) {
            // A cut between tokens leaves a shorter valid request; any other cut is an error.
            try {
                auto commands =
                    parseRequest(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
                EXPECT_LT(commands.size(), complete) << "cut at " << cut;
            } catch (const ProtocolError&) {
            }
        }
    }
    EXPECT_THROW(parseRequest(hex("55 00 00")), ProtocolError);
    EXPECT_THROW(parseRequest(hex("d7 01")), ProtocolError);  // values without a format
    EXPECT_THROW(parseRequest(hex("ec 05 00 01 00 00 00")), ProtocolError);
    EXPECT_THROW(parseRequest(hex("21 ff ff ff ff 00")), ProtocolError);  // huge length, no data
}

TEST(PacketChannelTest, MalformedFramingIsAProtocolError)
{
    {
        ChannelPair pair;
        pair.clientSends(hex("0f 01 00 04 00 00 00 00"));  // length below the header size
        EXPECT_THROW(pair.server().readMessage(), ProtocolError);
    }
    {
        ChannelPair pair;
        pair.clientSends(hex("0f 00 00 09 00 00 00 00 21 02 01 00 09 00 00 00 00 00"));
        EXPECT_THROW(pair.server().readMessage(), ProtocolError);  // type changes mid-message
    }
    {
        ChannelPair pair;
        pair.clientSends(hex("0f 00 00 09 00 00 00 00 21"));
        pair.clientCloses();
        EXPECT_THROW(pair.server().readMessage(), ProtocolError);  // closed mid-message
    }
    {
        ChannelPair pair;
        pair.clientCloses();
        EXPECT_FALSE(pair.server().readMessage());  // closed between messages: no error
    }
}

// A reply of many ROW tokens (one INT4 column), as the result writer would build it.
Reply longReply(int rows)
{
    Reply reply;
    std::vector<WireColumn> columns = {
        WireColumn::forColumn(ColumnInfo{"n", ColumnType::Int, 4, 0, 0, false, 0})};
    reply.rowFormat(columns);
    for (int i = 0; i < rows; ++i) {
        reply.row(columns, {Value::ofInt(i)});
    }
    reply.done(done::kCount, rows);
    return reply;
}

TEST(PacketChannelTest, AttentionCutsTheReplyAtATokenBoundary)
{
    ChannelPair pair;
    pair.server().setPacketSize(512);
    pair.clientSends(hex("06 01 00 08 00 00 00 00"));  // attention, already waiting
    Reply reply = longReply(100000);
    EXPECT_EQ(pair.server().sendReply(reply), SendOutcome::Cancelled);
    Bytes received = pair.clientReadsReply();
    ASSERT_LT(received.size(), reply.bytes().size());
    // Whatever arrived is whole tokens: a format, rows of 5 bytes, then the acknowledgement.
    size_t at = 14;  // past the ROWFMT
    EXPECT_EQ(received[0], token::kRowFormat);
    while (received[at] == token::kRow) {
        at += 5;
    }
    EXPECT_EQ(testing::toHex(Bytes(received.begin() + static_cast<long>(at), received.end())),
              "fd 20 00 00 00 00 00 00 00");
}

TEST(PacketChannelTest, RepliesAreCutAtThePacketSizeAndIdleAttentionIsAnswered)
{
    ChannelPair pair;
    pair.server().setPacketSize(1024);
    Reply reply = longReply(1000);
    EXPECT_EQ(pair.server().sendReply(reply), SendOutcome::Complete);
    int packets = 0;
    EXPECT_EQ(pair.clientReadsReply(&packets), reply.bytes());
    EXPECT_EQ(packets, static_cast<int>((reply.bytes().size() + 1015) / 1016));

    pair.clientSends(hex("06 01 00 08 00 00 00 00"));
    auto message = pair.server().readMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type, packet::kAttention);
    pair.server().acknowledgeAttention();
    EXPECT_EQ(testing::toHex(pair.clientReadsReply()), "fd 20 00 00 00 00 00 00 00");
}

}  // namespace
}  // namespace tdsim::tds
