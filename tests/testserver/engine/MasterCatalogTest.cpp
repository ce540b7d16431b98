// master's server-wide tables: devices and database fragments (disk init, create and
// alter database, segments, thresholds, sp_helpdb), logins and roles, remote servers
// and configuration parameters.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class MasterCatalog : public EngineFixture {
protected:
    Rows fragments(const std::string& database)
    {
        return rows(
            "select segmap, lstart, size, vstart, vdevno from master..sysusages "
            "where dbid = db_id('" +
            database + "') order by lstart");
    }
    std::string hexOf(const std::string& bytes)
    {
        static const char digits[] = "0123456789abcdef";
        std::string text = "0x";
        for (unsigned char byte : bytes) {
            text += digits[byte >> 4];
            text += digits[byte & 0xf];
        }
        return text;
    }
    std::string passwordOf(const std::string& login)
    {
        return query("select password from master..syslogins where name = '" + login + "'")
            .rows.at(0)
            .at(0)
            .bytes;
    }
};

TEST_F(MasterCatalog, DevicesFragmentsSegmentsAndThresholds)
{
    // A fresh server: the installation's devices, and the system databases on them.
    EXPECT_EQ(rows("select name, vdevno, low, high, status, cntrltype from master..sysdevices"),
              (Rows{"master 0 0 524287 16387 0", "sysprocsdev 1 0 88063 16386 0",
                    "systemdbdev 2 0 6143 16386 0", "tapedump1 0 0 20000 16 3",
                    "tapedump2 0 0 20000 16 4"}));
    EXPECT_EQ(rows("select dbid, segmap, lstart, size, vstart, vdevno from master..sysusages"),
              (Rows{"1 7 0 6656 4 0", "2 7 0 2048 8196 0", "3 7 0 1536 6660 0",
                    "31513 7 0 6144 0 2", "31514 7 0 88064 0 1"}));

    // disk init: a bare size counts 2K pages; vdevno the lowest free one unless given.
    run("disk init name = 'data1', physname = '/srv/data1.dat', size = '10M'");
    run("disk init name = log1, physname = '/srv/log1.dat', size = 2048, vdevno = 7, "
        "dsync = false, directio = true");
    EXPECT_EQ(rows("select name, vdevno, high, status from master..sysdevices where vdevno > 2 "
                   "order by vdevno"),
              (Rows{"data1 3 5119 16386", "log1 7 2047 -32766"}));
    EXPECT_EQ(error("disk init name = 'data1', physname = 'x', size = 100").number, 5125);
    EXPECT_EQ(error("disk init name = 'other', physname = 'x', size = '.M'").number, 102);
    EXPECT_EQ(error("disk init name = 'other', physname = 'x', size = 100, vdevno = 7").number,
              5126);
    // vdevnos stay below 'number of devices' (10).
    EXPECT_EQ(error("disk init name = 'other', physname = 'x', size = 100, vdevno = 10").number,
              5127);
    run("exec sp_configure 'number of devices', 20");
    run("disk init name = 'spare', physname = '/srv/spare.dat', size = '1M', vdevno = 10");

    // One fragment per device clause: data 3, log 4, lstart cumulative, vstart from the
    // device's free space; a log of its own gets a last-chance threshold.
    auto created = run("create database sales on data1 = 4, data1 = '2M' log on log1 = '1M'");
    EXPECT_EQ(created.at(0).messages.at(0).text,
              "CREATE DATABASE: allocating 2048 logical pages (4.0 megabytes) on disk 'data1'.");
    EXPECT_EQ(fragments("sales"), (Rows{"3 0 2048 0 3", "3 2048 1024 2048 3", "4 3072 512 0 7"}));
    EXPECT_EQ(rows("select segment, free_space, status, proc_name from sales..systhresholds"),
              (Rows{"2 32 1 sp_thresholdaction"}));
    run("alter database sales on data1 = 1 log on log1 = 1");
    EXPECT_EQ(fragments("sales"), (Rows{"3 0 2048 0 3", "3 2048 1024 2048 3", "4 3072 512 0 7",
                                        "3 3584 512 3072 3", "4 4096 512 512 7"}));
    EXPECT_EQ(scalar("select free_space from sales..systhresholds where status = 1"), "64");

    // User thresholds change; the last-chance one stays.
    run("use sales");
    run("exec sp_addthreshold sales, 'default', 200, warn_proc");
    run("exec sp_modifythreshold sales, 'default', 200, other_proc, 300");
    EXPECT_EQ(rows("select segment, free_space, status, proc_name from systhresholds order by "
                   "segment"),
              (Rows{"1 300 0 other_proc", "2 64 1 sp_thresholdaction"}));
    EXPECT_EQ(error("exec sp_dropthreshold sales, logsegment, 64").number, 17879);
    run("exec sp_dropthreshold sales, 'default', 300");
    run("use master");

    // Segments follow the devices they are placed on; a later data fragment on the
    // device joins them.
    run("exec sp_addsegment seg1, sales, data1");
    run("alter database sales on data1 = 1");
    run("exec sp_extendsegment seg1, sales, log1");
    EXPECT_EQ(column("select segmap from master..sysusages where dbid = db_id('sales') "
                     "order by lstart"),
              (Rows{"11", "11", "12", "11", "12", "11"}));
    run("exec sp_dropsegment seg1, sales, log1");
    EXPECT_EQ(scalar("select count(*) from master..sysusages where segmap = 12"), "0");
    EXPECT_EQ(error("exec sp_dropsegment logsegment, sales").number, 17524);
    run("exec sp_dropsegment seg1, sales");
    EXPECT_EQ(column("select distinct segmap from master..sysusages where dbid = db_id('sales') "
                     "order by segmap"),
              (Rows{"3", "4"}));
    EXPECT_EQ(scalar("select count(*) from sales..syssegments where name = 'seg1'"), "0");

    // sp_helpdb: the database, then its fragments.
    auto help = run("exec sp_helpdb sales");
    ASSERT_GE(help.size(), 2u);
    const ResultSet& database = *help.at(0).resultSet;
    EXPECT_EQ(text(database.rows.at(0).at(1)), "10.0 MB");  // 2048+1024+512+512+512+512 pages
    EXPECT_EQ(text(database.rows.at(0).at(5)), "no options set");
    const ResultSet& pieces = *help.at(1).resultSet;
    ASSERT_EQ(pieces.rows.size(), 6u);
    EXPECT_EQ(text(pieces.rows[0][0]) + " " + text(pieces.rows[0][1]) + " " +
                  text(pieces.rows[0][2]) + " " + text(pieces.rows[0][4]),
              "data1 4.0 MB data only 3376");
    EXPECT_EQ(text(pieces.rows[2][2]) + " " + text(pieces.rows[2][4]), "log only not applicable");

    // Errors: an unknown device, a device without room.
    EXPECT_EQ(error("create database d2 on nosuch = 2").number, 1802);
    EXPECT_EQ(error("create database d2 on log1 = 10").number, 1803);
    EXPECT_EQ(scalar("select count(*) from master..sysdatabases where name = 'd2'"), "0");

    // A dropped database's space is free again; the default device takes databases
    // created without a device.
    run("drop database sales");
    EXPECT_EQ(scalar("select count(*) from master..sysusages where vdevno = 3"), "0");
    run("exec sp_diskdefault data1, defaulton");
    run("exec sp_diskdefault master, defaultoff");
    run("create database plain");
    EXPECT_EQ(fragments("plain"), (Rows{"7 0 1536 0 3"}));
    EXPECT_EQ(scalar("select status & 1 from master..sysdevices where name = 'master'"), "0");
    EXPECT_EQ(error("exec sp_dropdevice data1").number, 17874);
    run("exec sp_addumpdevice 'disk', dumps, '/srv/dumps'");
    EXPECT_EQ(rows("select status, cntrltype, phyname from master..sysdevices where name = "
                   "'dumps'"),
              (Rows{"16 2 /srv/dumps"}));
    run("disk resize name = 'data1', size = '2M'");
    EXPECT_EQ(column("exec sp_helpdevice data1", 2),
              (Rows{"file system device, special, dsync on, directio off, default disk, "
                    "physical disk, 12.00 MB, Free: 9.00 MB"}));
}

