// How constraints, declared defaults, ALTER TABLE, lock schemes and space options are
// stored in the catalog, and how INSERT/UPDATE/DELETE are held to the constraints.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class ConstraintsStorage : public UserDatabaseFixture {
protected:
    std::string sysstat2(const std::string& table)
    {
        return scalar("select sysstat2 from sysobjects where name = '" + table + "'");
    }
    std::vector<Message> messages(const std::string& batch)
    {
        std::vector<Message> out;
        for (const auto& result : session->execute(batch))
            out.insert(out.end(), result.messages.begin(), result.messages.end());
        return out;
    }
};

TEST_F(ConstraintsStorage, PrimaryKeyAndUniqueAreIndexRowsOnly)
{
    run("create table cust (cust_id int not null, email varchar(60) not null, "
        "region char(2) not null, "
        "constraint cust_pk primary key clustered (cust_id) with fillfactor = 80, "
        "unique nonclustered (email desc, region) with max_rows_per_page = 4, "
        "reservepagegap = 8 on 'default')");
    std::string custId = id("cust");
    // name, indid, status, status2, keycnt, fill_factor, maxrowsperpage, res_page_gap
    EXPECT_EQ(rows("select name, indid, status, status2, keycnt, fill_factor, maxrowsperpage, "
                   "res_page_gap from sysindexes where id = object_id('cust') order by indid"),
              (Rows{"cust_pk 1 2066 2 1 80 0 0",
                    "cust_" + custId + "2 2 2 10 3 0 4 8"}));  // 0x812; 0x2|0x8
    EXPECT_EQ(scalar("select count(*) from sysobjects where type not in ('U', 'S')"), "0");
    EXPECT_EQ(scalar("select count(*) from sysconstraints"), "0");
    EXPECT_EQ(std::stoi(sysstat2("cust")) & 0x8, 0x8);
    EXPECT_EQ(rows("select index_col('cust', 2, 1), index_colorder('cust', 2, 1), "
                   "index_colorder('cust', 2, 2), index_colorder('cust', 2, 3)"),
              (Rows{"email DESC ASC NULL"}));
    // The generated name takes the first 10 characters of the table name.
    run("create table long_table_name (a int not null primary key)");
    EXPECT_EQ(scalar("select name from sysindexes where id = object_id('long_table_name') "
                     "and indid = 1"),
              "long_table_" + id("long_table_name") + "1");
    EXPECT_EQ(error("create table bad (a int null primary key)").number, 1920);
    EXPECT_EQ(error("create table bad (a int null, constraint p primary key (a))").number, 1920);
    EXPECT_EQ(error("drop index cust.cust_pk").number, 3710);
    EXPECT_EQ(error("insert cust values (1, 'a', 'x')\ninsert cust values (1, 'b', 'x')").number,
              2601);
    EXPECT_NE(error("insert cust values (2, 'a', 'x')").text.find("'cust_" + custId + "2'"),
              std::string::npos);
}

TEST_F(ConstraintsStorage, CheckConstraintsAreDeclaredRuleObjects)
{
    run("create table item (item_id int not null, qty int not null check (qty > 0), "
        "price money null, constraint item_price_ck check (price >= $0 and price < $1000))");
    std::string table = id("item");
    std::string columnCheck = scalar("select domain from syscolumns where name = 'qty'");
    std::string tableCheck = id("item_price_ck");
    EXPECT_EQ(rows("select name, type, sysstat from sysobjects where id = " + columnCheck),
              (Rows{"item_qty_" + columnCheck + " R  7"}));
    EXPECT_EQ(rows("select colid, constrid, status, error from sysconstraints where tableid = " +
                   table + " order by constrid"),
              (Rows{"2 " + columnCheck + " 128 0", "0 " + tableCheck + " 128 0"}));
    EXPECT_EQ(scalar("select text from syscomments where id = " + columnCheck), "check (qty > 0)");
    EXPECT_EQ(rows("select type, sequence, status, number from sysprocedures where id in (" +
                   columnCheck + ", " + tableCheck + ")"),
              (Rows{"1 0 4096 0", "1 0 4096 0"}));
    EXPECT_EQ(rows("select ckfirst, sysstat2 & 4 from sysobjects where id = " + table),
              (Rows{columnCheck + " 4"}));
    EXPECT_EQ(scalar("select domain from syscolumns where name = 'price'"), "0");

    run("insert item values (1, 5, $10)\ninsert item values (2, 1, null)");  // NULL passes
    Message refused = error("insert item values (3, 0, $1)");
    EXPECT_EQ(refused.number, 548);
    EXPECT_EQ(refused.text,
              "Check constraint violation occurred, dbname =  'db1', table name = "
              "'item', constraint name = 'item_qty_" +
                  columnCheck + "'.");
    EXPECT_EQ(error("update item set price = $5000 where item_id = 1").number, 548);
    EXPECT_EQ(error("insert item select 4, qty, price from item").number, 0);
    EXPECT_EQ(scalar("select count(*) from item"), "4");
    EXPECT_EQ(scalar("select convert(int, max(price)) from item"),
              "10");  // the refused update left it
}

