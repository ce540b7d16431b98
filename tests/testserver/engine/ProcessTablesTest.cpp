// master's process and lock tables: sysprocesses with a row per open session, syslocks,
// sysengines and sysmonitors.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class ProcessTables : public UserDatabaseFixture {};

TEST_F(ProcessTables, AreMasterSystemTablesThatPublicMayRead)
{
    EXPECT_EQ(rows("select name, type from master..sysobjects where id between 37 and 40 "
                   "order by id"),
              (Rows{"sysprocesses S ", "syslocks S ", "sysengines S ", "sysmonitors S "}));
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'sysprocesses'"), "0");
    EXPECT_EQ(scalar("select count(*) from master..syscolumns where id = 37"), "36");
    EXPECT_EQ(query("select * from master..sysprocesses").columns.size(), 36u);
    EXPECT_EQ(query("select * from master..syslocks").columns.size(), 12u);
    EXPECT_EQ(rows("select c.name, c.type, c.status & 8 from master..syscolumns c "
                   "where c.id = 37 and c.colid in (1, 4, 14, 18, 34) order by c.colid"),
              (Rows{"spid 52 0", "status 47 0", "dbid 52 0", "time_blocked 38 8",
                    "loggedindatetime 111 8"}));
    EXPECT_EQ(rows("select o.name from master..sysprotects p, master..sysobjects o "
                   "where p.id = o.id and p.uid = 0 and p.action = 193 and o.id between 37 "
                   "and 40 order by o.id"),
              (Rows{"sysprocesses", "syslocks", "sysengines"}));
}

TEST_F(ProcessTables, InstallersCopyTheirShapeAtBatchLevel)
{
    run("select spid, blocked, time_blocked into procs from master..sysprocesses where 1 = 2");
    EXPECT_EQ(scalar("select count(*) from procs"), "0");
    EXPECT_EQ(rows("select name, type from syscolumns where id = object_id('procs') "
                   "order by colid"),
              (Rows{"spid 52", "blocked 52", "time_blocked 38"}));
}

TEST_F(ProcessTables, SysprocessesHoldsARowPerOpenSession)
{
    EXPECT_EQ(rows("select spid, suid, dbid, uid, status, cmd, blocked from "
                   "master..sysprocesses"),
              (Rows{"17 1 4 1 running      SELECT 0"}));
    EXPECT_EQ(scalar("select count(*) from master..sysprocesses where spid = @@spid"), "1");

    run("exec sp_addlogin bob, 'secret1'");
    run("exec sp_adduser bob");
    ClientInfo client;
    client.hostName = "buildhost";
    client.programName = "isql";
    client.packetSize = 2048;
    {
        auto other = engine->openSession("bob", 23, client);
        EXPECT_EQ(rows("select spid, dbid, uid, hostname, program_name, network_pktsz, status, "
                       "cmd from master..sysprocesses where spid = 23"),
                  (Rows{"23 1 2 buildhost isql 2048 recv sleep   AWAITING COMMAND"}));
        // dbid and uid follow USE.
        other->execute("use db1");
        EXPECT_EQ(rows("select dbid, uid, gid from master..sysprocesses where spid = 23"),
                  (Rows{"4 3 0"}));
        EXPECT_EQ(scalar("select count(*) from master..sysprocesses"), "2");
    }
    // A closed session's row is gone.
    EXPECT_EQ(rows("select spid from master..sysprocesses"), (Rows{"17"}));
}

TEST_F(ProcessTables, CommandNamesTheBatchStatementUnderWay)
{
    EXPECT_EQ(scalar("if exists (select 1 from master..sysprocesses) "
                     "select cmd from master..sysprocesses where spid = @@spid"),
              "COND");
    EXPECT_EQ(scalar("exec ('select cmd from master..sysprocesses where spid = @@spid')"),
              "EXECUTE");
    // Between batches the session waits for the next one.
    auto other = engine->openSession("sa", 30);
    other->execute("select 1");
    EXPECT_EQ(rows("select status, cmd from master..sysprocesses where spid = 30"),
              (Rows{"recv sleep   AWAITING COMMAND"}));
}

TEST_F(ProcessTables, LocksAndMonitorsAreEmptyAndOneEngineIsOnline)
{
    EXPECT_EQ(scalar("select count(*) from master..syslocks"), "0");
    EXPECT_EQ(scalar("select count(*) from master..sysmonitors"), "0");
    EXPECT_EQ(rows("select engine, status, affinitied from master..sysengines"),
              (Rows{"0 online       0"}));
    EXPECT_EQ(scalar("select count(*) from master..sysengines where osprocid > 0 and "
                     "starttime <= getdate()"),
              "1");
}

}  // namespace
}  // namespace tdsim::test
