// Catalog rows the server writes beside the objects themselves: dependencies, trigger
// links, privileges, aliases, thresholds and hidden texts.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class CatalogRows : public UserDatabaseFixture {
protected:
    // Every message of a batch, as "number severity".
    Rows messages(const std::string& batch)
    {
        Rows out;
        for (const StatementResult& result : session->execute(batch)) {
            for (const Message& message : result.messages)
                out.push_back(std::to_string(message.number) + " " +
                              std::to_string(message.severity));
        }
        return out;
    }
};

TEST_F(CatalogRows, DependenciesAreRecordedForObjectsThatExistAtCreation)
{
    run("create table t (a int, b int)\ncreate table u (a int)");
    run("create view v as select * from t where a in (select a from u)");
    run("create procedure p1 as insert u select a from v");
    run("create procedure p3 as declare c cursor for select b from t\nopen c\nclose c");
    // p2 names a table that does not exist yet: created, with warning 2007 and no row.
    EXPECT_EQ(messages("create procedure p2 as exec p1 select * from later update t set b = 1"),
              (Rows{"2007 11"}));
    EXPECT_EQ(rows("select object_name(id), number, object_name(depid), depnumber, selall, "
                   "resultobj, readobj from sysdepends order by 1, 3"),
              (Rows{"p1 1 u 0 0 1 0", "p1 1 v 0 0 0 1", "p2 1 p1 1 0 0 0", "p2 1 t 0 0 1 0",
                    "p3 1 t 0 0 0 1", "v 0 t 0 1 0 1", "v 0 u 0 0 0 1"}));
    run("create table later (x int)");
    EXPECT_EQ(scalar("select count(*) from sysdepends where depid = object_id('later')"), "0");
    run("drop procedure p2");
    EXPECT_EQ(scalar("select count(*) from sysdepends where id = object_id('p2')"), "0");
    EXPECT_EQ(scalar("select count(*) from sysdepends"), "5");
}

TEST_F(CatalogRows, ANewTriggerForAnActionReplacesTheOldOne)
{
    run("create table t (a int)");
    run("create trigger t_ins on t for insert as print 'old'");
    run("create trigger t_iu on t for insert, update as print 'new'");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 't_ins'"), "0");
    EXPECT_EQ(scalar("select count(*) from syscomments where id not in (select id from "
                     "sysobjects)"),
              "0");
    run("create trigger t_upd on t for update as print 'newer'");
    // t_iu keeps its insert action, so it stays.
    EXPECT_EQ(rows("select object_name(instrig), object_name(updtrig) from sysobjects where name "
                   "= 't'"),
              (Rows{"t_iu t_upd"}));
}

TEST_F(CatalogRows, GrantAllGivesWhatTheObjectTypeAllows)
{
    run("exec sp_addlogin u1, 'pw'\nexec sp_adduser u1");
    run("create table t (a int)\ncreate view v as select a from t");
    run("create procedure p as select 1");
    run("grant all on t to u1\ngrant all on v to u1\ngrant all on p to u1");
    EXPECT_EQ(rows("select object_name(id), action from sysprotects where uid = user_id('u1') "
                   "order by 1, 2"),
              (Rows{"p 224", "t 151", "t 193", "t 195", "t 196", "t 197", "t 282", "t 320", "t 326",
                    "v 193", "v 195", "v 196", "v 197"}));
    run("grant truncate table, delete statistics on t to public");
    // (public's default select rows are on the system tables.)
    EXPECT_EQ(rows("select action from sysprotects where uid = 0 and id = object_id('t') "
                   "order by action"),
              (Rows{"282", "320"}));
}

TEST_F(CatalogRows, ColumnLevelRevokeTakesOnlyThoseColumns)
{
    run("exec sp_addlogin u1, 'pw'\nexec sp_adduser u1");
    run("create table t (c1 int, c2 int, c3 int, c4 int, c5 int, c6 int, c7 int, c8 int, c9 "
        "int)");
    auto columnsOf = [&](const std::string& who, int action) {
        return scalar(
            "select convert(varchar(20), columns) from sysprotects where uid = "
            "user_id('" +
            who + "') and action = " + std::to_string(action) + " and id = object_id('t')");
    };
    // A table-level grant keeps "every column" and records the revoked ones as exceptions.
    run("grant select on t to public");
    run("revoke select on t (c2, c9) from public");
    EXPECT_EQ(columnsOf("public", 193), "\x05\x02");
    // A column list grows and shrinks column by column.
    run("grant update (c2, c3) on t to u1");
    run("grant update (c4) on t to u1");
    EXPECT_EQ(columnsOf("u1", 197), "\x1c");
    run("revoke update on t (c3) from u1");
    EXPECT_EQ(columnsOf("u1", 197), "\x14");
    run("revoke update (c2, c4) on t from u1");
    EXPECT_EQ(scalar("select count(*) from sysprotects where uid = user_id('u1')"), "0");
}

TEST_F(CatalogRows, AliasesMapLoginsToUsers)
{
    run("exec sp_addlogin jane, 'pw'\nexec sp_addlogin joe, 'pw'\nexec sp_adduser joe");
    run("exec sp_addalias jane, dbo");
    EXPECT_EQ(rows("select suser_name(suid), altsuid from sysalternates"), (Rows{"jane 1"}));
    EXPECT_EQ(error("exec sp_addalias jane, joe").number, 17335);  // one alias per login
    EXPECT_EQ(error("exec sp_addalias joe, dbo").number, 17334);   // already a user here
    EXPECT_EQ(error("exec sp_addalias nobody, dbo").number, 17232);
    run("exec sp_dropalias jane");
    EXPECT_EQ(scalar("select count(*) from sysalternates"), "0");
    EXPECT_EQ(error("exec sp_dropalias jane").number, 17337);
}

