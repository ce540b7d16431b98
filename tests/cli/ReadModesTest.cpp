// A database's catalog read whole gives the very script that reading it object by object
// gives: the demo databases, the hostile names and a synthetic database of 1,000 tables
// with constraints, scripted with every option, into one file and into separate files.
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString kTestData = QStringLiteral(SKELDER_SOURCE_DIR "/testdata");

class ReadModes : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_ui = std::make_unique<RecordingUserInterface>();
        s_work = std::make_unique<QTemporaryDir>();
        const ToolResult generated = runProgram(
            QStringLiteral("python3"), {kTestData + "/generate_large_db.py", "--tables", "1000",
                                        "--columns", "10", "--constraints", "--database", "big"});
        ASSERT_EQ(generated.exitCode, 0) << qPrintable(generated.err);
        const QString big = s_work->filePath("big.sql");
        ASSERT_TRUE(writeText(big, generated.out.toUtf8()));
        s_server = std::make_unique<TdsimServer>(
            QStringList{kTestData + "/demo.sql", kTestData + "/hostile.sql", big});
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_work.reset();
        s_ui.reset();
    }

    static ToolResult script(const QStringList& arguments)
    {
        return runSkelderCliOnServer(TdsimServer::serverName(),
                                     QStringList{"--drop", "--triggers", "--indexes", "--grants",
                                                 "--prefix-db", "--no-header"} +
                                         arguments);
    }

    // The script of `database` both ways: the same bytes, messages and exit status.
    static void expectSameScript(const QString& database)
    {
        SCOPED_TRACE(database.toStdString());
        const ToolResult whole = script({"-D", database});
        const ToolResult perObject = script({"-D", database, "--per-object-reads"});
        ASSERT_TRUE(whole.exitCode == 0 || whole.exitCode == 4) << qPrintable(whole.err);
        EXPECT_EQ(whole.exitCode, perObject.exitCode);
        EXPECT_EQ(whole.err, perObject.err);
        EXPECT_GT(whole.out.count(QLatin1String("\nGO")), 3);
        EXPECT_TRUE(whole.out == perObject.out) << "the scripts differ; first at character "
                                                << firstDifference(whole.out, perObject.out);
    }

    // The statements a run sent, from its trace: each "sent (...):" record's text.
    static QStringList statementsSent(const QString& tracePath)
    {
        QStringList statements;
        const QStringList lines = readText(tracePath).split('\n');
        for (int n = 0; n < lines.size(); ++n) {
            if (!lines[n].contains(QLatin1String(" sent (")))
                continue;
            QString statement;
            while (++n < lines.size() && lines[n].startsWith(QLatin1String("    ")))
                statement += lines[n].trimmed() + '\n';
            statements << statement;
            --n;
        }
        return statements;
    }

    static qsizetype firstDifference(const QString& a, const QString& b)
    {
        qsizetype at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at])
            ++at;
        return at;
    }

    static inline std::unique_ptr<RecordingUserInterface> s_ui;
    static inline std::unique_ptr<QTemporaryDir> s_work;
    static inline std::unique_ptr<TdsimServer> s_server;
};

TEST_F(ReadModes, TheDemoDatabasesGiveTheSameScript)
{
    expectSameScript("demo");
    expectSameScript("inventory");
}

TEST_F(ReadModes, HostileNamesGiveTheSameScript)
{
    expectSameScript("hostile");
}

TEST_F(ReadModes, ASynthesisOfAThousandTablesGivesTheSameScript)
{
    expectSameScript("big");
}

TEST_F(ReadModes, AWholeDatabaseCostsAFewStatementsWhateverItsSize)
{
    const QString trace = s_work->filePath("whole.trace");
    ASSERT_EQ(script({"-D", "big", "-o", s_work->filePath("big.sql"), "--trace", trace}).exitCode,
              0);
    const QStringList statements = statementsSent(trace);
    // Login, listing and script of some 4,000 objects.
    EXPECT_LE(statements.size(), 30) << qPrintable(statements.join('\n'));
    EXPECT_GE(statements.size(), 10);
}

