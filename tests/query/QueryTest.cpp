// The query component end to end: language commands, cursors, values as texts,
// return statuses, prepared statements and cancelling.
#include "CTLibException.h"
#include "ServerFixture.h"

#include <QDate>
#include <QLocale>

namespace {
class QueryTest : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (!HasFatalFailure())
            db->Connect();
    }
};

TEST_F(QueryTest, OpenHandsOutTheFirstResultSetOnly)
{
    auto q = query("select id from people where id < 3 order by id\r\nselect name from people");
    EXPECT_EQ(firstColumn(*q), (QStringList{"1", "2"}));
    EXPECT_FALSE(q->Next());            // after the end: still false
    EXPECT_EQ(q->ColumnValue(1), "2");  // the last row stays readable
}

TEST_F(QueryTest, ExecSqlFetchesEveryResultSetThroughOnResultRow)
{
    auto q = query(
        "select id from people where id < 3 order by id\r\nselect id from people where id > 3 "
        "order by id");
    QStringList seen;
    int afterCommand = 0;
    q->OnResultRow = [&](QObject* sender) {
        seen << static_cast<TCTLibEnhQuery*>(sender)->ColumnValue(1);
    };
    q->AfterCommand = [&](QObject*) { ++afterCommand; };
    EXPECT_EQ(q->ExecSQL(), 1);
    EXPECT_EQ(seen, (QStringList{"1", "2", "4", "5"}));
    EXPECT_EQ(afterCommand, 2);
}

TEST_F(QueryTest, StatementWithoutRowsReportsItsRowCount)
{
    auto q = query("update people set code = code where id > 2");
    int afterCommand = 0;
    q->AfterCommand = [&](QObject*) { ++afterCommand; };
    q->ExecSQL();
    EXPECT_EQ(q->RowCount(), 3);
    EXPECT_GE(afterCommand, 1);
}

TEST_F(QueryTest, NullsAreEmptyAndTrimResultsStripsPadding)
{
    auto q = query("select name, code from people where id in (2, 3) order by id");
    ASSERT_EQ(q->Open(), 1);
    ASSERT_TRUE(q->Next());
    EXPECT_EQ(q->ColumnValue(1), "beta");
    EXPECT_EQ(q->ColumnValue(2), "");  // NULL, although the previous buffer held nothing
    ASSERT_TRUE(q->Next());
    EXPECT_EQ(q->ColumnValue(1), "");  // NULL after a non-NULL value
    EXPECT_EQ(q->ColumnValue(2).trimmed(), "cd");
    q->Cancel();
    auto padded = query("select '  ab  '");
    ASSERT_EQ(padded->Open(), 1);
    ASSERT_TRUE(padded->Next());
    EXPECT_EQ(padded->ColumnValue(1), "  ab  ");
    padded->TrimResults = true;
    EXPECT_EQ(padded->ColumnValue(1), "ab");
}

TEST_F(QueryTest, ValuesArriveInTheLibrarysCharacterForms)
{
    auto q = query("select k_money, k_numeric, k_datetime, k_int, k_midnight from kinds");
    ASSERT_EQ(q->Open(), 1);
    ASSERT_TRUE(q->Next());
    EXPECT_EQ(q->ColumnValue(1), "12.3400");
    EXPECT_EQ(q->ColumnValue(2), "1234.567");
    EXPECT_EQ(q->ColumnValue(3), "Dec  7 2026 07:45PM");
    EXPECT_EQ(q->ColumnValue(4), "");
    EXPECT_EQ(q->ColumnTypeName(1), "money");
    EXPECT_EQ(q->ColumnTypeName(3), "datetime");
    EXPECT_EQ(q->ColumnPrecision(2), 10);
    EXPECT_EQ(q->ColumnScale(2), 3);
}

TEST_F(QueryTest, LocalDateFormatUsesTheLocaleAndDropsMidnight)
{
    auto q = query("select k_datetime, k_midnight from kinds");
    q->LocalDtFmt = true;
    ASSERT_EQ(q->Open(), 1);
    ASSERT_TRUE(q->Next());
    const QLocale locale = QLocale::system();
    const QDate date(2026, 12, 7);
    EXPECT_TRUE(q->ColumnValue(1).startsWith(locale.toString(date, QLocale::ShortFormat) + " "));
    EXPECT_TRUE(q->ColumnValue(1).contains("45"));
    EXPECT_EQ(q->ColumnValue(2), locale.toString(date, QLocale::ShortFormat));
}

