// What a connection does when the server stops answering: the waiting call fails and a
// stored library message says why, instead of the wait starting again.
#pragma once

#include <set>

struct _cs_connection;

// Makes every timeout of `connection` end the connection (see the implementation).
void abortOnTimeout(_cs_connection* connection);

// Marks a connection as logging in for as long as it lives, so that a login timeout can
// release the socket that FreeTDS would otherwise keep waiting on.
class TLoginInProgress {
public:
    explicit TLoginInProgress(_cs_connection* connection);
    ~TLoginInProgress();
    TLoginInProgress(const TLoginInProgress&) = delete;
    TLoginInProgress& operator=(const TLoginInProgress&) = delete;

    // The login timed out: shuts down the sockets opened since the login began.
    void abandon();
    bool timedOut() const { return m_timedOut; }

private:
    _cs_connection* m_connection;
    std::set<int> m_socketsBefore;
    bool m_timedOut = false;
};