TEST_F(ConstraintsStorage, ForeignKeysWriteSysreferencesAndGuardBothSides)
{
    run("create table parent (id int not null primary key, code char(3) not null, "
        "region int not null, constraint parent_code unique (code, region))");
    run("create table child (cid int not null, pid int null references parent, "
        "code char(3) null, region int null, "
        "constraint child_code foreign key (code, region) references parent (code, region) "
        "match full)");
    std::string columnFk = scalar("select min(constrid) from sysconstraints");
    std::string parentId = id("parent"), childId = id("child");
    EXPECT_EQ(rows("select name, type from sysobjects where type = 'RI' order by id"),
              (Rows{"child_pid_" + columnFk + " RI", "child_code RI"}));
    EXPECT_EQ(rows("select colid, status from sysconstraints order by constrid"),
              (Rows{"0 64", "0 64"}));
    std::string dbid = scalar("select db_id()");
    EXPECT_EQ(rows("select indexid, tableid, reftabid, keycnt, status, frgndbid, pmrydbid, "
                   "fokey1, fokey2, fokey3, fokey16, refkey1, refkey2, refkey3, refkey16, "
                   "frgndbname, pmrydbname from sysreferences order by constrid"),
              (Rows{"1 " + childId + " " + parentId + " 1 0 " + dbid + " " + dbid +
                        " 2 0 0 0 1 0 0 0 NULL NULL",
                    "2 " + childId + " " + parentId + " 2 2 " + dbid + " " + dbid +
                        " 3 4 0 0 2 3 0 0 NULL NULL"}));
    EXPECT_EQ(std::stoi(sysstat2("child")) & 0x3, 0x2);
    EXPECT_EQ(std::stoi(sysstat2("parent")) & 0x3, 0x1);
    EXPECT_EQ(
        rows("select indid, status2 from sysindexes where id = " + parentId + " order by indid"),
        (Rows{"1 11", "2 3"}));  // the primary key's name was generated
    EXPECT_EQ(error("create table bad (r int null references parent (region))").number, 1711);

    run("insert parent values (1, 'abc', 7)\ninsert parent values (2, 'xyz', 7)");
    run("insert child values (10, 1, 'abc', 7)\ninsert child values (11, null, null, null)");
    Message orphan = error("insert child values (12, 3, null, null)");
    EXPECT_EQ(orphan.number, 546);
    EXPECT_EQ(orphan.text,
              "Foreign key constraint violation occurred, dbname =  'db1', table "
              "name = 'child', constraint name = 'child_pid_" +
                  columnFk + "'.");
    EXPECT_EQ(error("insert child values (13, 2, 'abc', null)").number, 546);  // match full
    EXPECT_EQ(error("update child set pid = 5 where cid = 10").number, 546);
    Message dependent = error("delete parent where id = 1");
    EXPECT_EQ(dependent.number, 547);
    EXPECT_NE(dependent.text.find("table name = 'parent'"), std::string::npos);
    EXPECT_EQ(error("update parent set region = 8 where id = 1").number, 547);
    run("delete parent where id = 2\nupdate parent set region = 8 where id = 2");
    EXPECT_EQ(scalar("select count(*) from parent"), "1");

    EXPECT_EQ(error("drop table parent").number, 3712);
    EXPECT_EQ(error("alter table parent drop constraint parent_code").number, 3712);
    run("alter table child drop constraint child_code");
    EXPECT_EQ(
        rows("select indid, status2 from sysindexes where id = " + parentId + " order by indid"),
        (Rows{"1 11", "2 2"}));
    run("alter table parent drop constraint parent_code\ndelete child\ndrop table child");
    EXPECT_EQ(std::stoi(sysstat2("parent")) & 0x1, 0);
    EXPECT_EQ(scalar("select count(*) from sysreferences"), "0");
    EXPECT_EQ(scalar("select count(*) from sysconstraints"), "0");
    EXPECT_EQ(scalar("select count(*) from sysobjects where type = 'RI'"), "0");
    run("drop table parent");
}

