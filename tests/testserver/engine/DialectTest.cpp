// Transact-SQL semantics the client never sends but scripts and tools rely on,
// checked against the server product's documented behaviour.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class Dialect : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        run("create database d\n");
        run("use d");
        run("create table titles (title_id char(6) not null, title varchar(40) not null, "
            "price money null, pub_id int null)\n"
            "create table sales (stor_id char(4) not null, title_id char(6) not null, qty int not "
            "null)\n"
            "create table pubs (pub_id int not null, pub_name varchar(20) null)");
        run("insert titles values ('T1', 'Alpha', 10.00, 1)\n"
            "insert titles values ('T2', 'beta', 20.50, 1)\n"
            "insert titles values ('T3', 'Gamma', null, 2)\n"
            "insert titles values ('T4', 'delta', 5.25, null)\n"
            "insert sales values ('7066', 'T1', 5)\n"
            "insert sales values ('7066', 'T2', 3)\n"
            "insert sales values ('8000', 'T1', 7)\n"
            "insert pubs values (1, 'First')\n"
            "insert pubs values (2, null)");
    }
    std::vector<std::string> pairs(const std::string& batch)
    {
        std::vector<std::string> out;
        for (const Row& row : query(batch).rows) {
            std::string line;
            for (size_t i = 0; i < row.size(); ++i)
                line += (i ? "|" : "") + text(row[i]);
            out.push_back(line);
        }
        return out;
    }
};

TEST_F(Dialect, OldStyleOuterJoinKeepsEveryOuterRow)
{
    // The restriction on the inner table belongs to the join: all four titles stay.
    EXPECT_EQ(
        pairs("select t.title_id, s.qty from titles t, sales s where t.title_id *= s.title_id "
              "and s.stor_id = '7066' order by t.title_id"),
        (Rows{"T1    |5", "T2    |3", "T3    |NULL", "T4    |NULL"}));
    // A restriction on the outer table filters.
    EXPECT_EQ(
        pairs("select t.title_id, s.qty from titles t, sales s where t.title_id *= s.title_id "
              "and t.pub_id = 1 and s.stor_id = '8000' order by 1"),
        (Rows{"T1    |7", "T2    |NULL"}));
    // =* is the right outer join.
    EXPECT_EQ(
        pairs("select p.pub_name, t.title_id from titles t, pubs p where t.pub_id =* p.pub_id "
              "and t.price > 15 order by p.pub_id"),
        (Rows{"First|T2    ", "NULL|NULL"}));
    // ANSI joins behave the same way.
    EXPECT_EQ(
        pairs("select t.title_id, p.pub_name from titles t left join pubs p on t.pub_id = p.pub_id "
              "order by t.title_id"),
        (Rows{"T1    |First", "T2    |First", "T3    |NULL", "T4    |NULL"}));
    EXPECT_EQ(pairs("select count(*) from titles t join sales s on t.title_id = s.title_id"),
              (Rows{"3"}));
}

TEST_F(Dialect, ConcatenationTreatsNullAsEmptyAndEmptyAsBlank)
{
    EXPECT_EQ(scalar("select 'abc' + null"), "abc");
    EXPECT_EQ(scalar("select null + 'x'"), "x");
    EXPECT_EQ(scalar("select 'abc' + '' + 'def'"), "abc def");  // '' is a single blank
    EXPECT_EQ(
        pairs("select title_id + ':' + pub_name from titles t, pubs p where t.pub_id = p.pub_id "
              "and p.pub_id = 2"),
        (Rows{"T3    :"}));  // char(6) keeps its blanks
    EXPECT_EQ(error("select 'a' + 1").number, 257);
}

