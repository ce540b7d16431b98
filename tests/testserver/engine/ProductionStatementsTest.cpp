// Statements found in scripts written for production servers: grants in another user's
// name, 15.7 table and procedure options, transaction modes, ownership changes, session
// contexts and the smaller dialect points. Each CREATE of a procedure runs in a batch of
// its own, as the server requires.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

class ProductionStatements : public UserDatabaseFixture {
protected:
    std::string sysstat2(const std::string& name, int mask)
    {
        return scalar("select sysstat2 & " + std::to_string(mask) +
                      " from sysobjects where name = '" + name + "'");
    }
    // A second connection of a login made for the test.
    std::unique_ptr<Session> loginSession(const std::string& login, int spid)
    {
        auto other = engine->openSession(login, spid);
        other->execute("use db1");
        return other;
    }
};

TEST_F(ProductionStatements, GrantedByRecordsTheNamedGrantor)
{
    run("exec master..sp_addlogin mary, 'secret1'");
    run("exec master..sp_addlogin bob, 'secret2'");
    run("exec sp_adduser mary");
    run("exec sp_adduser bob");
    run("create table t (a int)");
    run("setuser 'mary'\ncreate table mt (a int)\nsetuser");
    auto grantor = [&](const std::string& table, const std::string& grantee) {
        return scalar("select p.grantor from sysprotects p where p.id = object_id('" + table +
                      "') and p.uid = user_id('" + grantee + "') and p.action = 193");
    };

    run("grant select on t to public granted by dbo");
    EXPECT_EQ(grantor("t", "public"), "1");
    // The server's DDL utility writes the grants of another owner's objects this way.
    run("setuser 'mary'\ngrant select on mary.mt to bob Granted by dbo\nsetuser");
    EXPECT_EQ(grantor("mary.mt", "bob"), "1");
    run("grant insert on mary.mt to bob");
    EXPECT_EQ(scalar("select grantor from sysprotects where id = object_id('mary.mt') and "
                     "action = 195"),
              scalar("select user_id('mary')"));
    run("grant create table to bob granted by dbo");
    EXPECT_EQ(scalar("select grantor from sysprotects where id = 0 and uid = user_id('bob')"), "1");
    run("revoke select on mary.mt from bob granted by dbo");
    EXPECT_EQ(grantor("mary.mt", "bob"), "<no rows>");

    EXPECT_EQ(error("grant select on t to bob granted by nobody").number, 4604);
    // bob owns nothing and holds no grant option: he cannot be the grantor.
    EXPECT_EQ(error("grant select on t to mary granted by bob").number, 4613);
    // Only the database owner or a System Security Officer may name another grantor.
    auto marySession = loginSession("mary", 40);
    bool refused = false;
    for (const auto& result :
         marySession->execute("grant select on mary.mt to bob granted by mary")) {
        for (const auto& message : result.messages)
            refused = refused || message.number == 4613;
    }
    EXPECT_TRUE(refused);
}

TEST_F(ProductionStatements, DmlLoggingIsKeptInSysstat2)
{
    constexpr int kLoggingBits = 0x180;
    run("create table plain (a int)");
    run("create table minimal_t (a int) with dml_logging = minimal");
    run("create table full_t (a int, b varchar(10) null) lock datarows "
        "with exp_row_size = 20, dml_logging = full on 'default'");
    EXPECT_EQ(sysstat2("plain", kLoggingBits), "0");
    EXPECT_EQ(sysstat2("minimal_t", kLoggingBits), "128");
    EXPECT_EQ(sysstat2("full_t", kLoggingBits), "256");
    EXPECT_EQ(scalar("select exp_rowsize from sysindexes where id = object_id('full_t')"), "20");

    run("alter table plain set dml_logging = minimal");
    EXPECT_EQ(sysstat2("plain", kLoggingBits), "128");
    run("alter table plain set dml_logging = full");
    EXPECT_EQ(sysstat2("plain", kLoggingBits), "256");
    run("alter table plain set dml_logging = default");
    EXPECT_EQ(sysstat2("plain", kLoggingBits), "0");
    // The lock scheme and the other bits stay.
    EXPECT_EQ(sysstat2("plain", 0x2000), "8192");

    EXPECT_EQ(error("create table bad (a int) with dml_logging = sometimes").number, 102);
    EXPECT_NE(error("create table bad (a int) with dml_logging = default").number, 0);
}

