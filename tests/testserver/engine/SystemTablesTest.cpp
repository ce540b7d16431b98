// The system tables every database holds, public's default permissions on them, master's
// spt_values and the "allow nulls by default" database option.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class SystemTables : public UserDatabaseFixture {};

TEST_F(SystemTables, EveryDatabaseHoldsTheServersSystemTables)
{
    const Rows userDatabaseTables = {
        "sysobjects 1",      "sysindexes 2",      "syscolumns 3",        "systypes 4",
        "sysprocedures 5",   "syscomments 6",     "syssegments 7",       "syslogs 8",
        "sysprotects 9",     "sysusers 10",       "sysalternates 11",    "sysdepends 12",
        "syskeys 13",        "sysgams 14",        "sysjars 16",          "sysusermessages 17",
        "sysreferences 18",  "sysconstraints 19", "syspartitionkeys 20", "systhresholds 21",
        "sysroles 22",       "sysattributes 23",  "sysslices 24",        "sysxtypes 25",
        "systabstats 26",    "sysstatistics 27",  "syspartitions 28",    "sysqueryplans 29",
        "sysencryptkeys 32", "sysoptions 34"};
    EXPECT_EQ(rows("select name, id from sysobjects where type = 'S' order by id"),
              userDatabaseTables);
    // Each is described column by column, so that select * and catalog joins work.
    EXPECT_EQ(scalar("select count(*) from sysobjects o where type = 'S' and not exists "
                     "(select 1 from syscolumns c where c.id = o.id)"),
              "0");
    EXPECT_EQ(query("select * from syslogs").columns.size(), 2u);
    EXPECT_EQ(query("select * from sysstatistics").columns.size(), 89u);  // c0 ... c79
    EXPECT_EQ(query("select * from systabstats").rows.size(), 0u);
    EXPECT_EQ(rows("select c.name, c.type, c.status & 8 from syscolumns c, sysobjects o "
                   "where o.name = 'syslogs' and c.id = o.id order by c.colid"),
              (Rows{"xactid 45 0", "op 48 0"}));
    // master adds its own.
    EXPECT_EQ(rows("select name, id from master..sysobjects where type = 'S' and id >= 30 "
                   "and name not in ('sysencryptkeys', 'sysoptions') order by id"),
              (Rows{"sysdatabases 30", "syslogins 31", "sysloginroles 33", "syslogshold 35",
                    "syssrvroles 36", "sysprocesses 37", "syslocks 38", "sysengines 39",
                    "sysmonitors 40", "sysdevices 41", "sysusages 42", "sysservers 43",
                    "sysconfigures 44", "syscurconfigs 45"}));
    EXPECT_EQ(scalar("select name from master..syssrvroles r, master..sysloginroles l "
                     "where r.srid = l.srid and l.suid = 1 and r.srid = 1"),
              "sso_role");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'sysdatabases'"), "0");
}

TEST_F(SystemTables, SysobjectsHasTheLaterColumnsAndOldInsertsStillWork)
{
    run("create table t (a int)");
    run("create procedure p as select 1");
    EXPECT_EQ(rows("select name, sysstat3, isnull(convert(varchar(10), identburnmax), 'NULL'), "
                   "isnull(spacestate, -1), isnull(lobcomp_lvl, -1) from sysobjects "
                   "where name in ('p', 't') order by name"),
              (Rows{"p 0 NULL -1 -1", "t 0 NULL -1 -1"}));
    EXPECT_EQ(rows("select c.name, c.usertype, c.status & 8 from syscolumns c "
                   "where c.id = 1 and c.colid > 21 order by c.colid"),
              (Rows{"identburnmax 10 8", "spacestate 6 8", "erlchgts 3 8", "sysstat3 44 8",
                    "lobcomp_lvl 5 8"}));
    EXPECT_EQ(scalar("select count(*) from syscolumns where id = 3 and name in "
                     "('status3', 'encrtype', 'encrkeyid', 'encrdate', 'inrowlen')"),
              "5");
}

