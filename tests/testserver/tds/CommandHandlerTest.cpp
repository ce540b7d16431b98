// Command handling over the canned-statement session: cursor, dynamic and
// option replies, byte for byte where the client is sensitive to them.
#include <gtest/gtest.h>

#include "FakeEngine.h"
#include "TestBytes.h"
#include "tds/CommandHandler.h"
#include "tds/Options.h"

namespace tdsim::tds {
namespace {

using testing::hex;
using testing::toHex;

class CommandHandlerTest : public ::testing::Test {
protected:
    std::string run(std::vector<Command> commands)
    {
        return toHex(handler_.handle(commands).bytes());
    }
    static CursorRef byName(const char* name) { return CursorRef{0, name}; }

    testing::FakeSession session_{17};
    ServerStats stats_;
    CommandHandler handler_{session_, stats_, "TDSIM"};
};

std::string rowfmtDemo()
{
    return toHex(
        hex("ee 19 00 02 00 02 'id' 00 07 00 00 00 38 00 04 'name' 20 02 00 00 00 27 1e 00"));
}

TEST_F(CommandHandlerTest, SqlAnywhereCursorBatchHasOneDoneAfterTheOpen)
{
    // The cursor information of declare and rows comes without DONE, so that a client's
    // first result is the cursor's rows; the open's reply is as on Adaptive Server.
    testing::FakeSession session{18};
    CommandHandler sqlAnywhere{session, stats_, "TDSIM", Product::SqlAnywhere};
    std::string reply =
        toHex(sqlAnywhere
                  .handle({CursorDeclare{"c1", "select * from demo", {}},
                           CursorSetRows{byName("c1"), 1, 3}, CursorOpen{byName("c1"), {}}})
                  .bytes());
    std::string aseReply = run({CursorDeclare{"c1", "select * from demo", {}},
                                CursorSetRows{byName("c1"), 1, 3}, CursorOpen{byName("c1"), {}}});
    const std::string declare = "83 07 00 01 00 00 00 03 09 00 ";
    const std::string rows = "83 0b 00 01 00 00 00 03 29 00 03 00 00 00 ";
    const std::string done = "fd 01 00 00 00 00 00 00 00 ";
    const std::string aseHead = toHex(hex(declare + done + rows + done));
    const std::string saHead = toHex(hex(declare + rows));
    ASSERT_EQ(aseReply.substr(0, aseHead.size()), aseHead);
    EXPECT_EQ(reply.substr(0, saHead.size()), saHead);
    EXPECT_EQ(reply.substr(saHead.size()), aseReply.substr(aseHead.size()));
}

TEST_F(CommandHandlerTest, CursorBatchThenFetchesOfThreeRows)
{
    std::string open = run({CursorDeclare{"c1", "select * from demo", {}},
                            CursorSetRows{byName("c1"), 1, 3}, CursorOpen{byName("c1"), {}}});
    EXPECT_EQ(open, toHex(hex("83 07 00 01 00 00 00 03 09 00 fd 01 00 00 00 00 00 00 00"
                              "83 0b 00 01 00 00 00 03 29 00 03 00 00 00 fd 01 00 00 00 00 00 00 00"
                              "83 0b 00 01 00 00 00 03 2a 00 03 00 00 00")) +
                        " " + rowfmtDemo() + " " + toHex(hex("fd 00 00 00 00 00 00 00 00")));

    std::string first = run({CursorFetch{byName("c1"), FetchType::Next, 0}});
    EXPECT_EQ(first,
              toHex(hex("d1 01 00 00 00 05 'alpha' d1 02 00 00 00 04 'beta' d1 03 00 00 00 00"
                        "fd 10 00 00 00 03 00 00 00")));
    std::string second = run({CursorFetch{byName("c1"), FetchType::Next, 0}});
    EXPECT_EQ(second.substr(second.size() - 26), toHex(hex("fd 10 00 00 00 02 00 00 00")));
    EXPECT_EQ(run({CursorFetch{byName("c1"), FetchType::Next, 0}}),
              toHex(hex("fd 10 00 00 00 00 00 00 00")));
    // Starting over from the first row works on the kept rows.
    EXPECT_EQ(run({CursorFetch{byName("c1"), FetchType::First, 0}}), first);
    EXPECT_EQ(stats_.cursorFetches, 4u);

    EXPECT_EQ(run({CursorClose{CursorRef{1, ""}, false}}),
              toHex(hex("83 07 00 01 00 00 00 03 0d 00 fd 00 00 00 00 00 00 00 00")));
    EXPECT_EQ(run({CursorClose{CursorRef{1, ""}, true}}),
              toHex(hex("83 07 00 01 00 00 00 03 40 00 fd 00 00 00 00 00 00 00 00")));
    // A new cursor gets a new id; the old name is free again.
    std::string again = run({CursorDeclare{"c1", "select * from demo", {}}});
    EXPECT_EQ(again.substr(0, 29), toHex(hex("83 07 00 02 00 00 00 03 09 00")));
}

// The message number of the first EED in a reply, and whether the reply ends in DONE(ERROR).
int firstMessageNumber(const std::string& reply)
{
    Bytes b = hex(reply);
    return b.size() > 7 && b[0] == token::kEed ? b[3] | (b[4] << 8) : -1;
}
bool endsInError(const std::string& reply)
{
    return reply.size() >= 26 &&
           reply.substr(reply.size() - 26) == toHex(hex("fd 02 00 00 00 00 00 00 00"));
}

TEST_F(CommandHandlerTest, CursorErrorsAreReportedNotFatal)
{
    std::string unknown = run({CursorFetch{byName("nope"), FetchType::Next, 0}});
    EXPECT_EQ(firstMessageNumber(unknown), 557);
    EXPECT_TRUE(endsInError(unknown));

    run({CursorDeclare{"c2", "select * from demo", {}}});
    std::string notOpen = run({CursorFetch{byName("c2"), FetchType::Next, 0}});
    EXPECT_EQ(firstMessageNumber(notOpen), 559);
    EXPECT_TRUE(endsInError(notOpen));
    run({CursorOpen{byName("c2"), {}}});
    std::string reopen = run({CursorOpen{byName("c2"), {}}});
    EXPECT_EQ(firstMessageNumber(reopen), 558);
    EXPECT_TRUE(endsInError(reopen));

    run({CursorDeclare{"bad", "select nonsense", {}}});
    std::string failedOpen = run({CursorOpen{byName("bad"), {}}});
    // The open fails with the engine's message and no format.
    EXPECT_EQ(firstMessageNumber(failedOpen), 102);
    EXPECT_EQ(failedOpen.find(toHex(hex("ee"))), std::string::npos);
    EXPECT_TRUE(endsInError(failedOpen));

    std::string duplicate = run({CursorDeclare{"bad", "select * from demo", {}}});
    EXPECT_EQ(firstMessageNumber(duplicate), 556);
    EXPECT_TRUE(endsInError(duplicate));
}

TEST_F(CommandHandlerTest, DynamicStatementLifecycle)
{
    EXPECT_EQ(
        run({DynamicCommand{DynamicOp::Prepare, "d1", "select * from demo where id = ?", {}}}),
        toHex(hex("e7 05 00 20 00 02 'd1' fd 00 00 00 00 00 00 00 00")));
    Parameter id;
    id.value = Value::ofInt(4);
    std::string rows = run({DynamicCommand{DynamicOp::Execute, "d1", "", {id}}});
    EXPECT_NE(rows.find(toHex(hex("'delta'"))), std::string::npos);
    EXPECT_EQ(session_.lastParams.size(), 1u);
    EXPECT_EQ(run({DynamicCommand{DynamicOp::Deallocate, "d1", "", {}}}),
              toHex(hex("e7 05 00 20 00 02 'd1' fd 00 00 00 00 00 00 00 00")));
    std::string gone = run({DynamicCommand{DynamicOp::Execute, "d1", "", {}}});
    EXPECT_EQ(gone.substr(gone.size() - 26), toHex(hex("fd 02 00 00 00 00 00 00 00")));
}

TEST_F(CommandHandlerTest, ExactParametersKeepTheirTypeAndScale)
{
    Parameter money;
    money.format = WireColumn::forColumn(ColumnInfo{"", ColumnType::Money, 8, 0, 0, true, 0});
    money.value = Value::ofInt(-12345678);
    ParamValue exactMoney = engineValue(money);
    EXPECT_EQ(exactMoney.type, ColumnType::Money);
    EXPECT_EQ(exactMoney.value.intValue, -12345678);
    Parameter scaled;
    scaled.format = WireColumn::forColumn(ColumnInfo{"", ColumnType::Numeric, 0, 10, 4, true, 0});
    scaled.value = Value::ofInt(-987654321);
    ParamValue numeric = engineValue(scaled);
    EXPECT_EQ(numeric.type, ColumnType::Numeric);
    EXPECT_EQ(numeric.precision, 10);
    EXPECT_EQ(numeric.scale, 4);
    EXPECT_EQ(numeric.value.intValue, -987654321);
    Parameter whole;
    whole.format = WireColumn::forColumn(ColumnInfo{"", ColumnType::Numeric, 0, 10, 0, true, 0});
    whole.value = Value::ofInt(42);
    EXPECT_EQ(engineValue(whole).value.intValue, 42);
    Parameter small;
    small.format =
        WireColumn::forColumn(ColumnInfo{"", ColumnType::SmallDateTime, 4, 0, 0, true, 0});
    EXPECT_EQ(engineValue(small).type, ColumnType::SmallDateTime);
    Parameter real;
    real.format = WireColumn::forColumn(ColumnInfo{"", ColumnType::Real, 4, 0, 0, true, 0});
    EXPECT_EQ(engineValue(real).type, ColumnType::Real);
}

TEST_F(CommandHandlerTest, BatchOfStatementsChainsDonesAndLogoutEnds)
{
    std::string reply = run({LanguageCommand{"select @@spid use [pubs2]", {}}});
    EXPECT_NE(reply.find(toHex(hex("fd 11 00 00 00 01 00 00 00"))), std::string::npos);
    EXPECT_EQ(reply.substr(reply.size() - 26), toHex(hex("fd 00 00 00 00 00 00 00 00")));
    EXPECT_EQ(session_.currentDatabase(), "pubs2");
    EXPECT_FALSE(handler_.loggedOut());
    EXPECT_EQ(run({LogoutCommand{}}), toHex(hex("fd 00 00 00 00 00 00 00 00")));
    EXPECT_TRUE(handler_.loggedOut());
}

TEST(OptionsTest, SetClearAndGetMapOntoSessionOptions)
{
    SessionOptions options;
    auto apply = [&](OptionOp op, uint8_t option, Bytes arg) {
        Reply reply;
        applyOption(OptionCommand{op, option, std::move(arg)}, options, reply);
        return toHex(reply.bytes());
    };
    const std::string done = toHex(hex("fd 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(apply(OptionOp::Set, 2, hex("00 80 00 00")), done);
    EXPECT_EQ(options.textSize, 32768);
    apply(OptionOp::Set, 38, {0});  // truncation abort off = truncation ignored
    EXPECT_TRUE(options.truncIgnore);
    EXPECT_EQ(apply(OptionOp::Get, 38, {}), toHex(hex("a6 04 00 04 26 01 00")) + " " + done);
    apply(OptionOp::Set, 34, {1});
    EXPECT_TRUE(options.ansiNull);
    EXPECT_EQ(apply(OptionOp::Get, 34, {}), toHex(hex("a6 04 00 04 22 01 01")) + " " + done);
    apply(OptionOp::Clear, 34, {});
    EXPECT_FALSE(options.ansiNull);
    apply(OptionOp::Set, 7, {3});
    EXPECT_EQ(options.dateFormat, 3);
    apply(OptionOp::Set, 15, {1});
    apply(OptionOp::Set, 36, {1});  // "arithignore off"
    EXPECT_FALSE(options.arithIgnore);
    EXPECT_EQ(apply(OptionOp::Get, 2, {}),
              toHex(hex("a6 07 00 04 02 04 00 80 00 00")) + " " + done);
    // Option 0 (what the client sends for options it has no code for) is accepted.
    EXPECT_EQ(apply(OptionOp::Set, 0, {}), done);
    EXPECT_EQ(apply(OptionOp::Get, 0, {}), toHex(hex("a6 03 00 04 00 00")) + " " + done);
}

}  // namespace
}  // namespace tdsim::tds
