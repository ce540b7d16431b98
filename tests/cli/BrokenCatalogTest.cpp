// Catalog rows that refer to rows the catalog does not have: skelder-cli names each object
// they break as not scripted (exit 4) and writes the others as ever.
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <memory>

namespace {

// A text of `length` characters and more than one syscomments row.
QString longText(const QString& unit, int length)
{
    return unit.repeated(length / unit.size() + 1).left(length);
}

class BrokenCatalog : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_work = std::make_unique<QTemporaryDir>();
        const QString script =
            QStringLiteral(
                "create database broken\ngo\nuse broken\ngo\n"
                "create table intact (a int not null, b varchar(10) null)\ngo\n"
                "create procedure whole as select a from intact\ngo\n"
                "create table unknowntype (a int, b varchar(10), c int)\ngo\n"
                "create table nocolumns (a int)\ngo\n"
                "create view emptyview as select a from intact\ngo\n"
                "create procedure gappy as select 1 as one, '") +
            longText(QStringLiteral("z"), 700) + QStringLiteral("'") +
            QStringLiteral(
                "\ngo\n"
                "create table checked (a int, constraint longcheck check (a > 0") +
            longText(QStringLiteral(" and a <> 7"), 600) +
            QStringLiteral(
                "))\ngo\n"
                "create table defaulted (a varchar(700) default '") +
            longText(QStringLiteral("x"), 600) +
            QStringLiteral(
                "' null)\ngo\n"
                "create table computed (a int, b as isnull(convert(varchar(9), a), '") +
            longText(QStringLiteral("y"), 600) +
            QStringLiteral(
                "'))\ngo\ncreate procedure orphan as select 1\ngo\n"
                "create table keyed (a int)\ngo\n"
                "create index longkey on keyed (isnull(convert(varchar(9), a), '") +
            longText(QStringLiteral("w"), 600) + QStringLiteral("'))\ngo\n") +
            QStringLiteral(
                "exec sp_configure 'allow updates', 1\ngo\n"
                "update syscolumns set usertype = 999 where id = object_id('unknowntype') and "
                "name = 'b'\n"
                "delete syscolumns where id = object_id('nocolumns')\n"
                "delete syscolumns where id = object_id('emptyview')\n"
                "delete syscomments where id = object_id('gappy') and colid = 2\n"
                "delete syscomments where id = object_id('longcheck') and colid = 2\n"
                "delete syscomments where colid = 2 and id = (select cdefault from syscolumns "
                "where id = object_id('defaulted'))\n"
                "delete syscomments where colid = 2 and id = (select computedcol from "
                "syscolumns where id = object_id('computed') and name = 'b')\n"
                "update sysobjects set uid = 77 where name = 'orphan'\n"
                "delete syscomments where colid = 2 and id = (select computedcol from "
                "syscolumns where id = object_id('keyed') and status2 & 512 = 512)\n"
                "go\nexec sp_configure 'allow updates', 0\ngo\n");
        const QString init = s_work->filePath(QStringLiteral("broken.sql"));
        ASSERT_TRUE(writeText(init, script.toUtf8()));
        s_server = std::make_unique<TdsimServer>(QStringList{init});
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_work.reset();
    }

    // The script of the objects matching `patterns` in the database, written with
    // drop guards; `result` gets the run.
    static QString script(const QStringList& patterns, ToolResult& result)
    {
        QStringList arguments{"-D",          "broken", "--drop",
                              "--no-header", "-o",     s_work->filePath(QStringLiteral("out.sql"))};
        for (const QString& pattern : patterns)
            arguments << "--object" << pattern;
        result = runSkelderCliOnServer(TdsimServer::serverName(), arguments);
        return readText(s_work->filePath(QStringLiteral("out.sql")))
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }

    // The object is reported on standard error and in a comment in its place, and the
    // intact objects are written whole.
    static void expectNotScripted(const QString& pattern, const QString& named,
                                  const QString& reason)
    {
        ToolResult result;
        const QString text = script({pattern, "dbo.intact", "dbo.whole"}, result);
        EXPECT_EQ(result.exitCode, 4) << qPrintable(result.err) << qPrintable(text);
        const QString line = QStringLiteral("not scripted: broken: ") + named;
        EXPECT_TRUE(result.err.contains(line + QStringLiteral(": ") + reason))
            << qPrintable(result.err);
        EXPECT_EQ(result.err.count(QStringLiteral("not scripted:")), 1) << qPrintable(result.err);
        EXPECT_TRUE(text.contains(QStringLiteral("/* ") + named + QStringLiteral(": ") + reason +
                                  QStringLiteral(", not scripted */")))
            << qPrintable(text);
        EXPECT_TRUE(text.contains(QStringLiteral("dbo.intact\n(\n")));
        EXPECT_TRUE(
            text.contains(QStringLiteral("create procedure whole as select a from intact")));
    }

    static std::unique_ptr<QTemporaryDir> s_work;
    static std::unique_ptr<TdsimServer> s_server;
};

