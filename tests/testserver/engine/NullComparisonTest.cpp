// Comparisons with NULL: UNKNOWN unless the Sybase NULL mode of "=" and "!=" applies.
#include "EngineTestSupport.h"

namespace tdsim::test {
namespace {

using Rows = std::vector<std::string>;

class NullComparison : public UserDatabaseFixture {
protected:
    void SetUp() override
    {
        UserDatabaseFixture::SetUp();
        run("create table t (k int, a int null, b int null)");
        run("insert t values (1, null, null)\ninsert t values (2, 5, null)\n"
            "insert t values (3, 5, 5)");
    }
    // The PRINTed texts of a batch, in order.
    Rows printed(const std::string& batch)
    {
        Rows out;
        for (const StatementResult& result : session->execute(batch)) {
            for (const Message& message : result.messages)
                out.push_back(message.text);
        }
        return out;
    }
};

TEST_F(NullComparison, ANullProducedByAnExpressionIsUnknownWithOrWithoutFrom)
{
    EXPECT_EQ(rows("select 'G' where convert(int, null) != 1"), Rows{});
    EXPECT_EQ(rows("select 'G' where convert(int, null) = 1"), Rows{});
    EXPECT_EQ(rows("select 'G' where not (convert(int, null) = 1)"), Rows{});
    EXPECT_EQ(rows("select 'G' where 1 = 0"), Rows{});
    EXPECT_EQ(rows("select 'G' where 1 = 1"), (Rows{"G"}));
    EXPECT_EQ(rows("select k from t where a + 1 != 1 order by k"), (Rows{"2", "3"}));
    EXPECT_EQ(rows("select case when convert(int, null) != 1 then 'T' else 'F' end"), (Rows{"F"}));
    EXPECT_EQ(printed("if convert(int, null) != 1 print 'then' else print 'else'"), (Rows{"else"}));
    EXPECT_EQ(printed("declare @n int\nselect @n = 0\n"
                      "while convert(int, null) < 3 and @n < 5 select @n = @n + 1\n"
                      "print '%1!', @n"),
              (Rows{"0"}));
}

TEST_F(NullComparison, TheNullConstantAndNullVariablesFindNulls)
{
    // "= NULL" / "!= NULL" with the constant, also after an expression.
    EXPECT_EQ(rows("select k from t where a = null"), (Rows{"1"}));
    EXPECT_EQ(rows("select k from t where b != null"), (Rows{"3"}));
    EXPECT_EQ(rows("select 'G' where convert(int, null) = null"), (Rows{"G"}));
    // A variable that holds NULL compares like the constant with "=" and "!=".
    EXPECT_EQ(rows("declare @m int\nselect k from t where a = @m"), (Rows{"1"}));
    EXPECT_EQ(rows("declare @m int\nselect k from t where b != @m"), (Rows{"3"}));
    EXPECT_EQ(printed("declare @v int, @i int\nif @v = @i print 'equal'\n"
                      "if @v > @i print 'greater'\nif @v != @i print 'differ'"),
              (Rows{"equal"}));
    // Two columns, and orderings, stay unknown.
    EXPECT_EQ(rows("select k from t where a = b"), (Rows{"3"}));
    EXPECT_EQ(rows("declare @m int\nselect k from t where a >= @m"), Rows{});
    // With ansinull on every comparison with a NULL is unknown.
    run("set ansinull on");
    EXPECT_EQ(rows("select k from t where a = null"), Rows{});
    EXPECT_EQ(rows("declare @m int\nselect k from t where a = @m"), Rows{});
    EXPECT_EQ(printed("declare @v int, @i int\nif @v = @i print 'equal' else print 'unknown'"),
              (Rows{"unknown"}));
}

}  // namespace
}  // namespace tdsim::test
