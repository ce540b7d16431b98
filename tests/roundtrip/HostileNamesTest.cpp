// Names that try to break the script that re-creates them: quotes, comment ends, blanks,
// brackets, reserved words and lines that read as GO. The script of such a database must
// run as it is into a fresh database, twice, re-create every object it names, and leave
// out (and report) only what no quoting can keep inside its batch.
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// What no quoting keeps inside its batch, as --list names it: left out and reported.
const QStringList kRefused{
    QStringLiteral("tables\tdbo.evil\\nGO\\ndrop table victim\\n--"),
    QStringLiteral("procedures\tdbo.with_go_line"),
    QStringLiteral("procedures\tdbo.go_please"),
    QStringLiteral("procedures\tdbo.with_reset"),
    QStringLiteral("tables\tdbo.inj3\\ngo x\\ncreate table pwned3 (a int)\\ngo x\\n--"),
    QStringLiteral("tables\tdbo.cr\\rname"),
    QStringLiteral("indexes\tcrix.ix\\rcr"),
    QStringLiteral("tables\tdbo.lf\\nname"),
};

class HostileNames : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/hostile.sql")});
        // bsqldb reads the fixture's interfaces file first.
        qputenv("FREETDSCONF", QFile::encodeName(s_server->iniFile()));
    }
    static void TearDownTestSuite() { s_server.reset(); }

    static ToolResult cli(const QStringList& arguments)
    {
        return runSkelderCliOnServer(TdsimServer::serverName(), arguments);
    }

    // The kind and caption of every object of `database`, as --list gives them, without the
    // object id the server puts into the names it makes up for constraints.
    static QStringList objectsOf(const QString& database)
    {
        static const QRegularExpression madeUpId(QStringLiteral("_\\d{6,}$"));
        const ToolResult listed = cli({"-D", database, "--list"});
        QStringList objects;
        for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            objects << line.section(QLatin1Char('\t'), 1).remove(madeUpId);
        return objects;
    }

    QStringList replay(const QString& name, const QString& script)
    {
        return replayWithBsqldb(TdsimServer::serverName(), work.filePath(name), script);
    }

    QTemporaryDir work;
    static inline std::unique_ptr<TdsimServer> s_server;
};

TEST_F(HostileNames, TheScriptRecreatesEveryNameAndLeavesOutOnlyLinesThatReadAsGo)
{
    const QString path = work.filePath("hostile.sql");
    const ToolResult scripted =
        cli(QStringList{"-D", "hostile", "-o", path} + replayableScriptOptions());
    // Left out and named, with the run counted as incomplete.
    EXPECT_EQ(scripted.exitCode, 4) << qPrintable(scripted.err);
    EXPECT_TRUE(scripted.err.contains("table dbo.evil\\nGO\\ndrop table victim\\n--"))
        << qPrintable(scripted.err);
    for (const QString& refused : kRefused)
        EXPECT_TRUE(scripted.err.contains(refused.section(QLatin1Char('\t'), 1)))
            << qPrintable(refused) << "\n"
            << qPrintable(scripted.err);
    QString script = readText(path);
    // Owner "a.b" with table "c" and owner "a" with table "b.c" share the caption "a.b.c".
    EXPECT_TRUE(script.contains("CREATE TABLE \"a.b\".c\r\n"));
    EXPECT_TRUE(script.contains("CREATE TABLE a.\"b.c\"\r\n"));

    // No name ends or opens a comment early.
    const QRegularExpression comment(QStringLiteral("^/\\*(.*)\\*/\\r?$"));
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("/*")))
            continue;
        const QRegularExpressionMatch match = comment.match(line);
        ASSERT_TRUE(match.hasMatch()) << qPrintable(line);
        EXPECT_FALSE(match.captured(1).contains("*/") || match.captured(1).contains("/*"))
            << qPrintable(line);
    }

    // Into a fresh database holding the table the evil name would drop, twice.
    ASSERT_EQ(replay("create.sql",
                     "create database hostile_copy\ngo\nuse hostile_copy\ngo\n"
                     "create table victim (a int)\ngo\n"),
              QStringList());
    script.replace(QRegularExpression(QStringLiteral("^USE hostile(?=\\r?$)"),
                                      QRegularExpression::MultilineOption),
                   QStringLiteral("USE hostile_copy"));
    EXPECT_EQ(replay("copy-1.sql", script), QStringList());
    EXPECT_EQ(replay("copy-2.sql", script), QStringList());

    QStringList expected = objectsOf("hostile");
    for (const QString& refused : kRefused)
        EXPECT_EQ(expected.removeAll(refused), 1) << qPrintable(refused);
    EXPECT_EQ(objectsOf("hostile_copy"), expected);
}