TEST_F(MasterCatalog, LoginsPasswordsAndRoles)
{
    run("create login ann with password 'secret1' default database master fullname 'Ann Lee' "
        "min password length 8 max failed attempts 3 authenticate with ASE");
    EXPECT_EQ(rows("select dbname, fullname, status, datalength(password), crsuid, logincount, "
                   "lockreason from master..syslogins where name = 'ann'"),
              (Rows{"master Ann Lee 32 49 1 0 NULL"}));
    EXPECT_EQ(rows("select a.attribute, a.int_value from master..sysattributes a, "
                   "master..syslogins l where a.class = 3 and a.object = l.suid and l.name = "
                   "'ann' order by a.attribute"),
              (Rows{"1 8", "2 3"}));
    EXPECT_TRUE(engine->checkLogin("ann", "secret1"));
    EXPECT_FALSE(engine->checkLogin("ann", "secret2"));

    // A login re-created from its stored hash keeps its password, as text or as a literal.
    std::string hash = passwordOf("ann");
    run("create login ann_copy with encrypted password '" + hexOf(hash) + "'");
    run("create login ann_literal with encrypted password " + hexOf(hash));
    EXPECT_EQ(passwordOf("ann_copy"), hash);
    EXPECT_EQ(passwordOf("ann_literal"), hash);
    EXPECT_TRUE(engine->checkLogin("ann_copy", "secret1"));
    EXPECT_EQ(error("create login bad with encrypted password 'secret'").number, 7777);

    // Locking keeps the login out and records who and why; unlocking clears it.
    run("exec sp_locklogin ann, 'lock'");
    EXPECT_FALSE(engine->checkLogin("ann", "secret1"));
    EXPECT_EQ(rows("select status & 2, lockreason, locksuid, case when lockdate is null then 0 "
                   "else 1 end from master..syslogins where name = 'ann'"),
              (Rows{"2 0 1 1"}));
    run("alter login ann unlock");
    EXPECT_EQ(rows("select status & 2, lockreason, locksuid from master..syslogins where name "
                   "= 'ann'"),
              (Rows{"0 NULL NULL"}));
    run("exec sp_password '', 'secret9', ann");
    EXPECT_TRUE(engine->checkLogin("ann", "secret9"));
    EXPECT_EQ(scalar("select count(*) from master..syslogins where name = 'ann' and "
                     "lastlogindate is not null and logincount = 0"),
              "1");
    // The third failed login in a row locks the login (its max failed attempts).
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_FALSE(engine->checkLogin("ann", "wrong"));
    EXPECT_EQ(rows("select status & 2, logincount, lockreason from master..syslogins where "
                   "name = 'ann'"),
              (Rows{"2 3 2"}));
    EXPECT_FALSE(engine->checkLogin("ann", "secret9"));
    run("alter login ann unlock");
    EXPECT_TRUE(engine->checkLogin("ann", "secret9"));
    run("exec sp_modifylogin ann, defdb, tempdb");
    EXPECT_EQ(scalar("select dbname from master..syslogins where name = 'ann'"), "tempdb");

    // User-defined roles: srids from 32; a role granted to a role is a hierarchy row.
    run("create role doctor_role with passwd 'rolepw1'");
    run("create role intern_role");
    EXPECT_EQ(rows("select srid, name, case when password is null then 0 else 1 end from "
                   "master..syssrvroles where srid >= 32 order by srid"),
              (Rows{"32 doctor_role 1", "33 intern_role 0"}));
    run("grant role intern_role to doctor_role");
    EXPECT_EQ(rows("select object_type, object, object_info1, object_cinfo from "
                   "master..sysattributes where class = 8 and attribute = 2"),
              (Rows{"RR 32 33 intern_role"}));
    EXPECT_EQ(error("grant role doctor_role to intern_role").number, 7777);  // a cycle
    run("grant role doctor_role to ann");
    run("exec sp_modifylogin ann, 'add default role', doctor_role");
    EXPECT_EQ(rows("select r.srid, r.status from master..sysloginroles r, master..syslogins l "
                   "where r.suid = l.suid and l.name = 'ann'"),
              (Rows{"32 1"}));
    run("revoke role intern_role from doctor_role");
    EXPECT_EQ(scalar("select count(*) from master..sysattributes where class = 8"), "0");
    run("drop role intern_role");
    EXPECT_EQ(scalar("select count(*) from master..syssrvroles where name = 'intern_role'"), "0");

    // A user role may hold privileges in a database, which then knows it.
    run("create database rdb");
    run("use rdb");
    run("create table t (a int)");
    run("grant select on t to doctor_role");
    EXPECT_EQ(scalar("select count(*) from sysroles where id = 32"), "1");
    run("exec sp_adduser ann");
    EXPECT_EQ(error("exec sp_droplogin ann").number, 17910);
    run("exec sp_dropuser ann");
    run("exec sp_droplogin ann");
    EXPECT_EQ(scalar("select count(*) from master..syslogins where name = 'ann'"), "0");

    // Login and role statements need sso_role.
    auto plain = engine->openSession("ann_copy", 18);
    bool refused = false;
    for (const StatementResult& result : plain->execute("create login x with password 'pw'"))
        for (const Message& message : result.messages)
            refused = refused || message.number == 7777;
    EXPECT_TRUE(refused);
}

