// Client-Library against a live tdsim: login, batches, cursors, dynamic
// statements, options, cancel and a refused login.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "CtClient.h"
#include "TdsimProcess.h"

namespace tdsim::e2e {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class LibctTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<TdsimProcess>(); }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override { ASSERT_EQ(client_.connect("sa", ""), CS_SUCCEED); }

    static std::unique_ptr<TdsimProcess> server_;
    CtClient client_;
};
std::unique_ptr<TdsimProcess> LibctTest::server_;

TEST_F(LibctTest, SelectsVersionAndRowsWithNulls)
{
    Rows rows;
    ASSERT_EQ(client_.sendLanguage("select @@version"), CS_SUCCEED);
    client_.drain(&rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0][0].find("Adaptive Server Enterprise"), std::string::npos) << rows[0][0];

    rows.clear();
    ASSERT_EQ(client_.sendLanguage("select * from demo"), CS_SUCCEED);
    CS_INT type = 0;
    ASSERT_EQ(ct_results(client_.cmd(), &type), CS_SUCCEED);
    ASSERT_EQ(type, CS_ROW_RESULT);
    CS_DATAFMT id, name;
    ASSERT_EQ(ct_describe(client_.cmd(), 1, &id), CS_SUCCEED);
    ASSERT_EQ(ct_describe(client_.cmd(), 2, &name), CS_SUCCEED);
    EXPECT_EQ(id.datatype, CS_INT_TYPE);
    EXPECT_EQ(std::string(name.name, static_cast<size_t>(name.namelen)), "name");
    EXPECT_EQ(name.datatype, CS_CHAR_TYPE);
    EXPECT_TRUE(name.status & CS_CANBENULL);
    EXPECT_FALSE(id.status & CS_CANBENULL);
    rows = client_.fetchAll();
    ASSERT_EQ(ct_results(client_.cmd(), &type), CS_SUCCEED);
    EXPECT_EQ(type, CS_CMD_DONE);
    CS_INT count = 0;
    ct_res_info(client_.cmd(), CS_ROW_COUNT, &count, CS_UNUSED, nullptr);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(ct_results(client_.cmd(), &type), CS_END_RESULTS);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "alpha"}));
    EXPECT_EQ(rows[2][1], "NULL");
    EXPECT_EQ(rows[4][1], "epsilon");
}

TEST_F(LibctTest, EveryColumnTypeIsDescribedAndConverted)
{
    ASSERT_EQ(client_.sendLanguage("select * from types"), CS_SUCCEED);
    CS_INT type = 0;
    ASSERT_EQ(ct_results(client_.cmd(), &type), CS_SUCCEED);
    ASSERT_EQ(type, CS_ROW_RESULT);
    const std::vector<CS_INT> expectedTypes = {
        CS_CHAR_TYPE,    CS_CHAR_TYPE,     CS_TINYINT_TYPE,   CS_SMALLINT_TYPE, CS_INT_TYPE,
        CS_BIT_TYPE,     CS_DATETIME_TYPE, CS_DATETIME4_TYPE, CS_MONEY_TYPE,    CS_MONEY4_TYPE,
        CS_NUMERIC_TYPE, CS_DECIMAL_TYPE,  CS_FLOAT_TYPE,     CS_REAL_TYPE,     CS_TEXT_TYPE,
        CS_BINARY_TYPE,  CS_BINARY_TYPE};
    for (size_t i = 0; i < expectedTypes.size(); ++i) {
        CS_DATAFMT fmt;
        ASSERT_EQ(ct_describe(client_.cmd(), static_cast<CS_INT>(i + 1), &fmt), CS_SUCCEED);
        EXPECT_EQ(fmt.datatype, expectedTypes[i]) << "column " << i + 1;
        if (fmt.datatype == CS_NUMERIC_TYPE) {
            EXPECT_EQ(fmt.precision, 10);
            EXPECT_EQ(fmt.scale, 2);
        }
    }
    Rows rows = client_.fetchAll();
    while (ct_results(client_.cmd(), &type) == CS_SUCCEED) {
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"ab", " ", "255", "-2", "123456", "1",
                                                 "Feb 29 2024 01:45PM", "Dec 31 2001 11:59PM",
                                                 "-1234.5678", "12.5000", "-12345678.90", "99999",
                                                 "1.5", "2.5", "some text", "01020304", "abcd"}));
    for (size_t i = 0; i < rows[1].size(); ++i) {
        EXPECT_EQ(rows[1][i], i == 5 ? "0" : "NULL") << "column " << i + 1;
    }
}