TEST_F(ConstraintsStorage, DeclaredAndBoundDefaultsAndRules)
{
    run("create default zero_dflt as 0");
    run("create rule nonneg_rule as @v >= 0");
    run("create table acct (acct_id int not null, bal money default 0 not null, "
        "lim money not null, amount int not null check (amount > 0))");
    std::string declared = scalar("select cdefault from syscolumns where name = 'bal'");
    std::string check = scalar("select domain from syscolumns where name = 'amount'");
    EXPECT_EQ(scalar("select name from sysobjects where id = " + declared), "acct_bal_" + declared);
    EXPECT_EQ(scalar("select text from syscomments where id = " + declared), "default 0");
    EXPECT_EQ(rows("select o.name, p.status from sysprocedures p, sysobjects o where o.id = p.id "
                   "and o.type in ('R', 'D') order by o.id"),
              (Rows{"zero_dflt 0", "nonneg_rule 0", "acct_bal_" + declared + " 4096",
                    "acct_amount_" + check + " 4096"}));

    run("exec sp_bindefault 'dbo.zero_dflt', 'acct.lim'\n"
        "exec sp_bindrule 'dbo.nonneg_rule', 'dbo.acct.lim'");
    EXPECT_EQ(rows("select cdefault, domain from syscolumns where name = 'lim'"),
              (Rows{id("zero_dflt") + " " + id("nonneg_rule")}));
    EXPECT_EQ(error("exec sp_bindefault acct_bal_" + declared + ", 'acct.lim'").number, 17349);
    EXPECT_EQ(error("exec sp_bindrule acct_amount_" + check + ", 'acct.lim'").number, 17358);
    EXPECT_EQ(error("exec sp_bindefault zero_dflt, 'acct.bal'").number, 17753);
    EXPECT_EQ(error("exec sp_unbindefault 'acct.bal'").number, 17848);
    EXPECT_EQ(error("drop default acct_bal_" + declared).number, 3710);
    EXPECT_EQ(error("drop rule acct_amount_" + check).number, 3710);
    EXPECT_EQ(error("drop default zero_dflt").number, 3716);
    EXPECT_EQ(error("alter table acct replace lim default 5").number, 4912);
    EXPECT_EQ(error("exec sp_bindrule nosuch, 'acct.lim'").number, 17352);

    // Only the owner of a table binds to its columns.
    run("exec sp_addlogin mary, pw\nexec sp_adduser mary\ngrant create table to mary");
    run("create table mary.notes (n int not null)");
    EXPECT_EQ(error("exec sp_bindefault zero_dflt, 'mary.notes.n'").number, 17344);

    // A replaced declared default is a new object; the old one is gone.
    run("alter table acct replace bal default 7");
    std::string replaced = scalar("select cdefault from syscolumns where name = 'bal'");
    EXPECT_NE(replaced, declared);
    EXPECT_EQ(scalar("select count(*) from sysobjects where id = " + declared), "0");
    EXPECT_EQ(scalar("select count(*) from sysprocedures where id = " + declared), "0");
    run("insert acct (acct_id, amount) values (1, 3)");
    EXPECT_EQ(rows("select convert(int, bal), convert(int, lim) from acct"), (Rows{"7 0"}));
    run("alter table acct replace bal default null");
    EXPECT_EQ(scalar("select cdefault from syscolumns where name = 'bal'"), "0");
    EXPECT_EQ(scalar("select count(*) from sysobjects where id = " + replaced), "0");

    // Dropping the table takes its declared objects and their sysprocedures rows along.
    run("drop table acct");
    EXPECT_EQ(rows("select o.name from sysprocedures p, sysobjects o where o.id = p.id"),
              (Rows{"zero_dflt", "nonneg_rule"}));
    EXPECT_EQ(scalar("select count(*) from sysprocedures"), "2");
}

