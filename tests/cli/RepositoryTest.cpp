// A schema repository kept with --repository: one file per object in a folder per kind, a
// second run that rewrites only what changed and removes only the files of objects gone
// that its manifest lists, and --check as a drift check that writes nothing.
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QDateTime kLongAgo(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

class RepositoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
        // fisql reads the fixture's interfaces file first.
        qputenv("FREETDSCONF", QFile::encodeName(m_server->iniFile()));
    }

    ToolResult keep(const QStringList& extra = {})
    {
        return runSkelderCliOnServer(TdsimServer::serverName(),
                                     QStringList{"-D", "demo", "--drop", "--grants", "--quiet",
                                                 "--repository", m_repository.path()} +
                                         extra);
    }

    // Runs a batch on the server, as a DBA changing the schema would.
    void change(const QString& sql)
    {
        const QString path = m_work.filePath("change.sql");
        ASSERT_TRUE(writeText(path, sql.toUtf8()));
        const ToolResult result = runFisql(TdsimServer::serverName(), path, "demo");
        ASSERT_EQ(result.exitCode, 0) << qPrintable(result.out + result.err);
    }

    QString file(const QString& name) const { return QDir(m_repository.path()).filePath(name); }

    // Every file's modification time set far back, so that a rewrite shows.
    void ageEveryFile()
    {
        QDirIterator it(m_repository.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
        }
    }

    static QDateTime modified(const QString& path)
    {
        return QFileInfo(path).fileTime(QFileDevice::FileModificationTime).toUTC();
    }

    std::unique_ptr<TdsimServer> m_server;
    RecordingUserInterface m_ui;
    QTemporaryDir m_repository;
    QTemporaryDir m_work;
};

TEST_F(RepositoryTest, ASecondRunRewritesOnlyWhatChangedAndRemovesOnlyItsOwnFiles)
{
    ToolResult first = keep();
    ASSERT_EQ(first.exitCode, 0) << qPrintable(first.err);
    EXPECT_TRUE(first.out.contains("added: demo/tables/dbo.customers.sql"));
    EXPECT_TRUE(
        readText(file("demo/views/dbo.v_customers.sql")).contains("create view v_customers"));
    EXPECT_TRUE(readText(file("replay-order.txt")).contains("demo/tables/dbo.customers.sql"));
    // Files of the user's own, and one in a kind's folder, are not the repository's.
    ASSERT_TRUE(writeText(file("README.txt"), "notes"));
    ASSERT_TRUE(writeText(file("demo/views/dbo.draft.sql"), "select 1"));
    ageEveryFile();

    const ToolResult same = keep();
    ASSERT_EQ(same.exitCode, 0) << qPrintable(same.err);
    EXPECT_TRUE(same.out.startsWith("added 0, changed 0, removed 0, unchanged "))
        << qPrintable(same.out);
    EXPECT_EQ(modified(file("demo/tables/dbo.customers.sql")), kLongAgo);
    EXPECT_EQ(modified(file("replay-order.txt")), kLongAgo);

    change(
        "drop view v_order_totals\ngo\n"
        "drop view v_customers\ngo\n"
        "create view v_customers as select cust_id from customers\ngo\n");
    const ToolResult changed = keep();
    ASSERT_EQ(changed.exitCode, 0) << qPrintable(changed.err);
    EXPECT_TRUE(changed.out.contains("changed: demo/views/dbo.v_customers.sql\n"))
        << qPrintable(changed.out);
    EXPECT_TRUE(changed.out.contains("removed: demo/views/dbo.v_order_totals.sql\n"));
    EXPECT_TRUE(changed.out.contains("added 0, changed 1, removed 1, unchanged "));
    EXPECT_FALSE(QFileInfo::exists(file("demo/views/dbo.v_order_totals.sql")));
    EXPECT_TRUE(readText(file("demo/views/dbo.v_customers.sql")).contains("select cust_id"));
    EXPECT_EQ(modified(file("demo/tables/dbo.customers.sql")), kLongAgo);
    EXPECT_EQ(readText(file("README.txt")), "notes");
    EXPECT_EQ(readText(file("demo/views/dbo.draft.sql")), "select 1");
}