TEST_F(Dialect, ConvertPadsTruncatesAndChecks)
{
    ResultSet padded = query("select convert(char(5), 'ab'), convert(varchar(2), 'abcdef')");
    EXPECT_EQ(padded.rows[0][0].bytes, "ab   ");
    EXPECT_EQ(padded.columns[0].type, ColumnType::Char);
    EXPECT_EQ(padded.columns[0].length, 5);
    EXPECT_EQ(padded.rows[0][1].bytes, "ab");
    EXPECT_EQ(scalar("select convert(int, '42')"), "42");
    EXPECT_EQ(scalar("select convert(int, 7.9)"), "7");
    EXPECT_EQ(scalar("select convert(bit, 12)"), "1");
    EXPECT_EQ(scalar("select convert(varchar(10), 12) + 'x'"), "12x");
    EXPECT_EQ(scalar("select convert(varchar(10), $12.5)"), "12.50");
    EXPECT_EQ(scalar("select convert(varchar(20), convert(datetime, '2024-03-05 14:07:00'), 101)"),
              "03/05/2024");
    EXPECT_EQ(scalar("select convert(char(19), convert(datetime, 'Mar  5 2024  2:07PM'))"),
              "Mar  5 2024  2:07PM");
    EXPECT_EQ(error("select convert(int, 'abc')").number, 249);
    EXPECT_EQ(error("select convert(smallint, 40000)").number, 247);
    EXPECT_EQ(error("select convert(tinyint, -1)").number, 247);
}

TEST_F(Dialect, IntegerArithmeticAndOperators)
{
    EXPECT_EQ(scalar("select 7 / 2"), "3");
    EXPECT_EQ(scalar("select -7 / 2"), "-3");
    EXPECT_EQ(scalar("select 7 % 3"), "1");
    EXPECT_EQ(scalar("select 13 & 6"), "4");
    EXPECT_EQ(scalar("select 12 | 3"), "15");
    EXPECT_EQ(scalar("select 6 ^ 3"), "5");
    EXPECT_EQ(scalar("select 8 / 4 + 2 * 3"), "8");
    EXPECT_EQ(
        scalar("select status & 0x80 from master..syscolumns where 1 = 1 and id = 1 and colid = 1"),
        "0");
    ResultSet typed = query("select 1 + 2, 1.5 * 2, 2 * 1e0");
    EXPECT_EQ(typed.columns[0].type, ColumnType::Int);
    EXPECT_EQ(typed.columns[1].type, ColumnType::Numeric);
    EXPECT_EQ(typed.columns[2].type, ColumnType::Float);
    EXPECT_EQ(error("select 1 / 0").number, 3607);
}

TEST_F(Dialect, PredicatesAndNullComparison)
{
    EXPECT_EQ(column("select title_id from titles where title like '[a-c]%' order by 1"),
              (Rows{"T2    "}));
    EXPECT_EQ(column("select title_id from titles where title like 'A%' order by 1"),
              (Rows{"T1    "}));
    EXPECT_EQ(column("select title_id from titles where title not like '%a' order by 1"), Rows{});
    EXPECT_EQ(column("select title_id from titles where title like '_eta'"), (Rows{"T2    "}));
    EXPECT_EQ(column("select title_id from titles where price between 5 and 10 order by 1"),
              (Rows{"T1    ", "T4    "}));
    EXPECT_EQ(column("select title_id from titles where pub_id in (2, 3)"), (Rows{"T3    "}));
    EXPECT_EQ(column("select title_id from titles where price = null"), (Rows{"T3    "}));
    EXPECT_EQ(column("select title_id from titles where price is not null and pub_id is null"),
              (Rows{"T4    "}));
    EXPECT_EQ(column("select title_id from titles where title_id = 'T1'"),
              (Rows{"T1    "}));  // blanks ignored
    EXPECT_EQ(
        column(
            "select title_id from titles t where exists (select * from sales s where s.title_id = "
            "t.title_id) order by 1"),
        (Rows{"T1    ", "T2    "}));
    EXPECT_EQ(column("select title_id from titles where title_id not in (select title_id from "
                     "sales) order by 1"),
              (Rows{"T3    ", "T4    "}));
    EXPECT_TRUE(query("select * from titles where 1=2").rows.empty());
}

