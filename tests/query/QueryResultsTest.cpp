// The query component end to end on the less common paths: compute rows, parameters of
// every type it binds (prepared statements and a procedure's output parameters), and
// rows that fail conversion on the client.
#include "CTLibException.h"
#include "ServerFixture.h"

#include <cspublic.h>
#include <QDateTime>

namespace {
class QueryResultsTest : public ServerTest {
protected:
    static void SetUpTestSuite()
    {
        try {
            s_server = std::make_unique<TdsimServer>(
                QStringList{QStringLiteral(CTLIB_TEST_SQL), QStringLiteral(QUERY_RESULTS_SQL)});
        } catch (const std::exception& error) {
            s_startError = error.what();
        }
    }
    void SetUp() override
    {
        ServerTest::SetUp();
        if (!HasFatalFailure())
            db->Connect();
    }

    // One line per compute row: "values | select-list names | types | operators".
    static QString computeLine(const TCTLibEnhQuery& q)
    {
        QStringList values, names, types, operators;
        for (int i = 1; i <= q.ComputeColumnCount(); ++i) {
            values << q.ComputeColumnValue(i);
            names << q.ComputeColumnName(i);
            types << q.ComputeColumnTypeName(i);
            operators << QString::number(q.ComputeOperator(i));
        }
        return values.join(',') + " | " + names.join(',') + " | " + types.join(',') + " | " +
               operators.join(',');
    }

    static TParam& setParam(TCTLibEnhQuery& q, int index, TFieldType type, const QVariant& value,
                            TParamType kind = ptInput)
    {
        TParam& param = q.Params()[index];
        param.DataType = type;
        param.Value = value;
        param.ParamType = kind;
        return param;
    }
};

TEST_F(QueryResultsTest, ExecSqlReadsEveryComputeRowBetweenTheRows)
{
    auto q = query(
        "select region, qty, price from sales order by region, qty "
        "compute sum(qty), avg(price) by region "
        "compute count(qty), max(price)");
    QStringList seen;
    q->OnResultRow = [&](QObject*) { seen << q->ColumnValue(1).trimmed() + q->ColumnValue(2); };
    q->OnComputeRow = [&](QObject*) { seen << computeLine(*q); };
    EXPECT_EQ(q->ExecSQL(), 1);
    const QString sums = " | qty,price | int,money | " + QString::number(CS_OP_SUM) + "," +
                         QString::number(CS_OP_AVG);
    const QString totals = " | qty,price | int,money | " + QString::number(CS_OP_COUNT) + "," +
                           QString::number(CS_OP_MAX);
    EXPECT_EQ(seen, (QStringList{"N3", "N5", "8,6.2500" + sums, "S7", "7,4.0000" + sums, "W",
                                 "," + sums, "3,10.0000" + totals}));
    EXPECT_EQ(q->ComputeCount(), 4);
    EXPECT_EQ(q->RowCount(), 4);  // the regular rows, as the server counts them
}

TEST_F(QueryResultsTest, NextHandsOutTheFirstGroupAndReadsItsComputeRow)
{
    auto q = query("select region, qty from sales order by region, qty compute sum(qty) by region");
    int computeRows = 0;
    q->OnComputeRow = [&](QObject*) { ++computeRows; };
    EXPECT_EQ(firstColumn(*q), (QStringList{"N ", "N "}));
    EXPECT_EQ(computeRows, 1);
    EXPECT_EQ(q->ComputeColumnCount(), 1);
    EXPECT_EQ(q->ComputeColumnValue(1), "8");
    EXPECT_EQ(q->ColumnValue(2), "5");                // the last regular row stays readable
    auto next = query("select count(*) from sales");  // the rest was cancelled
    EXPECT_EQ(firstColumn(*next), QStringList{"4"});
}

// Each type the component binds goes into columns of the server's types and comes back
// in the library's character form.
TEST_F(QueryResultsTest, PreparedParametersOfEveryTypeRoundTrip)
{
    auto insert = query(
        "insert into ptypes (k, dt, sdt, b, f, r, m, n, t, vc, si) "
        "values (:k, :dt, :sdt, :b, :f, :r, :m, :n, :t, :vc, :si)");
    ASSERT_EQ(insert->Params().Count(), 11);
    const QDateTime when(QDate(2024, 2, 29), QTime(13, 45, 20, 500));
    setParam(*insert, 0, ftInteger, 1);
    setParam(*insert, 1, ftDateTime, when);
    setParam(*insert, 2, ftDateTime, when);
    setParam(*insert, 3, ftBoolean, true);
    setParam(*insert, 4, ftFloat, 2.25);
    setParam(*insert, 5, ftFloat, 0.5);
    setParam(*insert, 6, ftCurrency, 1234.5678);
    setParam(*insert, 7, ftCurrency, -98765.4321);
    setParam(*insert, 8, ftString, QString("a long text"));
    setParam(*insert, 9, ftString, QString("vc"));
    setParam(*insert, 10, ftSmallint, -32768);
    insert->ExecSQL();
    EXPECT_EQ(insert->RowCount(), 1);
    EXPECT_FALSE(insert->Prepared());

    auto select = query(
        "select dt, sdt, b, f, r, m, n, t, vc, si, convert(varchar(30), dt, 109) "
        "from ptypes where k = :k");
    setParam(*select, 0, ftInteger, 1);
    ASSERT_EQ(select->Open(), 1);
    ASSERT_TRUE(select->Next());
    QStringList values;
    for (int i = 1; i <= select->ColumnCount(); ++i)
        values << select->ColumnValue(i);
    EXPECT_EQ(values, (QStringList{"Feb 29 2024 01:45PM", "Feb 29 2024 01:45PM", "1", "2.25", "0.5",
                                   "1234.5678", "-98765.4321", "a long text", "vc", "-32768",
                                   "Feb 29 2024  1:45:20:500PM"}));
    EXPECT_FALSE(select->Next());

    // NULLs: an empty value is sent as NULL, whatever its type.
    auto nulls = query("select :dt, :f, :s");
    setParam(*nulls, 0, ftDateTime, QVariant(QMetaType(QMetaType::QDateTime)));
    setParam(*nulls, 1, ftFloat, QVariant(QMetaType(QMetaType::Double)));
    setParam(*nulls, 2, ftString, QString());
    ASSERT_EQ(nulls->Open(), 1);
    ASSERT_TRUE(nulls->Next());
    EXPECT_EQ(nulls->ColumnValue(1), "");
    EXPECT_EQ(nulls->ColumnValue(2), "");
    EXPECT_EQ(nulls->ColumnValue(3), "");
    EXPECT_EQ(nulls->ColumnTypeName(1), "datetime");
    EXPECT_EQ(nulls->ColumnTypeName(2), "float");
    nulls->Cancel();
}

TEST_F(QueryResultsTest, ParametersTheComponentCannotBindAreRefused)
{
    auto q = query("select :bytes");
    setParam(*q, 0, ftVarBytes, QByteArray("\x01\x02", 2));
    try {
        q->ExecSQL();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "q: Datatype of parameter \"bytes\" not supported!");
    }
    auto next = query("select 1");  // the connection is usable afterwards
    EXPECT_EQ(firstColumn(*next), QStringList{"1"});
}