TEST_F(LibctTest, BigDateTimeAndBigTimeArriveWithTheirMicroseconds)
{
    ASSERT_EQ(client_.sendLanguage("select convert(bigdatetime, '2024-02-29 23:59:58.123456'), "
                                   "convert(bigtime, '13:45:07.000001')"),
              CS_SUCCEED);
    CS_INT type = 0;
    ASSERT_EQ(ct_results(client_.cmd(), &type), CS_SUCCEED);
    ASSERT_EQ(type, CS_ROW_RESULT);
    CS_DATAFMT at, tod;
    ASSERT_EQ(ct_describe(client_.cmd(), 1, &at), CS_SUCCEED);
    ASSERT_EQ(ct_describe(client_.cmd(), 2, &tod), CS_SUCCEED);
    EXPECT_EQ(at.datatype, CS_BIGDATETIME_TYPE);
    EXPECT_EQ(tod.datatype, CS_BIGTIME_TYPE);
    // Bound as themselves: microseconds since 0000-01-01 (739310 days to 2024-02-29) and
    // since midnight.
    CS_BIGDATETIME atValue = 0;
    CS_BIGTIME todValue = 0;
    CS_INT length = 0;
    ASSERT_EQ(ct_bind(client_.cmd(), 1, &at, &atValue, &length, nullptr), CS_SUCCEED);
    ASSERT_EQ(ct_bind(client_.cmd(), 2, &tod, &todValue, &length, nullptr), CS_SUCCEED);
    CS_INT fetched = 0;
    ASSERT_EQ(ct_fetch(client_.cmd(), CS_UNUSED, CS_UNUSED, CS_UNUSED, &fetched), CS_SUCCEED);
    EXPECT_EQ(atValue, 739310ULL * 86400000000ULL + 86398123456ULL);
    EXPECT_EQ(todValue, 49507000001ULL);
    while (ct_fetch(client_.cmd(), CS_UNUSED, CS_UNUSED, CS_UNUSED, &fetched) == CS_SUCCEED) {
    }
    while (ct_results(client_.cmd(), &type) == CS_SUCCEED) {
    }
}

TEST_F(LibctTest, TwoSelectsInOneBatchGiveTwoResults)
{
    ASSERT_EQ(client_.sendLanguage("select * from demo select @@spid"), CS_SUCCEED);
    Rows rows;
    EXPECT_EQ(client_.drain(&rows), (std::vector<CS_INT>{CS_ROW_RESULT, CS_CMD_DONE, CS_ROW_RESULT,
                                                         CS_CMD_DONE, CS_END_RESULTS}));
    EXPECT_EQ(rows.size(), 6u);
    // The stream stays in step: the next command on the connection works.
    ASSERT_EQ(client_.sendLanguage("select @@spid"), CS_SUCCEED);
    EXPECT_EQ(client_.drain().back(), CS_END_RESULTS);
}

TEST_F(LibctTest, SysprocessesListsTheConnectionWithItsLoginRecord)
{
    ASSERT_EQ(client_.sendLanguage("select * from master..sysprocesses "
                                   "select spid, program_name, cmd, network_pktsz "
                                   "from master..sysprocesses where spid = @@spid"),
              CS_SUCCEED);
    CS_INT type = 0;
    ASSERT_EQ(ct_results(client_.cmd(), &type), CS_SUCCEED);
    ASSERT_EQ(type, CS_ROW_RESULT);
    CS_INT columns = 0;
    ct_res_info(client_.cmd(), CS_NUMDATA, &columns, CS_UNUSED, nullptr);
    EXPECT_EQ(columns, 36);
    CS_DATAFMT loggedIn;
    ASSERT_EQ(ct_describe(client_.cmd(), 34, &loggedIn), CS_SUCCEED);
    EXPECT_EQ(std::string(loggedIn.name, static_cast<size_t>(loggedIn.namelen)),
              "loggedindatetime");
    EXPECT_EQ(loggedIn.datatype, CS_DATETIME_TYPE);
    EXPECT_FALSE(client_.fetchAll().empty());
    Rows rows;
    client_.drain(&rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "e2e");  // the application name the login record carries
    EXPECT_EQ(rows[0][2], "SELECT");
    EXPECT_NE(rows[0][3], "NULL");
}

