// What DDL, GRANT/REVOKE and the system procedures write into the catalog.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

using Ddl = UserDatabaseFixture;

TEST_F(Ddl, NewDatabaseHoldsBuiltInRows)
{
    EXPECT_EQ(rows("select segment, name, status from syssegments order by segment"),
              (Rows{"0 system 0", "1 default 1", "2 logsegment 0"}));
    Rows users = rows("select uid, gid, suid, name from sysusers where uid < 16384 order by uid");
    EXPECT_EQ(users, (Rows{"0 0 -2 public", "1 0 1 dbo"}));  // no guest in a user database
    EXPECT_EQ(scalar("select count(*) from master..sysusers where name = 'guest'"), "1");
    EXPECT_EQ(rows("select type, length, variable, allownulls from systypes where name in ('int', "
                   "'intn', 'sysname') order by name"),
              (Rows{"56 4 0 0", "38 4 0 1", "39 30 1 0"}));
    EXPECT_EQ(rows("select name, type, sysstat from sysobjects where id < 5 order by id"),
              (Rows{"sysobjects S  1", "sysindexes S  1", "syscolumns S  1", "systypes S  1"}));
    EXPECT_EQ(scalar("select dbid from master..sysdatabases where name = 'db1'"), "4");
    EXPECT_EQ(error("create database db1").number, 1801);
}

TEST_F(Ddl, CreateTableStoresNullableTypesAsTheirTwins)
{
    run("create table t (a int not null, b int null, c char(4) null, d numeric(7,2) null, "
        "e bit not null, f bit not null, g datetime null, h smallmoney null, i text null, "
        "j numeric(9,0) identity)");
    // name, status, type, length, usertype, prec, scale, offset sign
    EXPECT_EQ(
        rows("select name, status, type, length, usertype, isnull(prec, -1), isnull(scale, -1), "
             "sign(offset) from syscolumns where id = object_id('t') order by colid"),
        (Rows{"a 0 56 4 7 -1 -1 0", "b 8 38 4 7 -1 -1 -1", "c 8 39 4 1 -1 -1 -1",
              "d 8 108 4 10 7 2 -1", "e 0 50 1 16 -1 -1 1", "f 1 50 1 16 -1 -1 1",
              "g 8 111 8 12 -1 -1 -1", "h 8 110 4 21 -1 -1 -1", "i 8 35 16 19 -1 -1 -1",
              "j 128 63 5 10 9 0 1"}));
    EXPECT_EQ(scalar("select offset from syscolumns where id = object_id('t') and name = 'a'"),
              "0");
    EXPECT_EQ(rows("select sysstat, sysstat2 from sysobjects where name = 't'"),
              (Rows{"3 " + std::to_string(0x2000 | 0x10000 | 0x40)}));
    EXPECT_EQ(rows("select name, indid, segment, status from sysindexes where id = object_id('t') "
                   "order by indid"),
              (Rows{"t 0 1 0", "tt 255 1 0"}));
    run("create table fixed (a int not null, b char(3) not null)");
    EXPECT_EQ(scalar("select sysstat2 & 512 from sysobjects where name = 'fixed'"), "512");
}

TEST_F(Ddl, ClusteredIndexTakesOverTheTableRow)
{
    run("create table t (a int not null, b varchar(10) not null, c int null)");
    run("create clustered index t_ci on t (b, a)");
    run("create unique index t_u on t (c) with ignore_dup_key");
    run("create index t_n on t (a desc)");
    EXPECT_EQ(rows("select name, indid, status, keycnt from sysindexes where id = object_id('t') "
                   "order by indid"),
              (Rows{"t_ci 1 16 2", "t_u 2 3 2", "t_n 3 0 2"}));
    EXPECT_EQ(scalar("select sysstat2 & 131072 from sysobjects where name = 't'"), "131072");
    EXPECT_EQ(error("create clustered index t_ci2 on t (c)").number, 1902);
    EXPECT_EQ(error("create index t_n on t (c)").number, 1913);
    run("drop index t.t_ci");
    EXPECT_EQ(rows("select name, indid from sysindexes where id = object_id('t') order by indid"),
              (Rows{"t 0", "t_u 2", "t_n 3"}));
    EXPECT_EQ(scalar("select sysstat2 & 131072 from sysobjects where name = 't'"), "0");
    // The unique index is enforced.
    run("insert t values (1, 'x', 5)");
    auto ignored = run("insert t values (2, 'y', 5)");  // ignore_dup_key: dropped with a warning
    ASSERT_FALSE(ignored[0].messages.empty());
    EXPECT_EQ(ignored[0].messages[0].number, 3604);
    EXPECT_EQ(scalar("select count(*) from t"), "1");
    run("create unique index t_strict on t (b)");
    EXPECT_EQ(error("insert t values (3, 'x', 6)").number, 2601);
}

