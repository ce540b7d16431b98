// Client-Library against a live tdsim: compute rows between the regular rows, and
// dynamic-statement parameters of every type arriving with their values, also as a
// procedure's output parameters.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "CtClient.h"
#include "TdsimProcess.h"

namespace tdsim::e2e {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class LibctComputeParamsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<TdsimProcess>(); }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override { ASSERT_EQ(client_.connect("sa", ""), CS_SUCCEED); }

    CS_DATAFMT describe(CS_INT item)
    {
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        EXPECT_EQ(ct_describe(client_.cmd(), item, &fmt), CS_SUCCEED);
        return fmt;
    }
    CS_INT computeInfo(CS_INT what, CS_INT column)
    {
        CS_INT value = -1;
        CS_INT length = 0;
        EXPECT_EQ(ct_compute_info(client_.cmd(), what, column, &value, sizeof value, &length),
                  CS_SUCCEED);
        return value;
    }
    void prepare(const char* id, const char* sql)
    {
        CS_COMMAND* cmd = client_.cmd();
        ASSERT_EQ(ct_dynamic(cmd, CS_PREPARE, const_cast<char*>(id), CS_NULLTERM,
                             const_cast<char*>(sql), CS_NULLTERM),
                  CS_SUCCEED);
        ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
        ASSERT_EQ(client_.drain(),
                  (std::vector<CS_INT>{CS_CMD_SUCCEED, CS_CMD_DONE, CS_END_RESULTS}));
        ASSERT_EQ(
            ct_dynamic(cmd, CS_EXECUTE, const_cast<char*>(id), CS_NULLTERM, nullptr, CS_UNUSED),
            CS_SUCCEED);
    }
    // One parameter of each type the query layer and the catalog code bind, in this order:
    // datetime, smalldatetime, bit, float, real, money, numeric(10,4), varbinary, text.
    void bindEveryType(CS_INT status)
    {
        param(CS_DATETIME_TYPE, &when_, sizeof when_, status);
        param(CS_DATETIME4_TYPE, &minute_, sizeof minute_, status);
        param(CS_BIT_TYPE, &flag_, sizeof flag_, status);
        param(CS_FLOAT_TYPE, &ratio_, sizeof ratio_, status);
        param(CS_REAL_TYPE, &half_, sizeof half_, status);
        param(CS_MONEY_TYPE, &price_, sizeof price_, status);
        param(CS_NUMERIC_TYPE, &amount_, sizeof amount_, status, 10, 4);
        param(CS_BINARY_TYPE, bytes_, sizeof bytes_, status);
        param(CS_TEXT_TYPE, const_cast<char*>(text_), CS_INT(std::strlen(text_)), status);
    }
    void param(CS_INT type, CS_VOID* value, CS_INT length, CS_INT status, CS_INT precision = 0,
               CS_INT scale = 0)
    {
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        fmt.datatype = type;
        fmt.maxlength = length;
        fmt.status = status;
        fmt.precision = precision;
        fmt.scale = scale;
        ASSERT_EQ(ct_param(client_.cmd(), &fmt, value, length, 0), CS_SUCCEED) << type;
    }
    // The texts the values above convert to.
    static std::vector<std::string> everyTypeTexts()
    {
        return {"Feb 29 2024 01:45PM", "Dec 31 2001 11:59PM", "1",      "2.25",     "0.5",
                "1234.5678",           "-98765.4321",         "00ff10", "long text"};
    }
    void fillEveryType()
    {
        // 2024-02-29 13:45:30.500 and 2001-12-31 23:59.
        when_ = CS_DATETIME{45349, (13 * 3600 + 45 * 60 + 30) * 300 + 150};
        minute_ = CS_DATETIME4{37254, 23 * 60 + 59};
        CS_DATAFMT from, to;
        std::memset(&from, 0, sizeof from);
        std::memset(&to, 0, sizeof to);
        from.datatype = CS_CHAR_TYPE;
        to.datatype = CS_MONEY_TYPE;
        to.maxlength = sizeof price_;
        CS_INT out = 0;
        char money[] = "1234.5678";
        from.maxlength = CS_INT(std::strlen(money));
        ASSERT_EQ(cs_convert(context(), &from, money, &to, &price_, &out), CS_SUCCEED);
        char number[] = "-98765.4321";
        from.maxlength = CS_INT(std::strlen(number));
        to.datatype = CS_NUMERIC_TYPE;
        to.maxlength = sizeof amount_;
        to.precision = 10;
        to.scale = 4;
        ASSERT_EQ(cs_convert(context(), &from, number, &to, &amount_, &out), CS_SUCCEED);
    }
    CS_CONTEXT* context()
    {
        CS_CONTEXT* ctx = nullptr;
        ct_con_props(client_.connection(), CS_GET, CS_PARENT_HANDLE, &ctx, CS_UNUSED, nullptr);
        return ctx;
    }

    static std::unique_ptr<TdsimProcess> server_;
    CtClient client_;
    CS_DATETIME when_{};
    CS_DATETIME4 minute_{};
    CS_BIT flag_ = 1;
    CS_FLOAT ratio_ = 2.25;
    CS_REAL half_ = 0.5f;
    CS_MONEY price_{};
    CS_NUMERIC amount_{};
    CS_BYTE bytes_[3] = {0x00, 0xff, 0x10};
    const char* text_ = "long text";
};
std::unique_ptr<TdsimProcess> LibctComputeParamsTest::server_;