std::unique_ptr<QTemporaryDir> BrokenCatalog::s_work;
std::unique_ptr<TdsimServer> BrokenCatalog::s_server;

TEST_F(BrokenCatalog, IntactObjectsAloneExitZero)
{
    ToolResult result;
    const QString text = script({"dbo.intact", "dbo.whole"}, result);
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(text.contains(QStringLiteral("dbo.intact\n(\n"))) << qPrintable(text);
}

TEST_F(BrokenCatalog, ColumnOfAnUnknownTypeIsNamed)
{
    expectNotScripted("dbo.unknowntype", "table dbo.unknowntype",
                      "column b has usertype 999, which systypes does not hold");
}

TEST_F(BrokenCatalog, ObjectsWithoutColumnsAreNamed)
{
    expectNotScripted("dbo.nocolumns", "table dbo.nocolumns", "syscolumns holds no column of it");
    expectNotScripted("dbo.emptyview", "view dbo.emptyview", "syscolumns holds no column of it");
}

TEST_F(BrokenCatalog, TextsWithAMissingPieceAreNamed)
{
    const QString gap = QStringLiteral("a row of its text in syscomments is missing");
    expectNotScripted("dbo.gappy", "procedure dbo.gappy", gap);
    expectNotScripted("dbo.checked", "table dbo.checked", "check constraint longcheck: " + gap);
    expectNotScripted("dbo.defaulted", "table dbo.defaulted", "default of column a: " + gap);
    expectNotScripted("dbo.computed", "table dbo.computed", "computed column b: " + gap);
    expectNotScripted("keyed.longkey", "index keyed.longkey", "function-based key: " + gap);
}

TEST_F(BrokenCatalog, ObjectOwnedByNoUserIsListedAndNamed)
{
    expectNotScripted("%.orphan", "procedure uid 77.orphan",
                      "its owner, uid 77, is no user or group of the database");
}

// Read whole or object by object, the database gives the same script and names every
// broken object once.
TEST_F(BrokenCatalog, BothReadModesNameEveryBrokenObject)
{
    const QStringList options{"-D", "broken", "--drop", "--triggers", "--indexes", "--grants"};
    const ToolResult whole = runSkelderCliOnServer(TdsimServer::serverName(), options);
    const ToolResult perObject = runSkelderCliOnServer(TdsimServer::serverName(),
                                                       options + QStringList{"--per-object-reads"});
    EXPECT_EQ(whole.exitCode, 4) << qPrintable(whole.err);
    EXPECT_EQ(perObject.exitCode, 4);
    EXPECT_EQ(whole.err, perObject.err);
    EXPECT_TRUE(whole.out == perObject.out);
    for (const char* named :
         {"table dbo.unknowntype", "table dbo.nocolumns", "view dbo.emptyview",
          "procedure dbo.gappy", "table dbo.checked", "table dbo.defaulted", "table dbo.computed",
          "procedure uid 77.orphan", "index keyed.longkey"})
        EXPECT_EQ(whole.err.count(QStringLiteral("not scripted: broken: ") + named + ": "), 1)
            << named << qPrintable(whole.err);
    EXPECT_EQ(whole.err.count(QStringLiteral("not scripted:")), 9) << qPrintable(whole.err);
}

}  // namespace
