// Cursors, GOTO and loops, exec of strings, setuser, quoted identifiers and SELECT INTO
// as procedures, triggers and schema scripts use them.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class ControlFlow : public UserDatabaseFixture {
protected:
    void SetUp() override
    {
        UserDatabaseFixture::SetUp();
        run("create table t (a int not null, b varchar(10) null)");
        run("insert t values (1, 'x')\ninsert t values (2, 'y')\ninsert t values (3, null)");
    }
};

TEST_F(ControlFlow, ProcedureCursorLoopSumsRowsAndEndsWithItsScope)
{
    run("create procedure sum_a @total int output as\n"
        "declare @a int, @b varchar(10), @n int\n"
        "select @total = 0\n"
        "declare c cursor for select a, b from t where a > 0 for read only\n"
        "open c\n"
        "fetch c into @a, @b\n"
        "while @@sqlstatus = 0\n"
        "begin\n"
        "    select @total = @total + @a\n"
        "    fetch c into @a, @b\n"
        "end\n"
        "select @n = @@rowcount\n"
        "close c\n"
        "deallocate cursor c\n"
        "return @n");
    // Total, the fetch count @@rowcount held after the last fetch, the end status.
    EXPECT_EQ(rows("declare @t int, @rc int\n"
                   "exec @rc = sum_a @t output\n"
                   "select @t, @rc, @@sqlstatus"),
              (Rows{"6 3 2"}));
    // A procedure's cursor is gone once it returns, even when it was left open.
    run("create procedure leaves_open as\n"
        "declare left_c cursor for select a from t\n"
        "open left_c");
    run("exec leaves_open");
    EXPECT_EQ(error("open left_c").number, 557);
    // The procedure name may come from a variable.
    EXPECT_EQ(rows("declare @p varchar(30), @t int, @rc int\n"
                   "select @p = 'db1.dbo.sum_a'\n"
                   "exec @rc = @p @t output\n"
                   "select @t"),
              (Rows{"6"}));
}

TEST_F(ControlFlow, SessionCursorAcrossBatchesAndItsMisuse)
{
    run("declare c cursor for select a, b from t order by a");
    EXPECT_EQ(error("fetch c").number, 558);  // declared, not open
    run("open c");
    EXPECT_EQ(error("open c").number, 559);
    EXPECT_EQ(error("declare c cursor for select a from t").number, 560);
    EXPECT_EQ(error("fetch nosuch").number, 557);
    EXPECT_EQ(error("declare d cursor for select nosuch from t").number, 207);
    // A fetch into the wrong number of variables fails and leaves the cursor in place.
    EXPECT_EQ(error("declare @a int\nfetch c into @a").number, 562);
    EXPECT_EQ(scalar("select @@sqlstatus"), "1");
    // Without INTO a fetch returns the row.
    ResultSet first = query("fetch c");
    ASSERT_EQ(first.rows.size(), 1u);
    EXPECT_EQ(text(first.rows[0][0]), "1");
    EXPECT_EQ(first.columns[1].name, "b");
    EXPECT_EQ(rows("declare @a int, @b varchar(10)\nfetch c into @a, @b\n"
                   "select @a, @b, @@sqlstatus, @@rowcount"),
              (Rows{"2 y 0 2"}));
    run("declare @a int, @b varchar(10)\nfetch c into @a, @b\nfetch c into @a, @b");
    EXPECT_EQ(scalar("select @@sqlstatus"), "2");
    // Reopening starts again from the first row.
    run("close c\nopen c");
    EXPECT_EQ(rows("declare @a int, @b varchar(10)\nfetch c into @a, @b\nselect @a"), (Rows{"1"}));
    run("close c\ndeallocate c");
    EXPECT_EQ(error("close c").number, 557);
}

TEST_F(ControlFlow, TriggerCursorOverInsertedAndPositionedChanges)
{
    run("create table log (msg varchar(20) not null)");
    run("create trigger t_ins on t for insert as\n"
        "declare @a int\n"
        "declare ic cursor for select a from inserted\n"
        "open ic\n"
        "fetch ic into @a\n"
        "while @@sqlstatus = 0\n"
        "begin\n"
        "    insert log values ('added ' + convert(varchar(10), @a))\n"
        "    fetch ic into @a\n"
        "end\n"
        "close ic\n"
        "deallocate ic");
    run("insert t select a + 10, b from t where a < 3");
    EXPECT_EQ(column("select msg from log order by msg"), (Rows{"added 11", "added 12"}));

    // UPDATE / DELETE WHERE CURRENT OF change exactly the fetched row.
    run("declare u cursor for select a from t where a < 10 order by a for update of b");
    EXPECT_EQ(error("update t set b = 'none' where current of u").number, 558);
    run("open u");
    EXPECT_EQ(error("update t set b = 'none' where current of u").number, 585);
    run("declare @a int\nfetch u into @a\nfetch u into @a\n"
        "update t set b = 'second' where current of u");
    run("declare @a int\nfetch u into @a\ndelete t where current of u");
    EXPECT_EQ(rows("select a, isnull(b, '-') from t where a < 10 order by a"),
              (Rows{"1 x", "2 second"}));
    EXPECT_EQ(error("delete log where current of u").number, 570);
}

