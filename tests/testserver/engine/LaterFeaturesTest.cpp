// Features of the 15.x/16.0 servers (computed columns, trigger states, instead-of
// triggers, cross-database references, microsecond datetimes) and the refusals the
// server makes.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class LaterFeatures : public UserDatabaseFixture {};

TEST_F(LaterFeatures, ComputedColumnsAreStoredAsTheServerKeepsThem)
{
    run("create table t (a int, b int, total as a + b materialized, "
        "label as convert(varchar(10), a) + '-' + convert(varchar(10), b), "
        "twice as a * 2 not materialized)");
    // syscolumns: the computed column object, computed (0x10) and materialized (0x20) bits,
    // the expression's type (int as intn when nullable; varchar from the concatenation).
    EXPECT_EQ(rows("select c.name, c.colid, c.status2, c.type, c.status & 8, o.type "
                   "from syscolumns c, sysobjects o where c.id = object_id('t') "
                   "and o.id =* c.computedcol order by c.colid"),
              (Rows{"a 1 NULL 56 0 NULL", "b 2 NULL 56 0 NULL", "total 3 48 38 8 C ",
                    "label 4 16 39 8 C ", "twice 5 16 38 8 C "}));
    // Each expression is a type C object with its text as typed, linked by sysconstraints.
    EXPECT_EQ(rows("select c.text, k.colid, k.status from syscomments c, sysconstraints k, "
                   "sysobjects o where o.type = 'C' and c.id = o.id and k.constrid = o.id "
                   "order by k.colid"),
              (Rows{"a + b 3 256", "convert(varchar(10), a) + '-' + convert(varchar(10), b) 4 256",
                    "a * 2 5 256"}));
    // A nullable computed column counts as variable-length (no sysstat2 0x200).
    EXPECT_EQ(scalar("select sysstat2 & 0x200 from sysobjects where name = 't'"), "0");
    run("insert into t values (2, 3)");
    run("insert into t (b, a) values (10, 1)");
    EXPECT_EQ(rows("select total, label, twice from t order by a"), (Rows{"11 1-10 2", "5 2-3 4"}));
    run("update t set b = 100 where a = 2");
    EXPECT_EQ(scalar("select total from t where a = 2"), "102");
    EXPECT_EQ(rows("select a from t where total > 50"), (Rows{"2"}));
    // select * shows the computed columns; naming one in INSERT or UPDATE is refused.
    EXPECT_EQ(query("select * from t").columns.size(), 5u);
    EXPECT_EQ(error("insert into t (a, b, total) values (1, 1, 2)").number, 7777);
    EXPECT_EQ(error("update t set total = 1").number, 7777);
    EXPECT_EQ(error("create table bad (a int, b as a + nosuch)").number, 207);
    EXPECT_EQ(error("create table bad (a int, stamp as getdate() materialized)").number, 7777);
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'bad'"), "0");
}

// Arithmetic over a user datatype gives a built-in type: the column is stored as one.
TEST_F(LaterFeatures, AComputedColumnOverAUserDatatypeTakesTheBuiltInType)
{
    run("exec sp_addtype amount_t, 'numeric(15,2)', 'not null'");
    run("create table line (qty int not null, price amount_t, total as qty * price materialized)");
    EXPECT_EQ(rows("select t.name, c.scale from syscolumns c, systypes t "
                   "where c.id = object_id('line') and c.name = 'total' "
                   "and t.usertype = c.usertype"),
              (Rows{"numeric 2"}));
}

