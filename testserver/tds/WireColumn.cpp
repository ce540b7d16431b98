#include "WireColumn.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tdsim::tds {

namespace {

constexpr uint8_t kNullableStatus = 0x20;
constexpr uint32_t kTicksPerMinute = 300 * 60;
constexpr int kBigTimeScale = 6;
// Text pointer and timestamp that precede a text/image value. Clients only check
// that a 16-byte pointer is present; its content is opaque to them.
constexpr uint8_t kTextPointer[16] = {0x74, 0x64, 0x73, 0x69, 0x6d, 1};
constexpr uint8_t kTextTimestamp[8] = {1};

bool isFixedSize(uint8_t type)
{
    switch (type) {
        case wire::kInt1:
        case wire::kInt2:
        case wire::kInt4:
        case wire::kInt8:
        case wire::kBit:
        case wire::kDateTime:
        case wire::kDateTime4:
        case wire::kMoney:
        case wire::kMoney4:
        case wire::kFloat:
        case wire::kReal:
            return true;
        default:
            return false;
    }
}

uint32_t fixedSize(uint8_t type)
{
    switch (type) {
        case wire::kInt1:
        case wire::kBit:
            return 1;
        case wire::kInt2:
            return 2;
        case wire::kInt4:
        case wire::kDateTime4:
        case wire::kMoney4:
        case wire::kReal:
            return 4;
        default:
            return 8;
    }
}

// Big-endian magnitude of a decimal digit string, exactly `width` bytes wide.
bool decimalToBigEndian(const std::string& digits, uint8_t* out, size_t width)
{
    std::fill(out, out + width, 0);
    for (char ch : digits) {
        if (ch < '0' || ch > '9') {
            continue;
        }
        unsigned carry = static_cast<unsigned>(ch - '0');
        for (size_t i = width; i-- > 0;) {
            unsigned v = out[i] * 10u + carry;
            out[i] = static_cast<uint8_t>(v & 0xFF);
            carry = v >> 8;
        }
        if (carry != 0) {
            return false;
        }
    }
    return true;
}

std::string bigEndianToDecimal(std::vector<uint8_t> magnitude)
{
    std::string digits;
    bool nonZero = true;
    while (nonZero) {
        unsigned remainder = 0;
        nonZero = false;
        for (auto& b : magnitude) {
            unsigned v = (remainder << 8) | b;
            b = static_cast<uint8_t>(v / 10);
            remainder = v % 10;
            nonZero = nonZero || b != 0;
        }
        digits.push_back(static_cast<char>('0' + remainder));
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

uint64_t magnitudeOf(int64_t v)
{
    return v < 0 ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
}

int decimalDigits(const Value& v)
{
    if (!v.bigDigits.empty()) {
        auto first = v.bigDigits.find_first_not_of('0');
        return first == std::string::npos ? 1 : static_cast<int>(v.bigDigits.size() - first);
    }
    return static_cast<int>(std::to_string(magnitudeOf(v.intValue)).size());
}

}  // namespace

int numericWireSize(int precision)
{
    static const int kBytesByPrecision[39] = {1,  2,  2,  3,  3,  4,  4,  4,  5,  5,  6,  6,  6,
                                              7,  7,  8,  8,  9,  9,  9,  10, 10, 11, 11, 11, 12,
                                              12, 13, 13, 14, 14, 14, 15, 15, 16, 16, 16, 17, 17};
    return kBytesByPrecision[std::clamp(precision, 1, 38)];
}

WireColumn WireColumn::forColumn(const ColumnInfo& column, size_t longestValue)
{
    WireColumn c;
    c.name_ = column.name;
    c.userType_ = column.userType;
    c.status_ = column.nullable ? kNullableStatus : 0;
    bool n = column.nullable;
    auto sized = [&](uint8_t shortType, uint8_t longType) {
        size_t len =
            std::max<size_t>({static_cast<size_t>(std::max(column.length, 0)), longestValue, 1});
        c.maxLength_ = static_cast<uint32_t>(std::min<size_t>(len, 0x7FFFFFFF));
        c.type_ = len > 255 ? longType : shortType;
    };
    auto scalar = [&](uint8_t fixedType, uint8_t nullableType, uint32_t size) {
        c.type_ = n ? nullableType : fixedType;
        c.maxLength_ = size;
    };
    switch (column.type) {
        case ColumnType::Char:
            sized(wire::kChar, wire::kLongChar);
            // A nullable char column behaves as varchar: trailing blanks are not kept.
            c.padBlanks_ = !column.nullable;
            break;
        case ColumnType::VarChar:
            sized(wire::kVarChar, wire::kLongChar);
            break;
        case ColumnType::Binary:
            sized(wire::kBinary, wire::kLongBinary);
            break;
        case ColumnType::VarBinary:
            sized(wire::kVarBinary, wire::kLongBinary);
            break;
        case ColumnType::TinyInt:
            scalar(wire::kInt1, wire::kIntN, 1);
            break;
        case ColumnType::SmallInt:
            scalar(wire::kInt2, wire::kIntN, 2);
            break;
        case ColumnType::Int:
            scalar(wire::kInt4, wire::kIntN, 4);
            break;
        case ColumnType::BigInt:
            scalar(wire::kInt8, wire::kIntN, 8);
            break;
        case ColumnType::Bit:
            // A bit is never NULL on this server, so it has no nullable form.
            scalar(wire::kBit, wire::kBit, 1);
            c.status_ = 0;
            break;
        case ColumnType::DateTime:
            scalar(wire::kDateTime, wire::kDateTimeN, 8);
            break;
        case ColumnType::SmallDateTime:
            scalar(wire::kDateTime4, wire::kDateTimeN, 4);
            break;
        case ColumnType::Money:
            scalar(wire::kMoney, wire::kMoneyN, 8);
            break;
        case ColumnType::SmallMoney:
            scalar(wire::kMoney4, wire::kMoneyN, 4);
            break;
        case ColumnType::Float:
            scalar(wire::kFloat, wire::kFloatN, 8);
            break;
        case ColumnType::Real:
            scalar(wire::kReal, wire::kFloatN, 4);
            break;
        case ColumnType::Numeric:
        case ColumnType::Decimal:
            c.type_ = column.type == ColumnType::Numeric ? wire::kNumeric : wire::kDecimal;
            c.precision_ = column.precision > 0 ? std::min(column.precision, 38) : 18;
            c.scale_ = std::clamp(column.scale, 0, c.precision_);
            c.maxLength_ = static_cast<uint32_t>(numericWireSize(c.precision_));
            break;
        case ColumnType::Text:
        case ColumnType::Image:
            c.type_ = column.type == ColumnType::Text ? wire::kText : wire::kImage;
            c.maxLength_ = column.length > 0 ? static_cast<uint32_t>(column.length) : 32768;
            break;
        case ColumnType::BigDateTime:
        case ColumnType::BigTime:
            // Only the nullable forms travel; the scale is the six fraction digits.
            c.type_ =
                column.type == ColumnType::BigDateTime ? wire::kBigDateTimeN : wire::kBigTimeN;
            c.maxLength_ = 8;
            c.scale_ = kBigTimeScale;
            break;
    }
    return c;
}

std::vector<WireColumn> WireColumn::forResultSet(const ResultSet& rs)
{
    std::vector<WireColumn> columns;
    columns.reserve(rs.columns.size());
    for (size_t i = 0; i < rs.columns.size(); ++i) {
        const ColumnInfo& info = rs.columns[i];
        size_t longest = 0;
        int widestNumber = 0;
        for (const Row& row : rs.rows) {
            if (i >= row.size() || row[i].isNull) {
                continue;
            }
            longest = std::max(longest, row[i].bytes.size());
            if (info.type == ColumnType::Numeric || info.type == ColumnType::Decimal) {
                widestNumber = std::max(widestNumber, decimalDigits(row[i]));
            }
        }
        WireColumn c = forColumn(info, longest);
        // A value with more digits than the declared precision would not fit the
        // byte count the client reserves, so the precision grows to hold it.
        if (widestNumber > c.precision_ && c.precision_ > 0) {
            c.precision_ = std::min(widestNumber, 38);
            c.maxLength_ = static_cast<uint32_t>(numericWireSize(c.precision_));
        }
        columns.push_back(std::move(c));
    }
    return columns;
}

std::vector<WireColumn> WireColumn::forCompute(const ComputeFormat& format,
                                               const std::vector<ComputeRow>& rows)
{
    ResultSet values;
    for (const ComputeColumn& column : format.columns) {
        values.columns.push_back(column.info);
    }
    for (const ComputeRow& row : rows) {
        if (row.id == format.id) {
            values.rows.push_back(row.values);
        }
    }
    return forResultSet(values);
}

void WireColumn::writeTypeInfo(ByteWriter& out) const
{
    if (isFixedSize(type_)) {
        return;
    }
    switch (type_) {
        case wire::kLongChar:
        case wire::kLongBinary:
            out.u32(maxLength_);
            break;
        case wire::kNumeric:
        case wire::kDecimal:
            out.u8(static_cast<uint8_t>(maxLength_));
            out.u8(static_cast<uint8_t>(precision_));
            out.u8(static_cast<uint8_t>(scale_));
            break;
        case wire::kText:
        case wire::kImage:
            out.u32(maxLength_);
            out.sstring("");
            break;
        case wire::kBigDateTimeN:
        case wire::kBigTimeN:
            out.u8(static_cast<uint8_t>(maxLength_));
            out.u8(static_cast<uint8_t>(scale_));
            break;
        default:
            out.u8(static_cast<uint8_t>(maxLength_));
    }
}

void WireColumn::writeFormat(ByteWriter& out) const
{
    out.bstring(name_);
    out.u8(status_);
    out.u32(static_cast<uint32_t>(userType_));
    out.u8(type_);
    writeTypeInfo(out);
    out.u8(0);  // no locale information
}

void WireColumn::writeComputeFormat(ByteWriter& out) const
{
    out.u32(static_cast<uint32_t>(userType_));
    out.u8(type_);
    writeTypeInfo(out);
    out.u8(0);  // no locale information
}

void WireColumn::writeNumeric(ByteWriter& out, const Value& value) const
{
    size_t width = maxLength_ - 1;
    uint8_t magnitude[17] = {};
    bool negative = value.intValue < 0;
    std::string digits =
        value.bigDigits.empty() ? std::to_string(magnitudeOf(value.intValue)) : value.bigDigits;
    if (!decimalToBigEndian(digits, magnitude, width)) {
        throw std::logic_error("numeric value exceeds its column's precision");
    }
    out.u8(static_cast<uint8_t>(maxLength_));
    out.u8(negative ? 1 : 0);
    out.raw(magnitude, width);
}

namespace {

enum class Kind { Integer, DateTime, Money, Float, Numeric, Blob, Characters };

Kind kindOf(uint8_t type)
{
    switch (type) {
        case wire::kInt1:
        case wire::kInt2:
        case wire::kInt4:
        case wire::kInt8:
        case wire::kIntN:
        case wire::kBit:
        case wire::kBigDateTimeN:
        case wire::kBigTimeN:
            return Kind::Integer;
        case wire::kDateTime:
        case wire::kDateTime4:
        case wire::kDateTimeN:
            return Kind::DateTime;
        case wire::kMoney:
        case wire::kMoney4:
        case wire::kMoneyN:
            return Kind::Money;
        case wire::kFloat:
        case wire::kReal:
        case wire::kFloatN:
            return Kind::Float;
        case wire::kNumeric:
        case wire::kDecimal:
            return Kind::Numeric;
        case wire::kText:
        case wire::kImage:
            return Kind::Blob;
        default:
            return Kind::Characters;
    }
}

// The nullable forms carry a length byte before each value (0 = NULL).
bool hasLengthByte(uint8_t type)
{
    return type == wire::kIntN || type == wire::kDateTimeN || type == wire::kMoneyN ||
           type == wire::kFloatN || type == wire::kBigDateTimeN || type == wire::kBigTimeN;
}

bool isBinary(uint8_t type)
{
    return type == wire::kBinary || type == wire::kVarBinary || type == wire::kLongBinary;
}

void writeLittleEndian(ByteWriter& out, uint64_t v, uint32_t size)
{
    for (uint32_t i = 0; i < size; ++i) {
        out.u8(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void writeDateTime(ByteWriter& out, const DateTimeValue& v, uint32_t size)
{
    if (size == 8) {
        out.u32(static_cast<uint32_t>(v.days));
        out.u32(v.ticks);
    } else {
        out.u16(static_cast<uint16_t>(v.days));
        out.u16(static_cast<uint16_t>(v.ticks / kTicksPerMinute));
    }
}

void writeMoney(ByteWriter& out, int64_t scaled, uint32_t size)
{
    if (size == 8) {
        // Eight-byte money travels as two halves, the high one first.
        auto v = static_cast<uint64_t>(scaled);
        out.u32(static_cast<uint32_t>(v >> 32));
        out.u32(static_cast<uint32_t>(v));
    } else {
        out.u32(static_cast<uint32_t>(scaled));
    }
}

void writeFloat(ByteWriter& out, double value, uint32_t size)
{
    if (size == 8) {
        uint64_t bits;
        std::memcpy(&bits, &value, 8);
        out.u64(bits);
    } else {
        float f = static_cast<float>(value);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        out.u32(bits);
    }
}

void writeBlob(ByteWriter& out, const std::string& data)
{
    out.u8(sizeof kTextPointer);
    out.raw(kTextPointer, sizeof kTextPointer);
    out.raw(kTextTimestamp, sizeof kTextTimestamp);
    out.u32(static_cast<uint32_t>(data.size()));
    out.raw(data);
}

}  // namespace

void WireColumn::writeCharacters(ByteWriter& out, const Value& value) const
{
    bool isLong = type_ == wire::kLongChar || type_ == wire::kLongBinary;
    if (value.isNull) {
        isLong ? out.u32(0) : out.u8(0);
        return;
    }
    std::string data = value.bytes.substr(0, maxLength_);
    if (padBlanks_ && data.size() < maxLength_) {
        data.append(maxLength_ - data.size(), ' ');
    }
    // Length 0 means NULL, so an empty value is sent as one blank (character)
    // or one zero byte (binary).
    if (data.empty()) {
        data = isBinary(type_) ? std::string(1, '\0') : std::string(" ");
    }
    isLong ? out.u32(static_cast<uint32_t>(data.size()))
           : out.u8(static_cast<uint8_t>(data.size()));
    out.raw(data);
}

void WireColumn::writeValue(ByteWriter& out, const Value& value) const
{
    Kind kind = kindOf(type_);
    if (kind == Kind::Characters) {
        writeCharacters(out, value);
        return;
    }
    bool lengthFirst = hasLengthByte(type_) || kind == Kind::Numeric || kind == Kind::Blob;
    if (value.isNull && lengthFirst) {
        out.u8(0);
        return;
    }
    if (hasLengthByte(type_)) {
        out.u8(static_cast<uint8_t>(maxLength_));
    }
    switch (kind) {
        case Kind::Integer:
            writeLittleEndian(out, type_ == wire::kBit ? value.intValue != 0 : value.intValue,
                              maxLength_);
            break;
        case Kind::DateTime:
            writeDateTime(out, value.dateTime, maxLength_);
            break;
        case Kind::Money:
            writeMoney(out, value.intValue, maxLength_);
            break;
        case Kind::Float:
            writeFloat(out, value.floatValue, maxLength_);
            break;
        case Kind::Numeric:
            writeNumeric(out, value);
            break;
        case Kind::Blob:
            writeBlob(out, value.bytes);
            break;
        case Kind::Characters:
            break;
    }
}

WireColumn WireColumn::readTypeInfo(ByteReader& in)
{
    WireColumn c;
    c.type_ = in.u8();
    if (isFixedSize(c.type_)) {
        c.maxLength_ = fixedSize(c.type_);
        return c;
    }
    auto requireSize = [&](std::initializer_list<uint32_t> allowed) {
        if (std::find(allowed.begin(), allowed.end(), c.maxLength_) == allowed.end()) {
            throw ProtocolError("bad size " + std::to_string(c.maxLength_) + " for type 0x" +
                                std::to_string(c.type_));
        }
    };
    switch (c.type_) {
        case wire::kIntN:
            c.maxLength_ = in.u8();
            requireSize({1, 2, 4, 8});
            break;
        case wire::kFloatN:
        case wire::kMoneyN:
        case wire::kDateTimeN:
            c.maxLength_ = in.u8();
            requireSize({4, 8});
            break;
        case wire::kBigDateTimeN:
        case wire::kBigTimeN:
            c.maxLength_ = in.u8();
            requireSize({8});
            c.scale_ = in.u8();
            break;
        case wire::kChar:
        case wire::kVarChar:
        case wire::kBinary:
        case wire::kVarBinary:
            c.maxLength_ = in.u8();
            break;
        case wire::kLongChar:
        case wire::kLongBinary:
            c.maxLength_ = in.u32();
            break;
        case wire::kNumeric:
        case wire::kDecimal:
            c.maxLength_ = in.u8();
            c.precision_ = in.u8();
            c.scale_ = in.u8();
            if (c.precision_ < 1 || c.precision_ > 38 || c.scale_ > c.precision_ ||
                c.maxLength_ < 2 || c.maxLength_ > 17) {
                throw ProtocolError("bad numeric format");
            }
            break;
        case wire::kText:
        case wire::kImage:
            c.maxLength_ = in.u32();
            in.sstring();  // table name
            break;
        default:
            throw ProtocolError("unsupported data type " + std::to_string(c.type_));
    }
    return c;
}

Value WireColumn::readNumeric(ByteReader& in, size_t length) const
{
    bool negative = in.u8() != 0;
    std::vector<uint8_t> magnitude;
    for (size_t i = 1; i < length; ++i) {
        magnitude.push_back(in.u8());
    }
    auto firstSignificant =
        std::find_if(magnitude.begin(), magnitude.end(), [](uint8_t b) { return b != 0; });
    Value v;
    v.isNull = false;
    if (magnitude.end() - firstSignificant <= 7) {
        int64_t m = 0;
        for (auto it = firstSignificant; it != magnitude.end(); ++it) {
            m = (m << 8) | *it;
        }
        v.intValue = negative ? -m : m;
    } else {
        v.bigDigits = bigEndianToDecimal(magnitude);
        v.intValue = negative ? -1 : 1;
    }
    return v;
}

Value WireColumn::readScalar(ByteReader& in, uint32_t size) const
{
    switch (kindOf(type_)) {
        case Kind::Float:
            if (size == 8) {
                uint64_t bits = in.u64();
                double d;
                std::memcpy(&d, &bits, 8);
                return Value::ofFloat(d);
            } else {
                uint32_t bits = in.u32();
                float f;
                std::memcpy(&f, &bits, 4);
                return Value::ofFloat(f);
            }
        case Kind::DateTime:
            if (size == 8) {
                auto days = static_cast<int32_t>(in.u32());
                return Value::ofDateTime({days, in.u32()});
            } else {
                uint16_t days = in.u16();
                return Value::ofDateTime({days, in.u16() * kTicksPerMinute});
            }
        case Kind::Money:
            if (size == 8) {
                uint64_t high = in.u32();
                uint64_t low = in.u32();
                return Value::ofInt(static_cast<int64_t>((high << 32) | low));
            }
            return Value::ofInt(static_cast<int32_t>(in.u32()));
        default:
            break;
    }
    switch (size) {
        case 1:
            return Value::ofInt(type_ == wire::kBit ? in.u8() != 0 : in.u8());
        case 2:
            return Value::ofInt(static_cast<int16_t>(in.u16()));
        case 4:
            return Value::ofInt(static_cast<int32_t>(in.u32()));
        default:
            return Value::ofInt(static_cast<int64_t>(in.u64()));
    }
}

Value WireColumn::readValue(ByteReader& in) const
{
    if (isFixedSize(type_) || hasLengthByte(type_)) {
        uint32_t size = isFixedSize(type_) ? maxLength_ : in.u8();
        if (size == 0) {
            return Value::null();
        }
        if (size != 1 && size != 2 && size != 4 && size != 8) {
            throw ProtocolError("bad value length " + std::to_string(size));
        }
        return readScalar(in, size);
    }
    switch (kindOf(type_)) {
        case Kind::Numeric: {
            uint8_t length = in.u8();
            if (length > 17) {
                throw ProtocolError("numeric value too long");
            }
            return length == 0 ? Value::null() : readNumeric(in, length);
        }
        case Kind::Blob: {
            uint8_t pointerLength = in.u8();
            if (pointerLength == 0) {
                return Value::null();
            }
            in.skip(pointerLength + 8u);  // text pointer and timestamp
            return Value::ofString(in.str(in.u32()));
        }
        default: {
            bool isLong = type_ == wire::kLongChar || type_ == wire::kLongBinary;
            uint32_t length = isLong ? in.u32() : in.u8();
            return length == 0 ? Value::null() : Value::ofString(in.str(length));
        }
    }
}

}  // namespace tdsim::tds