TEST_F(MasterCatalog, RemoteServersAndConfiguration)
{
    EXPECT_EQ(rows("select srvid, srvname, srvnetname, srvclass, srvstatus, srvcost from "
                   "master..sysservers"),
              (Rows{"0 TDSIM TDSIM 0 0 NULL", "1 SYB_BACKUP TDSIM_BS 1 0 1000"}));
    run("exec sp_addserver REMOTE1, ASEnterprise, 'remote1.example:5000'");
    run("exec sp_addserver IQ1, ASIQ");
    run("exec sp_serveroption REMOTE1, 'timeouts', false");
    run("exec sp_serveroption REMOTE1, 'net password encryption', true");
    run("exec sp_serveroption REMOTE1, 'rpc security model B', true");
    run("exec sp_serveroption REMOTE1, 'rpc security model A', true");  // replaces B
    EXPECT_EQ(rows("select srvid, srvname, srvnetname, srvclass, srvstatus from "
                   "master..sysservers where srvid > 1"),
              (Rows{"2 REMOTE1 remote1.example:5000 7 11", "3 IQ1 IQ1 9 0"}));
    EXPECT_EQ(error("exec sp_addserver OTHER, local").number, 17215);
    run("exec sp_dropserver IQ1");
    EXPECT_EQ(scalar("select count(*) from master..sysservers"), "3");

    // A dynamic parameter runs with its new value at once, a static one after a restart.
    run("exec sp_configure 'number of user connections', 50");
    run("exec sp_configure 'max network packet size', 4096");
    run("exec sp_configure 'lock scheme', 0, datarows");
    EXPECT_EQ(
        rows("select c.comment, c.value, r.value, r.defvalue, r.type from "
             "master..sysconfigures c, master..syscurconfigs r where r.config = c.config "
             "and c.value2 is null and c.value <> convert(int, r.defvalue) order by c.comment"),
        (Rows{"max network packet size 4096 2048 2048 static",
              "number of user connections 50 50 25 dynamic"}));
    EXPECT_EQ(scalar("select value2 from master..syscurconfigs where comment = 'lock scheme'"),
              "datarows");
    EXPECT_EQ(rows("exec sp_configure 'user connections'"),
              (Rows{"number of user connections 25 0 50 50 number dynamic"}));
    EXPECT_EQ(error("exec sp_configure 'number of user connections', 1").number, 5846);
    EXPECT_EQ(error("exec sp_configure 'no such parameter'").number, 15135);
    EXPECT_EQ(error("exec sp_configure 'number of locks', 'lots'").number, 249);
}

}  // namespace
}  // namespace tdsim::test
