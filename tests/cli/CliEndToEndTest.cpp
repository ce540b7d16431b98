// skelder-cli run as a process against a tdsim serving the demo databases.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "CliOptions.h"
#include "ObjectListing.h"
#include "ProgressReporter.h"
#include "RecordingUserInterface.h"
#include "ScriptGenerator.h"
#include "SilentProgress.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_ui = std::make_unique<RecordingUserInterface>();
        s_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")},
            QStringList{"--login", "alice:secret"});
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_ui.reset();
    }

    static ToolResult cli(const QStringList& arguments)
    {
        return runSkelderCliOnServer(TdsimServer::serverName(), arguments);
    }
    static QStringList lines(const QString& text) { return text.split('\n', Qt::SkipEmptyParts); }

    QTemporaryDir work;
    static inline std::unique_ptr<RecordingUserInterface> s_ui;
    static inline std::unique_ptr<TdsimServer> s_server;
};

TEST_F(CliTest, ListsEveryUserDatabaseInTheExplorersOrder)
{
    const ToolResult result = cli({"--list"});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QStringList listed = lines(result.out);
    ASSERT_FALSE(listed.isEmpty());
    EXPECT_EQ(listed.first(), "demo\tusers\tann");
    EXPECT_EQ(listed.last(), "inventory\tprocedures\tdbo.p_low_stock");
    // Databases ascending, system databases left out, kinds in folder order.
    QString lastDatabase;
    int lastKind = -1;
    for (const QString& line : listed) {
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 3) << qPrintable(line);
        EXPECT_TRUE(fields[0] == "demo" || fields[0] == "inventory") << qPrintable(line);
        const int kind = static_cast<int>(*kindFromName(fields[1]));
        if (fields[0] != lastDatabase) {
            EXPECT_LT(lastDatabase, fields[0]);
            lastDatabase = fields[0];
            lastKind = -1;
        }
        EXPECT_LE(lastKind, kind) << qPrintable(line);
        lastKind = kind;
    }
    EXPECT_TRUE(listed.contains("demo\tdatatypes\tssn"));
    EXPECT_TRUE(listed.contains("inventory\tindexes\titems.items_pk"));
}

TEST_F(CliTest, KindsAndObjectPatternsNarrowTheSelection)
{
    const ToolResult result = cli({"-D", "demo", "--kind", "views", "--kind", "tables", "--object",
                                   "dbo.cust%", "--object", "%_order_total_", "--list"});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_EQ(lines(result.out),
              QStringList({"demo\ttables\tdbo.customers", "demo\tviews\tdbo.v_order_totals"}));

    const ToolResult indexes = cli({"-D", "inventory", "--object", "items.%", "--list"});
    EXPECT_EQ(lines(indexes.out), QStringList({"inventory\tindexes\titems.items_pk"}));
}