// fisql ends a batch at any line whose first word is "go", as isql and tsql do: the
// names and texts that hold one are left out, and nothing they hide runs on replay.
TEST_F(HostileNames, FisqlRunsNothingThatANameOrTextHides)
{
    const QString path = work.filePath("hostile.sql");
    const ToolResult scripted =
        cli(QStringList{"-D", "hostile", "-o", path} + replayableScriptOptions());
    EXPECT_EQ(scripted.exitCode, 4) << qPrintable(scripted.err);
    ASSERT_EQ(replay("create.sql",
                     "create database hostile_fisql\ngo\nuse hostile_fisql\ngo\n"
                     "create table victim (a int)\ngo\n"),
              QStringList());
    QString script = readText(path);
    script.replace(QRegularExpression(QStringLiteral("^USE hostile(?=\\r?$)"),
                                      QRegularExpression::MultilineOption),
                   QStringLiteral("USE hostile_fisql"));
    ASSERT_TRUE(writeText(work.filePath("fisql.sql"), script.toUtf8()));
    // fisql takes a "/*" in a quoted name for the start of a comment and runs the batches
    // up to its end as one, which the server refuses: those errors (and fisql's exit status
    // 1 for them) are no concern here.
    const ToolResult replayed = runFisql(TdsimServer::serverName(), work.filePath("fisql.sql"),
                                         QStringLiteral("hostile_fisql"));
    ASSERT_GE(replayed.exitCode, 0) << qPrintable(replayed.err);
    const QStringList objects = objectsOf("hostile_fisql");
    EXPECT_TRUE(objects.contains(QStringLiteral("tables\tdbo.victim")))
        << qPrintable(objects.join('\n'));
    EXPECT_FALSE(objects.contains(QStringLiteral("tables\tdbo.pwned3")));
}

// A listing shows every control character of a name as an escape, never raw.
TEST_F(HostileNames, TheListingEscapesControlCharacters)
{
    const ToolResult listed = cli({"-D", "hostile", "--list", "--kind", "tables"});
    EXPECT_EQ(listed.exitCode, 0) << qPrintable(listed.err);
    EXPECT_TRUE(listed.out.contains("\ttables\tdbo.esc\\x1b[2J\n")) << qPrintable(listed.out);
    for (const QChar c : listed.out)
        EXPECT_TRUE(c == '\t' || c == '\n' || c.category() != QChar::Other_Control) << c.unicode();
}

// No object's file takes the name of the list of files.
TEST_F(HostileNames, NoObjectsFileTakesTheNameOfTheReplayOrder)
{
    const QString directory = work.filePath("files");
    const ToolResult scripted =
        cli({"-D", "hostile", "--kind", "tables", "--object", "dbo.replay-order",
             "--separate-files", directory, "--ext", "tables=txt"});
    EXPECT_EQ(scripted.exitCode, 0) << qPrintable(scripted.err);
    const QStringList order =
        readText(QDir(directory).filePath("replay-order.txt")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(order.size(), 1);
    EXPECT_NE(order.first(), "replay-order.txt");
    EXPECT_TRUE(readText(QDir(directory).filePath(order.first())).contains("CREATE TABLE"));
}

// An index caption is "table.index"; a dot in the table's name must not split it there.
TEST_F(HostileNames, AnIndexOfATableWithADotInItsNameIsScripted)
{
    const ToolResult scripted =
        cli({"-D", "hostile", "--kind", "indexes", "--object", "a.b.ix", "--no-header"});
    EXPECT_EQ(scripted.exitCode, 0) << qPrintable(scripted.err);
    EXPECT_TRUE(scripted.out.contains("CREATE INDEX ix ON \"a.b\"")) << qPrintable(scripted.out);
    // The drop guard finds it too, so that the script runs again over its own result.
    EXPECT_TRUE(scripted.out.contains("id = object_id('\"a.b\"')")) << qPrintable(scripted.out);
}

}  // namespace
