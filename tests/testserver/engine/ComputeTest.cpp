// COMPUTE and COMPUTE BY: the formats the engine describes and the compute rows it
// places between the regular rows.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

class Compute : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        run("create database d\n");
        run("use d");
        run("create table sales (region char(2) not null, store int not null, qty int null, "
            "price money null, rate float null, ratio numeric(6,2) null, label varchar(10) null)");
        run("insert sales values ('N', 1, 5, 10.00, 1.5, 1.25, 'b')\n"
            "insert sales values ('N', 1, 3, 2.50, 0.5, 2.50, 'a')\n"
            "insert sales values ('N', 2, null, 1.25, null, null, 'c')\n"
            "insert sales values ('S', 3, 7, 4.00, 2.0, 0.75, 'z')");
    }

    // Where each compute row goes: "after N: id=values|values".
    static std::vector<std::string> placement(const ResultSet& rs)
    {
        std::vector<std::string> out;
        for (const ComputeRow& row : rs.computeRows) {
            std::string line =
                "after " + std::to_string(row.afterRows) + ": " + std::to_string(row.id) + "=";
            for (size_t i = 0; i < row.values.size(); ++i)
                line += (i ? "|" : "") + text(row.values[i]);
            out.push_back(line);
        }
        return out;
    }
};

TEST_F(Compute, GrandTotalFollowsTheLastRow)
{
    ResultSet rs = query(
        "select store, qty, price from sales order by store "
        "compute sum(qty), count(qty), avg(price), max(price)");
    ASSERT_EQ(rs.rows.size(), 4u);
    ASSERT_EQ(rs.computeFormats.size(), 1u);
    const ComputeFormat& f = rs.computeFormats[0];
    EXPECT_EQ(f.id, 1);
    EXPECT_TRUE(f.byColumns.empty());
    ASSERT_EQ(f.columns.size(), 4u);
    EXPECT_EQ(f.columns[0].op, ComputeOp::Sum);
    EXPECT_EQ(f.columns[0].operand, 2);
    EXPECT_EQ(f.columns[0].info.type, ColumnType::Int);
    EXPECT_EQ(f.columns[1].op, ComputeOp::Count);
    EXPECT_FALSE(f.columns[1].info.nullable);
    EXPECT_EQ(f.columns[2].op, ComputeOp::Avg);
    EXPECT_EQ(f.columns[2].operand, 3);
    EXPECT_EQ(f.columns[2].info.type, ColumnType::Money);
    EXPECT_EQ(f.columns[3].op, ComputeOp::Max);
    // Nulls are left out: 3 quantities, and (10.00 + 2.50 + 1.25 + 4.00) / 4 = 4.4375.
    EXPECT_EQ(placement(rs), (std::vector<std::string>{"after 4: 1=15|3|44375|100000"}));
}

TEST_F(Compute, ByGroupsCloseInnerFirstThenOuter)
{
    ResultSet rs = query(
        "select region, store, qty from sales order by region, store "
        "compute sum(qty) by region, store "
        "compute count(qty), min(qty) by region "
        "compute sum(qty)");
    ASSERT_EQ(rs.computeFormats.size(), 3u);
    EXPECT_EQ(rs.computeFormats[0].byColumns, (std::vector<int>{1, 2}));
    EXPECT_EQ(rs.computeFormats[1].byColumns, (std::vector<int>{1}));
    EXPECT_EQ(placement(rs), (std::vector<std::string>{
                                 "after 2: 1=8",
                                 "after 3: 1=NULL",  // store 2's only quantity is NULL
                                 "after 3: 2=2|3",
                                 "after 4: 1=7",
                                 "after 4: 2=1|7",
                                 "after 4: 3=15",
                             }));
}

TEST_F(Compute, AggregatesKeepTheTypeOfTheirColumn)
{
    ResultSet rs = query(
        "select region, rate, ratio, label from sales order by region "
        "compute sum(rate), avg(ratio), min(label) by region");
    const ComputeFormat& f = rs.computeFormats.at(0);
    EXPECT_EQ(f.columns[0].info.type, ColumnType::Float);
    EXPECT_EQ(f.columns[1].info.type, ColumnType::Numeric);
    EXPECT_EQ(f.columns[1].info.scale, 2);
    EXPECT_EQ(f.columns[2].info.type, ColumnType::VarChar);
    ASSERT_EQ(rs.computeRows.size(), 2u);
    EXPECT_DOUBLE_EQ(rs.computeRows[0].values[0].floatValue, 2.0);
    EXPECT_EQ(rs.computeRows[0].values[1].intValue, 188);  // (1.25 + 2.50) / 2 rounded
    EXPECT_EQ(rs.computeRows[0].values[2].bytes, "a");
    EXPECT_EQ(rs.computeRows[1].values[1].intValue, 75);
}

TEST_F(Compute, ColumnsAreFoundByAliasNumberAndUnderlyingName)
{
    ResultSet rs = query("select r = region, q = qty from sales order by 1 compute sum(qty) by r");
    ASSERT_EQ(rs.computeFormats.size(), 1u);
    EXPECT_EQ(rs.computeFormats[0].columns[0].operand, 2);
    EXPECT_EQ(placement(rs), (std::vector<std::string>{"after 3: 1=8", "after 4: 1=7"}));
    // No rows: formats without compute rows.
    ResultSet empty = query("select qty from sales where 1 = 2 compute sum(qty)");
    EXPECT_EQ(empty.computeFormats.size(), 1u);
    EXPECT_TRUE(empty.computeRows.empty());
}

TEST_F(Compute, RefusedClauses)
{
    EXPECT_EQ(error("select qty from sales compute sum(price)").number, 140);
    EXPECT_EQ(error("select region, qty from sales order by qty compute sum(qty) by region").number,
              143);
    EXPECT_EQ(error("select region, qty from sales compute sum(qty) by region").number, 143);
    EXPECT_EQ(error("select label from sales compute sum(label)").number, 409);
    EXPECT_EQ(error("select qty from sales compute median(qty)").number, 102);
}

}  // namespace
}  // namespace tdsim::test