// Rows, then the compute row of each group right after its last row, the inner BY list
// first; the grand total last.
TEST_F(LibctComputeParamsTest, ComputeRowsArriveBetweenTheRowsTheyClose)
{
    ASSERT_EQ(client_.sendLanguage("select odd = id % 2, id, name from demo order by 1, 2 "
                                   "compute sum(id), max(name) by odd "
                                   "compute count(id)"),
              CS_SUCCEED);
    CS_COMMAND* cmd = client_.cmd();
    std::vector<CS_INT> types;
    std::vector<std::string> computes;
    CS_INT type = 0;
    while (ct_results(cmd, &type) == CS_SUCCEED) {
        types.push_back(type);
        if (type != CS_COMPUTE_RESULT) {
            if (type == CS_ROW_RESULT)
                client_.fetchAll();
            continue;
        }
        CS_INT id = computeInfo(CS_COMP_ID, CS_UNUSED);
        CS_INT columns = 0;
        ct_res_info(cmd, CS_NUMDATA, &columns, CS_UNUSED, nullptr);
        if (id == 1) {
            ASSERT_EQ(columns, 2);
            EXPECT_EQ(describe(1).datatype, CS_INT_TYPE);
            EXPECT_EQ(describe(2).datatype, CS_CHAR_TYPE);
            EXPECT_EQ(computeInfo(CS_COMP_OP, 1), CS_OP_SUM);
            EXPECT_EQ(computeInfo(CS_COMP_COLID, 1), 2);
            EXPECT_EQ(computeInfo(CS_COMP_OP, 2), CS_OP_MAX);
            EXPECT_EQ(computeInfo(CS_COMP_COLID, 2), 3);
            CS_SMALLINT byList[4] = {};
            CS_INT length = 0;
            ASSERT_EQ(
                ct_compute_info(cmd, CS_BYLIST_LEN, CS_UNUSED, &length, sizeof length, nullptr),
                CS_SUCCEED);
            EXPECT_EQ(length, 1);
            ASSERT_EQ(
                ct_compute_info(cmd, CS_COMP_BYLIST, CS_UNUSED, byList, sizeof byList, nullptr),
                CS_SUCCEED);
            EXPECT_EQ(byList[0], 1);
        } else {
            ASSERT_EQ(columns, 1);
            EXPECT_EQ(computeInfo(CS_COMP_OP, 1), CS_OP_COUNT);
        }
        for (const auto& row : client_.fetchAll()) {
            std::string line = std::to_string(id) + ":";
            for (const auto& value : row)
                line += " " + value;
            computes.push_back(line);
        }
    }
    EXPECT_EQ(types, (std::vector<CS_INT>{CS_ROW_RESULT, CS_COMPUTE_RESULT, CS_ROW_RESULT,
                                          CS_COMPUTE_RESULT, CS_COMPUTE_RESULT, CS_CMD_DONE}));
    // Even ids 2 and 4, then the odd ones 1, 3 (NULL name) and 5.
    EXPECT_EQ(computes, (std::vector<std::string>{"1: 6 delta", "1: 9 epsilon", "2: 5"}));
}

TEST_F(LibctComputeParamsTest, ParametersOfEveryTypeArriveWithTheirValuesAndTypes)
{
    fillEveryType();
    prepare("every", "select ?, ?, ?, ?, ?, ?, ?, ?, ?");
    bindEveryType(CS_INPUTVALUE);
    ASSERT_EQ(ct_send(client_.cmd()), CS_SUCCEED);
    CS_INT type = 0;
    ASSERT_EQ(ct_results(client_.cmd(), &type), CS_SUCCEED);
    ASSERT_EQ(type, CS_ROW_RESULT);
    const std::vector<CS_INT> expectedTypes = {CS_DATETIME_TYPE, CS_DATETIME4_TYPE, CS_BIT_TYPE,
                                               CS_FLOAT_TYPE,    CS_REAL_TYPE,      CS_MONEY_TYPE,
                                               CS_NUMERIC_TYPE,  CS_BINARY_TYPE,    CS_CHAR_TYPE};
    for (size_t i = 0; i < expectedTypes.size(); ++i)
        EXPECT_EQ(describe(CS_INT(i + 1)).datatype, expectedTypes[i]) << "column " << i + 1;
    EXPECT_EQ(describe(7).precision, 10);
    EXPECT_EQ(describe(7).scale, 4);
    Rows rows = client_.fetchAll();
    client_.drain();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], everyTypeTexts());
}

// The statement is a procedure call whose markers are output parameters: their values
// come back as return parameters after the status.
TEST_F(LibctComputeParamsTest, OutputParametersOfEveryTypeComeBackFromAProcedure)
{
    ASSERT_EQ(client_.sendLanguage(
                  "create proc p_every @dt datetime output, @sdt smalldatetime output, "
                  "@b bit output, @f float output, @r real output, @m money output, "
                  "@n numeric(10,4) output, @bin varbinary(8) output, @t varchar(300) output as "
                  "begin select @f = @f * 2, @m = @m + $1, @n = -@n, @b = 1 - @b return 3 end"),
              CS_SUCCEED);
    client_.drain();
    fillEveryType();
    prepare("proc",
            "exec p_every ? output, ? output, ? output, ? output, ? output, ? output, "
            "? output, ? output, ? output");
    bindEveryType(CS_RETURN);
    ASSERT_EQ(ct_send(client_.cmd()), CS_SUCCEED);
    Rows rows;
    EXPECT_EQ(client_.drain(&rows),
              (std::vector<CS_INT>{CS_STATUS_RESULT, CS_PARAM_RESULT, CS_CMD_SUCCEED, CS_CMD_DONE,
                                   CS_END_RESULTS}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], std::vector<std::string>{"3"});
    std::vector<std::string> expected = everyTypeTexts();
    expected[2] = "0";
    expected[3] = "4.5";
    expected[5] = "1235.5678";
    expected[6] = "98765.4321";
    EXPECT_EQ(rows[1], expected);
}

}  // namespace
}  // namespace tdsim::e2e
