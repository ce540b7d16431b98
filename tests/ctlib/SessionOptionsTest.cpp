// Session options reach the server only when they change: read back from tdsim's trace
// of the requests it received.
#include "CTLibException.h"
#include "RecordingUserInterface.h"
#include "ServerFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cstdlib>

namespace {
class SessionOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/skelder-trace-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        traceDir = dir;
        tracePath = traceDir + "/trace.log";
        server = std::make_unique<TdsimServer>(QStringList{}, QStringList{"--trace", tracePath});
        db = std::make_unique<TCTLibDatabase>();
        db->SetName("db");
        server->configure(*db);
    }

    // The wire option numbers of the option commands received since the last call.
    QList<int> receivedOptions()
    {
        QFile file(tracePath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QList<int> options;
        static const QRegularExpression pattern("<- OPTIONCMD op 1 option (\\d+)");
        for (int i = m_linesSeen; i < lines.size(); ++i) {
            const auto match = pattern.match(lines[i]);
            if (match.hasMatch())
                options << match.captured(1).toInt();
        }
        m_linesSeen = int(lines.size()) - 1;
        return options;
    }

    void TearDown() override
    {
        db.reset();
        server.reset();
        QDir(traceDir).removeRecursively();
    }

    RecordingUserInterface ui;
    QString traceDir;
    std::unique_ptr<TdsimServer> server;
    QString tracePath;
    std::unique_ptr<TCTLibDatabase> db;
    int m_linesSeen = 0;
};

constexpr int kTextSize = 2, kIsolation = 8, kNoCount = 21, kAnsiNull = 34, kQuotedIdent = 35;

TEST_F(SessionOptionsTest, ConnectSendsTextSizeIsolationAndTheChosenOptions)
{
    db->ProcOptions = poNoCount | poQuotedIdent | poRestrees;
    db->Connect();
    const QList<int> options = receivedOptions();
    EXPECT_TRUE(options.contains(kNoCount));
    EXPECT_TRUE(options.contains(kQuotedIdent));
    EXPECT_TRUE(options.contains(kTextSize));
    EXPECT_TRUE(options.contains(kIsolation));
    EXPECT_FALSE(options.contains(kAnsiNull));
}

TEST_F(SessionOptionsTest, ApplyProcOptionsSendsOnlyTheDifferences)
{
    db->Connect();
    receivedOptions();
    db->ProcOptions = poAnsiNull;  // assigning sends nothing
    EXPECT_TRUE(receivedOptions().isEmpty());
    db->ApplyProcOptions(poAnsiNull | poNoCount);
    EXPECT_EQ(receivedOptions(), (QList<int>{kAnsiNull, kNoCount}));
    db->ApplyProcOptions(poAnsiNull | poNoCount);
    EXPECT_TRUE(receivedOptions().isEmpty());
    db->ApplyProcOptions(poAnsiNull);  // the member removed goes out once, switched off
    EXPECT_EQ(receivedOptions(), QList<int>{kNoCount});
    // A new Connect forgets what was applied: everything is sent again.
    db->DisConnect();
    db->Connect();
    EXPECT_TRUE(receivedOptions().contains(kAnsiNull));
}

TEST_F(SessionOptionsTest, SqlAnywhereGetsOnlyAnsiNullAndQuotedIdent)
{
    db->Connect();
    db->Rdbms = "SQLAnywhere";
    receivedOptions();
    db->ApplyProcOptions(poAnsiNull | poNoCount | poQuotedIdent | poArithAbort);
    EXPECT_EQ(receivedOptions(), (QList<int>{kAnsiNull, kQuotedIdent}));
    db->setTextSize(1000);  // assigned while connected: sent for any kind of server
    EXPECT_EQ(receivedOptions(), QList<int>{kTextSize});
}
}  // namespace
