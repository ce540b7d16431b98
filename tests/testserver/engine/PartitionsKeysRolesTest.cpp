// syspartitions rows, function-based index keys and hash(), CREATE LOGIN and
// GRANT/REVOKE ROLE.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class PartitionsKeysRoles : public UserDatabaseFixture {
protected:
    // syspartitions rows of a table as "indid name-is-generated data_partitionid".
    Rows partitions(const std::string& table)
    {
        return rows("select p.indid, case when p.name = " + table +
                    "_name + '_' + convert(varchar, p.partitionid) then 'gen' else p.name end,"
                    " p.data_partitionid from syspartitions p,"
                    " (select i.name + '' as " +
                    table +
                    "_name, i.indid from sysindexes i"
                    " where i.id = object_id('" +
                    table +
                    "')) n"
                    " where p.id = object_id('" +
                    table +
                    "') and n.indid = p.indid"
                    " order by p.indid, p.partitionid");
    }
};

TEST_F(PartitionsKeysRoles, EveryTableAndIndexHasPartitionRows)
{
    run("create table plain (a int not null, b text null)");
    // The data partition of an unpartitioned table has the table's id and name.
    EXPECT_EQ(rows("select indid, name, partitionid - id, data_partitionid from syspartitions "
                   "where id = object_id('plain') and indid = 0"),
              (Rows{"0 plain_" + scalar("select object_id('plain')") + " 0 0"}));
    EXPECT_EQ(scalar("select count(*) from syspartitions where id = object_id('plain') "
                     "and indid = 255"),
              "1");
    run("create index plain_a on plain (a)");
    EXPECT_EQ(rows("select count(*) from syspartitions p, sysindexes i where p.id = i.id and "
                   "p.indid = i.indid and p.id = object_id('plain') and p.indid = 2 and "
                   "p.name = i.name + '_' + convert(varchar, p.partitionid)"),
              (Rows{"1"}));
    // An allpages clustered index takes over the data rows (indid 1).
    run("create clustered index plain_ci on plain (a)");
    EXPECT_EQ(rows("select indid from syspartitions where id = object_id('plain') "
                   "order by indid"),
              (Rows{"1", "2", "255"}));
    run("drop index plain.plain_ci");
    run("drop index plain.plain_a");
    EXPECT_EQ(rows("select indid from syspartitions where id = object_id('plain') "
                   "order by indid"),
              (Rows{"0", "255"}));
    // Partition ids never collide with object ids.
    EXPECT_EQ(scalar("select count(*) from syspartitions p, sysobjects o "
                     "where p.partitionid = o.id and p.id <> o.id"),
              "0");
    run("drop table plain");
    EXPECT_EQ(scalar("select count(*) from syspartitions where id = object_id('plain')"), "0");
}

TEST_F(PartitionsKeysRoles, RoundrobinPartitionsAreKeptAndOthersRefused)
{
    run("create table rr (a int not null) lock datarows partition by roundrobin 4");
    EXPECT_EQ(scalar("select count(*) from syspartitions where id = object_id('rr') and "
                     "indid = 0 and name = 'rr_' + convert(varchar, partitionid)"),
              "4");
    run("create unique index rr_a on rr (a)");
    // A global index: one partition whatever the table's count.
    EXPECT_EQ(rows("select indid, count(*), max(data_partitionid) from syspartitions "
                   "where id = object_id('rr') group by indid order by indid"),
              (Rows{"0 4 0", "2 1 0"}));
    run("insert rr values (1)\ninsert rr values (2)");
    EXPECT_EQ(error("insert rr values (1)").number, 2601);

    run("exec sp_addsegment seg1, db1, dev1");
    run("create table named (a int null) partition by roundrobin (p1 on seg1, p2)");
    EXPECT_EQ(rows("select name, segment from syspartitions where id = object_id('named') "
                   "order by partitionid"),
              (Rows{"p1 3", "p2 1"}));
    EXPECT_EQ(error("create table h (a int) partition by hash (a) 4").number, 7777);
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'h'"), "0");
    EXPECT_EQ(error("create table z (a int) partition by roundrobin 0").number, 7777);
}