TEST_F(Ddl, FailedStatementLeavesNoTrace)
{
    EXPECT_EQ(error("create table bad (a int, b nosuchtype)").number, 2715);
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'bad'"), "0");
    EXPECT_EQ(scalar("select count(*) from syscolumns where name = 'a'"), "0");
    run("create table good (a int)");
    EXPECT_EQ(error("create table good (b int)").number, 2714);
    EXPECT_EQ(error("create index gi on good (a, nosuch)").number, 1911);
    EXPECT_EQ(scalar("select count(*) from sysindexes where name = 'gi'"), "0");
    EXPECT_EQ(error("create table two_ids (a numeric(5,0) identity, b int identity)").number, 2751);
    EXPECT_EQ(error("drop table nosuch").number, 3701);
    // Earlier statements of a batch stay done when a later one fails.
    auto results =
        session->execute("create table first_one (a int)\ncreate index gi on good (a, nosuch)");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0].failed);
    EXPECT_TRUE(results[1].failed);
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'first_one'"), "1");
}

TEST_F(Ddl, TextObjectsKeepTheirTextAndTriggersLinkToTables)
{
    std::string viewText = "create view v1\nas select a = 1, b = 'x'  -- comment kept\n";
    run(viewText);
    EXPECT_EQ(scalar("select text from syscomments where id = object_id('v1')"),
              "create view v1\nas select a = 1, b = 'x'");
    EXPECT_EQ(
        rows("select name, type, length from syscolumns where id = object_id('v1') order by colid"),
        (Rows{"a 56 4", "b 39 1"}));
    run("create table t (a int)");
    run("create trigger ti on t for insert, update as print 'x'");
    std::string ti = id("ti");
    EXPECT_EQ(rows("select instrig, updtrig, deltrig from sysobjects where name = 't'"),
              (Rows{ti + " " + ti + " 0"}));
    EXPECT_EQ(scalar("select deltrig from sysobjects where name = 'ti'"), id("t"));
    EXPECT_EQ(scalar("select sysstat from sysobjects where name = 'ti'"), "8");
    run("create trigger tu on t for update as print 'y'");  // replaces the update link
    EXPECT_EQ(scalar("select updtrig from sysobjects where name = 't'"), id("tu"));
    run("drop trigger tu");
    EXPECT_EQ(scalar("select updtrig from sysobjects where name = 't'"), "0");
    run("drop table t");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name in ('t', 'ti')"), "0");
    std::string longBody(700, 'x');
    run("create procedure p as select '" + longBody + "'");
    EXPECT_EQ(rows("select colid, datalength(text) from syscomments where id = object_id('p') "
                   "order by colid"),
              (Rows{"1 255", "2 255", "3 221"}));
    run("create rule r1 as @v in (1, 2)\n");
    EXPECT_EQ(rows("select type, sysstat from sysobjects where name = 'r1'"), (Rows{"R  7"}));
}

TEST_F(Ddl, GrantAndRevokeWriteSysprotects)
{
    run("exec sp_addlogin u1, 'pw'\nexec sp_addgroup g1\nexec sp_adduser u1, u1, g1");
    run("create table t (a int, b int, c int)");
    run("create procedure p as select 1");
    run("grant select on t to public");
    run("grant update (b, c) on t to g1 with grant option");
    run("grant all on p to u1");
    run("grant create table to u1");
    EXPECT_EQ(rows("select user_name(uid), action, protecttype, isnull(convert(varchar(10), "
                   "columns), 'NULL') "
                   "from sysprotects where id = 0 or id > 99 order by id, action, uid"),
              (Rows{"u1 198 1 NULL", "public 193 1 \x01", "g1 197 0 \x0c", "u1 224 1 NULL"}));
    // A revoke of a grant removes it; one covered by public is recorded as an exception.
    run("revoke all on p from u1");
    run("revoke select on t from u1");
    EXPECT_EQ(rows("select user_name(uid), action, protecttype from sysprotects where id > 99 "
                   "order by action, uid"),
              (Rows{"public 193 1", "u1 193 2", "g1 197 0"}));
    run("grant select on t to u1");
    EXPECT_EQ(
        rows("select protecttype from sysprotects where uid = user_id('u1') and action = 193"),
        (Rows{"1"}));
    EXPECT_EQ(error("grant select on t to nobody").number, 4604);
    EXPECT_EQ(error("grant select on nosuch to public").number, 208);
}