TEST_F(ControlFlow, GotoLeavesLoopsAndLabelsAreChecked)
{
    EXPECT_EQ(rows("declare @i int, @seen varchar(40)\n"
                   "select @i = 0, @seen = null\n"
                   "while @i < 100\n"
                   "begin\n"
                   "    select @i = @i + 1\n"
                   "    if @i = 2 continue\n"
                   "    select @seen = @seen + convert(varchar(3), @i)\n"
                   "    if @i = 4 goto done\n"
                   "end\n"
                   "select @seen = @seen + 'never'\n"
                   "done:\n"
                   "select @seen, @i"),
              (Rows{"134 4"}));
    // A backward jump makes a loop; BREAK leaves only the innermost WHILE.
    EXPECT_EQ(rows("declare @i int, @j int\n"
                   "select @i = 0, @j = 0\n"
                   "again: select @i = @i + 1\n"
                   "while 1 = 1 begin select @j = @j + 1 break end\n"
                   "if @i < 3 goto again\n"
                   "select @i, @j"),
              (Rows{"3 3"}));
    // A label after a select list or a table is not taken for an alias.
    EXPECT_EQ(rows("goto skip\nselect 0\nskip: select a from t where a = 1\n"
                   "select b from t\nend1:"),
              (Rows{"1"}));
    EXPECT_EQ(error("goto nowhere").number, 133);
    EXPECT_EQ(error("here:\nprint 'x'\nhere:\nprint 'y'").number, 132);
    // Labels of a procedure body are its own.
    EXPECT_EQ(error("create procedure p as goto outside").number, 133);
    run("create procedure p @n int as\n"
        "if @n > 0 goto positive\n"
        "return 1\n"
        "positive:\n"
        "return 2");
    EXPECT_EQ(rows("declare @rc int\nexec @rc = p 5\nselect @rc\nexec @rc = p 0\nselect @rc"),
              (Rows{"2"}));
    EXPECT_EQ(scalar("declare @rc int\nexec @rc = p 0\nselect @rc"), "1");
}

// Statements in a loop or a procedure are each done on their own: one that fails later
// undoes only itself, as on the server outside a transaction.
TEST_F(ControlFlow, AFailureLaterInALoopOrProcedureKeepsTheStatementsBefore)
{
    run("create table log (n int not null)");
    EXPECT_EQ(error("declare @i int select @i = 0\n"
                    "while 10 / (2 - @i) > 0 begin insert log values (@i) select @i = @i + 1 end")
                  .number,
              3607);
    EXPECT_EQ(column("select n from log order by n"), (Rows{"0", "1"}));
    run("create procedure p as insert log values (7) insert log values (convert(int, 'x'))");
    EXPECT_EQ(error("exec p").number, 249);
    EXPECT_EQ(column("select n from log order by n"), (Rows{"0", "1", "7"}));
}

TEST_F(ControlFlow, ExecOfBuiltStrings)
{
    run("declare @name varchar(20)\nselect @name = 'built'\n"
        "exec ('create table ' + @name + ' (id int not null)')\n"
        "execute ('insert ' + @name + ' values (7)')");
    EXPECT_EQ(scalar("select id from built"), "7");
    run("declare @a varchar(30), @b varchar(30)\n"
        "select @a = 'insert built ', @b = 'values (8)'\n"
        "exec (@a + @b)\n"
        "checkpoint");
    EXPECT_EQ(scalar("select count(*) from built"), "2");
    // The string runs without the caller's variables; its errors are reported.
    EXPECT_EQ(error("declare @x int\nexec ('select @x')").number, 137);
    EXPECT_EQ(error("exec ('select from')").number, 156);
}

