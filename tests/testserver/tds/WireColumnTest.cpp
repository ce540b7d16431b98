// Value encodings: the reference's worked examples, the edges, and round trips
// through the parameter decoder.
#include <gtest/gtest.h>

#include "TestBytes.h"
#include "tds/WireColumn.h"

namespace tdsim::tds {
namespace {

using testing::hex;
using testing::toHex;

ColumnInfo column(ColumnType type, bool nullable = true, int length = 0, int precision = 0,
                  int scale = 0)
{
    return ColumnInfo{"c", type, length, precision, scale, nullable, 0};
}

std::string encode(const ColumnInfo& info, const Value& v)
{
    Bytes out;
    ByteWriter w(out);
    WireColumn::forColumn(info, v.bytes.size()).writeValue(w, v);
    return toHex(out);
}

std::string format(const ColumnInfo& info)
{
    Bytes out;
    ByteWriter w(out);
    WireColumn::forColumn(info).writeFormat(w);
    return toHex(out);
}

Value scaled(int64_t v)
{
    return Value::ofInt(v);
}

TEST(WireColumnTest, WorkedExamplesFromTheTypesRow)
{
    EXPECT_EQ(encode(column(ColumnType::Numeric, true, 0, 10, 2), scaled(-1234567890)),
              toHex(hex("06 01 00 49 96 02 d2")));
    EXPECT_EQ(encode(column(ColumnType::Decimal, true, 0, 5, 0), scaled(99999)),
              toHex(hex("04 00 01 86 9f")));
    EXPECT_EQ(encode(column(ColumnType::Money, false), scaled(-12345678)),
              toHex(hex("ff ff ff ff b2 9e 43 ff")));
    // 2024-02-29 13:45:30.5
    EXPECT_EQ(encode(column(ColumnType::DateTime, false), Value::ofDateTime({45349, 14859150})),
              toHex(hex("25 b1 00 00 8e bb e2 00")));
    // 2001-12-31 23:59
    EXPECT_EQ(encode(column(ColumnType::SmallDateTime, false),
                     Value::ofDateTime({37254, 1439u * 18000u})),
              toHex(hex("86 91 9f 05")));
    EXPECT_EQ(encode(column(ColumnType::Real, false), Value::ofFloat(2.5)),
              toHex(hex("00 00 20 40")));
    EXPECT_EQ(encode(column(ColumnType::Text), Value::null()), "00");
    std::string text = encode(column(ColumnType::Text), Value::ofString("abc"));
    EXPECT_EQ(text.substr(0, 2), "10");
    EXPECT_EQ(text.substr(text.size() - 20), toHex(hex("03 00 00 00 'abc'")));
    EXPECT_EQ(text.size(), toHex(Bytes(1 + 16 + 8 + 4 + 3)).size());
}

TEST(WireColumnTest, NullUsesTheNullableWireTypes)
{
    EXPECT_EQ(format(column(ColumnType::Int, false)), toHex(hex("01 'c' 00 00 00 00 00 38 00")));
    EXPECT_EQ(format(column(ColumnType::Int)), toHex(hex("01 'c' 20 00 00 00 00 26 04 00")));
    EXPECT_EQ(format(column(ColumnType::TinyInt)), toHex(hex("01 'c' 20 00 00 00 00 26 01 00")));
    EXPECT_EQ(format(column(ColumnType::Float)), toHex(hex("01 'c' 20 00 00 00 00 6d 08 00")));
    EXPECT_EQ(format(column(ColumnType::SmallMoney)), toHex(hex("01 'c' 20 00 00 00 00 6e 04 00")));
    EXPECT_EQ(format(column(ColumnType::DateTime)), toHex(hex("01 'c' 20 00 00 00 00 6f 08 00")));
    EXPECT_EQ(format(column(ColumnType::Bit)), toHex(hex("01 'c' 00 00 00 00 00 32 00")));
    EXPECT_EQ(format(column(ColumnType::Numeric, true, 0, 38, 4)),
              toHex(hex("01 'c' 20 00 00 00 00 6c 11 26 04 00")));
    EXPECT_EQ(format(column(ColumnType::Text, true, 32768)),
              toHex(hex("01 'c' 20 00 00 00 00 23 00 80 00 00 00 00 00")));
    for (ColumnType t :
         {ColumnType::Int, ColumnType::SmallInt, ColumnType::Float, ColumnType::Money,
          ColumnType::DateTime, ColumnType::Numeric, ColumnType::VarChar, ColumnType::VarBinary}) {
        EXPECT_EQ(encode(column(t, true, 10, 10, 2), Value::null()), "00");
    }
}

TEST(WireColumnTest, EmptyAndShortStrings)
{
    EXPECT_EQ(encode(column(ColumnType::VarChar, true, 10), Value::ofString("")), "01 20");
    EXPECT_EQ(encode(column(ColumnType::VarBinary, true, 10), Value::ofString("")), "01 00");
    EXPECT_EQ(encode(column(ColumnType::Char, false, 4), Value::ofString("ab")),
              toHex(hex("04 'ab  '")));
    // A value longer than the declaration widens the format instead of being cut.
    ResultSet rs{{column(ColumnType::VarChar, true, 3)}, {{Value::ofString("abcdef")}}};
    auto columns = WireColumn::forResultSet(rs);
    EXPECT_EQ(columns[0].maxLength(), 6u);
    rs.rows[0][0] = Value::ofString(std::string(300, 'x'));
    EXPECT_EQ(WireColumn::forResultSet(rs)[0].typeCode(), wire::kLongChar);
}

TEST(WireColumnTest, NumericByteCountFollowsPrecision)
{
    EXPECT_EQ(numericWireSize(1), 2);
    EXPECT_EQ(numericWireSize(9), 5);
    EXPECT_EQ(numericWireSize(10), 6);
    EXPECT_EQ(numericWireSize(19), 9);
    EXPECT_EQ(numericWireSize(20), 10);
    EXPECT_EQ(numericWireSize(38), 17);
    // 38 nines, beyond int64.
    Value big;
    big.isNull = false;
    big.bigDigits = std::string(38, '9');
    big.intValue = -1;
    std::string bytes = encode(column(ColumnType::Numeric, true, 0, 38, 0), big);
    EXPECT_EQ(bytes.substr(0, 5), "11 01");
    EXPECT_EQ(bytes.size(), toHex(Bytes(18)).size());
    // A value with more digits than the precision grows the precision.
    ResultSet rs{{column(ColumnType::Numeric, true, 0, 3, 0)}, {{scaled(123456)}}};
    EXPECT_EQ(WireColumn::forResultSet(rs)[0].maxLength(), 4u);
}

// Writes a format and a value, then reads both back as a parameter would be.
Value roundTrip(const ColumnInfo& info, const Value& v)
{
    WireColumn c = WireColumn::forColumn(info, v.bytes.size());
    Bytes formatOnly;
    ByteWriter fw(formatOnly);
    c.writeFormat(fw);
    // The format entry is name, status, usertype, then the type and its info.
    size_t nameLength = formatOnly[0];
    Bytes typeAndInfo(formatOnly.begin() + 1 + static_cast<long>(nameLength) + 5,
                      formatOnly.end() - 1);
    ByteReader infoReader(typeAndInfo);
    WireColumn decoded = WireColumn::readTypeInfo(infoReader);
    EXPECT_TRUE(infoReader.atEnd());
    Bytes value;
    ByteWriter vw(value);
    c.writeValue(vw, v);
    ByteReader valueReader(value);
    Value back = decoded.readValue(valueReader);
    EXPECT_TRUE(valueReader.atEnd());
    return back;
}

TEST(WireColumnTest, ValuesSurviveARoundTrip)
{
    EXPECT_EQ(roundTrip(column(ColumnType::Int), Value::ofInt(-2147483647 - 1)).intValue,
              -2147483647 - 1);
    EXPECT_EQ(roundTrip(column(ColumnType::SmallInt, false), Value::ofInt(-2)).intValue, -2);
    EXPECT_EQ(roundTrip(column(ColumnType::TinyInt), Value::ofInt(255)).intValue, 255);
    EXPECT_EQ(roundTrip(column(ColumnType::BigInt), Value::ofInt(INT64_MIN)).intValue, INT64_MIN);
    EXPECT_EQ(roundTrip(column(ColumnType::Money), Value::ofInt(-12345678)).intValue, -12345678);
    EXPECT_EQ(roundTrip(column(ColumnType::SmallMoney), Value::ofInt(-5)).intValue, -5);
    EXPECT_EQ(roundTrip(column(ColumnType::Numeric, true, 0, 10, 2), Value::ofInt(-12345)).intValue,
              -12345);
    EXPECT_DOUBLE_EQ(roundTrip(column(ColumnType::Float), Value::ofFloat(-1.5e300)).floatValue,
                     -1.5e300);
    auto midnight = roundTrip(column(ColumnType::DateTime), Value::ofDateTime({0, 0})).dateTime;
    EXPECT_EQ(midnight.days, 0);
    EXPECT_EQ(midnight.ticks, 0u);
    auto lastTick = roundTrip(column(ColumnType::DateTime), Value::ofDateTime({-1, 25919999}));
    EXPECT_EQ(lastTick.dateTime.days, -1);
    EXPECT_EQ(lastTick.dateTime.ticks, 25919999u);
    EXPECT_EQ(roundTrip(column(ColumnType::VarChar, true, 5), Value::ofString("Grüße")).bytes,
              "Grüße");
    EXPECT_EQ(
        roundTrip(column(ColumnType::Text), Value::ofString(std::string(70000, 't'))).bytes.size(),
        70000u);
    EXPECT_TRUE(roundTrip(column(ColumnType::Image), Value::null()).isNull);
    Value big;
    big.isNull = false;
    big.bigDigits = "12345678901234567890123456789012345678";
    big.intValue = -1;
    Value back = roundTrip(column(ColumnType::Numeric, true, 0, 38, 0), big);
    EXPECT_EQ(back.bigDigits, big.bigDigits);
    EXPECT_LT(back.intValue, 0);
}

TEST(WireColumnTest, BigDateTimeAndBigTimeTravelAsMicrosecondsWithScaleSix)
{
    // Only the nullable forms (0xbb, 0xbc) exist: length 8 and scale 6 in the format, a length
    // byte before each value.
    EXPECT_EQ(format(column(ColumnType::BigDateTime, false)),
              toHex(hex("01 'c' 00 00 00 00 00 bb 08 06 00")));
    EXPECT_EQ(format(column(ColumnType::BigTime)), toHex(hex("01 'c' 20 00 00 00 00 bc 08 06 00")));
    EXPECT_EQ(encode(column(ColumnType::BigTime), Value::ofInt(49507000001)),
              toHex(hex("08 c1 de d8 86 0b 00 00 00")));
    EXPECT_EQ(encode(column(ColumnType::BigDateTime), Value::null()), "00");
    EXPECT_EQ(roundTrip(column(ColumnType::BigDateTime), Value::ofInt(63876470398123456)).intValue,
              63876470398123456);
}

TEST(WireColumnTest, MalformedTypeInformationIsRejected)
{
    for (const char* bad :
         {"26 03", "6d 02", "6c 05 27 00", "6c 05 05 06", "99", "2f", "bb 04 06"}) {
        Bytes b = hex(bad);
        ByteReader in(b);
        EXPECT_THROW(WireColumn::readTypeInfo(in), ProtocolError) << bad;
    }
}

}  // namespace
}  // namespace tdsim::tds
