// A diagnostic log of a run for finding out why it is slow or failing: every statement
// sent, the end of its results, every message received and the logins, each with the
// time. Login data (user name, password) is never written.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>

struct TServerMessage;
struct TClientMessage;

// The open trace file. While one exists it is the process's trace: the query layer and
// the message processing write to it through the static functions, which do nothing when
// no trace is open. Not thread-safe: the programs that trace talk to servers from one
// thread.
class TStatementTrace {
public:
    // Creates (or empties) `path`; throws EFileError when it cannot be written.
    explicit TStatementTrace(const QString& path);
    ~TStatementTrace();
    TStatementTrace(const TStatementTrace&) = delete;
    TStatementTrace& operator=(const TStatementTrace&) = delete;

    // Writes the last record and closes the file. Returns the reason the first record that
    // could not be written failed; empty when every record reached the file.
    QString finish();

    static bool active() { return s_current != nullptr; }
    static void loginStarted(const QString& serverName);
    static void loginEnded(bool succeeded);
    static void statementSent(const QString& how, const QString& text);
    static void resultsEnded(qint64 millisecondsSinceSent);
    static void serverMessage(const TServerMessage& message);
    static void libraryMessage(const TClientMessage& message);
    static void loggedOut(const QString& serverName);

private:
    // One record: the time, the seconds since the trace began, a title, and the text
    // indented below it.
    void write(const QString& title, const QString& text = QString());

    QFile m_file;
    QElapsedTimer m_clock;
    // Records are written from the client library's message callbacks, where nothing may
    // be thrown: the first failure is kept for finish() and nothing more is written.
    QString m_failure;
    bool m_finished = false;
    static inline TStatementTrace* s_current = nullptr;
};