TEST_F(ControlFlow, SetuserActsAsAnotherUserOfTheDatabase)
{
    run("exec sp_addlogin mary, 'pw'\nexec sp_adduser mary");
    std::string mary = scalar("select uid from sysusers where name = 'mary'");
    run("setuser 'mary'");
    EXPECT_EQ(scalar("select user_name()"), "mary");
    run("create table notes (n int not null)");
    run("setuser");
    EXPECT_EQ(scalar("select user_name()"), "dbo");
    EXPECT_EQ(scalar("select uid from sysobjects where name = 'notes'"), mary);
    EXPECT_EQ(error("setuser 'nobody'").number, 4604);
    // USE ends the impersonation.
    run("setuser 'mary'\nuse db1");
    EXPECT_EQ(scalar("select user_name()"), "dbo");
    // Only the database owner may use it, also while impersonating another user.
    auto other = engine->openSession("mary", 18);
    other->execute("use db1");
    bool denied = false;
    for (const auto& result : other->execute("setuser 'dbo'"))
        for (const auto& message : result.messages)
            denied = denied || message.number == 262;
    EXPECT_TRUE(denied);
    run("setuser 'mary'\nsetuser 'dbo'\nsetuser");
    EXPECT_EQ(scalar("select user_name()"), "dbo");
}

TEST_F(ControlFlow, QuotedNamesRoundTripUnderQuotedIdentifier)
{
    run("set quoted_identifier on");
    // The option set in one batch holds for the following ones.
    run("create table \"my table\" (\"select\" int not null, \"two words\" varchar(10) null)");
    run("create index \"my index\" on \"my table\" (\"select\")");
    run("insert \"my table\" (\"select\", \"two words\") values (1, 'one')");
    run("create view \"my view\" as select \"select\" as \"the value\" from \"my table\"");
    run("create table \"audit\" (\"what\" varchar(20) not null)");
    run("create trigger \"my trigger\" on \"my table\" for insert as\n"
        "insert \"audit\" select \"two words\" from inserted");
    EXPECT_EQ(rows("select \"the value\" from \"my view\""), (Rows{"1"}));
    EXPECT_EQ(rows("select t.\"two words\" \"alias here\" from \"my table\" t"), (Rows{"one"}));
    EXPECT_EQ(scalar("select name from sysindexes where name = 'my index'"), "my index");
    EXPECT_EQ(column("select distinct c.status & 4 from syscomments c, sysobjects o "
                     "where o.id = c.id and o.name in ('my view', 'my trigger')"),
              (Rows{"4"}));
    // The trigger's text is read back with the option it was created under.
    run("set quoted_identifier off");
    run("insert [my table] values (2, 'two')");
    EXPECT_EQ(scalar("select what from audit"), "two");
    EXPECT_EQ(scalar("select \"a string\""), "a string");
    run("set quoted_identifier on");
    run("drop view \"my view\"\ndrop table \"my table\"");
    EXPECT_EQ(scalar("select count(*) from sysobjects where name like 'my %'"), "0");
}

TEST_F(ControlFlow, SelectIntoTakesTheSourceTypes)
{
    run("create table src (i int not null, n int null, c char(5) not null, d numeric(7,2) null, "
        "f float null)");
    run("insert src values (1, null, 'abc', 1.25, 2.5)\ninsert src values (2, 4, 'de', null, "
        "null)");
    auto results =
        run("select i, n, c, d, n * 2 as doubled, f + 1 as f1, i + 1 as i1 "
            "into dst from src");
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(results.back().rowCount, 2);
    // name, type, length, usertype, nullable
    EXPECT_EQ(rows("select name, type, length, usertype, status & 8 from syscolumns "
                   "where id = object_id('dst') order by colid"),
              (Rows{"i 56 4 7 0", "n 38 4 7 8", "c 47 5 1 0", "d 108 4 10 8", "doubled 38 4 13 8",
                    "f1 109 8 14 8", "i1 56 4 7 0"}));
    EXPECT_EQ(rows("select i, isnull(doubled, -1), c from dst order by i"),
              (Rows{"1 -1 abc  ", "2 8 de   "}));
    EXPECT_EQ(error("select * into dst from src").number, 2714);
    EXPECT_EQ(error("select i + 1 into unnamed from src").number, 4501);
    EXPECT_EQ(scalar("select count(*) from sysobjects where name = 'unnamed'"), "0");
}

TEST_F(ControlFlow, NewidFormats)
{
    std::string plain = scalar("select newid()");
    EXPECT_EQ(plain.size(), 32u);
    EXPECT_EQ(plain.find_first_not_of("0123456789abcdef"), std::string::npos);
    std::string dashed = scalar("select newid(1)");
    ASSERT_EQ(dashed.size(), 36u);
    EXPECT_EQ(dashed[8], '-');
    EXPECT_EQ(dashed[13], '-');
    EXPECT_EQ(dashed[23], '-');
    EXPECT_NE(scalar("select newid()"), plain);
    EXPECT_EQ(scalar("select newid(5)"), "NULL");
    // One value per row.
    run("select newid() as g into guids from t");
    EXPECT_EQ(scalar("select count(distinct g) from guids"), "3");
}

}  // namespace
}  // namespace tdsim::test
