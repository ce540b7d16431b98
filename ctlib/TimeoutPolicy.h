// What a connection does when the server stops answering: the waiting call fails and a
// stored library message says why, instead of the wait starting again.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

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

    // The login timed out: shuts down the sockets opened since the login began. Called
    // by the library's timeout or by the deadline's watchdog thread.
    void abandon();
    bool timedOut() const { return m_timedOut; }
    // The sockets opened since the login began: the connection's own once it succeeded.
    std::set<int> newSockets() const;

private:
    _cs_connection* m_connection;
    std::set<int> m_socketsBefore;
    std::atomic<bool> m_timedOut{false};
};

// The longest the client waits for one answer of the server (a login, or a command's
// results to their end), over all the reads of that answer together. FreeTDS's own
// timeout covers one read: a server that sends a byte now and then, or that sends
// without end, would hold the client for ever. The time counts only while the client
// waits (inside a `Waiting` scope), never while the caller works between two rows or the
// connection is idle. When the time is up a watchdog thread runs the expiry action, which
// shuts the connection's socket down: the waiting call fails at once and `expired()`
// tells the caller why.
class TAnswerDeadline {
public:
    TAnswerDeadline() = default;
    ~TAnswerDeadline();
    TAnswerDeadline(const TAnswerDeadline&) = delete;
    TAnswerDeadline& operator=(const TAnswerDeadline&) = delete;

    // A new answer is awaited from now on, for at most `seconds` (none when below 1).
    void start(int seconds, std::function<void()> onExpiry);
    // The answer is complete: nothing is counted until the next start.
    void finish();
    bool expired() const { return m_expired; }
    int seconds() const { return m_seconds; }

    // The user stops waiting: when an answer is awaited right now, the expiry action runs
    // at once and expired() and abandoned() become true. Safe from any thread.
    void abandon();
    bool abandoned() const { return m_abandoned; }
    // How long the client has been waiting without a pause; zero while it is not waiting.
    std::chrono::milliseconds waitingFor() const;

    // The client waits for the answer while this lives; scopes may nest.
    class Waiting {
    public:
        explicit Waiting(TAnswerDeadline* deadline);
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

    private:
        TAnswerDeadline* m_deadline;
    };

private:
    using Clock = std::chrono::steady_clock;
    void enter();
    void leave();
    void watch();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_watchdog;
    bool m_quit = false;
    int m_seconds = 0;
    int m_depth = 0;           // nested Waiting scopes
    Clock::duration m_used{};  // waited for this answer before the current scope
    Clock::time_point m_waitingSince;
    std::function<void()> m_onExpiry;
    std::atomic<bool> m_expired{false};
    std::atomic<bool> m_abandoned{false};
};