TEST_F(LaterFeatures, ComputedColumnsAddedByAlterTableAndDroppedWithTheirTable)
{
    run("create table t (a int, b int)");
    run("insert into t values (4, 5)");
    run("alter table t add product as a * b materialized, ratio as a / 2");
    EXPECT_EQ(rows("select product, ratio from t"), (Rows{"20 2"}));
    EXPECT_EQ(rows("select name, status2 from syscolumns where id = object_id('t') and colid > 2"),
              (Rows{"product 48", "ratio 16"}));
    // An index on a computed column orders by its value.
    run("create index t_product on t (product)");
    run("insert into t values (1, 1)");
    EXPECT_EQ(column("select a from t where product < 10"), (Rows{"1"}));
    run("drop table t");
    EXPECT_EQ(scalar("select count(*) from sysobjects where type = 'C'"), "0");
    EXPECT_EQ(scalar("select count(*) from sysconstraints"), "0");
    EXPECT_EQ(scalar("select count(*) from syscomments"), "0");
}

TEST_F(LaterFeatures, DisabledTriggersDoNotFire)
{
    run("create table t (a int)");
    run("create table log (what varchar(10))");
    run("create trigger t_ins on t for insert as insert log values ('ins')");
    run("create trigger t_del on t for delete, update as insert log values ('del/upd')");
    run("alter table t disable trigger t_ins");
    EXPECT_EQ(scalar("select sysstat2 & 0x700000 from sysobjects where name = 't'"),
              std::to_string(0x100000));
    run("insert into t values (1)");
    run("delete t");
    EXPECT_EQ(column("select what from log"), (Rows{"del/upd"}));
    // Without a name every trigger of the table: insert, update and delete.
    run("alter table t disable trigger");
    EXPECT_EQ(scalar("select sysstat2 & 0x700000 from sysobjects where name = 't'"),
              std::to_string(0x700000));
    run("insert into t values (2)");
    run("update t set a = 3");
    EXPECT_EQ(scalar("select count(*) from log"), "1");
    run("alter table t enable trigger t_del");
    EXPECT_EQ(scalar("select sysstat2 & 0x700000 from sysobjects where name = 't'"),
              std::to_string(0x100000));
    run("update t set a = 4");
    EXPECT_EQ(scalar("select count(*) from log"), "2");
    run("alter table t enable trigger");
    run("insert into t values (5)");
    EXPECT_EQ(scalar("select count(*) from log where what = 'ins'"), "1");
    EXPECT_EQ(error("alter table t disable trigger nosuch").number, 7777);
    // A new trigger for a disabled action starts enabled.
    run("alter table t disable trigger");
    run("create trigger t_ins2 on t for insert as insert log values ('ins2')");
    run("insert into t values (6)");
    EXPECT_EQ(scalar("select count(*) from log where what = 'ins2'"), "1");
}

TEST_F(LaterFeatures, InsteadOfTriggersRunInPlaceOfTheStatementOnTheView)
{
    run("create table base (id int, name varchar(20))");
    run("create table log (what varchar(10), id int, name varchar(20))");
    run("insert into base values (1, 'one')");
    run("create view v as select id, name from base");
    run("create trigger v_io on v instead of insert, update, delete as\n"
        "insert log select 'ins', id, name from inserted\n"
        "insert log select 'del', id, name from deleted\n"
        "insert base select id, upper(name) from inserted where id not in (select id from "
        "deleted)");
    // Stored like a table's trigger: type TR, its view in deltrig, the view's links set.
    EXPECT_EQ(rows("select o.type, object_name(o.deltrig) from sysobjects o where name = 'v_io'"),
              (Rows{"TR v"}));
    EXPECT_EQ(rows("select instrig - object_id('v_io'), updtrig - object_id('v_io'), "
                   "deltrig - object_id('v_io') from sysobjects where name = 'v'"),
              (Rows{"0 0 0"}));
    auto results = run("insert into v values (2, 'two')");
    EXPECT_EQ(results.back().rowCount, 1);
    EXPECT_EQ(rows("select id, name from base order by id"), (Rows{"1 one", "2 TWO"}));
    run("update v set name = 'uno' where id = 1");
    run("delete v where id = 2");
    EXPECT_EQ(rows("select what, id, name from log"),
              (Rows{"ins 2 two", "ins 1 uno", "del 1 one", "del 2 TWO"}));
    // The view's rows were changed only by the trigger.
    EXPECT_EQ(rows("select id, name from base order by id"), (Rows{"1 one", "2 TWO"}));
    EXPECT_EQ(error("create trigger t_io on base instead of insert as print 'x'").number, 7777);
    EXPECT_EQ(error("create trigger v_for on v for insert as print 'x'").number, 2108);
    // Without its trigger the view takes no insert again; dropping the view drops the trigger.
    run("create trigger v_io2 on v instead of delete as print 'deleting'");
    run("drop trigger v_io");
    EXPECT_EQ(error("insert into v values (3, 'three')").number, 4406);
    EXPECT_EQ(rows("select instrig, updtrig, deltrig - object_id('v_io2') from sysobjects "
                   "where name = 'v'"),
              (Rows{"0 0 0"}));
    run("drop view v");
    EXPECT_EQ(scalar("select count(*) from sysobjects where type = 'TR'"), "0");
}

