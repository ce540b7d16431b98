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
    for (int socket : newSockets())
        ::shutdown(socket, SHUT_RDWR);
}

std::set<int> TLoginInProgress::newSockets() const
{
    std::set<int> sockets;
    for (int socket : openSockets()) {
        if (!m_socketsBefore.count(socket))
            sockets.insert(socket);
    }
    return sockets;
}

// ---------------------------------------------------------------- TAnswerDeadline

TAnswerDeadline::~TAnswerDeadline()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_watchdog.joinable())
        m_watchdog.join();
}

void TAnswerDeadline::start(int seconds, std::function<void()> onExpiry)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_seconds = seconds;
        m_used = Clock::duration::zero();
        m_waitingSince = Clock::now();
        m_onExpiry = std::move(onExpiry);
        m_expired = false;
        m_abandoned = false;
        if (m_seconds > 0 && !m_watchdog.joinable())
            m_watchdog = std::thread([this] { watch(); });
    }
    m_changed.notify_all();
}

void TAnswerDeadline::finish()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_onExpiry = nullptr;
    }
    m_changed.notify_all();
}

void TAnswerDeadline::abandon()
{
    // Under the lock, as the watchdog's expiry: the action never runs once the wait is over.
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_depth == 0 || !m_onExpiry || m_expired)
        return;
    m_abandoned = true;
    m_expired = true;
    m_onExpiry();
}

std::chrono::milliseconds TAnswerDeadline::waitingFor() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_depth == 0 || !m_onExpiry)
        return std::chrono::milliseconds::zero();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_waitingSince);
}

void TAnswerDeadline::enter()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_depth++ == 0)
            m_waitingSince = Clock::now();
    }
    m_changed.notify_all();
}

void TAnswerDeadline::leave()
{
    // Under the lock, so that the expiry action never runs once the wait is over.
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_depth == 0)
        m_used += Clock::now() - m_waitingSince;
}

void TAnswerDeadline::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        if (m_depth == 0 || m_seconds <= 0 || !m_onExpiry || m_expired) {
            m_changed.wait(lock);
            continue;
        }
        const Clock::time_point end = m_waitingSince + std::chrono::seconds(m_seconds) - m_used;
        if (Clock::now() < end) {
            m_changed.wait_until(lock, end);
            continue;
        }
        m_expired = true;
        m_onExpiry();
    }
}

TAnswerDeadline::Waiting::Waiting(TAnswerDeadline* deadline) : m_deadline(deadline)
{
    if (m_deadline)
        m_deadline->enter();
}

TAnswerDeadline::Waiting::~Waiting()
{
    if (m_deadline)
        m_deadline->leave();
}
