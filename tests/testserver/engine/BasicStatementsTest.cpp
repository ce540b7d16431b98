// The statements every client sends right after login, and errors of the parser.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

class BasicStatements : public EngineFixture {};

TEST_F(BasicStatements, GlobalVariablesHaveServerTypes)
{
    ResultSet spid = query("select @@spid");
    ASSERT_EQ(spid.rows.size(), 1u);
    EXPECT_EQ(spid.columns[0].type, ColumnType::SmallInt);
    EXPECT_EQ(spid.rows[0][0].intValue, 17);

    std::string version = scalar("select @@version");
    EXPECT_EQ(version.rfind("Adaptive Server Enterprise/15.7/", 0), 0u) << version;
    EXPECT_EQ(scalar("select @@servername"), "TDSIM");
}

TEST_F(BasicStatements, UseChangesDatabaseWithMessage5701)
{
    auto results = run("use tempdb");
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].newDatabase.has_value());
    EXPECT_EQ(*results[0].newDatabase, "tempdb");
    ASSERT_EQ(results[0].messages.size(), 1u);
    EXPECT_EQ(results[0].messages[0].number, 5701);
    EXPECT_EQ(results[0].messages[0].severity, 10);
    EXPECT_EQ(session->currentDatabase(), "tempdb");

    run("use [master]");
    EXPECT_EQ(session->currentDatabase(), "master");
}

TEST_F(BasicStatements, UseOfUnknownDatabaseFailsWith911AndKeepsDatabase)
{
    auto results = session->execute("use nosuchdb");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].failed);
    ASSERT_FALSE(results[0].messages.empty());
    EXPECT_EQ(results[0].messages[0].number, 911);
    EXPECT_FALSE(results[0].newDatabase.has_value());
    EXPECT_EQ(session->currentDatabase(), "master");
}

TEST_F(BasicStatements, SetOptionsChangeSessionOptions)
{
    run("set textsize 64512\nset rowcount 2\nset quoted_identifier on");
    EXPECT_EQ(session->options().textSize, 64512);
    EXPECT_EQ(session->options().rowCount, 2);
    EXPECT_TRUE(session->options().quotedIdentifier);
    // rowcount limits the rows of a select
    EXPECT_EQ(query("select name from master..sysdatabases").rows.size(), 2u);
    run("set rowcount 0");
    EXPECT_EQ(query("select name from master..sysdatabases").rows.size(), 5u);
}

TEST_F(BasicStatements, PrintGivesInformationalMessage)
{
    auto results = run("print 'hello %1!', 'world'");
    ASSERT_EQ(results.size(), 1u);
    ASSERT_EQ(results[0].messages.size(), 1u);
    EXPECT_EQ(results[0].messages[0].text, "hello world");
    EXPECT_FALSE(results[0].failed);
}

TEST_F(BasicStatements, SelectOverUserTableTypesColumns)
{
    run("create table t1 (id int not null, name varchar(20) null, code char(3) not null)");
    run("insert t1 values (1, 'one', 'a')\ninsert into t1 (id, code) values (2, 'bb')");
    ResultSet set = query("select * from t1 order by id");
    ASSERT_EQ(set.columns.size(), 3u);
    EXPECT_EQ(set.columns[0].name, "id");
    EXPECT_EQ(set.columns[0].type, ColumnType::Int);
    EXPECT_FALSE(set.columns[0].nullable);
    EXPECT_EQ(set.columns[1].type, ColumnType::VarChar);
    EXPECT_EQ(set.columns[1].length, 20);
    EXPECT_TRUE(set.columns[1].nullable);
    EXPECT_EQ(set.columns[2].type, ColumnType::Char);
    EXPECT_EQ(set.columns[2].userType, 1);
    ASSERT_EQ(set.rows.size(), 2u);
    EXPECT_EQ(set.rows[0][2].bytes, "a  ");  // char is blank-padded
    EXPECT_TRUE(set.rows[1][1].isNull);
}

TEST_F(BasicStatements, SyntaxErrorsAre102Or156AndRunNothing)
{
    EXPECT_EQ(error("select from where").number, 156);
    EXPECT_EQ(error("select 1 +").number, 102);
    EXPECT_EQ(error("selec 1").number, 2812);  // a first bare word is a procedure call
    EXPECT_EQ(error("select 'abc").number, 105);
    auto results = session->execute("create table x (a int)\nselect * from ,");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].failed);
    EXPECT_EQ(error("select * from x").number, 208);  // the batch did not run
}

TEST_F(BasicStatements, DeepNestingIsRefusedNotCrashing)
{
    std::string deep = "select " + std::string(100000, '(') + "1" + std::string(100000, ')');
    EXPECT_EQ(error(deep).number, 191);
    std::string blocks;
    for (int i = 0; i < 5000; ++i)
        blocks += "if 1 = 1 ";
    EXPECT_EQ(error(blocks + "print 'x'").number, 191);
    EXPECT_EQ(scalar("select ((((1))))"), "1");
}

TEST_F(BasicStatements, HugeNumbersAreErrorsNotExceptions)
{
    EXPECT_EQ(error("create table big (a varchar(99999999999999999999))").number, 102);
    EXPECT_EQ(error("select 1 order by 99999999999999999999").number, 108);
    EXPECT_EQ(scalar("select 0xffffffffffffffffffff & 1"), "1");
    EXPECT_EQ(query("select 123456789012345678901234567890").columns[0].type, ColumnType::Numeric);
}

TEST_F(BasicStatements, CrLfAndCommentsAreWhitespace)
{
    EXPECT_EQ(scalar("select\r\n  1 -- trailing comment\r\n  + /* inner /* nested */ */ 2"), "3");
    EXPECT_EQ(error("select 1 /* unclosed").number, 113);
}

TEST_F(BasicStatements, SeveralStatementsGiveOneResultEach)
{
    auto results = run("select 1\nselect 'a', 2\r\nprint 'x'");
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].resultSet.has_value());
    EXPECT_TRUE(results[1].resultSet.has_value());
    EXPECT_FALSE(results[2].resultSet.has_value());
    EXPECT_TRUE(results[0].hasRowCount);
    EXPECT_EQ(results[0].rowCount, 1);
}

}  // namespace
}  // namespace tdsim::test