TEST_F(ProductionStatements, ExpRowSizeZeroAndOneOnFixedLengthRows)
{
    run("create table packed (a int not null, b char(10) not null) lock datarows "
        "with exp_row_size = 1");
    EXPECT_EQ(scalar("select exp_rowsize from sysindexes where id = object_id('packed')"), "1");
    run("create table defaulted (a int not null) lock datapages with exp_row_size = 0");
    EXPECT_EQ(scalar("select exp_rowsize from sysindexes where id = object_id('defaulted')"), "0");
    run("alter table defaulted with exp_row_size = 1");
    EXPECT_EQ(scalar("select exp_rowsize from sysindexes where id = object_id('defaulted')"), "1");
    EXPECT_EQ(
        error("create table fixed (a int not null) lock datarows with exp_row_size = 2").number,
        1752);
    EXPECT_EQ(error("alter table defaulted with exp_row_size = 10").number, 1752);
    run("alter table defaulted with exp_row_size = 0");
    EXPECT_EQ(scalar("select exp_rowsize from sysindexes where id = object_id('defaulted')"), "0");
}

TEST_F(ProductionStatements, ExecuteAsAndNegativeDefaultsOfProcedures)
{
    run("create procedure as_owner with execute as owner as select 1");
    run("create procedure as_caller\nwith execute as caller\nas\nselect 2");
    run("create procedure recompiled with recompile as select 3");
    EXPECT_EQ(sysstat2("as_owner", 0x180), "128");
    EXPECT_EQ(sysstat2("as_caller", 0x180), "256");
    EXPECT_EQ(sysstat2("recompiled", 0x180), "0");
    EXPECT_EQ(scalar("exec as_owner"), "1");
    EXPECT_EQ(error("create procedure bad with execute as nobody as select 1").number, 102);

    run("create procedure defaults @x float = -1.5, @n int = -5, @p int = +1 "
        "as select convert(varchar(10), @x), @n, @p");
    EXPECT_EQ(rows("exec defaults"), (std::vector<std::string>{"-1.5 -5 1"}));
    EXPECT_EQ(rows("exec defaults @n = 7"), (std::vector<std::string>{"-1.5 7 1"}));
}

TEST_F(ProductionStatements, DumpTransactionChecksOnlyTheDatabase)
{
    run("dump tran db1 with truncate_only");
    run("dump transaction db1 with no_log\nselect 1");
    run("create procedure cleanup as dump tran db1 with truncate_only");
    run("exec cleanup");
    EXPECT_EQ(error("dump tran nosuchdb with truncate_only").number, 911);
}

TEST_F(ProductionStatements, ChangeDatabaseOwner)
{
    run("exec master..sp_addlogin newowner, 'secret1'");
    run("exec master..sp_addlogin olduser, 'secret2'");
    run("exec master..sp_addlogin helper, 'secret3'");
    run("exec sp_adduser olduser");
    run("exec sp_addalias helper, dbo");
    std::string newSuid = scalar("select suid from master..syslogins where name = 'newowner'");

    EXPECT_EQ(error("exec sp_changedbowner nosuchlogin").number, 17231);
    EXPECT_EQ(error("exec sp_changedbowner olduser").number, 17721);
    EXPECT_EQ(error("exec sp_changedbowner helper").number, 17722);
    EXPECT_EQ(error("use master\nexec sp_changedbowner newowner").number, 17720);
    run("use db1");

    run("exec sp_changedbowner newowner, true");
    EXPECT_EQ(scalar("select suid from master..sysdatabases where name = 'db1'"), newSuid);
    EXPECT_EQ(scalar("select suid from sysusers where uid = 1"), newSuid);
    EXPECT_EQ(scalar("select altsuid from sysalternates"), newSuid);
    // The new owner is dbo in the database.
    auto ownerSession = loginSession("newowner", 41);
    bool isDbo = false;
    for (const auto& result : ownerSession->execute("select user_name()")) {
        if (result.resultSet && !result.resultSet->rows.empty())
            isDbo = text(result.resultSet->rows[0].at(0)) == "dbo";
    }
    EXPECT_TRUE(isDbo);

    // Without true the old owner's aliases go.
    run("exec master..sp_addlogin third, 'secret4'");
    run("exec sp_changedbowner third");
    EXPECT_EQ(scalar("select count(*) from sysalternates"), "0");
}