TEST_F(QueryResultsTest, OutputParametersOfEveryTypeComeBackFromAProcedure)
{
    auto q = query(
        "exec p_types :dt output, :b output, :f output, :m output, :s output, "
        ":si output, :i output");
    ASSERT_EQ(q->Params().Count(), 7);
    setParam(*q, 0, ftDateTime, QDateTime(QDate(2024, 2, 28), QTime(23, 59)), ptOutput);
    setParam(*q, 1, ftBoolean, false, ptOutput);
    setParam(*q, 2, ftFloat, 1.25, ptOutput);
    setParam(*q, 3, ftCurrency, 9.5, ptOutput);
    setParam(*q, 4, ftString, QString("hey"), ptOutput);
    setParam(*q, 5, ftSmallint, 41, ptOutput);
    setParam(*q, 6, ftInteger, 21, ptOutput);
    int returned = 0;
    q->OnReturnParams = [&](QObject*) { ++returned; };
    EXPECT_EQ(q->ExecSQL(), 1);
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(q->ReturnStatus(), 7);
    const QStringList expected{"Feb 29 2024 11:59PM", "1", "2.5", "10.5", "hey!", "42", "42"};
    EXPECT_EQ(q->ReturnParamValues(), expected);
    QStringList values;
    for (const TParam& param : q->Params())
        values << param.AsString();
    EXPECT_EQ(values, expected);
}

// The 600-byte value's text does not fit the buffer bound for it: that row fails on the
// client and is handed out without events, and the rows around it are not lost.
TEST_F(QueryResultsTest, AFailingRowIsHandedOutWithoutLosingItsNeighbours)
{
    auto q = query("select id, b from blobs order by id");
    int resultRows = 0;
    q->OnResultRow = [&](QObject*) { ++resultRows; };
    ASSERT_EQ(q->Open(), 1);
    QStringList ids, values;
    while (q->Next()) {
        ids << q->ColumnValue(1);
        values << q->ColumnValue(2);
    }
    EXPECT_EQ(ids, (QStringList{"1", "2", "3"}));
    EXPECT_EQ(values.value(0), "01");
    EXPECT_EQ(values.value(1), "");  // nothing converted, not the previous row's value
    EXPECT_EQ(values.value(2), "03");
    EXPECT_EQ(resultRows, 2);
    EXPECT_EQ(q->RowNumber(), 2);

    // A failing first row, through ExecSQL.
    auto all = query(
        "select id from blobs where id > 1 order by id\r\nselect b, id from blobs "
        "where id > 1 order by id");
    QStringList seen;
    all->OnResultRow = [&](QObject*) { seen << all->ColumnValue(1) + "/" + all->ColumnValue(2); };
    EXPECT_EQ(all->ExecSQL(), 1);
    EXPECT_EQ(seen, (QStringList{"2/", "3/", "03/3"}));

    auto first = query("select b, id from blobs where id > 1 order by id");
    ASSERT_EQ(first->Open(), 1);
    QStringList firstIds;
    while (first->Next())
        firstIds << first->ColumnValue(2);
    EXPECT_EQ(firstIds, (QStringList{"2", "3"}));
}
}  // namespace