TEST_F(Ddl, UsersGroupsAndTypes)
{
    run("exec sp_addlogin a1, 'x'\nexec sp_addlogin a2, 'x'\nexec sp_addgroup grp");
    EXPECT_EQ(rows("select uid, gid, suid from sysusers where name = 'grp'"),
              (Rows{"16390 16390 -2"}));
    run("exec sp_adduser a1, a1, grp\nexec sp_adduser a2, alias2");
    EXPECT_EQ(rows("select name, uid, gid from sysusers where uid between 3 and 100 order by uid"),
              (Rows{"a1 3 16390", "alias2 4 0"}));
    EXPECT_EQ(error("exec sp_dropgroup grp").number, 17290);
    run("exec sp_changegroup public, a1\nexec sp_dropgroup grp\nexec sp_dropuser alias2");
    EXPECT_EQ(scalar("select count(*) from sysusers where name in ('grp', 'alias2')"), "0");
    EXPECT_EQ(error("exec sp_adduser nologin").number, 17232);

    run("exec sp_addtype t_code, 'char(4)', 'null'\nexec sp_addtype t_id, 'numeric(8,0)', "
        "identity\n"
        "exec sp_addtype t_plain, int");
    EXPECT_EQ(rows("select name, usertype, type, length, allownulls, isnull(prec, -1), ident from "
                   "systypes "
                   "where usertype >= 100 order by usertype"),
              (Rows{"t_code 100 47 4 1 -1 0", "t_id 101 63 5 0 8 1", "t_plain 102 56 4 0 -1 0"}));
    run("create table uses (c t_code, i t_id, p t_plain)");
    EXPECT_EQ(rows("select name, status, type, usertype from syscolumns where id = "
                   "object_id('uses') order by colid"),
              (Rows{"c 8 39 100", "i 128 63 101", "p 0 56 102"}));
    EXPECT_EQ(error("exec sp_droptype t_code").number, 17462);
    // Three arguments at most: the third is "identity" or the null type.
    EXPECT_EQ(error("EXECUTE sp_addtype t_four,\"varchar(11)\",NULL,\"NULL\"").number, 8144);
    run("EXECUTE sp_addtype t_four,\"varchar(11)\",\"NULL\"");
    EXPECT_EQ(scalar("select allownulls from systypes where name = 't_four'"), "1");
    EXPECT_EQ(error("exec sp_addtype t_code, int").number, 17368);
}

TEST_F(Ddl, BindingRulesAndDefaults)
{
    run("exec sp_addtype money_t, money");
    run("create rule r as @v > 0");
    run("create default d as 1");
    run("create table t (a money_t, b money_t, c int)");
    run("exec sp_bindrule r, 't.c'");
    std::string rule = id("r"), deflt = id("d");
    EXPECT_EQ(scalar("select domain from syscolumns where name = 'c'"), rule);
    EXPECT_EQ(scalar("select schemacnt from sysobjects where name = 't'"), "1");
    run("exec sp_bindrule r, money_t");  // existing columns of the type follow
    EXPECT_EQ(rows("select name, domain from syscolumns where id = object_id('t') order by colid"),
              (Rows{"a " + rule, "b " + rule, "c " + rule}));
    EXPECT_EQ(scalar("select domain from systypes where name = 'money_t'"), rule);
    run("exec sp_bindefault d, money_t, futureonly");  // existing columns do not
    EXPECT_EQ(scalar("select cdefault from syscolumns where name = 'a'"), "0");
    EXPECT_EQ(scalar("select tdefault from systypes where name = 'money_t'"), deflt);
    EXPECT_EQ(error("drop rule r").number, 3716);
    run("exec sp_unbindrule 't.c'");
    EXPECT_EQ(scalar("select domain from syscolumns where name = 'c'"), "0");
    // A default bound to a column is used on insert (by the next batch).
    run("exec sp_bindefault d, 't.c'");
    run("insert t (a, b) values ($2, $3)");
    EXPECT_EQ(scalar("select c from t"), "1");
}