TEST_F(LaterFeatures, ForeignKeysToAnotherDatabaseAreRecordedInBoth)
{
    run("create database db2");
    run("use db2");
    run("create table parent (id int primary key, code char(2) not null unique)");
    run("use db1");
    run("create table child (id int, code char(2), "
        "constraint child_parent foreign key (id) references db2..parent(id))");
    run("alter table child add constraint child_code foreign key (code) "
        "references db2.dbo.parent(code)");
    std::string db1 = scalar("select db_id('db1')"), db2 = scalar("select db_id('db2')");
    // Here: the referencing half, with the other database's id and name.
    EXPECT_EQ(rows("select object_name(constrid), tableid - object_id('child'), frgndbid, "
                   "pmrydbid, frgndbname, pmrydbname, fokey1, refkey1 from sysreferences "
                   "order by constrid"),
              (Rows{"child_parent 0 " + db1 + " " + db2 + " NULL db2 1 1",
                    "child_code 0 " + db1 + " " + db2 + " NULL db2 2 2"}));
    EXPECT_EQ(scalar("select sysstat2 & 2 from sysobjects where name = 'child'"), "2");
    // There: the referenced half, naming this database.
    EXPECT_EQ(rows("select reftabid - object_id('db2..parent'), frgndbname, pmrydbname, indexid "
                   "from db2..sysreferences order by constrid"),
              (Rows{"0 db1 NULL 1", "0 db1 NULL 2"}));
    EXPECT_EQ(scalar("select sysstat2 & 1 from db2..sysobjects where name = 'parent'"), "1");
    EXPECT_EQ(rows("select indid, status2 & 1 from db2..sysindexes where id = "
                   "object_id('db2..parent') order by indid"),
              (Rows{"1 1", "2 1"}));
    // Rows are not checked across databases; the referenced table cannot be dropped.
    run("insert into child values (99, 'zz')");
    run("use db2");
    EXPECT_EQ(error("drop table parent").number, 3712);
    run("use db1");
    run("alter table child drop constraint child_code");
    EXPECT_EQ(rows("select indid, status2 & 1 from db2..sysindexes where id = "
                   "object_id('db2..parent') order by indid"),
              (Rows{"1 1", "2 0"}));
    run("drop table child");
    EXPECT_EQ(scalar("select count(*) from db2..sysreferences"), "0");
    EXPECT_EQ(scalar("select sysstat2 & 1 from db2..sysobjects where name = 'parent'"), "0");
    EXPECT_EQ(error("create table orphan (id int references db2..nosuch(id))").number, 1710);
}