TEST_F(Dialect, GroupingOrderingAndDistinct)
{
    EXPECT_EQ(pairs("select title_id, count(*), sum(qty), min(stor_id), max(qty) from sales group "
                    "by title_id "
                    "order by title_id"),
              (Rows{"T1    |2|12|7066|7", "T2    |1|3|7066|3"}));
    EXPECT_EQ(
        pairs("select stor_id, total = sum(qty) from sales group by stor_id having sum(qty) > 7"),
        (Rows{"7066|8"}));
    EXPECT_EQ(column("select distinct stor_id from sales order by stor_id desc"),
              (Rows{"8000", "7066"}));
    EXPECT_EQ(column("select title from titles order by 1"),
              (Rows{"Alpha", "Gamma", "beta", "delta"}));
    EXPECT_EQ(column("select title from titles order by upper(title)"),
              (Rows{"Alpha", "beta", "delta", "Gamma"}));
    EXPECT_EQ(column("select name = title from titles order by name desc").front(), "delta");
    EXPECT_EQ(
        column("select title_id from titles union select title_id from sales order by 1").size(),
        4u);
    // A derived table keeps every select of its UNION.
    EXPECT_EQ(column("select count(*) from (select 1 n union all select 2 union select 2) d"),
              (Rows{"2"}));
    ResultSet star = query("select * from sales");
    EXPECT_EQ(star.columns.size(), 3u);
    EXPECT_EQ(star.columns[2].name, "qty");
}