TEST_F(CliTest, NothingMatchedExitsWithThree)
{
    ToolResult result = cli({"--object", "no_such_%"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.contains("No object matched")) << qPrintable(result.err);
    EXPECT_TRUE(result.out.isEmpty());

    result = cli({"-D", "nowhere", "--list"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(result.err.contains("No database named 'nowhere'")) << qPrintable(result.err);
}

TEST_F(CliTest, BadUsageExitsWithTwoBeforeConnecting)
{
    for (const QStringList& arguments :
         {QStringList{"--kind", "tabels"}, QStringList{"--settings", "/no/such/Skelder.ini"},
          QStringList{"-o", "a.sql", "--separate-files", "d"}}) {
        const ToolResult result = runSkelderCli(QStringList{"-S", "NOSUCH"} + arguments);
        EXPECT_EQ(result.exitCode, 2) << qPrintable(arguments.join(' '));
        EXPECT_FALSE(result.err.isEmpty());
        EXPECT_TRUE(result.out.isEmpty());
    }
    // A settings file that is there but cannot be read is not silently replaced by defaults.
    QTemporaryDir directory;
    const ToolResult unreadable =
        runSkelderCli({"-S", "NOSUCH", "--settings", directory.path(), "--list"});
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_TRUE(unreadable.err.contains("cannot be read")) << qPrintable(unreadable.err);
    const ToolResult help = runSkelderCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--separate-files"));
}

TEST_F(CliTest, FailuresExitWithOneAndLeaveNoFileUnderTheFinalName)
{
    const QString fresh = work.filePath("fresh.sql");
    const QString existing = work.filePath("existing.sql");
    ASSERT_TRUE(writeText(existing, "previous script\r\n"));

    // An unknown server entry, a refused login, an unwritable file.
    ToolResult result = runSkelderCli({"-S", "NOSUCH", "-U", "sa", "-P", "", "-o", fresh});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.err.isEmpty());
    result = runSkelderCli(
        {"-S", TdsimServer::serverName(), "-U", "alice", "-P", "wrong", "-o", existing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(readText(existing), "previous script\r\n");

    result = cli({"-D", "inventory", "-o", work.filePath("no/such/dir/x.sql")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Cannot create file")) << qPrintable(result.err);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList{"existing.sql"});
}

TEST_F(CliTest, PasswordComesFromTheEnvironmentWhenNotGiven)
{
    qputenv("SKELDER_PASSWORD", "secret");
    const ToolResult result = runSkelderCli(
        {"-S", TdsimServer::serverName(), "-U", "alice", "-D", "inventory", "--list"});
    qunsetenv("SKELDER_PASSWORD");
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(result.out.contains("inventory\ttables\tdbo.items"));
}

TEST_F(CliTest, TraceHoldsStatementsAndMessagesWithTimesButNoLoginData)
{
    const QString tracePath = work.filePath("run.trace");
    ToolResult result =
        runSkelderCli({"-S", TdsimServer::serverName(), "-U", "alice", "-P", "secret", "-D",
                       "inventory", "--list", "--trace", tracePath});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QString trace = readText(tracePath);
    const QRegularExpression record(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3} \+\d+\.\d{3} s  \S)"));
    for (const QString& line : lines(trace)) {
        if (!line.startsWith(QLatin1String("    ")))
            EXPECT_TRUE(record.match(line).hasMatch()) << qPrintable(line);
    }
    EXPECT_TRUE(trace.contains("login to server tdsim\n")) << qPrintable(trace);
    EXPECT_TRUE(trace.contains("sent (language):\n    " +
                               databaseListingStatement(QStringLiteral("Sybase SQL Server")) +
                               "\n"))
        << qPrintable(trace);
    EXPECT_TRUE(trace.contains("server message 5701, severity 10")) << qPrintable(trace);
    EXPECT_TRUE(trace.contains("results ended, ")) << qPrintable(trace);
    EXPECT_TRUE(trace.contains("logout from server tdsim\n")) << qPrintable(trace);
    EXPECT_FALSE(trace.contains("secret"));
    EXPECT_FALSE(trace.contains("alice"));

    // A refused login is traced with the server's message, never with what was typed.
    result = runSkelderCli({"-S", TdsimServer::serverName(), "-U", "alice", "-P", "Wr0ngPw",
                            "--list", "--trace", tracePath});
    EXPECT_EQ(result.exitCode, 1);
    const QString refused = readText(tracePath);
    EXPECT_TRUE(refused.contains("login failed\n")) << qPrintable(refused);
    EXPECT_TRUE(refused.contains("server message 4002, severity 14")) << qPrintable(refused);
    EXPECT_FALSE(refused.contains("Wr0ngPw"));
    EXPECT_FALSE(refused.contains("sent ("));

    result = cli({"--list", "--trace", work.filePath("no/such/dir/run.trace")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Cannot create trace file")) << qPrintable(result.err);
    EXPECT_TRUE(result.out.isEmpty());

    // A trace that cannot be written is a file error with the system's reason.
    result = cli({"-D", "inventory", "--list", "--trace", "/dev/full"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("Cannot write trace file \"/dev/full\". " +
                                    QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << qPrintable(result.err);
}

TEST_F(CliTest, ScriptGoesToStandardOutputWithCrLfLines)
{
    const ToolResult result = cli({"-D", "demo", "--kind", "rules", "--no-header", "--no-drop"});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    // The rules folder holds the default objects too.
    EXPECT_EQ(result.out,
              "\r\nUSE demo\r\nGO\r\n"
              "\r\n/************ d_country ************/\r\ncreate default d_country as "
              "'USA'\r\nGO\r\n"
              "\r\n/************ d_zero ************/\r\ncreate default d_zero as 0\r\nGO\r\n"
              "\r\n/************ r_positive ************/\r\ncreate rule r_positive as @value >= "
              "0\r\nGO\r\n"
              "\r\n/************ r_zip ************/\r\ncreate rule r_zip as @zip like "
              "\"[0-9][0-9][0-9][0-9][0-9]\"\r\nGO\r\n");
    const ToolResult withHeader = cli({"-D", "demo", "--kind", "rules"});
    EXPECT_TRUE(withHeader.out.startsWith("/*\r\n  Script for Server tdsim ("));
}

TEST_F(CliTest, SeparateFilesTakeTheExtensionsGiven)
{
    const QString directory = work.filePath("objects");
    const ToolResult result = cli({"-D", "inventory", "--kind", "tables", "--kind", "procedures",
                                   "--separate-files", directory, "--ext", "tables=sql"});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_EQ(QDir(directory).entryList(QDir::Files),
              QStringList({"items.sql", "p_low_stock.prc", "replay-order.txt"}));
    EXPECT_TRUE(readText(directory + "/items.sql").startsWith("USE inventory\r\nGO\r\n"));
    EXPECT_EQ(readText(directory + "/replay-order.txt"), "items.sql\r\np_low_stock.prc\r\n");
}

// The GUI writes View and Generate through TScriptGenerator::BuildScript on the marked
// objects; the CLI's script for its selection is that very text.
TEST_F(CliTest, ScriptIsWhatTheGuiGeneratorWritesForTheSameObjects)
{
    const QStringList options{"--drop", "--triggers", "--indexes", "--grants", "--prefix-db"};
    const QString cliPath = work.filePath("cli.sql");
    const ToolResult listed = cli(QStringList{"--list"});
    ASSERT_EQ(listed.exitCode, 0);
    const ToolResult generated = cli(options + QStringList{"--no-header", "-o", cliPath});
    ASSERT_EQ(generated.exitCode, 0) << qPrintable(generated.err);

    TCTLibDatabase db;
    db.SetName("db");
    s_server->configure(db);
    db.Connect();
    ASSERT_TRUE(db.connected());
    TCTLibObjInfo info;
    info.SetName("info");
    info.DbName = "db";
    info.UseExecCursor = false;
    TScriptOptions scriptOptions;
    scriptOptions.AddDrop = scriptOptions.TriggerScript = scriptOptions.IndexScript = true;
    scriptOptions.PrivilegeScript = scriptOptions.PrefixWithDb = true;
    info.PrefixWithDbName = true;
    TMarkedObjectList marked;
    for (const QString& line : lines(listed.out)) {
        const QStringList fields = line.split('\t');
        marked.append({fields[0], *kindFromName(fields[1]), fields[2]});
    }
    TScriptGenerator generator(info, scriptOptions);
    SilentProgress progress;
    const QStringList script = generator.BuildScript(marked, {}, true, nullptr, progress, false);
    const QString guiPath = work.filePath("gui.sql");
    saveScriptLines(guiPath, script);

    const QString cliScript = readText(cliPath);
    EXPECT_TRUE(cliScript.contains("USE inventory"));
    EXPECT_EQ(cliScript, readText(guiPath));
}

}  // namespace

namespace {

// An object whose text is hidden cannot be scripted: the run writes everything else,
// puts a comment in its place without a DROP, names it on standard error and exits 4.
TEST(CliIncompleteRun, HiddenTextsAreNamedAndExitWithFour)
{
    RecordingUserInterface ui;
    QTemporaryDir work;
    const QString hide = work.filePath("hide.sql");
    ASSERT_TRUE(writeText(hide,
                          "use inventory\ngo\ncreate procedure p_hidden as select 1\ngo\n"
                          "exec sp_hidetext p_hidden\ngo\n"));
    TdsimServer server({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql"), hide});
    const QString path = work.filePath("inventory.sql");
    const ToolResult result = runSkelderCliOnServer(
        TdsimServer::serverName(),
        {"-D", "inventory", "--kind", "procedures", "--drop", "--no-header", "-o", path});
    EXPECT_EQ(result.exitCode, 4) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains("not scripted: inventory: procedure dbo.p_hidden: text hidden"))
        << qPrintable(result.err);
    const QString script = readText(path);
    EXPECT_TRUE(script.contains("/* procedure dbo.p_hidden: text hidden, not scripted */"));
    EXPECT_FALSE(script.contains("DROP PROCEDURE p_hidden"));
    EXPECT_TRUE(script.contains("create procedure p_low_stock"));
}

}  // namespace

namespace {

// A privilege this program does not know (here identity_insert, 83) is named on standard
// error rather than dropped without a word.
TEST(CliWarnings, UnknownPrivilegeActionsAreNamed)
{
    RecordingUserInterface ui;
    QTemporaryDir work;
    const QString grant = work.filePath("grant.sql");
    ASSERT_TRUE(writeText(grant,
                          "use inventory\ngo\nexec sp_configure 'allow updates', 1\ngo\ninsert "
                          "into sysprotects (id, uid, action, "
                          "protecttype, grantor) values (object_id('items'), 0, 83, 1, 1)\ngo\n"));
    TdsimServer server({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql"), grant});
    const ToolResult result = runSkelderCliOnServer(
        TdsimServer::serverName(), {"-D", "inventory", "--kind", "tables", "--grants",
                                    "--no-header", "-o", work.filePath("out.sql")});
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(
        "warning: inventory: privilege action 83 on items for public is not known"))
        << qPrintable(result.err);
    EXPECT_TRUE(readText(work.filePath("out.sql")).contains("GRANT SELECT ON items TO mary"));
}

}  // namespace