TEST_F(LibctTest, FailedStatementReportsMessageAndFails)
{
    ASSERT_EQ(client_.sendLanguage("select from where"), CS_SUCCEED);
    auto types = client_.drain();
    EXPECT_EQ(types.front(), CS_CMD_FAIL);
    ASSERT_FALSE(CtClient::serverMessages().empty());
    EXPECT_GT(CtClient::serverMessages().back().severity, 10);
}

TEST_F(LibctTest, CursorServesThreeRowsPerFetch)
{
    CS_COMMAND* cmd = client_.cmd();
    ASSERT_EQ(ct_cursor(cmd, CS_CURSOR_DECLARE, const_cast<char*>("c1"), CS_NULLTERM,
                        const_cast<char*>("select * from demo"), CS_NULLTERM, CS_READ_ONLY),
              CS_SUCCEED);
    ASSERT_EQ(ct_cursor(cmd, CS_CURSOR_ROWS, nullptr, CS_UNUSED, nullptr, CS_UNUSED, 3),
              CS_SUCCEED);
    ASSERT_EQ(ct_cursor(cmd, CS_CURSOR_OPEN, nullptr, CS_UNUSED, nullptr, CS_UNUSED, CS_UNUSED),
              CS_SUCCEED);
    ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
    std::vector<CS_INT> types;
    CS_INT type = 0;
    while (ct_results(cmd, &type) == CS_SUCCEED) {
        types.push_back(type);
        if (type == CS_CURSOR_RESULT) {
            break;
        }
    }
    EXPECT_EQ(types, (std::vector<CS_INT>{CS_CMD_SUCCEED, CS_CMD_DONE, CS_CMD_SUCCEED, CS_CMD_DONE,
                                          CS_CURSOR_RESULT}));
    CS_INT cursorId = 0, status = 0;
    ct_cmd_props(cmd, CS_GET, CS_CUR_ID, &cursorId, CS_UNUSED, nullptr);
    ct_cmd_props(cmd, CS_GET, CS_CUR_STATUS, &status, CS_UNUSED, nullptr);
    EXPECT_NE(cursorId, 0);
    EXPECT_TRUE(status & CS_CURSTAT_OPEN);
    EXPECT_FALSE(status & (CS_CURSTAT_DECLARED | CS_CURSTAT_CLOSED));

    CS_INT ids[3];
    CS_SMALLINT indicators[3];
    CS_DATAFMT fmt;
    std::memset(&fmt, 0, sizeof fmt);
    fmt.datatype = CS_INT_TYPE;
    fmt.maxlength = sizeof(CS_INT);
    fmt.count = 3;
    ASSERT_EQ(ct_bind(cmd, 1, &fmt, ids, nullptr, indicators), CS_SUCCEED);
    std::vector<CS_INT> perFetch, seen;
    CS_INT read = 0;
    while (ct_fetch(cmd, CS_UNUSED, CS_UNUSED, CS_UNUSED, &read) == CS_SUCCEED) {
        perFetch.push_back(read);
        seen.insert(seen.end(), ids, ids + read);
    }
    EXPECT_EQ(perFetch, (std::vector<CS_INT>{3, 2}));
    EXPECT_EQ(seen, (std::vector<CS_INT>{1, 2, 3, 4, 5}));
    while (ct_results(cmd, &type) == CS_SUCCEED) {
    }

    ASSERT_EQ(ct_cursor(cmd, CS_CURSOR_CLOSE, nullptr, CS_UNUSED, nullptr, CS_UNUSED, CS_DEALLOC),
              CS_SUCCEED);
    ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
    EXPECT_EQ(client_.drain(), (std::vector<CS_INT>{CS_CMD_SUCCEED, CS_CMD_DONE, CS_END_RESULTS}));
    ct_cmd_props(cmd, CS_GET, CS_CUR_STATUS, &status, CS_UNUSED, nullptr);
    EXPECT_EQ(status, CS_CURSTAT_NONE);
}