// A few objects are read for themselves alone, one request per kind of read: the script is
// the one reading them object by object gives, and the requests stay few whatever the
// database's size.
TEST_F(ReadModes, ASelectionIsReadForItselfInAFewStatements)
{
    const struct {
        QStringList selection;
        int budget;
    } cases[] = {
        {{"--kind", "tables", "--object", "dbo.tab_00005"}, 25},
        {{"--kind", "tables", "--object", "dbo.tab_0001_"}, 30},
        // A hundred tables, ten of them with a trigger: the triggers' rows come in one read.
        {{"--kind", "tables", "--object", "dbo.tab_000%"}, 30},
        {{"--kind", "procedures", "--object", "dbo.tab_00020_get"}, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection.join(' ').toStdString());
        const QString trace = s_work->filePath("selection.trace");
        const ToolResult selection =
            script(QStringList{"-D", "big", "--trace", trace} + c.selection);
        const ToolResult perObject =
            script(QStringList{"-D", "big", "--per-object-reads"} + c.selection);
        ASSERT_EQ(selection.exitCode, 0) << qPrintable(selection.err);
        EXPECT_GT(selection.out.count(QLatin1String("\nGO")), 1);
        EXPECT_TRUE(selection.out == perObject.out)
            << "the scripts differ; first at character "
            << firstDifference(selection.out, perObject.out);
        const QStringList statements = statementsSent(trace);
        EXPECT_LE(statements.size(), c.budget) << qPrintable(statements.join('\n'));
    }
}

// Objects of every kind, a few of each, in the demo database (whose listing is small
// enough that they are read for themselves) give the same script as object by object.
TEST_F(ReadModes, ASelectionOfEveryKindGivesTheSameScript)
{
    const QStringList selection{"--object", "dbo.orders", "--object", "orders.%",
                                "--object", "mary",       "--object", "sales",
                                "--object", "dbo.v_%",    "--object", "dbo.orders_del"};
    const ToolResult chosen = script(QStringList{"-D", "demo"} + selection);
    const ToolResult perObject =
        script(QStringList{"-D", "demo", "--per-object-reads"} + selection);
    ASSERT_EQ(chosen.exitCode, 0) << qPrintable(chosen.err);
    EXPECT_GT(chosen.out.count(QLatin1String("\nGO")), 5);
    EXPECT_TRUE(chosen.out == perObject.out)
        << "the scripts differ; first at character " << firstDifference(chosen.out, perObject.out);
}

TEST_F(ReadModes, ReadObjectByObjectEachStatementIsSentOnce)
{
    const QString trace = s_work->filePath("per-object.trace");
    ASSERT_EQ(script({"-D", "big", "--kind", "tables", "--object", "dbo.tab_00005",
                      "--per-object-reads", "--trace", trace})
                  .exitCode,
              0);
    const QStringList statements = statementsSent(trace);
    EXPECT_GE(statements.size(), 10);
    for (const QString& statement : statements)
        EXPECT_EQ(statements.count(statement), 1) << qPrintable(statement);
}

TEST_F(ReadModes, SeparateFilesHoldTheSameScripts)
{
    QTemporaryDir whole, perObject;
    ASSERT_EQ(script({"-D", "demo", "--separate-files", whole.path()}).exitCode, 0);
    ASSERT_EQ(
        script({"-D", "demo", "--separate-files", perObject.path(), "--per-object-reads"}).exitCode,
        0);
    const QStringList files = QDir(whole.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, QDir(perObject.path()).entryList(QDir::Files, QDir::Name));
    EXPECT_GT(files.size(), 20);
    for (const QString& file : files) {
        EXPECT_EQ(readText(whole.filePath(file)), readText(perObject.filePath(file)))
            << qPrintable(file);
    }
}

}  // namespace
