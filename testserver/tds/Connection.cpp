#include "Connection.h"

#include <system_error>

#include "CommandHandler.h"
#include "Login.h"
#include "Request.h"

namespace tdsim::tds {

Connection::Connection(FileDescriptor socket, int spid, ServerContext& context)
    : channel_(std::move(socket)), spid_(spid), context_(context)
{
    channel_.setLatency(context.latency);
}

void Connection::run()
{
    try {
        serve();
    } catch (const ProtocolError& e) {
        context_.trace.problem(spid_, std::string("malformed input, closing: ") + e.what());
    } catch (const std::system_error& e) {
        context_.trace.line(spid_, std::string("connection lost: ") + e.what());
    } catch (const std::exception& e) {
        context_.trace.problem(spid_, std::string("closing after error: ") + e.what());
    }
    countTraffic();
    channel_.close();
    context_.trace.line(spid_, "closed");
}

void Connection::serve()
{
    std::unique_ptr<Session> session = login();
    if (session) {
        requestLoop(*session);
    }
}

std::unique_ptr<Session> Connection::login()
{
    std::optional<InboundMessage> message = channel_.readMessage();
    if (!message) {
        return nullptr;
    }
    if (message->type == packet::kPreLogin || message->type == packet::kTds7Login) {
        // Closing makes the client fall back to a TDS 5.0 login.
        context_.trace.line(spid_, "TDS 7 login refused");
        return nullptr;
    }
    if (message->type != packet::kLogin) {
        throw ProtocolError("expected a login, got packet type " + std::to_string(message->type));
    }
    LoginRecord record = parseLoginRecord(message->payload);
    context_.trace.line(spid_, "<- LOGIN user '" + record.userName + "' app '" + record.appName +
                                   "' packet size " + std::to_string(record.requestedPacketSize));
    LoginContext loginContext;
    loginContext.serverName = context_.serverName;
    loginContext.charset = context_.charset;
    const bool sqlAnywhere = context_.product == Product::SqlAnywhere;
    if (sqlAnywhere)
        loginContext.product = tds::sqlAnywhere();
    if (!context_.engine.checkLogin(record.userName, record.password)) {
        send(refuseLogin(loginContext));
        return nullptr;
    }
    // SQL Anywhere takes the database from the login record's server-name field (FreeTDS's
    // "asa database" setting) and refuses a login that names none of its databases.
    ClientInfo client;
    client.hostName = record.hostName;
    client.programName = record.appName;
    client.packetSize = negotiatePacketSize(record.requestedPacketSize);
    std::unique_ptr<Session> session =
        sqlAnywhere
            ? context_.engine.openSessionIn(record.userName, spid_, record.serverName, client)
            : context_.engine.openSession(record.userName, spid_, client);
    if (!session) {
        context_.trace.line(spid_, "no database '" + record.serverName + "', login refused");
        send(refuseLogin(loginContext));
        return nullptr;
    }
    loginContext.database = session->currentDatabase();
    send(acceptLogin(record, loginContext, client.packetSize));
    channel_.setPacketSize(static_cast<size_t>(client.packetSize));
    return session;
}

void Connection::requestLoop(Session& session)
{
    // A batch under way ends when the client cancels it; the reply then ends with the
    // attention's acknowledgement.
    session.setCancelCheck([this] { return channel_.attentionArrived(); });
    CommandHandler handler(session, context_.stats, context_.serverName, context_.product);
    while (std::optional<InboundMessage> message = channel_.readMessage()) {
        ++context_.stats.requests;
        std::vector<Command> commands;
        switch (message->type) {
            case packet::kAttention:
                context_.trace.line(spid_, "<- ATTENTION");
                channel_.acknowledgeAttention();
                continue;
            case packet::kRawSql:
                commands.push_back(LanguageCommand{
                    std::string(message->payload.begin(), message->payload.end()), {}});
                break;
            case packet::kRequest:
                commands = parseRequest(message->payload);
                break;
            default:
                throw ProtocolError("unexpected packet type " + std::to_string(message->type));
        }
        if (context_.trace.enabled()) {
            for (const Command& c : commands) {
                context_.trace.line(spid_, "<- " + describe(c));
            }
        }
        send(handler.handle(commands));
        countTraffic();
        if (handler.loggedOut()) {
            return;
        }
    }
}

bool Connection::send(const Reply& reply)
{
    context_.trace.reply(spid_, reply);
    bool complete = channel_.sendReply(reply) == SendOutcome::Complete;
    if (!complete) {
        context_.trace.line(spid_, "<- ATTENTION (reply cut short, acknowledged)");
    }
    return complete;
}

void Connection::countTraffic()
{
    context_.stats.bytesIn += channel_.bytesReceived() - countedIn_;
    context_.stats.bytesOut += channel_.bytesSent() - countedOut_;
    countedIn_ = channel_.bytesReceived();
    countedOut_ = channel_.bytesSent();
}

}  // namespace tdsim::tds