TEST_F(ConstraintsStorage, CompiledObjectsHaveOneSysproceduresRowEach)
{
    run("create table t (a int not null)");
    run("create view v as select a from t");
    run("create procedure p as select 1");
    run("create procedure p;2 as select 2");
    run("create trigger tr on t for insert as print 'x'");
    EXPECT_EQ(rows("select o.name, p.number, p.status from sysprocedures p, sysobjects o "
                   "where o.id = p.id order by o.id, p.number"),
              (Rows{"v 0 0", "p 1 0", "p 2 0", "tr 0 0"}));
    run("drop procedure p\ndrop view v\ndrop table t");
    EXPECT_EQ(scalar("select count(*) from sysprocedures"), "0");
}

TEST_F(ConstraintsStorage, AlterTableAddsAndDropsColumnsAndConstraints)
{
    run("create table ord (ord_id int not null, cust int not null, qty int not null) "
        "lock datarows");
    run("insert ord values (1, 10, 5)\ninsert ord values (2, 20, 6)");
    run("alter table ord add note varchar(20) null, status char(1) default 'N' not null, "
        "constraint ord_pk primary key (ord_id), constraint ord_qty check (qty < 100)");
    EXPECT_EQ(rows("select colid, name, status, cdefault <> 0 from syscolumns "
                   "where id = object_id('ord') and colid > 3 order by colid"),
              (Rows{"4 note 8 0", "5 status 0 1"}));
    EXPECT_EQ(rows("select ord_id, note, status from ord order by ord_id"),
              (Rows{"1 NULL N", "2 NULL N"}));
    // On a datarows table the primary key's clustered index keeps the table's indid 0 row.
    EXPECT_EQ(rows("select name, indid, status, status2, keycnt from sysindexes "
                   "where id = object_id('ord') order by indid"),
              (Rows{"ord 0 0 0 0", "ord_pk 2 2050 514 2"}));
    EXPECT_EQ(error("insert ord (ord_id, cust, qty) values (3, 1, 500)").number, 548);
    EXPECT_EQ(error("alter table ord add flag int not null").number, 4901);
    EXPECT_EQ(error("alter table ord drop constraint nosuch").number, 3723);
    EXPECT_EQ(error("alter table ord lock datarows").number, 4963);

    run("create table cust (id int not null, constraint cust_u unique (id))");
    run("insert cust values (10)\ninsert cust values (20)");
    run("alter table ord add constraint ord_cust foreign key (cust) references cust (id)");
    EXPECT_EQ(scalar("select indexid from sysreferences"), "2");
    EXPECT_EQ(error("insert ord (ord_id, cust, qty) values (3, 30, 1)").number, 546);
    run("alter table ord drop constraint ord_qty\nalter table ord drop constraint ord_cust");
    run("insert ord (ord_id, cust, qty) values (3, 30, 500)");
    EXPECT_EQ(scalar("select count(*) from sysconstraints"), "0");
    EXPECT_EQ(std::stoi(sysstat2("ord")) & 0x6, 0);

    // Changing to allpages moves the clustered index to indid 1.
    run("alter table ord lock allpages");
    EXPECT_EQ(rows("select name, indid, status, status2, keycnt from sysindexes "
                   "where id = object_id('ord') order by indid"),
              (Rows{"ord_pk 1 2066 2 1"}));
    EXPECT_EQ(std::stoi(sysstat2("ord")) & 0xE000, 0x2000);
    EXPECT_EQ(error("insert ord (ord_id, cust, qty) values (3, 1, 1)").number, 2601);
    run("alter table ord drop constraint ord_pk");
    EXPECT_EQ(rows("select name, indid from sysindexes where id = object_id('ord')"),
              (Rows{"ord 0"}));
    EXPECT_EQ(std::stoi(sysstat2("ord")) & 0x20008, 0);
}

