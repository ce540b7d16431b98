// Golden bytes: the token writers against replies FreeTDS is known to accept.
#include <gtest/gtest.h>

#include "TestBytes.h"
#include "tds/Login.h"
#include "tds/Reply.h"
#include "tds/ResultWriter.h"

namespace tdsim::tds {
namespace {

using testing::hex;
using testing::toHex;

LoginRecord freetdsLogin()
{
    LoginRecord login;
    login.requestedPacketSize = 512;
    login.requestCapabilities = hex("00 00 60 08 81 81 e8 0f 6d 7f ff ff ff fe");
    login.responseCapabilities = hex("00 00 00 00 00 00 00 00 00 02 68 00 00 00");
    return login;
}

TEST(LoginReplyTest, AcceptedLoginMatchesTheReferenceStream)
{
    LoginContext context;
    context.database = "master";
    Reply reply = acceptLogin(freetdsLogin(), context, 512);
    Bytes expected =
        hex("e3 09 00 01 06 'master' 00"
            "e3 0d 00 02 0a 'us_english' 00"
            "e3 08 00 03 05 'iso_1' 00"
            "ad 24 00 05 05 00 00 00 1a 'Adaptive Server Enterprise' 0f 07 00 00"
            "e3 09 00 04 03 '512' 03 '512'"
            "e2 20 00 01 0e 00 00 60 08 81 81 e8 0e 6d 7f ff ff ff fe"
            "   02 0e 00 00 00 00 00 00 00 00 00 02 68 00 00 00"
            "fd 00 00 00 00 00 00 00 00");
    EXPECT_EQ(expected.size(), 134u);
    EXPECT_EQ(toHex(reply.bytes()), toHex(expected));
}

TEST(LoginReplyTest, SqlAnywhereAcknowledgementNamesItsProduct)
{
    // FreeTDS recognises the product by this name in the acknowledgement.
    LoginContext context;
    context.database = "sademo";
    context.product = sqlAnywhere();
    std::string reply = toHex(acceptLogin(freetdsLogin(), context, 512).bytes());
    EXPECT_NE(reply.find(toHex(hex("ad 16 00 05 05 00 00 00 0c 'SQL Anywhere' 0c 00 01 00"))),
              std::string::npos)
        << reply;
    EXPECT_NE(reply.find(toHex(hex("e3 09 00 01 06 'sademo' 00"))), std::string::npos) << reply;
}

TEST(LoginReplyTest, PacketSizeChangeCarriesGrantedThenRequested)
{
    LoginRecord login = freetdsLogin();
    login.requestedPacketSize = 65000;
    LoginContext context;
    context.charset = "utf8";
    int granted = negotiatePacketSize(login.requestedPacketSize);
    EXPECT_LT(granted, 65000);
    EXPECT_EQ(negotiatePacketSize(100), 512);
    std::string reply = toHex(acceptLogin(login, context, granted).bytes());
    std::string grantedText = std::to_string(granted);
    Bytes sizeChange = {static_cast<uint8_t>(grantedText.size())};
    for (Bytes part : {hex("'" + grantedText + "'"), hex("05 '65000'")}) {
        sizeChange.insert(sizeChange.end(), part.begin(), part.end());
    }
    std::string sizes = toHex(sizeChange);
    EXPECT_NE(reply.find(sizes), std::string::npos) << reply;
    EXPECT_NE(reply.find(toHex(hex("03 04 'utf8' 00"))), std::string::npos) << reply;
}

TEST(LoginReplyTest, RefusedLoginMatchesTheReferenceStream)
{
    LoginContext context;
    context.serverName = "EMU";
    Bytes expected = hex(
        "e5 26 00 a2 0f 00 00 01 0e 05 'ZZZZZ' 00 00 00 0e 00 'Login failed.' 0a 03 'EMU' 00 01 00"
        "ad 24 00 06 05 00 00 00 1a 'Adaptive Server Enterprise' 0f 07 00 00"
        "fd 00 00 00 00 00 00 00 00");
    EXPECT_EQ(toHex(refuseLogin(context).bytes()), toHex(expected));
}

ResultSet demoRows()
{
    ResultSet rs;
    rs.columns = {ColumnInfo{"id", ColumnType::Int, 4, 0, 0, false, 0},
                  ColumnInfo{"name", ColumnType::VarChar, 30, 0, 0, true, 0}};
    rs.rows = {{Value::ofInt(1), Value::ofString("alpha")},
               {Value::ofInt(2), Value::ofString("beta")},
               {Value::ofInt(3), Value::null()}};
    return rs;
}

TEST(ResultWriterTest, SelectReplyMatchesTheReference64Bytes)
{
    StatementResult select;
    select.resultSet = demoRows();
    Reply reply;
    ResultWriter("TDSIM", "master").write(reply, {select});
    reply.chainDones();
    Bytes expected =
        hex("ee 19 00 02 00"
            "   02 'id'   00 00 00 00 00 38 00"
            "   04 'name' 20 00 00 00 00 27 1e 00"
            "d1 01 00 00 00 05 'alpha'"
            "d1 02 00 00 00 04 'beta'"
            "d1 03 00 00 00 00"
            "fd 10 00 00 00 03 00 00 00");
    EXPECT_EQ(expected.size(), 64u);
    EXPECT_EQ(toHex(reply.bytes()), toHex(expected));
}

TEST(ResultWriterTest, SpidBatchSetsMoreOnAllButTheLastDone)
{
    StatementResult setTextSize;
    StatementResult spid;
    spid.resultSet =
        ResultSet{{ColumnInfo{"", ColumnType::Int, 4, 0, 0, false, 0}}, {{Value::ofInt(17)}}};
    StatementResult use;
    use.newDatabase = "pubs2";
    use.messages.push_back({5701, 1, 10, "Changed database context to 'pubs2'.\n", "", 1});
    Reply reply;
    ResultWriter writer("TDSIM", "master");
    writer.write(reply, {setTextSize, spid, use});
    reply.chainDones();
    std::string bytes = toHex(reply.bytes());
    EXPECT_EQ(bytes.rfind(toHex(hex("fd 01 00 00 00 00 00 00 00")), 0), 0u) << bytes;
    EXPECT_NE(bytes.find(toHex(hex("ee 0a 00 01 00 00 00 00 00 00 00 38 00 d1 11 00 00 00"
                                   "fd 11 00 00 00 01 00 00 00"))),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find(toHex(hex("e3 0e 00 01 05 'pubs2' 06 'master'"))), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 26), toHex(hex("fd 00 00 00 00 00 00 00 00")));
    EXPECT_EQ(writer.currentDatabase(), "pubs2");
}

TEST(ResultWriterTest, ProcedureSendsStatusBeforeOutputParameters)
{
    StatementResult rows;
    rows.isProcedure = true;
    rows.resultSet = demoRows();
    StatementResult end;
    end.isProcedure = true;
    end.returnStatus = 0;
    end.outputParams.push_back(
        {ColumnInfo{"out", ColumnType::Int, 4, 0, 0, true, 0}, Value::ofInt(99)});
    Reply reply;
    ResultWriter("TDSIM", "master").write(reply, {rows, end});
    reply.chainDones();
    std::string bytes = toHex(reply.bytes());
    std::string tail =
        toHex(hex("ff 11 00 00 00 03 00 00 00"  // DONEINPROC(MORE|COUNT) after the rows
                  "79 00 00 00 00"              // RETURNSTATUS 0
                  "ec 0f 00 01 00 04 '@out' 01 00 00 00 00 26 04 00"
                  "d7 04 63 00 00 00"              // PARAMS 99
                  "fe 00 00 00 00 00 00 00 00"));  // DONEPROC
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST(ResultWriterTest, FailedStatementGetsEedAndErrorBit)
{
    StatementResult bad;
    bad.failed = true;
    bad.messages.push_back({208, 1, 16, "nosuch not found.\n", "p", 3});
    Reply reply;
    ResultWriter("SRV", "master").write(reply, {bad});
    EXPECT_EQ(
        toHex(reply.bytes()),
        toHex(hex("e5 2b 00 d0 00 00 00 01 10 05 'ZZZZZ' 00 00 00 12 00 'nosuch not found.' 0a"
                  "03 'SRV' 01 'p' 03 00"
                  "fd 02 00 00 00 00 00 00 00")));
}

TEST(ReplyTokenTest, SmallTokensMatchTheReference)
{
    Reply r;
    r.curInfo(1, 0x09, std::nullopt);
    r.curInfo(1, 0x2a, 3);
    r.dynamicAck("dyn1");
    r.optionInfo(0x22, {1});
    EXPECT_EQ(toHex(r.bytes()), toHex(hex("83 07 00 01 00 00 00 03 09 00"
                                          "83 0b 00 01 00 00 00 03 2a 00 03 00 00 00"
                                          "e7 07 00 20 00 04 'dyn1'"
                                          "a6 04 00 04 22 01 01")));
    EXPECT_EQ(r.tokenStarts(), (std::vector<size_t>{0, 10, 24, 34}));
}

}  // namespace
}  // namespace tdsim::tds