TEST_F(ProductionStatements, ProcedureTransactionModes)
{
    run("create procedure p1 as select 1");
    run("create procedure p2 as select 2");
    EXPECT_EQ(rows("exec sp_procxmode p1"), (std::vector<std::string>{"p1 Unchained"}));
    run("exec sp_procxmode p1, 'anymode'");
    EXPECT_EQ(sysstat2("p1", 0x30), "32");
    EXPECT_EQ(rows("exec sp_procxmode p1"), (std::vector<std::string>{"p1 Any Mode"}));
    run("exec sp_procxmode p2, chained");
    EXPECT_EQ(sysstat2("p2", 0x30), "16");
    EXPECT_EQ(rows("exec sp_procxmode"),
              (std::vector<std::string>{"p1 dbo Any Mode", "p2 dbo Chained"}));
    ResultSet listing = query("exec sp_procxmode");
    ASSERT_EQ(listing.columns.size(), 3u);
    EXPECT_EQ(listing.columns[0].name, "procedure name");
    EXPECT_EQ(listing.columns[1].name, "user name");
    EXPECT_EQ(listing.columns[2].name, "transaction mode");
    run("exec sp_procxmode p1, 'unchained'");
    EXPECT_EQ(sysstat2("p1", 0x30), "0");
    // A procedure takes the transaction mode of the session that creates it.
    run("set chained on");
    run("create procedure p3 as select 3");
    run("set chained off");
    EXPECT_EQ(sysstat2("p3", 0x30), "16");

    EXPECT_EQ(error("exec sp_procxmode nosuchproc, 'anymode'").number, 17461);
    run("create table notproc (a int)");
    EXPECT_EQ(error("exec sp_procxmode notproc").number, 17461);
    EXPECT_EQ(error("exec sp_procxmode p1, 'sometimes'").number, 7777);
}

TEST_F(ProductionStatements, ApplicationContextsVersionNumberAndStuff)
{
    EXPECT_EQ(scalar("select set_appcontext('CONTEXT1', 'ATTR1', 'VALUE1')"), "0");
    EXPECT_EQ(scalar("select set_appcontext('CONTEXT1', 'ATTR1', 'OTHER')"), "-1");
    EXPECT_EQ(scalar("select get_appcontext('CONTEXT1', 'ATTR1')"), "VALUE1");
    EXPECT_EQ(scalar("select get_appcontext('CONTEXT2', 'ATTR1')"), "NULL");
    run("declare @v varchar(25)\nselect @v = '20'\n"
        "select set_appcontext('CONTEXT1', 'ATTR2', convert(char(20), @v))");
    EXPECT_EQ(scalar("select get_appcontext('CONTEXT1', 'ATTR2')"), "20");
    // Another session has contexts of its own.
    auto other = engine->openSession("sa", 42);
    std::string seen;
    for (const auto& result : other->execute("select get_appcontext('CONTEXT1', 'ATTR1')")) {
        if (result.resultSet && !result.resultSet->rows.empty())
            seen = text(result.resultSet->rows[0].at(0));
    }
    EXPECT_EQ(seen, "NULL");
    EXPECT_EQ(scalar("select rm_appcontext('CONTEXT1', 'ATTR1')"), "0");
    EXPECT_EQ(scalar("select get_appcontext('CONTEXT1', 'ATTR1')"), "NULL");
    EXPECT_EQ(scalar("select rm_appcontext('NON_EXISTING_CTX', 'ATTR')"), "-1");
    EXPECT_EQ(scalar("select rm_appcontext('*', '*')"), "0");
    EXPECT_EQ(scalar("select get_appcontext('CONTEXT1', 'ATTR2')"), "NULL");

    EXPECT_EQ(scalar("select @@version_number"), "15700");

    EXPECT_EQ(scalar("select stuff('abc', 2, 3, 'xyz')"), "axyz");
    EXPECT_EQ(scalar("select stuff('abcdef', 2, 3, null)"), "aef");
    EXPECT_EQ(scalar("select stuff('abcdef', 2, 3, '')"), "a ef");
    EXPECT_EQ(scalar("select stuff('abcdef', 1, 0, 'xy')"), "xyabcdef");
    EXPECT_EQ(scalar("select stuff('abcdef', 0, 1, 'x')"), "NULL");
    EXPECT_EQ(scalar("select stuff('abcdef', 7, 1, 'x')"), "NULL");
    EXPECT_EQ(scalar("select stuff('abcdef', -1, 1, 'x')"), "NULL");
    EXPECT_EQ(scalar("select stuff('abcdef', 2, -1, 'x')"), "NULL");
    EXPECT_EQ(scalar("select stuff(null, 1, 1, 'x')"), "NULL");
    EXPECT_EQ(scalar("select stuff('abc', 1, 3, null)"), "NULL");
}