TEST_F(ConstraintsStorage, LockSchemesAndSpaceOptions)
{
    run("exec sp_addsegment seg_data, db1, dev\nexec sp_addsegment seg_idx, db1, dev");
    std::string dataSegment = scalar("select segment from syssegments where name = 'seg_data'");
    std::string indexSegment = scalar("select segment from syssegments where name = 'seg_idx'");
    run("create table evt (evt_id numeric(10,0) identity, note varchar(100) null,) "
        "lock datarows with exp_row_size = 64, reservepagegap = 16, identity_gap = 100 "
        "on seg_data");
    run("create clustered index evt_ci on evt (evt_id desc) with fillfactor = 90 on seg_idx");
    EXPECT_EQ(std::stoi(sysstat2("evt")) & 0xE000, 0x8000);
    EXPECT_EQ(rows("select name, indid, status, status2, keycnt, isnull(exp_rowsize, 0), "
                   "isnull(res_page_gap, 0), isnull(identitygap, 0), isnull(fill_factor, 0), "
                   "segment from sysindexes where id = object_id('evt') order by indid"),
              (Rows{"evt 0 0 0 0 64 16 100 0 " + dataSegment,
                    "evt_ci 2 0 512 2 0 0 0 90 " + indexSegment}));
    EXPECT_EQ(scalar("select index_colorder('evt', 2, 1)"), "DESC");
    EXPECT_EQ(error("create clustered index evt_c2 on evt (note)").number, 1902);

    run("create table pages (a int not null, b varchar(10) null) lock datapages");
    EXPECT_EQ(std::stoi(sysstat2("pages")) & 0xE000, 0x4000);
    // Options that do not apply to the lock scheme are announced and not kept.
    std::vector<Message> warnings = messages("alter table pages with exp_row_size = 40");
    EXPECT_TRUE(warnings.empty());
    warnings = messages(
        "create table apl (a int not null, b varchar(10) null) "
        "with exp_row_size = 10, max_rows_per_page = 20");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].number, 1739);
    EXPECT_EQ(rows("select isnull(exp_rowsize, 0), maxrowsperpage from sysindexes "
                   "where id = object_id('apl')"),
              (Rows{"0 20"}));
    EXPECT_EQ(
        error("create table fixed (a int not null) lock datarows with exp_row_size = 10").number,
        1752);
    // An allpages clustered index takes over the table row and its space settings.
    run("create clustered index apl_ci on apl (a)");
    EXPECT_EQ(rows("select name, indid, maxrowsperpage from sysindexes "
                   "where id = object_id('apl')"),
              (Rows{"apl_ci 1 20"}));

    run("exec sp_placeobject seg_idx, 'pages'");
    EXPECT_EQ(scalar("select segment from sysindexes where id = object_id('pages')"), indexSegment);
    EXPECT_EQ(error("create table t2 (a int not null,,)").number, 102);
}

// sp_addsegment defines the segment in the database it names, whichever is current.
TEST_F(ConstraintsStorage, SegmentsGoIntoTheDatabaseNamed)
{
    run("create database db2");
    run("use master");
    run("exec sp_addsegment seg_far, db2, dev");
    EXPECT_EQ(scalar("select count(*) from db2..syssegments where name = 'seg_far'"), "1");
    EXPECT_EQ(scalar("select count(*) from master..syssegments where name = 'seg_far'"), "0");
    EXPECT_EQ(error("exec sp_addsegment seg_none, no_such_db, dev").number, 17421);
}

}  // namespace
}  // namespace tdsim::test