TEST_F(QueryTest, TextImageReadsColumnsWithGetData)
{
    auto q = query(
        "select k_text, k_int, k_numeric, k_money, a_column_name_that_is_longer_than_thirty from "
        "kinds");
    q->TextImage = true;
    ASSERT_EQ(q->Open(), 1);
    ASSERT_TRUE(q->Next());
    EXPECT_EQ(q->ColumnValue(1), "some long text");
    EXPECT_EQ(q->ColumnValue(2), "");
    EXPECT_EQ(q->ColumnValue(3), "1234.567");
    EXPECT_EQ(q->ColumnValue(4), "12.3400");
    EXPECT_EQ(q->ColumnValue(5), "1");
    EXPECT_EQ(q->ColumnName(5), QString("a_column_name_that_is_longer_than_thirty").left(30));
}

TEST_F(QueryTest, CursorFetchesCurFetchRowsPerRequest)
{
    serverStats(true);
    auto q = query("select n from numbers where n <= 120 order by n");
    q->IsCursor = true;
    q->ReadOnly = true;
    q->CurFetchRows = 50;
    const QStringList values = firstColumn(*q);
    ASSERT_EQ(values.size(), 120);
    EXPECT_EQ(values.first(), "1");
    EXPECT_EQ(values.last(), "120");
    EXPECT_EQ(q->RowCount(), 120);
    q->Cancel();
    const Stats stats = serverStats();
    EXPECT_GE(stats.cursorFetches, 3);
    EXPECT_LE(stats.cursorFetches, 4);
}

