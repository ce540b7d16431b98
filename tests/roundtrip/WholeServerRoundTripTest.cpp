// A whole server re-created from its script: a server with every kind of its own objects
// and the demo databases is scripted with --whole-server, the script is replayed into a
// fresh server, and the master catalog and every database's catalog must match; the
// script then runs again over its own result without an error.
#include "CTLibDatabase.h"
#include "CatalogSnapshot.h"
#include "ConnectedServer.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
const QStringList kUserDatabases{"archive", "demo", "hr", "inventory", "sales"};

// The role password the script cannot carry, filled in as a DBA would: the placeholder
// replaced, the batch that stops the script removed.
QString withRolePasswordFilledIn(QString script)
{
    static const QRegularExpression stop(
        QStringLiteral("PRINT 'Role manager: [^\\n]*\\r?\\nSELECT syb_quit\\(\\)\\r?\\nGO\\r?\\n"));
    script.remove(stop);
    return script.replace(QStringLiteral("<password of role manager>"), QStringLiteral("new_pw1"));
}

class WholeServerRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_copy = std::make_unique<TdsimServer>();
        m_original = std::make_unique<ConnectedServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql"),
                        QStringLiteral(SKELDER_SOURCE_DIR "/testdata/whole-server.sql")});
        // One interfaces file names both servers: "tdsim" and the fresh "copy".
        m_original->server.writeIniFile(
            QStringLiteral("[copy]\n    host = 127.0.0.1\n    port = %1\n    tds version = 5.0\n")
                .arg(m_copy->port()));
        qputenv("SYBASE", QFile::encodeName(m_original->server.directory()));
        qputenv("FREETDSCONF", QFile::encodeName(m_original->server.iniFile()));
    }

    QString wholeServerScript(const QString& server, const QString& name, QString* errors)
    {
        const QString path = m_work.filePath(name);
        const ToolResult result =
            runSkelderCliOnServer(server, QStringList{"--whole-server", "--devices", "-o", path} +
                                              replayableScriptOptions());
        EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
        *errors = result.err;
        return readText(path);
    }

    // The server's catalog and each user database's, read through the connection "db".
    static QStringList snapshots()
    {
        QStringList rows = serverSnapshot(kUserDatabases);
        for (const QString& database : kUserDatabases) {
            for (const QString& row : catalogSnapshot(database))
                rows << database + QLatin1Char(':') + row;
        }
        return rows;
    }

    void reconnectToCopy()
    {
        m_original->db.DisConnect();
        m_original->db.ServerName = QStringLiteral("copy");
        m_original->db.Connect();
        ASSERT_TRUE(m_original->db.connected());
    }

    std::unique_ptr<TdsimServer> m_copy;
    std::unique_ptr<ConnectedServer> m_original;
    QTemporaryDir m_work;
};

TEST_F(WholeServerRoundTripTest, ScriptRecreatesTheServerAndRunsAgainOverIt)
{
    QString warnings;
    const QString original = wholeServerScript("tdsim", "original.sql", &warnings);
    ASSERT_TRUE(original.contains("CREATE LOGIN alice WITH ENCRYPTED PASSWORD '0x"));
    // The role's password cannot be carried: the script stops there, and the run says so.
    EXPECT_TRUE(original.contains("SELECT syb_quit()"));
    EXPECT_TRUE(warnings.contains("role manager: its password is a placeholder"))
        << qPrintable(warnings);
    // Read only comes after the database's own objects.
    EXPECT_GT(original.indexOf("sp_dboption archive, 'read only', true"),
              original.indexOf("CREATE TABLE dbo.history"));
    const QStringList before = snapshots();
    // The comparison sees what the script must carry.
    ASSERT_EQ(
        before.filter(QRegularExpression("^syslogins\\|\\d+\\|dave\\|hr\\|.*\\|hr_login$")).size(),
        1);
    ASSERT_EQ(before.filter(QRegularExpression("^sysusages\\|sales\\|")).size(), 4);

    const QString script = withRolePasswordFilledIn(original);
    ASSERT_FALSE(script.contains("syb_quit"));
    EXPECT_EQ(replayWithBsqldb("copy", m_work.filePath("replay-1.sql"), script), QStringList());
    reconnectToCopy();
    EXPECT_EQ(snapshotDifferences(before, snapshots()), QStringList());
    QString copyWarnings;
    EXPECT_EQ(wholeServerScript("copy", "copy.sql", &copyWarnings), original);

    // The guards let the script run again over what it made.
    EXPECT_EQ(replayWithBsqldb("copy", m_work.filePath("replay-2.sql"), script), QStringList());
    EXPECT_EQ(snapshotDifferences(before, snapshots()), QStringList());
}

// A login that cannot read password hashes writes placeholders for every login, and says
// so; the script stops before the first of them.
TEST_F(WholeServerRoundTripTest, PlaceholdersStopTheScriptUntilReplaced)
{
    const QString path = m_work.filePath("placeholders.sql");
    const ToolResult result = runSkelderCliOnServer(
        "tdsim", {"--kind", "logins", "--password-placeholders", "--no-header", "-o", path});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains("login alice: its password is a placeholder"));
    const QString script = readText(path);
    EXPECT_FALSE(script.contains("ENCRYPTED PASSWORD"));
    EXPECT_TRUE(script.contains("CREATE LOGIN alice WITH PASSWORD '<password of alice>'"));

    replayWithBsqldb("copy", m_work.filePath("stop.sql"), script);
    reconnectToCopy();
    const QStringList logins = serverSnapshot({}).filter(QRegularExpression("^syslogins\\|"));
    for (const QString& row : logins)
        EXPECT_FALSE(row.contains("|alice|")) << qPrintable(row);
}
// A login whose name holds a line isql reads as "go" would split its batch: it is left out
// and named, and the run says the script is incomplete.
TEST_F(WholeServerRoundTripTest, ANameHoldingABatchEndIsLeftOutAndNamed)
{
    ASSERT_EQ(replayWithBsqldb("copy", m_work.filePath("hostile-login.sql"),
                               "declare @n varchar(30)\n"
                               "select @n = 'bad' + char(10) + 'go' + char(10) + 'name'\n"
                               "exec sp_addlogin @n, 'pass_123'\ngo\n"),
              QStringList());
    const QString path = m_work.filePath("logins.sql");
    const ToolResult result = runSkelderCliOnServer("copy", {"--kind", "logins", "-o", path});
    EXPECT_EQ(result.exitCode, 4) << qPrintable(result.err);
    EXPECT_TRUE(
        result.err.contains("not scripted: server: login bad\\ngo\\nname: a name or value "
                            "holds a line that isql reads as go"))
        << qPrintable(result.err);
    EXPECT_FALSE(readText(path).contains(
        QRegularExpression("^go\\r?$", QRegularExpression::MultilineOption)));
}
}  // namespace