TEST_F(Ddl, HelpProceduresDescribeObjects)
{
    run("create table t (id int not null, name varchar(20) null, amount numeric(8,2) null)\n"
        "create unique clustered index t_pk on t (id)");
    auto results = run("exec sp_help t");
    std::vector<const ResultSet*> sets;
    for (const auto& result : results) {
        if (result.resultSet)
            sets.push_back(&*result.resultSet);
    }
    ASSERT_EQ(sets.size(), 3u);
    const ResultSet& columns = *sets[1];
    ASSERT_GE(columns.columns.size(), 6u);
    EXPECT_EQ(columns.columns[0].name, "Column_name");
    EXPECT_EQ(columns.columns[2].name, "Length");
    EXPECT_EQ(columns.columns[2].type, ColumnType::Int);  // FreeTDS tools read it as an int
    EXPECT_EQ(columns.columns[5].name, "Nulls");
    EXPECT_EQ(columns.columns[5].type, ColumnType::Int);
    ASSERT_EQ(columns.rows.size(), 3u);
    EXPECT_EQ(text(columns.rows[1][1]), "varchar");
    EXPECT_EQ(columns.rows[1][5].intValue, 1);
    EXPECT_EQ(text(columns.rows[2][3]), "8    ");
    EXPECT_EQ(sets[2]->columns[0].name, "index_name");
    EXPECT_EQ(text(sets[2]->rows[0][1]), "clustered, unique located on default");
    EXPECT_EQ(results.back().returnStatus.value_or(-1), 0);

    run("create procedure p @a int as select @a");
    auto text = run("exec sp_helptext p");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text[0].resultSet->rows[0][0].intValue, 1);
    EXPECT_EQ(text[1].resultSet->rows[0][0].bytes, "create procedure p @a int as select @a");
}

// Scripts in the layout Skelder writes run back into the server.
TEST_F(Ddl, ScriptsInTheClientLayoutRunBack)
{
    std::string script =
        "\nUSE db1\nGO\n"
        "EXECUTE sp_addgroup sales\nGO\n"
        "EXECUTE sp_addtype ssn,\"varchar(11)\",\"NONULL\"\nGO\n"
        "EXECUTE sp_addtype row_id,\"numeric(10,0)\",\"identity\"\nGO\n"
        "\n/************ items ************/\n"
        "IF EXISTS(SELECT * FROM db1.dbo.sysobjects WHERE name = \"items\" AND type = \"U\")\n"
        "  DROP TABLE items\nGO\n\n"
        "CREATE TABLE dbo.items\n(\n"
        " item_id                       varchar(6)                   NOT NULL,\n"
        " price                         numeric(10,2)                NULL,\n"
        " serial                        numeric(10,0) identity       NOT NULL,\n"
        " owner_ssn                     ssn                          NOT NULL\n)\nGO\n"
        "CREATE UNIQUE CLUSTERED INDEX items_pk ON items\n(item_id,serial)\n"
        "WITH IGNORE_DUP_KEY, SORTED_DATA\nON 'default'\nGO\n"
        "GRANT SELECT,UPDATE ON items TO sales\nGO\n"
        "GRANT SELECT ON items TO public\nGO\n";
    std::vector<Message> errors = engine->runScript(script);
    for (const Message& message : errors)
        ADD_FAILURE() << message.number << ": " << message.text;
    EXPECT_EQ(rows("select name, status, usertype from syscolumns where id = object_id('items') "
                   "order by colid"),
              (Rows{"item_id 0 2", "price 8 10", "serial 128 10", "owner_ssn 0 100"}));
    EXPECT_EQ(rows("select status from sysindexes where name = 'items_pk'"),
              (Rows{std::to_string(0x1 | 0x2 | 0x10 | 0x200)}));
    EXPECT_EQ(scalar("select count(*) from sysprotects where id = object_id('items')"), "3");
    // Running it again drops and re-creates the table.
    errors = engine->runScript("USE db1\nGO\n" + script.substr(script.find("\n/****")));
    EXPECT_TRUE(errors.empty());
}

TEST_F(Ddl, StatsProcedureCountsAndResets)
{
    run("select 1\nselect 2");
    auto before = run("exec sp_tdsim_stats");
    ASSERT_TRUE(before[0].resultSet);
    EXPECT_EQ(before[0].resultSet->columns[1].name, "statements");
    EXPECT_GE(before[0].resultSet->rows[0][1].intValue, 3);
    run("exec sp_tdsim_stats 'reset'");
    auto after = run("sp_tdsim_stats");
    EXPECT_LE(after[0].resultSet->rows[0][1].intValue, 1);
}

}  // namespace
}  // namespace tdsim::test