TEST_F(PartitionsKeysRoles, HashGivesTheDocumentedDigests)
{
    EXPECT_EQ(scalar("select hash('abc', 'md5')"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(scalar("select hash('abc')"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(scalar("select hash('abc', 'SHA1')"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // '' is one blank in Transact-SQL.
    EXPECT_EQ(scalar("select hash('', 'md5')"), "7215ee9c7d9dc229d2921a40e899ec5f");
    // A message longer than one 64-byte block.
    EXPECT_EQ(scalar("select hash(replicate('a', 1000), 'sha1')"),
              "291e9a6c66994949b57ba5e650361e98fc36b1ba");
    EXPECT_EQ(scalar("select datalength(hash('abc', 2)) + datalength(hash('abc', 3))"), "36");
    EXPECT_EQ(scalar("select convert(varchar(40), hash('abc', 2))"),
              scalar("select convert(varchar(40), 0x900150983cd24fb0d6963f7d28e17f72)"));
    EXPECT_EQ(scalar("select hash(null, 'md5')"), "NULL");
    EXPECT_EQ(error("select hash('abc', 'crc32')").number, 7777);
}

TEST_F(PartitionsKeysRoles, FunctionBasedIndexKeepsItsKeyAsAHiddenColumn)
{
    run("create table art (id int not null, uri varchar(100) not null)");
    run("create unique index uri_md5 on art( hash(uri, 'md5') )");
    std::string table = scalar("select object_id('art')");
    // The hidden column: nullable varchar(32), computed + materialized + function key.
    EXPECT_EQ(rows("select colid, name, type, length, status & 8, status2, "
                   "object_name(computedcol) from syscolumns where id = " +
                   table + " and colid = 3"),
              (Rows{"3 sybfi2_1 39 32 8 560 sybfi2_1_" +
                    scalar("select computedcol from syscolumns where id = " + table +
                           " and colid = 3")}));
    EXPECT_EQ(rows("select o.type, c.status, c.colid, m.text from sysconstraints c, "
                   "sysobjects o, syscomments m, syscolumns s where c.tableid = " +
                   table +
                   " and o.id = c.constrid and m.id = o.id and s.id = c.tableid and "
                   "s.colid = c.colid and s.computedcol = o.id"),
              (Rows{"C  256 3 hash(uri, 'md5')"}));
    EXPECT_EQ(scalar("select index_col('art', 2, 1)"), "sybfi2_1");
    // The table still has two columns to select and insert into; the index is enforced.
    run("insert art values (1, 'ad:one')\ninsert art (uri, id) values ('ad:two', 2)");
    EXPECT_EQ(query("select * from art").columns.size(), 2u);
    EXPECT_EQ(error("insert art values (3, 'ad:one')").number, 2601);
    EXPECT_EQ(scalar("select id from art where hash(uri, 'md5') = "
                     "'" +
                     scalar("select hash('ad:two', 'md5')") + "'"),
              "2");
    EXPECT_EQ(error("create clustered index ci on art (upper(uri))").number, 7777);
    run("drop index art.uri_md5");
    EXPECT_EQ(rows("select count(*) from syscolumns where id = " + table), (Rows{"2"}));
    EXPECT_EQ(scalar("select count(*) from sysconstraints where tableid = " + table), "0");
    EXPECT_EQ(scalar("select count(*) from sysobjects where type = 'C'"), "0");
    run("create index upper_uri on art (id, upper(uri) desc)");
    run("drop table art");
    EXPECT_EQ(scalar("select count(*) from sysobjects where type = 'C'"), "0");
}

TEST_F(PartitionsKeysRoles, CreateLoginAndServerRoles)
{
    run("create login dbfit with password 'DbFit000!' default database db1 "
        "fullname 'Test Login'");
    EXPECT_EQ(rows("select dbname, language, fullname from master..syslogins "
                   "where name = 'dbfit'"),
              (Rows{"db1 us_english Test Login"}));
    EXPECT_EQ(error("create login dbfit with password 'again'").number, 17260);
    EXPECT_EQ(error("create login x with password 'pw' default database nosuch").number, 911);
    run("exec sp_adduser dbfit, dbfit");
    EXPECT_EQ(scalar("select count(*) from sysusers where name = 'dbfit'"), "1");

    // sa holds the administrator roles from the start.
    EXPECT_EQ(rows("select srid from master..sysloginroles where suid = 1 order by srid"),
              (Rows{"0", "1", "2"}));
    run("grant role sa_role, oper_role to dbfit");
    run("grant role sa_role to dbfit");  // granting twice keeps one row
    std::string suid = scalar("select suser_id('dbfit')");
    EXPECT_EQ(rows("select srid, status from master..sysloginroles where suid = " + suid +
                   " order by srid"),
              (Rows{"0 0", "2 0"}));
    run("revoke role oper_role from dbfit");
    EXPECT_EQ(rows("select srid from master..sysloginroles where suid = " + suid), (Rows{"0"}));
    EXPECT_EQ(error("grant role no_such_role to dbfit").number, 17410);
    EXPECT_EQ(error("grant role sa_role to nobody").number, 17232);
}

}  // namespace
}  // namespace tdsim::test
