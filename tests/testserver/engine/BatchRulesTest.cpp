// What the server refuses when it compiles a batch, before any statement of it runs, and
// what a batch cannot see of its own bindings.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;
using BatchRules = UserDatabaseFixture;

TEST_F(BatchRules, ProceduresTriggersRulesAndDefaultsStandAlone)
{
    run("create table t (a int not null)");
    EXPECT_EQ(error("insert t values (1)\ncreate procedure p as select 1").number, 111);
    EXPECT_EQ(error("create rule r as @x > 0\ncreate default d as 0").number, 111);
    EXPECT_EQ(error("create default d as 0\nselect 1").number, 111);
    EXPECT_EQ(error("print 'x'\ncreate trigger tr on t for insert as print 'y'").text,
              "CREATE TRIGGER must be the first command in a query batch.");
    // Nothing of a refused batch ran.
    EXPECT_EQ(scalar("select count(*) from t"), "0");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name in ('p', 'r', 'd', 'tr')"), "0");
    // An exec'd string is a batch of its own, under the same rules.
    EXPECT_EQ(error("exec ('select 1 create procedure p2 as select 2')").number, 111);
    run("exec ('create procedure p2 as select 2')");
    // Views may share a batch.
    run("create view v as select a from t\nselect count(*) from v");
}

TEST_F(BatchRules, ATableThatExistsCannotBeCreatedAgainInTheBatch)
{
    run("create table t (a int not null)");
    EXPECT_EQ(error("drop table t\ncreate table t (b int not null)").number, 2714);
    EXPECT_EQ(
        error(
            "if exists (select * from sysobjects where name = 't') drop table t\n"
            "if not exists (select * from sysobjects where name = 't') create table t (b int null)")
            .number,
        2714);
    EXPECT_EQ(column("select name from syscolumns where id = object_id('t')"), (Rows{"a"}));
    // In two batches, or through exec, it works; so does a table of another owner.
    run("drop table t");
    run("create table t (b int not null)");
    run("exec ('drop table t') exec ('create table t (c int not null)')");
    EXPECT_EQ(column("select name from syscolumns where id = object_id('t')"), (Rows{"c"}));
}

TEST_F(BatchRules, ADatabaseIsNotUsedInTheBatchThatCreatesIt)
{
    EXPECT_EQ(error("create database db2\nuse db2").number, 911);
    EXPECT_EQ(scalar("select count(*) from master..sysdatabases where name = 'db2'"), "0");
    run("create database db2");
    run("use db2\nselect db_name()");
}

TEST_F(BatchRules, ABatchDoesNotUseTheDefaultItBinds)
{
    run("create default five as 5");
    run("create table t (a int not null, b int null)");
    run("exec sp_bindefault five, 't.b'\ninsert t (a) values (1)");
    run("insert t (a) values (2)");
    EXPECT_EQ(rows("select a, b from t order by a"), (Rows{"1 NULL", "2 5"}));

    run("exec sp_addtype code, 'int', 'null'");
    run("create table u (a int not null, c code)");
    run("exec sp_bindefault five, code\ninsert u (a) values (1)");
    run("insert u (a) values (2)");
    EXPECT_EQ(rows("select a, c from u order by a"), (Rows{"1 NULL", "2 5"}));
}

}  // namespace
}  // namespace tdsim::test
