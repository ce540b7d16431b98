// A system procedure called with a database's name runs in that database.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class QualifiedProcedures : public UserDatabaseFixture {
protected:
    void SetUp() override
    {
        UserDatabaseFixture::SetUp();
        run("create database db2");
        run("exec sp_addlogin u1, 'secret1'\nexec sp_addlogin u2, 'secret2'");
    }

    std::string userIn(const std::string& database, const std::string& name)
    {
        return scalar("select count(*) from " + database + "..sysusers where name = '" + name +
                      "'");
    }
};

TEST_F(QualifiedProcedures, RunInTheDatabaseTheyNameFromAnywhere)
{
    run("use master");
    run("exec db1..sp_adduser u1");
    EXPECT_EQ(userIn("db1", "u1"), "1");
    EXPECT_EQ(userIn("master", "u1"), "0");
    EXPECT_EQ(scalar("select db_name()"), "master");

    run("use db2");
    run("exec master..sp_adduser u2");
    run("exec db1.dbo.sp_addgroup g1");
    EXPECT_EQ(userIn("master", "u2"), "1");
    EXPECT_EQ(userIn("db2", "u2"), "0");
    EXPECT_EQ(userIn("db1", "g1"), "1");
    EXPECT_EQ(scalar("select db_name()"), "db2");
}

TEST_F(QualifiedProcedures, BuiltNamesWorkThroughExecString)
{
    run("use master");
    run("declare @db varchar(30) select @db = 'db2' exec ('exec ' + @db + '..sp_adduser u1')");
    EXPECT_EQ(userIn("db2", "u1"), "1");
    run("declare @p varchar(60) select @p = 'db1..sp_adduser' exec @p u2");
    EXPECT_EQ(userIn("db1", "u2"), "1");
    EXPECT_EQ(scalar("select db_name()"), "master");
}

TEST_F(QualifiedProcedures, AFailingCallLeavesTheSessionWhereItWas)
{
    run("exec sp_adduser u1");
    run("setuser 'u1'");
    EXPECT_EQ(error("exec nosuchdb..sp_adduser u2").number, 911);
    EXPECT_EQ(error("exec db2..sp_adduser nosuchlogin").number, 17232);
    EXPECT_EQ(rows("select db_name(), user_name()"), (Rows{"db1 u1"}));
    // setuser still holds: u1 is no database owner.
    EXPECT_EQ(error("create table t (c int)").number, 0);
    EXPECT_EQ(scalar("select user_name(uid) from sysobjects where name = 't'"), "u1");
}

TEST_F(QualifiedProcedures, RunWithTheUserTheLoginIsThere)
{
    run("exec sp_adduser u1");
    auto u1 = engine->openSession("u1", 40);
    u1->execute("use db1");
    // u1 is no user of db2, which has no guest: it may not run procedures there.
    bool refused = false;
    for (const StatementResult& result : u1->execute("exec db2..sp_help"))
        for (const Message& message : result.messages)
            refused = refused || message.number == 10351;
    EXPECT_TRUE(refused);
    EXPECT_EQ(u1->currentDatabase(), "db1");
}

TEST_F(QualifiedProcedures, DatabaseOptionsChangeOnlyFromMaster)
{
    run("use master");
    EXPECT_EQ(error("exec db1..sp_dboption db1, 'select into', true").number, 17428);
    run("use db2");
    run("exec master..sp_dboption db1, 'select into', true");
    EXPECT_EQ(scalar("select status & 4 from master..sysdatabases where name = 'db1'"), "4");
}

}  // namespace
}  // namespace tdsim::test