TEST_F(QueryTest, MaxRowsStopsTheStreamAndFiresOnce)
{
    auto q = query("select id from people order by id");
    q->MaxRows = 3;
    int maxRows = 0;
    int resultRows = 0;
    q->OnMaxRows = [&](QObject*) { ++maxRows; };
    q->OnResultRow = [&](QObject*) { ++resultRows; };
    EXPECT_EQ(firstColumn(*q), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(maxRows, 1);
    EXPECT_EQ(resultRows, 4);  // the fourth row was fetched before the limit stopped it
    auto next = query("select count(*) from people");  // the connection is usable afterwards
    EXPECT_EQ(firstColumn(*next), QStringList{"5"});
}

TEST_F(QueryTest, KeepHistoryKeepsTheColumnsAfterTheResult)
{
    // The end of a cursor's rows reports CMD_SUCCEED, which forgets the columns.
    auto q = query("select id, name from people where id = 1");
    q->IsCursor = true;
    q->KeepHistory = true;
    EXPECT_EQ(firstColumn(*q), QStringList{"1"});
    EXPECT_EQ(q->ColumnCount(), 2);
    EXPECT_EQ(q->RowsFetched(), 1);
    auto plain = query("select id, name from people where id = 1");
    plain->IsCursor = true;
    firstColumn(*plain);
    EXPECT_EQ(plain->ColumnCount(), 0);
}

TEST_F(QueryTest, CancelInTheMiddleLeavesTheConnectionUsable)
{
    auto q = query("select n from numbers order by n");
    ASSERT_EQ(q->Open(), 1);
    ASSERT_TRUE(q->Next());
    ASSERT_TRUE(q->Next());
    q->Cancel();
    EXPECT_FALSE(q->Next());
    auto next = query("select count(*) from numbers");
    EXPECT_EQ(firstColumn(*next), QStringList{"1200"});
    // The same query runs again after the cancel, also as a cursor.
    q->IsCursor = true;
    ASSERT_EQ(q->Open(), 1);
    ASSERT_TRUE(q->Next());
    q->Cancel();
    EXPECT_EQ(firstColumn(*q).size(), 1200);
}

TEST_F(QueryTest, ReturnStatusStopsTheRowsAndAbortOnNegStatusAbortsSilently)
{
    auto q = query("exec p_status -3");
    int statuses = 0;
    q->OnReturnStatus = [&](QObject*) { ++statuses; };
    EXPECT_EQ(q->Open(), 1);
    EXPECT_FALSE(q->Next());
    EXPECT_EQ(q->ReturnStatus(), -3);
    EXPECT_EQ(statuses, 1);

    auto rows = query("exec p_rows_then_status");
    EXPECT_EQ(firstColumn(*rows), (QStringList{"1", "2"}));
    EXPECT_EQ(rows->ReturnStatus(), -5);

    rows->AbortOnNegStatus = true;
    EXPECT_THROW(rows->ExecSQL(), EAbort);
    EXPECT_TRUE(ui->messages.empty());
    auto next = query("select 1");
    EXPECT_EQ(firstColumn(*next), QStringList{"1"});
}

TEST_F(QueryTest, ServerErrorsRaiseWithTheQueryNameAndLine)
{
    auto q = query("select * from no_such_table");
    try {
        q->ExecSQL();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.message().startsWith("q: Server   : TDSIM\r\nMessage  : "));
        EXPECT_TRUE(error.message().contains("\r\nLine     : 1\r\n"));
        // What the server said, as fields rather than text to take apart.
        EXPECT_EQ(error.cause().number, 208);
        EXPECT_EQ(error.cause().severity, 16);
        EXPECT_EQ(error.cause().line, 1);
        EXPECT_EQ(error.cause().server, "TDSIM");
    }
    auto inProcedure = query("exec p_missing_table");
    try {
        inProcedure->ExecSQL();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.cause().number, 208);
        EXPECT_EQ(error.cause().procedure, "p_missing_table");
        EXPECT_EQ(error.cause().line, 2);
    }
    EXPECT_FALSE(q->LastError().isEmpty());
    q->setShowDbMessages(smDbMsg);  // errors not shown: silent abort, events still fire
    int afterError = 0;
    q->AfterDbError = [&](QObject*) { ++afterError; };
    EXPECT_THROW(q->ExecSQL(), EAbort);
    EXPECT_EQ(afterError, 1);
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(QueryTest, BlankSqlAndUnknownConnectionsAreRefused)
{
    auto blank = query(" \r\n ");
    try {
        blank->ExecSQL();
        FAIL();
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "q: No SQL statement available");
    }
    auto unnamed = query("select 1");
    unnamed->DbName = "";
    EXPECT_THROW(unnamed->Open(), EDatabaseError);
    unnamed->DbName = "nodb";
    try {
        unnamed->Open();
        FAIL();
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "q: Could not find CTLibDatabase component named nodb");
    }
}

TEST_F(QueryTest, DescribeColumnsRestoresTheSessionOptions)
{
    db->ProcOptions = poQuotedIdent;
    db->ApplyProcOptions(poQuotedIdent);
    auto q = query("SELECT * FROM kinds WHERE 1=2");
    q->DescribeColumns();
    EXPECT_EQ(q->ColumnCount(), 7);
    EXPECT_EQ(q->ColumnName(1), "k_money");
    EXPECT_EQ(q->ColumnTypeName(5), "text");
    EXPECT_EQ(q->ColumnName(7).size(), 30);
    EXPECT_EQ(db->ProcOptions, TProcOptions(poQuotedIdent));
    // format-only is off again: rows come back.
    auto rows = query("select count(*) from people");
    EXPECT_EQ(firstColumn(*rows), QStringList{"5"});
}

TEST_F(QueryTest, ColumnNameOnANeverRunQueryDescribesFirst)
{
    auto q = query("select id, name from people");
    EXPECT_EQ(q->ColumnName(2), "name");
    EXPECT_EQ(q->ColumnTypeName(1), "int");
}

