// How one column (or parameter) travels on the wire: the type code and type
// information of its format entry, and the encoding of its values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"
#include "engine/Engine.h"

namespace tdsim::tds {

namespace wire {
enum : uint8_t {
    kImage = 0x22,
    kText = 0x23,
    kVarBinary = 0x25,
    kIntN = 0x26,
    kVarChar = 0x27,
    kBinary = 0x2D,
    kChar = 0x2F,
    kInt1 = 0x30,
    kBit = 0x32,
    kInt2 = 0x34,
    kInt4 = 0x38,
    kDateTime4 = 0x3A,
    kReal = 0x3B,
    kMoney = 0x3C,
    kDateTime = 0x3D,
    kFloat = 0x3E,
    kDecimal = 0x6A,
    kNumeric = 0x6C,
    kFloatN = 0x6D,
    kMoneyN = 0x6E,
    kDateTimeN = 0x6F,
    kMoney4 = 0x7A,
    kLongChar = 0xAF,
    kBigDateTimeN = 0xBB,  // microseconds since 0000-01-01; format: length, scale
    kBigTimeN = 0xBC,      // microseconds since midnight
    kInt8 = 0xBF,
    kLongBinary = 0xE1,
};
}  // namespace wire

// Bytes a numeric/decimal value takes on the wire (sign byte included) for a precision.
int numericWireSize(int precision);

class WireColumn {
public:
    // The wire form of a result column. `longestValue` widens character and
    // binary formats so that no value is ever cut to fit a short declaration.
    static WireColumn forColumn(const ColumnInfo& column, size_t longestValue = 0);
    // The wire forms of a result set's columns, sized from its rows.
    static std::vector<WireColumn> forResultSet(const ResultSet& rs);
    // The wire forms of a compute format's columns, sized from its compute rows.
    static std::vector<WireColumn> forCompute(const ComputeFormat& format,
                                              const std::vector<ComputeRow>& rows);

    // Reads one PARAMFMT entry's type code and type information (after name, status, usertype).
    static WireColumn readTypeInfo(ByteReader& in);

    void writeFormat(ByteWriter& out) const;         // name, status, usertype, type, info, locale
    void writeComputeFormat(ByteWriter& out) const;  // usertype, type, info, locale
    void writeValue(ByteWriter& out, const Value& value) const;
    Value readValue(ByteReader& in) const;

    uint8_t typeCode() const { return type_; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    void setStatus(uint8_t status) { status_ = status; }
    uint32_t maxLength() const { return maxLength_; }
    int precision() const { return precision_; }
    int scale() const { return scale_; }

private:
    void writeTypeInfo(ByteWriter& out) const;
    void writeNumeric(ByteWriter& out, const Value& value) const;
    void writeCharacters(ByteWriter& out, const Value& value) const;
    Value readNumeric(ByteReader& in, size_t length) const;
    Value readScalar(ByteReader& in, uint32_t size) const;

    std::string name_;
    uint8_t type_ = wire::kVarChar;
    uint8_t status_ = 0;  // 0x20 = nullable
    int32_t userType_ = 0;
    uint32_t maxLength_ = 0;  // size byte / max length of the type info
    int precision_ = 0;
    int scale_ = 0;
    bool padBlanks_ = false;  // char(n): values are blank-padded to n
};

}  // namespace tdsim::tds