TEST_F(SystemTables, PublicSelectsSystemTablesByDefaultAndRevokesShowUp)
{
    // One row per table as "grant default permissions on system tables" gives it.
    EXPECT_EQ(rows("select distinct uid, action, protecttype, convert(varchar(5), columns), "
                   "grantor from sysprotects where id < 100"),
              (Rows{"0 193 1 \x01 1"}));
    EXPECT_EQ(scalar("select count(*) from sysprotects where id < 100"), "25");
    EXPECT_EQ(scalar("select count(*) from sysprotects p, sysobjects o where p.id = o.id and "
                     "o.name in ('sysencryptkeys', 'sysgams', 'sysslices', 'sysoptions')"),
              "0");
    // Hardening scripts revoke by column and by table, as on user tables.
    run("revoke select on sysobjects(name, id) from public");
    EXPECT_EQ(scalar("select convert(varchar(5), columns) from sysprotects where id = 1"), "\x07");
    run("revoke select on sysprotects from public");
    EXPECT_EQ(scalar("select count(*) from sysprotects where id = 9"), "0");
    run("grant select on systabstats to public");
    run("grant select on sysencryptkeys to public");
    EXPECT_EQ(rows("select id, convert(varchar(5), columns) from sysprotects "
                   "where id in (26, 32) order by id"),
              (Rows{"26 \x01", "32 \x01"}));
    // A new database starts from the defaults again.
    run("create database db2");
    EXPECT_EQ(scalar("select count(*) from db2..sysprotects where id < 100"), "25");
}

TEST_F(SystemTables, NewDatabasesCopyModelsPrivilegesOnSystemTables)
{
    // A server hardened once in model hands its revokes on to every database created after.
    run("use model");
    run("revoke select on sysobjects(name, id) from public");
    run("revoke select on sysprotects from public");
    run("grant select on sysencryptkeys to public");
    run("use db1");
    run("create database db2");
    EXPECT_EQ(scalar("select convert(varchar(5), columns) from db2..sysprotects where id = 1"),
              "\x07");
    EXPECT_EQ(rows("select id from db2..sysprotects where id in (9, 32) order by id"),
              (Rows{"32"}));
    EXPECT_EQ(scalar("select count(*) from db2..sysprotects where id < 100"), "25");
    // What existed before keeps its own rows.
    EXPECT_EQ(scalar("select convert(varchar(5), columns) from db1..sysprotects where id = 1"),
              "\x01");
}

TEST_F(SystemTables, MasterKeepsLoginPasswordsFromPublic)
{
    // Every syslogins column but password (colid 11), every syssrvroles one but colid 3.
    EXPECT_EQ(scalar("select convert(varchar(5), columns) from master..sysprotects "
                     "where id = 31 and uid = 0"),
              "\xfe\xf7\x01");
    EXPECT_EQ(scalar("select convert(varchar(5), columns) from master..sysprotects "
                     "where id = 36 and uid = 0"),
              "\xf6\x03");
    EXPECT_EQ(scalar("select count(*) from master..sysprotects where uid = 0 and action = 193 "
                     "and id in (30, 33, object_id('master..spt_values'))"),
              "3");
}

TEST_F(SystemTables, SptValuesHoldsTheRowsCatalogProceduresRead)
{
    EXPECT_EQ(rows("select count(*), min(number), max(number) from master..spt_values "
                   "where type = 'P'"),
              (Rows{"2048 0 2047"}));
    // Byte and bit of a column id in a column bitmap.
    EXPECT_EQ(rows("select number, low, high from master..spt_values where type = 'P' and "
                   "number in (0, 7, 10, 2047) order by number"),
              (Rows{"0 1 1", "7 1 128", "10 2 4", "2047 256 128"}));
    EXPECT_EQ(scalar("select name from master.dbo.spt_values where type = 'O' and number = "
                     "(select sysstat & 15 from sysobjects where name = 'sysusers')"),
              "system table");
    EXPECT_EQ(scalar("select name from master..spt_values where type = 'T' and number = 193"),
              "Select");
    EXPECT_EQ(rows("select type, number from master..spt_values where name = "
                   "'allow nulls by default' or name = 'abort tran on log full' order by type"),
              (Rows{"D  8192", "D2 1"}));
    // The loop catalog procedures run over a column bitmap: the columns a revoke excepts.
    run("revoke select on sysusers(uid, name) from public");
    EXPECT_EQ(rows("select c.name from syscolumns c, sysprotects p, master..spt_values v "
                   "where p.id = object_id('sysusers') and c.id = p.id and v.type = 'P' "
                   "and v.number = c.colid "
                   "and convert(int, substring(p.columns, v.low, 1)) & v.high != 0 "
                   "order by c.colid"),
              (Rows{"uid", "name"}));
}