TEST_F(QueryTest, PreparedStatementWithParameters)
{
    auto q = query("select name from people where id = :id or name = :name");
    ASSERT_EQ(q->Params().Count(), 2);
    q->Params()[0].DataType = ftInteger;
    q->Params()[0].Value = 4;
    q->Params()[1].DataType = ftString;
    q->Params()[1].Value = QString();  // empty: sent as NULL
    // With ansinull off (the default) "name = <NULL parameter>" finds the NULL name (id 3).
    EXPECT_EQ(firstColumn(*q), (QStringList{"", "delta"}));
    EXPECT_FALSE(q->Prepared());
    QStringList seen;
    q->OnResultRow = [&](QObject*) { seen << q->ColumnValue(1); };
    q->Params()[1].Value = "beta";
    q->ExecSQL();
    EXPECT_EQ(seen, (QStringList{"beta", "delta"}));
    // A marker inside a literal is text.
    auto literal = query("select ':notaparam'");
    EXPECT_TRUE(literal->Params().IsEmpty());
    EXPECT_EQ(firstColumn(*literal), QStringList{":notaparam"});
    // So is one inside a comment.
    auto commented =
        query("-- run at 10:30 by :someone\nselect 'x' /* ends :here /* nested :too */ */");
    EXPECT_TRUE(commented->Params().IsEmpty());
    EXPECT_EQ(firstColumn(*commented), QStringList{"x"});
}

TEST_F(QueryTest, ParameterOfUnknownTypeIsRefused)
{
    auto q = query("select name from people where id = :id");
    q->Params()[0].Value = 1;
    try {
        q->ExecSQL();
        FAIL();
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "q: Parameter \"id\" has an Unknown data type");
    }
    EXPECT_FALSE(q->Prepared());
}
}  // namespace

namespace {
TEST_F(QueryTest, OutputParametersAreReadBackByPosition)
{
    auto q = query("declare @result int\r\nexec p_out 21, @result output");
    int returned = 0;
    q->OnReturnParams = [&](QObject*) { ++returned; };
    q->ExecSQL();
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(q->ReturnStatus(), 0);
    EXPECT_EQ(q->ReturnParamValues(), QStringList{"42"});
}

TEST_F(QueryTest, PreparedStatementWithIsCursorRunsWithoutCursor)
{
    auto q = query("select id from people where id > :low order by id");
    q->IsCursor = true;
    q->CurFetchRows = 50;
    q->Params()[0].DataType = ftSmallint;
    q->Params()[0].Value = 3;
    EXPECT_EQ(firstColumn(*q), (QStringList{"4", "5"}));
    auto next = query("select count(*) from people");
    EXPECT_EQ(firstColumn(*next), QStringList{"5"});
}

TEST_F(QueryTest, AutoDbCreatesAPrivateConnectionFromItsParameters)
{
    TCTLibEnhQuery q;
    q.setAutoDb(true);
    EXPECT_TRUE(q.UseDbParams);
    q.AutoDbParams =
        QStringList{"SERVERNAME=tdsim", "USERNAME=sa", "LOGINPROMPT=0", "DBNAME=testdb"};
    q.setSQL({"select count(*) from people"});
    ASSERT_EQ(q.Open(), 1);
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.ColumnValue(1), "5");
    ASSERT_NE(q.AutoDatabase(), nullptr);
    EXPECT_EQ(q.DbName, q.AutoDatabase()->objectName());
    EXPECT_TRUE(q.DbName.startsWith("db_"));
    q.Cancel();
}

TEST_F(QueryTest, AutoConnectOffWithAClosedConnectionDoesNothing)
{
    db->DisConnect();
    auto q = query("select 1");
    q->AutoConnect = false;
    EXPECT_EQ(q->Open(), 0);
    EXPECT_EQ(q->ExecSQL(), 0);
    q->AutoConnect = true;  // connects on demand
    EXPECT_EQ(firstColumn(*q), QStringList{"1"});
    EXPECT_TRUE(db->connected());
}
}  // namespace

namespace {
TEST_F(QueryTest, ColumnStatusCarriesTheNullability)
{
    auto q = query("SELECT * FROM people WHERE 1=2");
    q->DescribeColumns();
    constexpr quint16 canBeNull = 1u << 5;  // CS_CANBENULL, status bit 5
    EXPECT_EQ(q->ColumnStatus(1) & canBeNull, 0);
    EXPECT_NE(q->ColumnStatus(2) & canBeNull, 0);
    EXPECT_EQ(q->ColumnLength(1), 4);
}
}  // namespace