TEST_F(LibctTest, DynamicStatementRunsWithParameters)
{
    CS_COMMAND* cmd = client_.cmd();
    ASSERT_EQ(ct_dynamic(cmd, CS_PREPARE, const_cast<char*>("dyn1"), CS_NULLTERM,
                         const_cast<char*>("select * from demo where id = ?"), CS_NULLTERM),
              CS_SUCCEED);
    ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
    EXPECT_EQ(client_.drain(), (std::vector<CS_INT>{CS_CMD_SUCCEED, CS_CMD_DONE, CS_END_RESULTS}));
    EXPECT_TRUE(CtClient::serverMessages().empty());

    for (CS_INT wanted : {2, 4}) {
        ASSERT_EQ(
            ct_dynamic(cmd, CS_EXECUTE, const_cast<char*>("dyn1"), CS_NULLTERM, nullptr, CS_UNUSED),
            CS_SUCCEED);
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        fmt.datatype = CS_INT_TYPE;
        fmt.maxlength = sizeof(CS_INT);
        fmt.status = CS_INPUTVALUE;
        ASSERT_EQ(ct_param(cmd, &fmt, &wanted, sizeof wanted, 0), CS_SUCCEED);
        ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
        Rows rows;
        EXPECT_EQ(client_.drain(&rows),
                  (std::vector<CS_INT>{CS_ROW_RESULT, CS_CMD_DONE, CS_END_RESULTS}));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0], std::to_string(wanted));
    }

    ASSERT_EQ(
        ct_dynamic(cmd, CS_DEALLOC, const_cast<char*>("dyn1"), CS_NULLTERM, nullptr, CS_UNUSED),
        CS_SUCCEED);
    ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
    EXPECT_EQ(client_.drain(), (std::vector<CS_INT>{CS_CMD_SUCCEED, CS_CMD_DONE, CS_END_RESULTS}));
}