TEST_F(RepositoryTest, ACheckWritesNothingAndFailsOnDrift)
{
    ASSERT_EQ(keep().exitCode, 0);
    const ToolResult clean = keep({"--check"});
    EXPECT_EQ(clean.exitCode, 0) << qPrintable(clean.out + clean.err);

    const QString view = readText(file("demo/views/dbo.v_customers.sql"));
    change(
        "drop view v_customers\ngo\ncreate view v_customers as select name from customers\ngo\n"
        "create table audit_log (id int not null)\ngo\n");
    const ToolResult drift = keep({"--check"});
    EXPECT_EQ(drift.exitCode, 1);
    EXPECT_TRUE(drift.out.contains("changed: demo/views/dbo.v_customers.sql\n"))
        << qPrintable(drift.out);
    EXPECT_TRUE(drift.out.contains("added: demo/tables/dbo.audit_log.sql\n"));
    EXPECT_EQ(readText(file("demo/views/dbo.v_customers.sql")), view);
    EXPECT_FALSE(QFileInfo::exists(file("demo/tables/dbo.audit_log.sql")));
}
// Compare: a database against its repository, after a change, and against another
// database of the server; exit 1 whenever they differ.
TEST_F(RepositoryTest, CompareReportsWhatDiffersWithAUnifiedDiff)
{
    ASSERT_EQ(keep().exitCode, 0);
    const auto compare = [](const QString& target) {
        return runSkelderCliOnServer(TdsimServer::serverName(), {"-D", "demo", "--drop", "--grants",
                                                                 "--quiet", "--compare", target});
    };
    const ToolResult same = compare(m_repository.path());
    EXPECT_EQ(same.exitCode, 0) << qPrintable(same.out + same.err);
    EXPECT_TRUE(same.out.startsWith("0 only in source, 0 only in target, 0 differ, "));

    // Re-created, the view has lost its grant too.
    change(
        "drop view v_customers\ngo\ncreate view v_customers as\n"
        "    select cust_id, name from customers where balance > 0\ngo\n"
        "create table audit_log (id int not null)\ngo\n");
    const ToolResult drift = compare(m_repository.path());
    EXPECT_EQ(drift.exitCode, 1);
    EXPECT_TRUE(drift.out.contains("only in source: tables/dbo.audit_log.sql\n"))
        << qPrintable(drift.out);
    const QString expectedDiff =
        QStringLiteral(
            "differs: views/dbo.v_customers.sql\n"
            "--- %1/views/dbo.v_customers.sql\n"
            "+++ demo/views/dbo.v_customers.sql\n"
            "@@ -5,8 +5,5 @@\n"
            " GO\n"
            " \n"
            " create view v_customers as\n"
            "-    select cust_id, name, zip from customers where balance > 0\n"
            "-GO\n"
            "-\n"
            "-GRANT SELECT ON v_customers TO readers\n"
            "+    select cust_id, name from customers where balance > 0\n"
            " GO\n")
            .arg(m_repository.path());
    EXPECT_TRUE(drift.out.contains(expectedDiff)) << qPrintable(drift.out);

    const ToolResult other = compare("inventory");
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.out.contains("only in target: tables/dbo.items.sql\n"));
    EXPECT_TRUE(other.out.contains("only in source: tables/dbo.customers.sql\n"));
}
// A migration read from demo turns a copy that drifted back into demo: what the copy lacks
// or has changed is made again, and what only it has is dropped as far as the options allow.
TEST_F(RepositoryTest, AMigrationTurnsTheTargetIntoTheSource)
{
    const QString original = m_work.filePath("demo.sql");
    ASSERT_EQ(
        runSkelderCliOnServer(TdsimServer::serverName(),
                              QStringList{"-D", "demo", "-o", original} + replayableScriptOptions())
            .exitCode,
        0);
    QString copy = readText(original);
    copy.replace(QRegularExpression("^USE demo(?=\\r?$)", QRegularExpression::MultilineOption),
                 "USE demo_copy");
    const auto replay = [&](const QString& name, const QString& script) {
        return replayWithBsqldb(TdsimServer::serverName(), m_work.filePath(name), script);
    };
    ASSERT_EQ(replay("create.sql",
                     "create database demo_copy\ngo\nuse demo_copy\ngo\n"
                     "exec sp_addsegment demo_seg, demo_copy, demo_dev\ngo\n"),
              QStringList());
    ASSERT_EQ(replay("copy.sql", copy), QStringList());
    // The source grows two columns the copy lacks: one that allows nulls, one with a default.
    ASSERT_EQ(replay("grow.sql",
                     "use demo\ngo\nalter table customers add note varchar(20) null\n"
                     "go\nalter table orders add flag int default 0 not null\ngo\n"),
              QStringList());
    ASSERT_EQ(replay("drift.sql",
                     "use demo_copy\ngo\ndrop view v_order_totals\ngo\n"
                     "drop procedure p_orders\ngo\n"
                     "create procedure p_orders as select 1\ngo\n"
                     "create table extra (id int not null)\ngo\n"
                     "create view extra_v as select id from extra\ngo\n"),
              QStringList());

    const auto migrate = [&](const QStringList& choices) {
        const QString migration = m_work.filePath("migration.sql");
        const ToolResult result = runSkelderCliOnServer(
            TdsimServer::serverName(),
            QStringList{"-D", "demo", "--drop", "--triggers", "--indexes", "--grants", "--quiet",
                        "--compare", "demo_copy", "--migration", migration} +
                choices);
        EXPECT_EQ(result.exitCode, 1) << qPrintable(result.err);
        EXPECT_EQ(replay("migration-run.sql", readText(migration)), QStringList());
        return result;
    };
    const ToolResult keeping = migrate({"--drop-extra"});
    EXPECT_TRUE(
        keeping.err.contains("migration leaves out tables/dbo.extra.sql: only in the "
                             "target; a table is dropped only with --allow-data-loss"))
        << qPrintable(keeping.err);
    const ToolResult after = runSkelderCliOnServer(
        TdsimServer::serverName(), {"-D", "demo", "--drop", "--triggers", "--indexes", "--grants",
                                    "--quiet", "--compare", "demo_copy"});
    EXPECT_TRUE(
        after.out.startsWith("only in target: tables/dbo.extra.sql\n"
                             "0 only in source, 1 only in target, 0 differ, "))
        << qPrintable(after.out);

    migrate({"--drop-extra", "--allow-data-loss"});
    const ToolResult same = runSkelderCliOnServer(
        TdsimServer::serverName(), {"-D", "demo", "--drop", "--triggers", "--indexes", "--grants",
                                    "--quiet", "--compare", "demo_copy"});
    EXPECT_EQ(same.exitCode, 0) << qPrintable(same.out);
}
}  // namespace