TEST_F(ProductionStatements, SystemRolesAsGrantees)
{
    run("create table t (a int)");
    EXPECT_EQ(scalar("select count(*) from sysusers where name = 'mon_role'"), "0");
    run("grant select on t to mon_role");
    std::string uid = scalar("select uid from sysusers where name = 'mon_role'");
    EXPECT_EQ(rows("select suid, gid from sysusers where name = 'mon_role'"),
              (std::vector<std::string>{"-2 " + uid}));
    EXPECT_EQ(scalar("select lrid from sysroles where id = 10"), uid);
    EXPECT_EQ(scalar("select count(*) from sysprotects where uid = " + uid), "1");
    // A second grant finds the role; a revoke removes the grant, not the role.
    run("grant insert on t to mon_role, js_admin_role");
    EXPECT_EQ(scalar("select count(*) from sysusers where name = 'mon_role'"), "1");
    EXPECT_EQ(scalar("select lrid from sysroles where id = 11"),
              scalar("select uid from sysusers where name = 'js_admin_role'"));
    run("revoke select, insert on t from mon_role");
    EXPECT_EQ(scalar("select count(*) from sysprotects where uid = " + uid), "0");
    // The classic roles are there from the start.
    run("grant select on t to sa_role");
    EXPECT_EQ(scalar("select count(*) from sysroles"), "8");
    EXPECT_EQ(error("grant select on t to no_such_role").number, 4604);
    // A revoke does not bring a role into the database.
    EXPECT_EQ(error("revoke select on t from ha_role").number, 4604);
    EXPECT_EQ(scalar("select count(*) from sysusers where name = 'ha_role'"), "0");
}

TEST_F(ProductionStatements, DbccLocatorsAndTransactionNames)
{
    run("dbcc traceon(3604)\ndbcc traceon (3604, 302)\nselect 1\ndbcc traceoff(3604, 302)");
    run("create procedure traced @spid int as\ndbcc traceon(3604)\ndbcc sqltext(@spid)\n"
        "dbcc monitor (\"sample\", \"all\", \"on\")\ndbcc object_stats(init_locks)\n"
        "select 1\ndbcc traceoff(3604)");
    EXPECT_EQ(scalar("exec traced 1"), "1");
    run("dbcc checkdb(db1) with no_fix\ndbcc checktable(sysobjects)\ndbcc tune(des_greedy_alloc, "
        "0, 'off')");
    // Locators are not modelled (an int stands in for text_locator): the statements parse.
    run("create procedure locators @loc int as\n"
        "truncate lob @loc (10)\ntruncate lob @loc\ndeallocate locator @loc\nreturn 0");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'locators'"), "1");

    EXPECT_EQ(scalar("select count(*) from sysobjects where 1 ! = 2"),
              scalar("select count(*) from sysobjects"));
    EXPECT_EQ(scalar("select count(*) from sysobjects where 1 !\t= 1"), "0");

    run("create procedure labelled as\n"
        "begin tran\nrollback tran\nfin:\nselect 'at fin'\n"
        "begin tran\ncommit tran\ndone:\nreturn 5");
    EXPECT_EQ(scalar("exec labelled"), "at fin");
    run("begin tran outer_tran\nsave tran inner_point\nrollback tran inner_point\n"
        "commit tran outer_tran\nselect 1");
    run("begin transaction\nstart:\ncommit transaction");
}

// Assignments with set, as installers write them, and SQL functions named with their
// owner or database: created, never run.
TEST_F(ProductionStatements, SetAssignsVariablesAndQualifiedFunctionCallsParse)
{
    EXPECT_EQ(rows("declare @a int, @b varchar(10)\nset @a = 2, @b = 'x' + 'y'\nset @a = @a * 3\n"
                   "select @a, @b"),
              (std::vector<std::string>{"6 xy"}));
    EXPECT_EQ(error("set @undeclared = 1").number, 137);
    run("create function twice(@n int) returns int as return @n * 2");
    run("create procedure uses_functions as\n"
        "select dbo.twice(1), db1.dbo.twice(2), db1..twice(3)");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'uses_functions'"), "1");
    EXPECT_EQ(error("exec uses_functions").number, 7777);
}

}  // namespace
}  // namespace tdsim::test
