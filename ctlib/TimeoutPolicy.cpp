#include "TimeoutPolicy.h"

#include "CTLibCompat.h"

#include <sys/socket.h>
#include <QDir>
#include <QFileInfo>

namespace {
// FreeTDS's number for "connection timed out", raised when the login or a command waits
// longer than its limit.
constexpr CS_INT kTimedOutMessage = 20003;

// The process's open socket descriptors.
std::set<int> openSockets()
{
    std::set<int> sockets;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& name : descriptors.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(descriptors.filePath(name))
                .symLinkTarget()
                .contains(QLatin1String("socket:")))
            sockets.insert(name.toInt());
    }
    return sockets;
}

TLoginInProgress* loginOf(CS_CONNECTION* connection)
{
    TLoginInProgress* login = nullptr;
    CS_INT length = 0;
    if (!connection ||
        ct_con_props(connection, CS_GET, CS_USERDATA, &login, sizeof login, &length) !=
            CS_SUCCEED ||
        length != CS_INT(sizeof login))
        return nullptr;
    return login;
}

void setLogin(CS_CONNECTION* connection, TLoginInProgress* login)
{
    ct_con_props(connection, CS_SET, CS_USERDATA, &login, sizeof login, nullptr);
}

// Inline message handling stores every library message and lets FreeTDS wait again after
// a timeout, so a server that stops answering would be waited on forever. This handler
// stores the message as before and then gives up on the connection instead: the waiting
// call fails and the stored message says why.
//
// During a login, giving up makes FreeTDS send a logout to the silent server and wait for
// its answer, which times out and starts the same logout again, without end. There the
// new socket is shut down instead and the wait goes on: it ends at once at the socket's
// end, and FreeTDS closes the connection without a logout.
CS_RETCODE storeAndAbortOnTimeout(CS_CONTEXT* context, CS_CONNECTION* connection,
                                  CS_CLIENTMSG* message)
{
    CS_CLIENTMSG_FUNC store = nullptr;
    ct_callback(context, nullptr, CS_GET, CS_CLIENTMSG_CB, &store);
    if (store)
        store(context, connection, message);
    if (message->msgnumber != kTimedOutMessage)
        return CS_SUCCEED;
    if (TLoginInProgress* login = loginOf(connection)) {
        login->abandon();
        return CS_SUCCEED;
    }
    return CS_FAIL;
}
}  // namespace

void abortOnTimeout(CS_CONNECTION* connection)
{
    ct_callback(nullptr, connection, CS_SET, CS_CLIENTMSG_CB,
                reinterpret_cast<CS_VOID*>(&storeAndAbortOnTimeout));
}

TLoginInProgress::TLoginInProgress(CS_CONNECTION* connection)
    : m_connection(connection), m_socketsBefore(openSockets())
{
    setLogin(m_connection, this);
}

TLoginInProgress::~TLoginInProgress()
{
    setLogin(m_connection, nullptr);
}

void TLoginInProgress::abandon()
{
    m_timedOut = true;
    for (int socket : openSockets()) {
        if (!m_socketsBefore.count(socket))
            ::shutdown(socket, SHUT_RDWR);
    }
}