TEST_F(LaterFeatures, BigDateTimeAndBigTimeKeepMicroseconds)
{
    EXPECT_EQ(rows("select name, hierarchy, type, length, allownulls from systypes "
                   "where name like 'big%time%' order by hierarchy"),
              (Rows{"bigdatetime 37 189 8 0", "bigtime 38 190 8 0", "bigdatetimen 39 187 8 1",
                    "bigtimen 40 188 8 1"}));
    run("create table t (id int, at bigdatetime not null, late bigdatetime null, tod bigtime "
        "null)");
    EXPECT_EQ(rows("select name, type, length from syscolumns where id = object_id('t') "
                   "and colid > 1 order by colid"),
              (Rows{"at 189 8", "late 187 8", "tod 188 8"}));
    run("insert into t values (1, '2024-02-29 23:59:58.123456', NULL, '13:45:07.000001')");
    run("insert into t values (2, 'Jan 1 1900 12:00AM', '0001-01-01 00:00:00.000001', "
        "convert(bigtime, '00:00:00'))");
    // Values travel as microseconds: since 0000-01-01 and since midnight.
    ResultSet set = query("select at, late, tod from t order by id");
    ASSERT_EQ(set.columns.size(), 3u);
    EXPECT_EQ(set.columns[0].type, ColumnType::BigDateTime);
    EXPECT_FALSE(set.columns[0].nullable);
    EXPECT_EQ(set.columns[2].type, ColumnType::BigTime);
    constexpr int64_t kDay = 86400LL * 1000000;
    const int64_t days1900 = 693961;  // 0000-01-01 to 1900-01-01, year 0 a leap year
    EXPECT_EQ(set.rows[1][0].intValue, days1900 * kDay);
    EXPECT_EQ(set.rows[1][1].intValue, 366 * kDay + 1);
    EXPECT_EQ(set.rows[1][2].intValue, 0);
    EXPECT_TRUE(set.rows[0][1].isNull);
    EXPECT_EQ(set.rows[0][2].intValue, ((13 * 60 + 45) * 60 + 7) * 1000000LL + 1);
    EXPECT_EQ(set.rows[0][0].intValue % 1000000, 123456);
    // Comparisons and conversions see the microseconds.
    EXPECT_EQ(scalar("select id from t where at = '2024-02-29 23:59:58.123456'"), "1");
    EXPECT_EQ(scalar("select count(*) from t where at > '2024-02-29 23:59:58.123455'"), "1");
    EXPECT_EQ(scalar("select convert(varchar(40), at) from t where id = 1"),
              "Feb 29 2024 11:59:58.123456PM");
    EXPECT_EQ(scalar("select convert(varchar(20), tod) from t where id = 1"), " 1:45:07.000001PM");
    EXPECT_EQ(scalar("select convert(varchar(30), at, 23) from t where id = 1"),
              "2024-02-29T23:59:58");
    EXPECT_EQ(error("select convert(bigdatetime, 'not a date')").number, 249);
    EXPECT_EQ(scalar("select @@unicharsize"), "2");
}

TEST_F(LaterFeatures, RefusesWhatTheServerRefuses)
{
    EXPECT_EQ(error("create table t (flag bit null)").number, 7777);
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 't'"), "0");
    run("create table t (id int, flag bit)");
    EXPECT_EQ(error("alter table t add other bit null").number, 7777);
    EXPECT_EQ(error("create index t_flag on t (id, flag)").number, 7777);
    EXPECT_EQ(error("alter table t add constraint t_pk primary key (flag)").number, 7777);
    EXPECT_EQ(scalar("select count(*) from sysindexes where id = object_id('t')"), "1");
    // A user type that allows NULL cannot make an IDENTITY column; one that does not can.
    run("sp_addtype nullnum, 'numeric(10,0)', 'null'");
    run("sp_addtype idnum, 'numeric(10,0)', 'not null'");
    EXPECT_EQ(error("create table i1 (id nullnum identity)").number, 2751);
    run("create table i2 (id idnum identity)");
    // A view's select takes no ORDER BY.
    Message refused = error("create view v as select id from t order by id");
    EXPECT_EQ(refused.number, 156);
    EXPECT_EQ(refused.text, "Incorrect syntax near the keyword 'order'.");
    run("create view v as select id from t where id in (select id from t)");
}

}  // namespace
}  // namespace tdsim::test