TEST_F(SystemTables, AllowNullsByDefaultMakesUndeclaredColumnsNullable)
{
    run("exec sp_addtype plain_t, int");
    run("exec master..sp_dboption db1, 'allow nulls by default', true");
    run("exec sp_addtype open_t, int");
    run("exec sp_addtype closed_t, int, 'not null'");
    run("exec sp_addtype flag_t, bit");
    run("create table t (a int, b int not null, c numeric(5) identity, d bit, e varchar(10), "
        "f open_t, g plain_t, h closed_t, i int null)");
    EXPECT_EQ(rows("select name, status & 8 from syscolumns where id = object_id('t') "
                   "order by colid"),
              (Rows{"a 8", "b 0", "c 0", "d 0", "e 8", "f 8", "g 0", "h 0", "i 8"}));
    EXPECT_EQ(rows("select name, allownulls from systypes where usertype >= 100 order by name"),
              (Rows{"closed_t 0", "flag_t 0", "open_t 1", "plain_t 0"}));
    run("insert t (b, d, g, h) values (1, 0, 2, 3)");
    EXPECT_EQ(scalar("select count(*) from t where a is null and e is null"), "1");
    // ALTER TABLE ADD takes the database's null mode too.
    run("alter table t add j int");
    EXPECT_EQ(scalar("select status & 8 from syscolumns where id = object_id('t') and "
                     "name = 'j'"),
              "8");
    // Other databases keep NOT NULL as the default; turning the option off restores it.
    run("exec master..sp_dboption db1, 'allow nulls by default', false");
    run("create table u (a int)");
    EXPECT_EQ(scalar("select status & 8 from syscolumns where id = object_id('u')"), "0");
    EXPECT_EQ(error("alter table u add k int").number, 4901);
}

TEST_F(SystemTables, AreWrittenOnlyWhileUpdatesToThemAreAllowed)
{
    run("create table t (a int)");
    constexpr int kAdHocUpdatesNotEnabled = 259;
    for (const char* change : {"update syscolumns set usertype = 999 where id = object_id('t')",
                               "delete syscomments where id = 1",
                               "insert into sysusers (suid, uid, gid, name) "
                               "values (-1, 77, 0, 'ghost')",
                               "truncate table sysdepends"})
        EXPECT_EQ(error(change).number, kAdHocUpdatesNotEnabled) << change;
    EXPECT_EQ(scalar("select usertype from syscolumns where id = object_id('t')"), "7");

    run("exec sp_configure 'allow updates', 1");
    run("update syscolumns set usertype = 999 where id = object_id('t')");
    EXPECT_EQ(scalar("select usertype from syscolumns where id = object_id('t')"), "999");
    run("exec sp_configure 'allow updates to system tables', 0");
    EXPECT_EQ(error("update syscolumns set usertype = 7").number, kAdHocUpdatesNotEnabled);
    // User tables are written as ever, and other parameters change nothing.
    run("exec sp_configure 'number of user connections', 30");
    run("insert into t values (1)");
    EXPECT_EQ(error("delete sysobjects where id = object_id('t')").number, kAdHocUpdatesNotEnabled);
}

}  // namespace
}  // namespace tdsim::test
