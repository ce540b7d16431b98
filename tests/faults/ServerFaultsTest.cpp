// skelder-cli against a server that stops answering or goes away: each run must end with
// an error naming the cause, exit status 1 and no script under the output's name.
#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <QDir>
#include <QTemporaryDir>

namespace {

const QString kDemo = QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql");

// Stops a server for as long as it lives, so that no test leaves one stopped.
class FrozenServer {
public:
    explicit FrozenServer(const TdsimServer& server) : m_pid(server.pid())
    {
        ::kill(m_pid, SIGSTOP);
    }
    ~FrozenServer() { ::kill(m_pid, SIGCONT); }
    FrozenServer(const FrozenServer&) = delete;
    FrozenServer& operator=(const FrozenServer&) = delete;

private:
    int m_pid;
};

// A shell that runs skelder-cli ("$@") with a statement trace, waits until the trace
// shows that scripting has begun, sends `signal` to the server and waits for the client.
// The server's latency keeps the run going far longer than the shell takes to react.
QString signalServerMidRun(const TdsimServer& server, const QString& trace, const char* signal)
{
    return QStringLiteral(R"("$@" --trace '%1' & cli=$!
until grep -q 'sp_help\|syscomments' '%1' 2>/dev/null || ! kill -0 $cli 2>/dev/null; do
  sleep 0.02
done
kill -%2 %3
wait $cli)")
        .arg(trace, QLatin1String(signal))
        .arg(server.pid());
}

class ServerFaults : public ::testing::Test {
protected:
    QTemporaryDir work;
};

TEST_F(ServerFaults, AServerThatNeverAnswersTheLoginEndsTheRunAfterTheLoginTimeout)
{
    TdsimServer server({kDemo});
    const FrozenServer frozen(server);
    const QString path = work.filePath("demo.sql");
    const ToolResult result = runSkelderCliOnServer(
        TdsimServer::serverName(), {"-D", "demo", "--login-timeout", "1", "-o", path});
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains("timed out")) << qPrintable(result.err);
    EXPECT_TRUE(QDir(work.path()).isEmpty());
}

TEST_F(ServerFaults, AServerThatStopsAnsweringMidRunEndsItAfterTheCommandTimeout)
{
    TdsimServer server({kDemo}, {"--latency-ms", "40"});
    const QString path = work.filePath("demo.sql");
    const ToolResult result = runSkelderCliInShell(
        signalServerMidRun(server, work.filePath("trace.txt"), "STOP"), TdsimServer::serverName(),
        {"-D", "demo", "--drop", "--command-timeout", "1", "-o", path});
    ::kill(server.pid(), SIGCONT);
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains("timed out")) << qPrintable(result.err);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ServerFaults, AServerKilledMidRunEndsItWithAnError)
{
    TdsimServer server({kDemo}, {"--latency-ms", "40"});
    const QString directory = work.filePath("scripts");
    const ToolResult result = runSkelderCliInShell(
        signalServerMidRun(server, work.filePath("trace.txt"), "KILL"), TdsimServer::serverName(),
        {"-D", "demo", "--separate-files", directory});
    EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
    EXPECT_FALSE(result.err.trimmed().isEmpty());
}

TEST_F(ServerFaults, AQueryOnAConnectionWhoseServerWentAwayRaises)
{
    TdsimServer server({kDemo});
    const RecordingUserInterface ui;
    TCTLibDatabase db;
    db.SetName(QStringLiteral("db"));
    server.configure(db);
    db.Connect();
    ASSERT_TRUE(db.connected());
    ::kill(server.pid(), SIGKILL);
    TCTLibEnhQuery query;
    query.DbName = QStringLiteral("db");
    for (const bool cursor : {false, true}) {
        query.IsCursor = cursor;
        query.setSQL(QStringList{QStringLiteral("select name from master..sysdatabases")});
        const auto readAll = [&query] {
            if (query.Open() == 1)
                while (query.Next()) {
                }
        };
        EXPECT_THROW(readAll(), std::exception) << "cursor: " << cursor;
    }
    EXPECT_TRUE(db.connectionLost());
}

}  // namespace
