#include "engine/Types.h"

#include "engine/Text.h"

namespace tdsim {

// Built-in systypes rows. Names, hierarchies, type codes and usertypes are the
// server's; length, variable, allownulls and precision/scale of the built-ins are not
// documented and follow what an installed 15.x server typically shows.
const std::vector<BuiltinType>& builtinTypes()
{
    static const std::vector<BuiltinType> types = {
        {"floatn", 1, TypeCode::FloatN, 14, 8, false, true, -1, -1},
        {"float", 2, TypeCode::Float, 8, 8, false, false, -1, -1},
        {"datetimn", 3, TypeCode::DateTimeN, 15, 8, false, true, -1, -1},
        {"datetime", 4, TypeCode::DateTime, 12, 8, false, false, -1, -1},
        {"real", 5, TypeCode::Real, 23, 4, false, false, -1, -1},
        {"numericn", 6, TypeCode::NumericN, 28, 17, false, true, 18, 0},
        {"numeric", 7, TypeCode::Numeric, 10, 17, false, false, 18, 0},
        {"decimaln", 8, TypeCode::DecimalN, 27, 17, false, true, 18, 0},
        {"decimal", 9, TypeCode::Decimal, 26, 17, false, false, 18, 0},
        {"moneyn", 10, TypeCode::MoneyN, 17, 8, false, true, -1, -1},
        {"money", 11, TypeCode::Money, 11, 8, false, false, -1, -1},
        {"smallmoney", 12, TypeCode::SmallMoney, 21, 4, false, false, -1, -1},
        {"smalldatetime", 13, TypeCode::SmallDateTime, 22, 4, false, false, -1, -1},
        {"intn", 14, TypeCode::IntN, 13, 4, false, true, -1, -1},
        {"uintn", 15, TypeCode::UIntN, 47, 8, false, true, -1, -1},
        {"bigint", 16, TypeCode::BigInt, 43, 8, false, false, -1, -1},
        {"ubigint", 17, TypeCode::UBigInt, 46, 8, false, false, -1, -1},
        {"int", 18, TypeCode::Int, 7, 4, false, false, -1, -1},
        {"uint", 19, TypeCode::UInt, 45, 4, false, false, -1, -1},
        {"smallint", 20, TypeCode::SmallInt, 6, 2, false, false, -1, -1},
        {"usmallint", 21, TypeCode::USmallInt, 44, 2, false, false, -1, -1},
        {"tinyint", 22, TypeCode::TinyInt, 5, 1, false, false, -1, -1},
        {"bit", 23, TypeCode::Bit, 16, 1, false, false, -1, -1},
        {"univarchar", 24, TypeCode::UniVarChar, 35, 255, true, false, -1, -1},
        {"unichar", 25, TypeCode::UniChar, 34, 255, false, false, -1, -1},
        {"unitext", 26, TypeCode::UniText, 36, 16, true, true, -1, -1},
        {"varchar", 27, TypeCode::VarChar, 2, 255, true, false, -1, -1},
        {"sysname", 27, TypeCode::VarChar, 18, 30, true, false, -1, -1},
        {"nvarchar", 27, TypeCode::VarChar, 25, 255, true, false, -1, -1},
        {"longsysname", 27, TypeCode::VarChar, 42, 255, true, false, -1, -1},
        {"char", 28, TypeCode::Char, 1, 255, false, false, -1, -1},
        {"nchar", 28, TypeCode::Char, 24, 255, false, false, -1, -1},
        {"varbinary", 29, TypeCode::VarBinary, 4, 255, true, false, -1, -1},
        {"timestamp", 29, TypeCode::VarBinary, 80, 8, true, false, -1, -1},
        {"binary", 30, TypeCode::Binary, 3, 255, false, false, -1, -1},
        {"text", 31, TypeCode::Text, 19, 16, true, true, -1, -1},
        {"image", 32, TypeCode::Image, 20, 16, true, true, -1, -1},
        {"date", 33, TypeCode::Date, 37, 4, false, false, -1, -1},
        {"time", 34, TypeCode::Time, 38, 4, false, false, -1, -1},
        {"daten", 35, TypeCode::DateN, 39, 4, false, true, -1, -1},
        {"timen", 36, TypeCode::TimeN, 40, 4, false, true, -1, -1},
        // 15.5: the type codes of the fixed types are the server's, those of the nullable
        // twins and the four usertypes are chosen.
        {"bigdatetime", 37, TypeCode::BigDateTime, 48, 8, false, false, -1, -1},
        {"bigtime", 38, TypeCode::BigTime, 49, 8, false, false, -1, -1},
        {"bigdatetimen", 39, TypeCode::BigDateTimeN, 50, 8, false, true, -1, -1},
        {"bigtimen", 40, TypeCode::BigTimeN, 51, 8, false, true, -1, -1},
    };
    return types;
}

namespace {

std::string canonicalTypeName(const std::string& name)
{
    std::string lower = toLower(name);
    if (lower == "integer")
        return "int";
    if (lower == "dec")
        return "decimal";
    if (lower == "character")
        return "char";
    if (lower == "double precision")
        return "float";
    if (lower == "unsigned int")
        return "uint";
    if (lower == "unsigned smallint")
        return "usmallint";
    if (lower == "unsigned bigint")
        return "ubigint";
    if (lower == "national char" || lower == "nchar")
        return "nchar";
    return lower;
}

}  // namespace

const BuiltinType* findBuiltinType(const std::string& name)
{
    std::string wanted = canonicalTypeName(name);
    for (const BuiltinType& type : builtinTypes()) {
        if (wanted == type.name) {
            return &type;
        }
    }
    return nullptr;
}

const BuiltinType* findBuiltinTypeByUsertype(int usertype)
{
    for (const BuiltinType& type : builtinTypes()) {
        if (type.usertype == usertype) {
            return &type;
        }
    }
    return nullptr;
}

int numericBytes(int precision)
{
    // 2 bytes for 1-2 digits, one more for every further two (a sign byte plus digits).
    static const int bytes[] = {2,  2,  2,  3,  3,  4,  4,  4,  5,  5,  6,  6,  6,
                                7,  7,  8,  8,  9,  9,  9,  10, 10, 11, 11, 11, 12,
                                12, 13, 13, 14, 14, 14, 15, 15, 16, 16, 16, 17, 17};
    if (precision < 1)
        precision = 1;
    if (precision > 38)
        precision = 38;
    return bytes[precision];
}

int nullableTwin(int type)
{
    switch (type) {
        case TypeCode::Char:
            return TypeCode::VarChar;
        case TypeCode::Binary:
            return TypeCode::VarBinary;
        case TypeCode::UniChar:
            return TypeCode::UniVarChar;
        case TypeCode::DateTime:
        case TypeCode::SmallDateTime:
            return TypeCode::DateTimeN;
        case TypeCode::Date:
            return TypeCode::DateN;
        case TypeCode::Time:
            return TypeCode::TimeN;
        case TypeCode::BigDateTime:
            return TypeCode::BigDateTimeN;
        case TypeCode::BigTime:
            return TypeCode::BigTimeN;
        case TypeCode::Float:
        case TypeCode::Real:
            return TypeCode::FloatN;
        case TypeCode::BigInt:
        case TypeCode::Int:
        case TypeCode::SmallInt:
        case TypeCode::TinyInt:
            return TypeCode::IntN;
        case TypeCode::UBigInt:
        case TypeCode::UInt:
        case TypeCode::USmallInt:
            return TypeCode::UIntN;
        case TypeCode::Decimal:
            return TypeCode::DecimalN;
        case TypeCode::Numeric:
            return TypeCode::NumericN;
        case TypeCode::Money:
        case TypeCode::SmallMoney:
            return TypeCode::MoneyN;
        default:
            return type;
    }
}

int bytesPerNationalChar(const std::string& charset)
{
    return charset == "utf8" ? 3 : 1;
}

bool storageForBuiltin(const TypeSpec& typeSpec, bool nullable, int ncharSize, ColumnStorage& out,
                       std::string& typeError)
{
    const BuiltinType* builtin = findBuiltinType(typeSpec.name);
    if (!builtin) {
        typeError = "Can't find type '" + typeSpec.name + "'.";
        return false;
    }
    std::string name = builtin->name;
    out = ColumnStorage{};
    out.usertype = builtin->usertype;
    out.type = builtin->type;
    out.length = builtin->length;
    out.nullable = nullable;
    bool sized = name == "char" || name == "varchar" || name == "binary" || name == "varbinary" ||
                 name == "nchar" || name == "nvarchar" || name == "unichar" || name == "univarchar";
    if (sized) {
        int length = typeSpec.length >= 0 ? typeSpec.length : 1;
        if (name == "nchar" || name == "nvarchar")
            length *= ncharSize;
        if (length < 1 || length > 16384) {
            typeError = "Length or precision " + std::to_string(length) +
                        " is not within the range of 1 to 16384.";
            return false;
        }
        out.length = length;
        if (name == "unichar" || name == "univarchar")
            out.length = length * 2;
    } else if (name == "numeric" || name == "decimal") {
        out.precision = typeSpec.precision >= 0 ? typeSpec.precision : 18;
        out.scale = typeSpec.scale >= 0 ? typeSpec.scale : 0;
        if (out.precision < 1 || out.precision > 38 || out.scale > out.precision) {
            typeError = "The scale (" + std::to_string(out.scale) +
                        ") for a numeric or decimal column must be less than or equal to "
                        "the precision (" +
                        std::to_string(out.precision) + ").";
            return false;
        }
        out.length = numericBytes(out.precision);
    } else if (name == "float" && typeSpec.precision >= 0 && typeSpec.precision < 16) {
        // float(p) with a small precision is stored as real.
        const BuiltinType* real = findBuiltinType("real");
        out.type = real->type;
        out.usertype = real->usertype;
        out.length = 4;
    }
    if (nullable) {
        out.type = nullableTwin(out.type);
    }
    return true;
}

bool isStringType(ColumnType type)
{
    return type == ColumnType::Char || type == ColumnType::VarChar || type == ColumnType::Text;
}
bool isBinaryType(ColumnType type)
{
    return type == ColumnType::Binary || type == ColumnType::VarBinary || type == ColumnType::Image;
}
bool isIntegerType(ColumnType type)
{
    return type == ColumnType::TinyInt || type == ColumnType::SmallInt || type == ColumnType::Int ||
           type == ColumnType::BigInt || type == ColumnType::Bit;
}
bool isExactType(ColumnType type)
{
    return type == ColumnType::Numeric || type == ColumnType::Decimal ||
           type == ColumnType::Money || type == ColumnType::SmallMoney;
}

ColumnInfo columnInfoFor(const std::string& name, int type, int usertype, int length, int precision,
                         int scale, bool nullable)
{
    ColumnInfo info;
    info.name = name;
    info.length = length;
    info.nullable = nullable;
    info.userType = usertype;
    info.precision = precision < 0 ? 0 : precision;
    info.scale = scale < 0 ? 0 : scale;
    auto byLength = [length](ColumnType eight, ColumnType four, ColumnType two, ColumnType one) {
        return length >= 8 ? eight : length >= 4 ? four : length >= 2 ? two : one;
    };
    switch (type) {
        case TypeCode::Char:
        case TypeCode::UniChar:
            info.type = ColumnType::Char;
            break;
        case TypeCode::VarChar:
        case TypeCode::UniVarChar:
            info.type = ColumnType::VarChar;
            break;
        case TypeCode::Text:
        case TypeCode::UniText:
            info.type = ColumnType::Text;
            break;
        case TypeCode::Image:
            info.type = ColumnType::Image;
            break;
        case TypeCode::Binary:
            info.type = ColumnType::Binary;
            break;
        case TypeCode::VarBinary:
            info.type = ColumnType::VarBinary;
            break;
        case TypeCode::TinyInt:
            info.type = ColumnType::TinyInt;
            break;
        // Unsigned values travel as the next wider signed type, which holds them all
        // (only ubigint values above 2^63 do not fit).
        case TypeCode::SmallInt:
            info.type = ColumnType::SmallInt;
            break;
        case TypeCode::Int:
        case TypeCode::USmallInt:
            info.type = ColumnType::Int;
            break;
        case TypeCode::BigInt:
        case TypeCode::UInt:
        case TypeCode::UBigInt:
            info.type = ColumnType::BigInt;
            break;
        case TypeCode::IntN:
            info.type = byLength(ColumnType::BigInt, ColumnType::Int, ColumnType::SmallInt,
                                 ColumnType::TinyInt);
            break;
        case TypeCode::UIntN:
            info.type = length <= 2 ? ColumnType::Int : ColumnType::BigInt;
            break;
        case TypeCode::Bit:
            info.type = ColumnType::Bit;
            break;
        case TypeCode::DateTime:
        case TypeCode::Date:
        case TypeCode::Time:
        case TypeCode::DateN:
        case TypeCode::TimeN:
            info.type = ColumnType::DateTime;
            break;
        case TypeCode::SmallDateTime:
            info.type = ColumnType::SmallDateTime;
            break;
        case TypeCode::BigDateTime:
        case TypeCode::BigDateTimeN:
            info.type = ColumnType::BigDateTime;
            break;
        case TypeCode::BigTime:
        case TypeCode::BigTimeN:
            info.type = ColumnType::BigTime;
            break;
        case TypeCode::DateTimeN:
            info.type = length >= 8 ? ColumnType::DateTime : ColumnType::SmallDateTime;
            break;
        case TypeCode::Money:
            info.type = ColumnType::Money;
            break;
        case TypeCode::SmallMoney:
            info.type = ColumnType::SmallMoney;
            break;
        case TypeCode::MoneyN:
            info.type = length >= 8 ? ColumnType::Money : ColumnType::SmallMoney;
            break;
        case TypeCode::Numeric:
        case TypeCode::NumericN:
            info.type = ColumnType::Numeric;
            break;
        case TypeCode::Decimal:
        case TypeCode::DecimalN:
            info.type = ColumnType::Decimal;
            break;
        case TypeCode::Float:
            info.type = ColumnType::Float;
            break;
        case TypeCode::Real:
            info.type = ColumnType::Real;
            break;
        case TypeCode::FloatN:
            info.type = length >= 8 ? ColumnType::Float : ColumnType::Real;
            break;
        default:
            info.type = ColumnType::VarChar;
            break;
    }
    return info;
}

std::string sqliteDeclaration(int type)
{
    ColumnInfo info = columnInfoFor("", type, 0, 8, 0, 0, true);
    if (isStringType(info.type))
        return "TEXT COLLATE RTRIM";
    if (isBinaryType(info.type))
        return "BLOB";
    if (isIntegerType(info.type))
        return "INTEGER";
    if (info.type == ColumnType::DateTime || info.type == ColumnType::SmallDateTime ||
        info.type == ColumnType::BigDateTime || info.type == ColumnType::BigTime) {
        return "TEXT";
    }
    return "REAL";
}

std::vector<std::pair<std::string, SqlValue>> columnRowValues(int tableId, int colid,
                                                              const ColumnStorage& storage,
                                                              int offset, const std::string& name,
                                                              int statusBits)
{
    auto optional = [](int value) {
        return value >= 0 ? SqlValue::ofInt(value) : SqlValue::null();
    };
    return {{"id", SqlValue::ofInt(tableId)},
            {"colid", SqlValue::ofInt(colid)},
            {"status", SqlValue::ofInt((storage.nullable ? 0x08 : 0) | statusBits)},
            {"type", SqlValue::ofInt(storage.type)},
            {"length", SqlValue::ofInt(storage.length)},
            {"offset", SqlValue::ofInt(offset)},
            {"usertype", SqlValue::ofInt(storage.usertype)},
            {"name", SqlValue::ofText(name)},
            {"prec", optional(storage.precision)},
            {"scale", optional(storage.scale)}};
}

}  // namespace tdsim