TEST_F(Dialect, StringFunctions)
{
    EXPECT_EQ(scalar("select rtrim('ab  ') + 'c'"), "abc");
    EXPECT_EQ(scalar("select rtrim('   ')"), "NULL");  // an empty result is NULL
    EXPECT_EQ(scalar("select ltrim('  ab')"), "ab");
    EXPECT_EQ(scalar("select upper('abC') + lower('XyZ')"), "ABCxyz");
    EXPECT_EQ(scalar("select substring('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(scalar("select substring('abcdef', 5, 10)"), "ef");
    EXPECT_EQ(scalar("select substring('abcdef', 10, 2)"), "NULL");
    EXPECT_EQ(scalar("select substring('abcdef', 0, 2)"), "a");
    EXPECT_EQ(scalar("select ascii('A')"), "65");
    EXPECT_EQ(scalar("select char(66)"), "B");
    EXPECT_EQ(scalar("select char_length('abc')"), "3");
    EXPECT_EQ(scalar("select datalength('abcd')"), "4");
    EXPECT_EQ(scalar("select datalength(title_id) from titles where title_id = 'T1'"), "6");
    EXPECT_EQ(scalar("select isnull(null, 'x')"), "x");
    EXPECT_EQ(scalar("select isnull(price, 0) from titles where title_id = 'T3'"), "0");
    EXPECT_EQ(error("select nosuchfunction(1)").number, 195);
}

TEST_F(Dialect, CatalogFunctions)
{
    std::string id = scalar("select id from sysobjects where name = 'titles'");
    EXPECT_EQ(scalar("select object_id('titles')"), id);
    EXPECT_EQ(scalar("select object_id('dbo.titles')"), id);
    EXPECT_EQ(scalar("select object_id('d.dbo.titles')"), id);
    EXPECT_EQ(scalar("select object_id('d..titles')"), id);
    EXPECT_EQ(scalar("select object_id('nosuch')"), "NULL");
    EXPECT_EQ(scalar("select object_id('master..sysobjects')"), "1");
    EXPECT_EQ(scalar("select object_name(" + id + ")"), "titles");
    EXPECT_EQ(scalar("select col_name(" + id + ", 2)"), "title");
    EXPECT_EQ(scalar("select user_name(1)"), "dbo");
    EXPECT_EQ(scalar("select user_name()"), "dbo");
    EXPECT_EQ(scalar("select user_id('public')"), "0");
    EXPECT_EQ(scalar("select db_name()"), "d");
    EXPECT_EQ(scalar("select db_name(1)"), "master");
    EXPECT_EQ(scalar("select db_id('tempdb')"), "2");
    EXPECT_EQ(scalar("select suser_name()"), "sa");
    EXPECT_EQ(scalar("select suser_name(1)"), "sa");
    run("create unique index titles_ix on titles (pub_id, title_id)");
    EXPECT_EQ(scalar("select index_col('titles', 2, 1)"), "pub_id");
    EXPECT_EQ(scalar("select index_col('titles', 2, 2)"), "title_id");
    EXPECT_EQ(scalar("select index_col('titles', 2, 3)"), "NULL");  // past the keys
    EXPECT_EQ(scalar("select index_col('titles', 2, 1, 1)"), "pub_id");
    ResultSet now = query("select getdate()");
    EXPECT_EQ(now.columns[0].type, ColumnType::DateTime);
    EXPECT_GT(now.rows[0][0].dateTime.days, 40000);  // after 2009
}

TEST_F(Dialect, QuotedIdentifierSwitchesDoubleQuotes)
{
    EXPECT_EQ(scalar("select \"title\" from titles where title_id = 'T1'"), "title");  // a string
    run("set quoted_identifier on");
    EXPECT_EQ(scalar("select \"title\" from titles where title_id = 'T1'"), "Alpha");  // a column
    EXPECT_EQ(scalar("select [title] from [titles] where title_id = 'T1'"), "Alpha");
    // A procedure keeps the setting it was created with.
    run("create procedure qi as select \"title\" from titles where title_id = 'T1'");
    run("set quoted_identifier off");
    auto results = run("exec qi");
    ASSERT_TRUE(results[0].resultSet);
    EXPECT_EQ(text(results[0].resultSet->rows[0][0]), "Alpha");
}

TEST_F(Dialect, VariablesControlFlowAndGlobals)
{
    auto results =
        run("declare @n int, @s varchar(10)\n"
            "select @n = count(*) from titles\n"
            "if @n > 3\n begin\n select @s = 'many'\n end\nelse\n select @s = 'few'\n"
            "select @n, @s, @@rowcount");
    ResultSet last = *results.back().resultSet;
    EXPECT_EQ(text(last.rows[0][0]), "4");
    EXPECT_EQ(text(last.rows[0][1]), "many");
    EXPECT_EQ(text(last.rows[0][2]), "1");
    EXPECT_EQ(scalar("if not exists (select * from titles where title_id = 'T9') select 'absent' "
                     "else select 'present'"),
              "absent");
    EXPECT_EQ(error("select @undeclared").number, 137);
    auto failed = session->execute("select * from nosuch\nselect @@error");
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_TRUE(failed[0].failed);
    EXPECT_EQ(failed[1].resultSet->rows[0][0].intValue, 208);
}

TEST_F(Dialect, ProceduresRunWithParametersAndReturnStatus)
{
    run("create procedure price_of @id char(6), @price money output as\n"
        "select @price = price from titles where title_id = @id\nreturn 3");
    auto results = run("declare @p money\nexec price_of 'T2', @p output\nselect @p");
    ASSERT_GE(results.size(), 2u);
    bool sawStatus = false;
    for (const auto& result : results) {
        if (result.returnStatus) {
            EXPECT_EQ(*result.returnStatus, 3);
            EXPECT_TRUE(result.isProcedure);
            ASSERT_EQ(result.outputParams.size(), 1u);
            EXPECT_EQ(result.outputParams[0].first.name, "@price");
            EXPECT_EQ(result.outputParams[0].first.type, ColumnType::Money);
            EXPECT_EQ(result.outputParams[0].second.intValue, 205000);
            sawStatus = true;
        }
    }
    EXPECT_TRUE(sawStatus);
    EXPECT_EQ(results.back().resultSet->rows[0][0].intValue, 205000);  // money x 10000
    EXPECT_EQ(error("exec no_such_proc").number, 2812);
    EXPECT_EQ(error("exec price_of").number, 201);
}

TEST_F(Dialect, DataModificationAndErrors)
{
    auto updated = run("update titles set price = price * 2 where pub_id = 1");
    EXPECT_EQ(updated[0].rowCount, 2);
    EXPECT_EQ(scalar("select price from titles where title_id = 'T2'"), "410000");
    run("update titles set price = s.qty from titles, sales s where titles.title_id = s.title_id "
        "and s.stor_id = '8000'");
    EXPECT_EQ(scalar("select price from titles where title_id = 'T1'"), "70000");
    auto deleted =
        run("delete sales from sales, titles where sales.title_id = titles.title_id and "
            "titles.title = 'beta'");
    EXPECT_EQ(deleted[0].rowCount, 1);
    EXPECT_EQ(scalar("select count(*) from sales"), "2");
    EXPECT_EQ(error("insert titles (title_id) values ('T9')").number, 233);  // title not null
    EXPECT_EQ(error("insert titles values ('T9', 'x', 1, 1, 1)").number, 213);
    EXPECT_EQ(error("insert sales values ('1', 'T1', 'abc')").number, 257);
    EXPECT_EQ(error("select nocolumn from titles").number, 207);
    EXPECT_EQ(error("select title_id from titles, sales").number, 209);
    EXPECT_EQ(error("select * from nosuch").number, 208);
    run("create table ids (id numeric(6,0) identity, v varchar(5) null)\n"
        "insert ids (v) values ('a')\ninsert ids (v) values ('b')");
    EXPECT_EQ(scalar("select @@identity"), "2");
    EXPECT_EQ(column("select id from ids order by id"), (Rows{"1", "2"}));
    EXPECT_EQ(error("insert ids (id, v) values (5, 'c')").number, 584);
    EXPECT_EQ(error("insert ids (v) values (123)").number, 257);
    run("insert sales select '9999', title_id, 1 from titles where pub_id = 2");
    EXPECT_EQ(scalar("select count(*) from sales where stor_id = '9999'"), "1");
}

TEST_F(Dialect, DateFunctionsAndComparisons)
{
    run("create table ev (d datetime not null, s smalldatetime null)\n"
        "insert ev values ('2024-01-15 10:30:29', '2024-01-15 10:30:29')\n"
        "insert ev values ('Mar 10 2024 4:45PM', null)");
    EXPECT_EQ(column("select datepart(year, d) from ev order by d"), (Rows{"2024", "2024"}));
    EXPECT_EQ(column("select datename(month, d) from ev order by d"), (Rows{"January", "March"}));
    EXPECT_EQ(column("select datepart(dw, d) from ev order by d"),
              (Rows{"2", "1"}));  // Monday, Sunday
    EXPECT_EQ(column("select datediff(day, '2024-01-01', d) from ev order by d"),
              (Rows{"14", "69"}));
    EXPECT_EQ(column("select convert(varchar(20), dateadd(month, 1, d), 112) from ev order by d"),
              (Rows{"20240215", "20240410"}));
    EXPECT_EQ(column("select convert(varchar(20), d, 108) from ev where d > 'Feb 1 2024'"),
              (Rows{"16:45:00"}));
    EXPECT_EQ(scalar("select convert(varchar(20), s, 108) from ev where s is not null"),
              "10:30:00");
    EXPECT_EQ(error("insert ev values ('2023-02-30', null)").number, 249);
}

TEST_F(Dialect, ViewsFormatOnlyAndTextSize)
{
    run("create view pub_titles (pub, n, top_price) as select p.pub_name, count(*), max(t.price) "
        "from pubs p, titles t where p.pub_id = t.pub_id group by p.pub_name");
    ResultSet view = query("select * from pub_titles order by n desc");
    ASSERT_EQ(view.columns.size(), 3u);
    EXPECT_EQ(view.columns[1].name, "n");
    EXPECT_EQ(view.columns[2].type, ColumnType::Money);
    EXPECT_EQ(text(view.rows[0][0]), "First");
    EXPECT_EQ(text(view.rows[0][1]), "2");
    EXPECT_EQ(error("insert pub_titles values ('x', 1, 1)").number, 4406);
    run("set fmtonly on");
    ResultSet described = query("select * from titles");
    EXPECT_EQ(described.columns.size(), 4u);
    EXPECT_TRUE(described.rows.empty());
    run("set fmtonly off\ncreate table notes (body text null)\ninsert notes values "
        "('0123456789')\nset textsize 4");
    EXPECT_EQ(scalar("select body from notes"), "0123");
    auto loop =
        run("declare @i int select @i = 0 while @i < 5 begin select @i = @i + 1 end select @i");
    EXPECT_EQ(text(loop.back().resultSet->rows[0][0]), "5");
}

TEST_F(Dialect, TriggersSeeInsertedAndDeletedRows)
{
    run("create table acct (id int not null, bal int not null)\n"
        "create table audit (id int null, what varchar(10) null, old int null, new int null)");
    run("create trigger acct_ins on acct for insert as\n"
        "insert audit select id, 'ins', null, bal from inserted");
    run("create trigger acct_upd on acct for update as\n"
        "insert audit select i.id, 'upd', d.bal, i.bal from inserted i, deleted d where i.id = "
        "d.id");
    run("create trigger acct_del on acct for delete as\n"
        "if exists (select * from deleted where bal > 100)\n"
        "begin\n print 'refused'\n rollback transaction\nend\n"
        "else insert audit select id, 'del', bal, null from deleted");
    auto inserted = run("insert acct values (1, 10)\nselect @@rowcount");
    EXPECT_EQ(text(inserted.back().resultSet->rows[0][0]), "1");
    run("update acct set bal = bal + 5");
    run("delete acct where id = 1");
    EXPECT_EQ(pairs("select id, what, old, new from audit order by what"),
              (Rows{"1|del|15|NULL", "1|ins|NULL|10", "1|upd|10|15"}));

    run("insert acct values (2, 500)");
    auto refused = session->execute("delete acct where id = 2\nselect 'not reached'");
    bool sawPrint = false, sawAbort = false;
    for (const auto& result : refused) {
        for (const auto& message : result.messages) {
            sawPrint = sawPrint || message.text == "refused";
            sawAbort = sawAbort || (message.number == 3609 && result.failed);
        }
        EXPECT_FALSE(result.resultSet.has_value());  // the batch ended
    }
    EXPECT_TRUE(sawPrint);
    EXPECT_TRUE(sawAbort);
    EXPECT_EQ(scalar("select count(*) from acct"), "1");  // the delete was undone
    EXPECT_EQ(scalar("select count(*) from audit where what = 'ins'"), "2");
}

TEST_F(Dialect, AnsiNullAndNoExecOptions)
{
    EXPECT_EQ(column("select title_id from titles where price = null"), (Rows{"T3    "}));
    run("set ansinull on");
    EXPECT_EQ(column("select title_id from titles where price = null"), Rows{});
    EXPECT_EQ(column("select title_id from titles where price is null"), (Rows{"T3    "}));
    run("set ansinull off\nset noexec on");
    auto results = run("insert pubs values (9, 'x')\nselect * from pubs");
    EXPECT_FALSE(results[1].resultSet.has_value());
    run("set noexec off");
    EXPECT_EQ(scalar("select count(*) from pubs"), "2");
}

TEST_F(Dialect, RowcountLimitsRowsAndNocountHidesCounts)
{
    run("set rowcount 1");
    EXPECT_EQ(query("select * from titles").rows.size(), 1u);
    run("set rowcount 0\nset nocount on");
    auto results = run("select * from titles");
    EXPECT_FALSE(results[0].hasRowCount);
}

TEST_F(Dialect, ConstructsOfRealSchemaScripts)
{
    // N'...' literals, cast(), rand2(), waitfor: as the schemas of applications use them.
    EXPECT_EQ(pairs("select N'abc', cast('12' as int) + 1, convert(varchar(8), cast(2.5 as "
                    "money))"),
              (Rows{"abc|13|2.50"}));
    EXPECT_EQ(scalar("select count(*) from titles where rand2() between 0 and 1"), "4");
    run("waitfor delay '00:00:01'");
    // A NULL column of the first select takes its type from a later one.
    run("create table b (v varbinary(4) null, n int null)");
    run("insert b select null, null union all select 7, 8");
    EXPECT_EQ(pairs("select datalength(v), n from b where n is not null"), (Rows{"4|8"}));
    // Unsigned values beyond the signed range of their size.
    run("create table u (s unsigned smallint null, i unsigned int null)");
    run("insert u values (65535, 4294967295)");
    EXPECT_EQ(pairs("select s, i from u"), (Rows{"65535|4294967295"}));
}

// A part of an object name in double quotes or brackets keeps its dots.
TEST_F(Dialect, DelimitedPartsOfObjectNamesKeepTheirDots)
{
    run("set quoted_identifier on");
    run("create table \"a.b\" (x int)");
    run("create index ix on \"a.b\" (x)");
    const std::string id = scalar("select id from sysobjects where name = 'a.b'");
    EXPECT_EQ(scalar("select object_id('\"a.b\"')"), id);
    EXPECT_EQ(scalar("select object_id('dbo.[a.b]')"), id);
    EXPECT_EQ(scalar("select index_col('d.dbo.\"a.b\"', 2, 1)"), "x");
    EXPECT_EQ(scalar("select isnull(object_id('a.b'), 0)"), "0");
}

}  // namespace
}  // namespace tdsim::test