// A parameter arrives as the type it was sent as: a datetime with its date and time, a
// float with its fraction, a bit as 0 or 1.
TEST_F(LibctTest, DynamicParametersArriveWithTheirTypes)
{
    CS_COMMAND* cmd = client_.cmd();
    ASSERT_EQ(ct_dynamic(cmd, CS_PREPARE, const_cast<char*>("dyn2"), CS_NULLTERM,
                         const_cast<char*>("select convert(char(19), ?, 23), "
                                           "convert(varchar(20), ?), convert(varchar(5), ?)"),
                         CS_NULLTERM),
              CS_SUCCEED);
    ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
    EXPECT_EQ(client_.drain(), (std::vector<CS_INT>{CS_CMD_SUCCEED, CS_CMD_DONE, CS_END_RESULTS}));

    ASSERT_EQ(
        ct_dynamic(cmd, CS_EXECUTE, const_cast<char*>("dyn2"), CS_NULLTERM, nullptr, CS_UNUSED),
        CS_SUCCEED);
    auto param = [&](CS_INT type, CS_INT size, CS_VOID* value) {
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        fmt.datatype = type;
        fmt.maxlength = size;
        fmt.status = CS_INPUTVALUE;
        ASSERT_EQ(ct_param(cmd, &fmt, value, size, 0), CS_SUCCEED);
    };
    CS_DATETIME when{1, 300 * 3600};  // 1900-01-02 01:00
    CS_FLOAT ratio = 2.5;
    CS_BIT flag = 1;
    param(CS_DATETIME_TYPE, sizeof when, &when);
    param(CS_FLOAT_TYPE, sizeof ratio, &ratio);
    param(CS_BIT_TYPE, sizeof flag, &flag);
    ASSERT_EQ(ct_send(cmd), CS_SUCCEED);
    Rows rows;
    EXPECT_EQ(client_.drain(&rows),
              (std::vector<CS_INT>{CS_ROW_RESULT, CS_CMD_DONE, CS_END_RESULTS}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1900-01-02T01:00:00", "2.5", "1"}));
}

TEST_F(LibctTest, OptionsAreSetAndReadBack)
{
    CS_CONNECTION* con = client_.connection();
    CS_BOOL on = CS_TRUE, off = CS_FALSE, value = CS_FALSE;
    CS_INT textSize = 65536;
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_TEXTSIZE, &textSize, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_QUOTED_IDENT, &on, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_CHAINXACTS, &off, CS_UNUSED, nullptr), CS_SUCCEED);
    // Sent as option 0: accepted silently.
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_ANSIPERM, &on, CS_UNUSED, nullptr), CS_SUCCEED);

    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_ANSINULL, &on, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(ct_options(con, CS_GET, CS_OPT_ANSINULL, &value, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(value, CS_TRUE);
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_ANSINULL, &off, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(ct_options(con, CS_GET, CS_OPT_ANSINULL, &value, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(value, CS_FALSE);

    // Sent inverted, as "truncation abort"; the client cannot read it back.
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_TRUNCIGNORE, &on, CS_UNUSED, nullptr), CS_SUCCEED);

    // Clearing restores the server's default (off).
    EXPECT_EQ(ct_options(con, CS_SET, CS_OPT_NOCOUNT, &on, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(ct_options(con, CS_CLEAR, CS_OPT_NOCOUNT, &on, CS_UNUSED, nullptr), CS_SUCCEED);
    value = CS_TRUE;
    EXPECT_EQ(ct_options(con, CS_GET, CS_OPT_NOCOUNT, &value, CS_UNUSED, nullptr), CS_SUCCEED);
    EXPECT_EQ(value, CS_FALSE);
    EXPECT_TRUE(CtClient::clientMessages().empty());
}

TEST_F(LibctTest, CancelInTheMiddleOfAResultKeepsTheConnectionUsable)
{
    CS_COMMAND* cmd = client_.cmd();
    ASSERT_EQ(client_.sendLanguage("select * from demo"), CS_SUCCEED);
    CS_INT type = 0;
    ASSERT_EQ(ct_results(cmd, &type), CS_SUCCEED);
    ASSERT_EQ(type, CS_ROW_RESULT);
    CS_INT read = 0;
    ASSERT_EQ(ct_fetch(cmd, CS_UNUSED, CS_UNUSED, CS_UNUSED, &read), CS_SUCCEED);
    ASSERT_EQ(ct_cancel(nullptr, cmd, CS_CANCEL_ALL), CS_SUCCEED);
    while (ct_results(cmd, &type) == CS_SUCCEED) {
    }
    Rows rows;
    ASSERT_EQ(client_.sendLanguage("select @@spid"), CS_SUCCEED);
    EXPECT_EQ(client_.drain(&rows),
              (std::vector<CS_INT>{CS_ROW_RESULT, CS_CMD_DONE, CS_END_RESULTS}));
    EXPECT_EQ(rows.size(), 1u);
}

TEST(LibctLoginTest, WrongPasswordIsRefusedWithMessage4002)
{
    TdsimProcess server;
    CtClient client;
    EXPECT_EQ(client.connect("sa", "not-the-password"), CS_FAIL);
    ASSERT_FALSE(CtClient::serverMessages().empty());
    const ServerMessage& m = CtClient::serverMessages().front();
    EXPECT_EQ(m.number, 4002);
    EXPECT_EQ(m.severity, 14);
    EXPECT_EQ(m.text, "Login failed.\n");
}

TEST(LibctLoginTest, ExtraLoginAndLargePacketSizeWork)
{
    TdsimProcess server({"--login", "alice:secret"});
    CtClient client;
    CS_INT packetSize = 4096;
    ct_con_props(client.connection(), CS_SET, CS_PACKETSIZE, &packetSize, CS_UNUSED, nullptr);
    ASSERT_EQ(client.connect("alice", "secret"), CS_SUCCEED);
    CS_INT granted = 0;
    ct_con_props(client.connection(), CS_GET, CS_PACKETSIZE, &granted, CS_UNUSED, nullptr);
    EXPECT_EQ(granted, 4096);
    // A batch larger than one packet arrives whole.
    std::string sql = "select * from demo" + std::string(6000, ' ');
    ASSERT_EQ(client.sendLanguage(sql), CS_SUCCEED);
    Rows rows;
    client.drain(&rows);
    EXPECT_EQ(rows.size(), 5u);
}

}  // namespace
}  // namespace tdsim::e2e