TEST_F(CatalogRows, DatabaseOptionsThresholdsAndRoles)
{
    // Options change only in master: master..sp_dboption runs there from anywhere.
    run("exec master.dbo.sp_dboption db1, 'select into', true");
    EXPECT_EQ(error("exec sp_dboption db1, 'abort tran on log full', true").number, 17428);
    run("use master");
    run("exec sp_dboption db1, 'abort tran on log full', true");
    EXPECT_EQ(rows("select status & 4, status2 & 1 from master..sysdatabases where name = 'db1'"),
              (Rows{"4 1"}));
    run("exec sp_dboption db1, 'select into/bulkcopy/pllsort', false");
    EXPECT_EQ(scalar("select status & 4 from master..sysdatabases where name = 'db1'"), "0");
    EXPECT_EQ(error("exec sp_dboption nosuchdb, 'select into', true").number, 17421);
    run("use db1");
    run("exec sp_addthreshold db1, 'default', 2048, sp_thresholdaction");
    EXPECT_EQ(rows("select segment, free_space, proc_name from systhresholds"),
              (Rows{"1 2048 sp_thresholdaction"}));
    // Role rows are told from groups through sysroles, never by their uid.
    EXPECT_EQ(rows("select u.name from sysroles r, sysusers u where r.lrid = u.uid and r.id = 0"),
              (Rows{"sa_role"}));
    EXPECT_EQ(scalar("select @@ncharsize"), "1");
}

TEST_F(CatalogRows, HiddenTextIsUnreadableYetTheObjectStillRuns)
{
    std::string body(300, 'x');
    run("create procedure p as select '" + body + "'");
    run("create procedure q as select 2");
    run("exec sp_hidetext p");
    EXPECT_EQ(rows("select colid, status & 1, datalength(text) from syscomments where id = "
                   "object_id('p') order by colid"),
              (Rows{"1 1 255", "2 1 76"}));
    EXPECT_EQ(scalar("select count(*) from syscomments where id = object_id('p') and text like "
                     "'%select%'"),
              "0");
    EXPECT_EQ(scalar("select status & 1 from syscomments where id = object_id('q')"), "0");
    EXPECT_EQ(scalar("exec p"), body);
    run("exec sp_hidetext");
    EXPECT_EQ(scalar("select status & 1 from syscomments where id = object_id('q')"), "1");
    EXPECT_EQ(scalar("exec q"), "2");
}

TEST_F(CatalogRows, FunctionsRenamesAndSpace)
{
    run("create function f_one(@x int) returns int as return @x + 1");
    EXPECT_EQ(rows("select type, sysstat & 15 from sysobjects where name = 'f_one'"),
              (Rows{"SF 12"}));
    EXPECT_EQ(rows("select name, number from syscolumns where id = object_id('f_one')"),
              (Rows{"@x 1"}));
    run("drop function f_one");
    EXPECT_EQ(error("drop function f_one").number, 3701);

    run("create table t (a int, b int)\ncreate index t_a on t (a)");
    run("insert t values (1, 2)\ninsert t values (3, 4)");
    run("exec sp_rename 't.b', 'c'");
    run("exec sp_rename 't.t_a', 't_first', 'index'");
    run("exec sp_rename t, t2");
    EXPECT_EQ(rows("select name from syscolumns where id = object_id('t2') order by colid"),
              (Rows{"a", "c"}));
    EXPECT_EQ(scalar("select name from sysindexes where id = object_id('t2') and indid = 2"),
              "t_first");
    EXPECT_EQ(error("exec sp_rename 't2.nothing', 'x'").number, 17232);
    EXPECT_EQ(error("alter table t add d int null").number, 4902);  // renamed away
    Row space = query("exec sp_spaceused t2").rows.at(0);
    EXPECT_EQ(text(space[0]) + " " + text(space[1]), "t2 2");
}

TEST_F(CatalogRows, OnlyOwnersAndGrantOptionHoldersGrant)
{
    run("exec sp_addlogin u1, 'pw'\nexec sp_addlogin u2, 'pw'");
    run("exec sp_adduser u1\nexec sp_adduser u2");
    run("create table t (a int)");
    run("setuser 'u1'");
    EXPECT_EQ(error("grant select on t to u2").number, 4613);
    run("setuser");
    run("grant select on t to u1 with grant option");
    run("setuser 'u1'");
    run("grant select on t to u2");
    run("setuser");
    EXPECT_EQ(rows("select user_name(uid), user_name(grantor) from sysprotects where uid = "
                   "user_id('u2')"),
              (Rows{"u2 u1"}));
    // Statement permissions: grant all gives the create permissions of a database.
    run("grant all to u2");
    EXPECT_EQ(rows("select action from sysprotects where id = 0 order by action"),
              (Rows{"198", "207", "222", "233", "236", "292"}));
    run("revoke create function from u2");
    run("grant create function to u1");
    EXPECT_EQ(rows("select user_name(uid), protecttype from sysprotects where action = 292"),
              (Rows{"u1 1"}));
}

}  // namespace
}  // namespace tdsim::test
