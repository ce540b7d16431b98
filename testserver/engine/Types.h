// The server's datatypes: the built-in systypes rows and how a declared type is stored.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/Ast.h"
#include "engine/Engine.h"
#include "engine/Sqlite.h"

namespace tdsim {

// Physical storage type codes (systypes.type / syscolumns.type).
namespace TypeCode {
constexpr int Image = 34, Text = 35, VarBinary = 37, IntN = 38, VarChar = 39, Binary = 45,
              Char = 47, TinyInt = 48, Date = 49, Bit = 50, Time = 51, SmallInt = 52, Decimal = 55,
              Int = 56, SmallDateTime = 58, Real = 59, Money = 60, DateTime = 61, Float = 62,
              Numeric = 63, USmallInt = 65, UInt = 66, UBigInt = 67, UIntN = 68, DecimalN = 106,
              NumericN = 108, FloatN = 109, MoneyN = 110, DateTimeN = 111, SmallMoney = 122,
              DateN = 123, UniChar = 135, TimeN = 147, UniVarChar = 155, UniText = 174,
              BigDateTimeN = 187, BigTimeN = 188, BigDateTime = 189, BigTime = 190, BigInt = 191;
}

// One built-in systypes row.
struct BuiltinType {
    const char* name;
    int hierarchy;
    int type;
    int usertype;
    int length;
    bool variable;
    bool allowNulls;
    int precision;  // -1: NULL
    int scale;      // -1: NULL
};

const std::vector<BuiltinType>& builtinTypes();
const BuiltinType* findBuiltinType(const std::string& name);
const BuiltinType* findBuiltinTypeByUsertype(int usertype);

// How a column of some declared type is stored: the syscolumns values.
struct ColumnStorage {
    int type = 0;      // physical type after the nullable conversion
    int usertype = 0;  // declared type
    int length = 0;
    int precision = -1;  // -1: NULL
    int scale = -1;
    bool nullable = false;
};

// The syscolumns values of a table column stored as `storage`: id, colid, status (the
// nullable bit and `statusBits`: identity, a bit column's position), type, length,
// offset, usertype, name, prec and scale. Callers add what else their column has
// (defaults, rules, computed-column links).
std::vector<std::pair<std::string, SqlValue>> columnRowValues(int tableId, int colid,
                                                              const ColumnStorage& storage,
                                                              int offset, const std::string& name,
                                                              int statusBits = 0);

// Bytes the server sets aside per national character (@@ncharsize): the widest character
// of its character set.
int bytesPerNationalChar(const std::string& charset);

// Storage of a built-in type as declared; `typeError` is set for unknown names or
// invalid lengths. nchar and nvarchar lengths are stored in bytes, `ncharSize` per
// character.
bool storageForBuiltin(const TypeSpec& typeSpec, bool nullable, int ncharSize, ColumnStorage& out,
                       std::string& typeError);

// The nullable twin of a fixed-length physical type (int -> intn, char -> varchar...).
int nullableTwin(int type);

// Bytes a numeric/decimal of the given precision takes.
int numericBytes(int precision);

// The result-column description of a stored column.
ColumnInfo columnInfoFor(const std::string& name, int type, int usertype, int length, int precision,
                         int scale, bool nullable);

bool isStringType(ColumnType type);
bool isBinaryType(ColumnType type);
bool isIntegerType(ColumnType type);
bool isExactType(ColumnType type);  // numeric/decimal/money

// SQLite column declaration for a physical type: affinity and collation.
std::string sqliteDeclaration(int type);

}  // namespace tdsim
