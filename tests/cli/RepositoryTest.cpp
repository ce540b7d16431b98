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
}  // namespace
