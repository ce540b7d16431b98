#include "engine/SqlRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>

#include "engine/ApplicationContexts.h"
#include "engine/Compute.h"
#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

// Position in the server's datatype hierarchy: the operand with the lower number
// decides the type of a mixed arithmetic expression.
int hierarchyOf(ColumnType type)
{
    switch (type) {
        case ColumnType::Float:
            return 2;
        case ColumnType::DateTime:
            return 4;
        case ColumnType::Real:
            return 5;
        case ColumnType::Numeric:
            return 7;
        case ColumnType::Decimal:
            return 9;
        case ColumnType::Money:
            return 11;
        case ColumnType::SmallMoney:
            return 12;
        case ColumnType::SmallDateTime:
            return 13;
        case ColumnType::BigInt:
            return 16;
        case ColumnType::Int:
            return 18;
        case ColumnType::SmallInt:
            return 20;
        case ColumnType::TinyInt:
            return 22;
        case ColumnType::Bit:
            return 23;
        case ColumnType::VarChar:
            return 27;
        case ColumnType::Char:
            return 28;
        case ColumnType::VarBinary:
            return 29;
        case ColumnType::Binary:
            return 30;
        case ColumnType::Text:
            return 31;
        case ColumnType::Image:
            return 32;
        case ColumnType::BigDateTime:
            return 37;
        case ColumnType::BigTime:
            return 38;
    }
    return 27;
}

const char* typeNameOf(ColumnType type)
{
    switch (type) {
        case ColumnType::Char:
            return "CHAR";
        case ColumnType::VarChar:
            return "VARCHAR";
        case ColumnType::TinyInt:
            return "TINYINT";
        case ColumnType::SmallInt:
            return "SMALLINT";
        case ColumnType::Int:
            return "INT";
        case ColumnType::BigInt:
            return "BIGINT";
        case ColumnType::Bit:
            return "BIT";
        case ColumnType::DateTime:
            return "DATETIME";
        case ColumnType::SmallDateTime:
            return "SMALLDATETIME";
        case ColumnType::Money:
            return "MONEY";
        case ColumnType::SmallMoney:
            return "SMALLMONEY";
        case ColumnType::Numeric:
            return "NUMERIC";
        case ColumnType::Decimal:
            return "DECIMAL";
        case ColumnType::Float:
            return "FLOAT";
        case ColumnType::Real:
            return "REAL";
        case ColumnType::Text:
            return "TEXT";
        case ColumnType::Image:
            return "IMAGE";
        case ColumnType::Binary:
            return "BINARY";
        case ColumnType::VarBinary:
            return "VARBINARY";
        case ColumnType::BigDateTime:
            return "BIGDATETIME";
        case ColumnType::BigTime:
            return "BIGTIME";
    }
    return "VARCHAR";
}

bool isNumeric(ColumnType type)
{
    return isIntegerType(type) || isExactType(type) || type == ColumnType::Float ||
           type == ColumnType::Real;
}
bool isDate(ColumnType type)
{
    return type == ColumnType::DateTime || type == ColumnType::SmallDateTime ||
           type == ColumnType::BigDateTime || type == ColumnType::BigTime;
}

// The convert target that turns a string into a value comparable with a date column's.
std::string dateTarget(ColumnType type)
{
    return type == ColumnType::BigDateTime ? "'bigdatetime'"
           : type == ColumnType::BigTime   ? "'bigtime'"
                                           : "'datetime'";
}

// Source kind letter passed to tsql_convert so that it can format the value.
std::string sourceKind(const ColumnInfo& type)
{
    if (isStringType(type.type))
        return "'s'";
    if (isBinaryType(type.type))
        return "'b'";
    if (type.type == ColumnType::BigDateTime)
        return "'D'";
    if (type.type == ColumnType::BigTime)
        return "'T'";
    if (isDate(type.type))
        return "'d'";
    if (type.type == ColumnType::Money || type.type == ColumnType::SmallMoney)
        return "'m'";
    if (isExactType(type.type))
        return "'e" + std::to_string(type.scale) + "'";
    if (type.type == ColumnType::Float || type.type == ColumnType::Real)
        return "'r'";
    return "'i'";
}

// Whether evaluating an expression costs a catalog lookup or a subquery per row.
bool isExpensive(const Expr& expr)
{
    static const std::set<std::string> catalogFunctions = {
        "object_id", "object_name", "index_col", "index_colorder", "col_name", "user_name",
        "user_id",   "db_name",     "db_id",     "suser_name",     "suser_id"};
    if (expr.select)
        return true;
    if (expr.kind == Expr::Kind::Function && catalogFunctions.count(expr.text))
        return true;
    for (const ExprPtr& arg : expr.args) {
        if (arg && isExpensive(*arg))
            return true;
    }
    return false;
}

bool referencesColumns(const Expr& expr)
{
    if (expr.kind == Expr::Kind::Column || expr.select)
        return true;
    for (const ExprPtr& arg : expr.args) {
        if (arg && referencesColumns(*arg))
            return true;
    }
    return false;
}

std::vector<const Expr*> conjuncts(const ExprPtr& expr)
{
    std::vector<const Expr*> out;
    if (!expr)
        return out;
    if (expr->kind == Expr::Kind::Binary && expr->op == "and") {
        for (const ExprPtr& arg : expr->args) {
            auto part = conjuncts(arg);
            out.insert(out.end(), part.begin(), part.end());
        }
    } else {
        out.push_back(expr.get());
    }
    return out;
}

}  // namespace

std::string encodeFunctionError(const EngineError& error)
{
    return "#" + std::to_string(error.number) + "|" + std::to_string(error.severity) + "|" +
           error.text;
}

bool decodeFunctionError(const std::string& message, EngineError& error)
{
    if (message.empty() || message[0] != '#')
        return false;
    size_t first = message.find('|');
    size_t second = message.find('|', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return false;
    error.number = std::stoi(message.substr(1, first - 1));
    error.severity = std::stoi(message.substr(first + 1, second - first - 1));
    error.text = message.substr(second + 1);
    return true;
}

ColumnInfo makeColumnInfo(ColumnType type, int length, bool nullable)
{
    ColumnInfo info;
    info.type = type;
    info.nullable = nullable;
    switch (type) {
        case ColumnType::TinyInt:
            info.length = 1;
            info.userType = 5;
            break;
        case ColumnType::SmallInt:
            info.length = 2;
            info.userType = 6;
            break;
        case ColumnType::Int:
            info.length = 4;
            info.userType = 7;
            break;
        case ColumnType::BigInt:
            info.length = 8;
            info.userType = 43;
            break;
        case ColumnType::Bit:
            info.length = 1;
            info.userType = 16;
            break;
        case ColumnType::DateTime:
            info.length = 8;
            info.userType = 12;
            break;
        case ColumnType::SmallDateTime:
            info.length = 4;
            info.userType = 22;
            break;
        case ColumnType::BigDateTime:
            info.length = 8;
            info.userType = findBuiltinType("bigdatetime")->usertype;
            break;
        case ColumnType::BigTime:
            info.length = 8;
            info.userType = findBuiltinType("bigtime")->usertype;
            break;
        case ColumnType::Money:
            info.length = 8;
            info.userType = 11;
            break;
        case ColumnType::SmallMoney:
            info.length = 4;
            info.userType = 21;
            break;
        case ColumnType::Float:
            info.length = 8;
            info.userType = 8;
            break;
        case ColumnType::Real:
            info.length = 4;
            info.userType = 23;
            break;
        case ColumnType::Char:
            info.length = length;
            info.userType = 1;
            break;
        case ColumnType::VarChar:
            info.length = length;
            info.userType = 2;
            break;
        case ColumnType::Binary:
            info.length = length;
            info.userType = 3;
            break;
        case ColumnType::VarBinary:
            info.length = length;
            info.userType = 4;
            break;
        case ColumnType::Text:
            info.length = length;
            info.userType = 19;
            break;
        case ColumnType::Image:
            info.length = length;
            info.userType = 20;
            break;
        case ColumnType::Numeric:
            info.userType = 10;
            info.length = length;
            break;
        case ColumnType::Decimal:
            info.userType = 26;
            info.length = length;
            break;
    }
    if (info.length <= 0 && (isStringType(type) || isBinaryType(type)))
        info.length = 1;
    return info;
}

ColumnInfo typeFromSpec(Catalog& catalog, const std::string& database, const TypeSpec& typeSpec)
{
    ColumnStorage storage;
    bool identity = false;
    int typeDefault = 0, typeRule = 0;
    std::string error;
    if (!catalog.storageFor(database, typeSpec, true, storage, identity, typeDefault, typeRule,
                            error)) {
        throw EngineError{2715, 16, error};
    }
    if (findBuiltinType(typeSpec.name) &&
        (toLower(typeSpec.name) == "varchar" || toLower(typeSpec.name) == "char" ||
         toLower(typeSpec.name) == "varbinary" || toLower(typeSpec.name) == "binary") &&
        typeSpec.length < 0) {
        storage.length = 30;  // convert(varchar, x) without a length gives 30
    }
    ColumnInfo info = columnInfoFor("", storage.type, storage.usertype, storage.length,
                                    storage.precision, storage.scale, true);
    // The declared fixed-length kind, not the nullable storage twin.
    std::string lower = toLower(typeSpec.name);
    if (lower == "char" || lower == "nchar")
        info.type = ColumnType::Char;
    if (lower == "binary")
        info.type = ColumnType::Binary;
    return info;
}

// Values are written into the SQL text rather than bound, so that rendered text can
// also define views.
std::string SqlRenderer::bindParam(const SqlValue& value)
{
    switch (value.kind) {
        case SqlValue::Kind::Null:
            return "NULL";
        case SqlValue::Kind::Int:
            return "(" + std::to_string(value.intValue) + ")";
        case SqlValue::Kind::Real: {
            char text[64];
            std::snprintf(text, sizeof text, "(%.17g)", value.realValue);
            return text;
        }
        case SqlValue::Kind::Text:
            return sqlString(value.text);
        case SqlValue::Kind::Blob: {
            static const char* const digits = "0123456789abcdef";
            std::string hex = "X'";
            for (unsigned char c : value.text) {
                hex += digits[c >> 4];
                hex += digits[c & 15];
            }
            return hex + "'";
        }
    }
    return "NULL";
}

TableBinding SqlRenderer::bindTable(const ObjectName& name, bool withStorage)
{
    Catalog& catalog = env_.catalog();
    if (name.database.empty() && name.owner.empty()) {
        if (const TableBinding* pseudo = env_.pseudoTable(name.name)) {
            return *pseudo;
        }
    }
    std::string database = name.database.empty() ? env_.database() : name.database;
    if (!catalog.hasDatabase(database)) {
        throw objectNotFound(name.text());
    }
    // Objects of other databases resolve for dbo there; in the current one for the
    // session's user first.
    int uid = database == env_.database() ? env_.uid() : 1;
    std::optional<ObjectRef> object = catalog.findObject(database, name.owner, name.name, uid);
    if (!object || (object->type != "U" && object->type != "S" && object->type != "V")) {
        throw objectNotFound(name.text());
    }
    TableBinding binding;
    binding.object = *object;
    binding.physical = object->type == "S" ? Catalog::systemTable(database, object->name)
                                           : Catalog::objectTable(database, object->id);
    binding.columns = catalog.columns(database, *object);
    if (withStorage) {
        catalog.ensureStorage(database, *object);
    }
    return binding;
}

void SqlRenderer::addSource(Scope& scope, const TableRef& ref)
{
    Source source;
    source.sqlAlias = "t" + std::to_string(++aliasCounter_);
    source.join = ref.join;
    source.on = ref.on;
    if (ref.derived) {
        RenderedQuery inner = renderUnion(*ref.derived);
        source.table.physical = "(" + inner.sql + ")";
        for (size_t i = 0; i < inner.columns.size(); ++i) {
            StoredColumn column;
            column.info = inner.columns[i];
            column.colid = static_cast<int>(i + 1);
            column.storageName = "c" + std::to_string(i + 1);
            source.table.columns.push_back(column);
        }
        source.alias = ref.alias;
    } else {
        source.table = bindTable(ref.name);
        source.alias = ref.alias.empty() ? ref.name.name : ref.alias;
    }
    scope.sources.push_back(std::move(source));
}

std::optional<std::pair<int, int>> SqlRenderer::findColumn(Scope& scope,
                                                           const std::vector<std::string>& names)
{
    const std::string& column = names.back();
    std::optional<std::pair<int, int>> found;
    for (size_t s = 0; s < scope.sources.size(); ++s) {
        const Source& source = scope.sources[s];
        if (names.size() >= 2) {
            const std::string& qualifier = names[names.size() - 2];
            if (qualifier != source.alias)
                continue;
        }
        const auto& columns = source.table.columns;
        for (size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].info.name == column) {
                if (found) {
                    throw EngineError{209, 16, "Ambiguous column name " + column};
                }
                found = std::make_pair(static_cast<int>(s), static_cast<int>(c));
            }
        }
    }
    return found;
}

TypedSql SqlRenderer::renderColumn(const Expr& expr, Scope* scope)
{
    for (Scope* level = scope; level; level = level->parent) {
        if (auto found = findColumn(*level, expr.names)) {
            Source& source = level->sources[found->first];
            const StoredColumn& column = source.table.columns[found->second];
            TypedSql out;
            out.sql = source.sqlAlias + "." + sqlName(column.storageName);
            out.type = column.info;
            if (source.innerOfOuterJoin)
                out.type.nullable = true;
            out.isString = isStringType(out.type.type);
            return out;
        }
    }
    if (expr.names.size() == 2 && expr.names[1] == kRowidColumn && scope) {
        for (const Source& source : scope->sources) {
            if (source.alias == expr.names[0]) {
                TypedSql out;
                out.sql = source.sqlAlias + ".rowid";
                out.type = makeColumnInfo(ColumnType::Int, 4, false);
                return out;
            }
        }
    }
    // With quoted_identifier off a bare word never names a string; report the column.
    std::string shown = expr.names.back();
    if (expr.names.size() >= 2) {
        shown = expr.names[expr.names.size() - 2] + "." + shown;
    }
    throw invalidColumn(expr.names.back());
}

TypedSql SqlRenderer::renderLiteral(const Expr& expr)
{
    TypedSql out;
    switch (expr.kind) {
        case Expr::Kind::Null:
            out.sql = "NULL";
            out.type = makeColumnInfo(ColumnType::Int);
            out.type.userType = 0;
            break;
        case Expr::Kind::Integer: {
            out.sql = expr.text;
            long double value = std::strtold(expr.text.c_str(), nullptr);
            if (value >= -2147483648.0L && value <= 2147483647.0L) {
                out.type = makeColumnInfo(ColumnType::Int, 4, false);
            } else {
                out.type = makeColumnInfo(ColumnType::Numeric, 0, false);
                out.type.precision = static_cast<int>(expr.text.size());
                out.type.length = numericBytes(out.type.precision);
            }
            break;
        }
        case Expr::Kind::Decimal: {
            out.sql = expr.text;
            if (out.sql[0] == '.')
                out.sql = "0" + out.sql;
            if (out.sql.back() == '.')
                out.sql += "0";
            if (out.sql.rfind("-.", 0) == 0)
                out.sql = "-0" + out.sql.substr(1);
            size_t dot = expr.text.find('.');
            out.type = makeColumnInfo(ColumnType::Numeric, 0, false);
            size_t digits = 0;
            for (char c : expr.text)
                digits += (c >= '0' && c <= '9');
            out.type.scale = static_cast<int>(expr.text.size() - dot - 1);
            out.type.precision = std::max<int>(static_cast<int>(digits), 1);
            out.type.length = numericBytes(out.type.precision);
            break;
        }
        case Expr::Kind::Float:
            out.sql = expr.text;
            out.type = makeColumnInfo(ColumnType::Float, 8, false);
            break;
        case Expr::Kind::Money:
            out.sql = "(" +
                      std::string(expr.text.rfind("-.", 0) == 0 ? "-0" + expr.text.substr(1)
                                  : expr.text[0] == '.'         ? "0" + expr.text
                                                                : expr.text) +
                      " + 0.0)";
            out.type = makeColumnInfo(ColumnType::Money, 8, false);
            break;
        case Expr::Kind::String:
            out.sql = sqlString(expr.text);
            out.type =
                makeColumnInfo(ColumnType::VarChar, static_cast<int>(expr.text.size()), false);
            out.isString = true;
            break;
        case Expr::Kind::Hex:
            out.sql = "X'" + std::string(expr.text.size() % 2 ? "0" : "") + expr.text + "'";
            out.type = makeColumnInfo(ColumnType::VarBinary,
                                      static_cast<int>((expr.text.size() + 1) / 2), false);
            break;
        default:
            break;
    }
    return out;
}

TypedSql SqlRenderer::renderVariable(const Expr& expr)
{
    Variable* variable = env_.variable(expr.text);
    if (!variable) {
        throw mustDeclare(expr.text);
    }
    TypedSql out;
    out.sql = bindParam(variable->value);
    out.type = variable->type;
    out.isString = isStringType(out.type.type);
    return out;
}

TypedSql SqlRenderer::renderGlobal(const Expr& expr)
{
    std::optional<Variable> value = env_.globalVariable(expr.text);
    if (!value) {
        throw EngineError{137, 15, "Must declare variable '" + expr.text + "'."};
    }
    TypedSql out;
    out.sql = bindParam(value->value);
    out.type = value->type;
    out.isString = isStringType(out.type.type);
    return out;
}

TypedSql SqlRenderer::renderExpression(const Expr& expr)
{
    return render(expr, nullptr);
}

TypedSql SqlRenderer::render(const Expr& expr, Scope* scope)
{
    TypedSql out;
    switch (expr.kind) {
        case Expr::Kind::Null:
        case Expr::Kind::Integer:
        case Expr::Kind::Decimal:
        case Expr::Kind::Float:
        case Expr::Kind::Money:
        case Expr::Kind::String:
        case Expr::Kind::Hex:
            return renderLiteral(expr);
        case Expr::Kind::Column:
            return renderColumn(expr, scope);
        case Expr::Kind::Variable:
            return renderVariable(expr);
        case Expr::Kind::Global:
            return renderGlobal(expr);
        case Expr::Kind::Param: {
            size_t index = std::stoul(expr.text);
            const auto& params = env_.params();
            if (index >= params.size()) {
                throw EngineError{7332, 16, "Not enough parameters were supplied."};
            }
            out = renderParam(params[index]);
            return out;
        }
        case Expr::Kind::Unary: {
            TypedSql operand = render(*expr.args[0], scope);
            if (expr.op == "not") {
                out.sql = "(NOT " + operand.sql + ")";
                out.type = makeColumnInfo(ColumnType::Bit);
            } else {
                out.sql = "(" + expr.op + operand.sql + ")";
                out.type = operand.type;
            }
            return out;
        }
        case Expr::Kind::Binary:
            return renderBinary(expr, scope);
        case Expr::Kind::Function:
            return renderFunction(expr, scope);
        case Expr::Kind::Convert:
            return renderConvert(expr, scope);
        case Expr::Kind::Like: {
            TypedSql value = render(*expr.args[0], scope);
            TypedSql pattern = render(*expr.args[1], scope);
            std::string escape = expr.args.size() > 2 ? render(*expr.args[2], scope).sql : "NULL";
            out.sql = std::string(expr.negated ? "(NOT " : "(") + "tsql_like(" + value.sql + ", " +
                      pattern.sql + ", " + escape + "))";
            out.type = makeColumnInfo(ColumnType::Bit);
            return out;
        }
        case Expr::Kind::Between: {
            TypedSql value = render(*expr.args[0], scope);
            TypedSql low = render(*expr.args[1], scope);
            TypedSql high = render(*expr.args[2], scope);
            out.sql = "(" + value.sql + (expr.negated ? " NOT" : "") + " BETWEEN " + low.sql +
                      " AND " + high.sql + ")";
            out.type = makeColumnInfo(ColumnType::Bit);
            return out;
        }
        case Expr::Kind::InList: {
            TypedSql value = render(*expr.args[0], scope);
            std::string items;
            for (size_t i = 1; i < expr.args.size(); ++i) {
                TypedSql item = render(*expr.args[i], scope);
                if (isDate(value.type.type) && item.isString) {
                    item.sql = "tsql_convert(" + dateTarget(value.type.type) + ", 0, 0, 0, " +
                               item.sql + ", 's', 0)";
                }
                items += (i > 1 ? ", " : "") + item.sql;
            }
            out.sql = "(" + value.sql + (value.isString ? " COLLATE RTRIM" : "") +
                      (expr.negated ? " NOT IN (" : " IN (") + items + "))";
            out.type = makeColumnInfo(ColumnType::Bit);
            return out;
        }
        case Expr::Kind::InSelect: {
            TypedSql value = render(*expr.args[0], scope);
            std::string sql;
            renderSubquery(*expr.select, scope, sql);
            out.sql = "(" + value.sql + (expr.negated ? " NOT IN " : " IN ") + sql + ")";
            out.type = makeColumnInfo(ColumnType::Bit);
            return out;
        }
        case Expr::Kind::IsNull: {
            TypedSql value = render(*expr.args[0], scope);
            out.sql = "(" + value.sql + (expr.negated ? " IS NOT NULL)" : " IS NULL)");
            out.type = makeColumnInfo(ColumnType::Bit);
            return out;
        }
        case Expr::Kind::Exists: {
            std::string sql;
            renderSubquery(*expr.select, scope, sql);
            out.sql = "EXISTS " + sql;
            out.type = makeColumnInfo(ColumnType::Bit);
            return out;
        }
        case Expr::Kind::Subquery: {
            std::string sql;
            out = renderSubquery(*expr.select, scope, sql);
            out.sql = sql;
            out.type.nullable = true;
            return out;
        }
        case Expr::Kind::Case: {
            std::string sql = "CASE";
            size_t i = 0;
            if (expr.hasOperand) {
                sql += " " + render(*expr.args[0], scope).sql;
                i = 1;
            }
            bool typed = false;
            size_t pairsEnd = expr.args.size() - (expr.hasElse ? 1 : 0);
            for (; i + 1 < pairsEnd + 1 && i < pairsEnd; i += 2) {
                sql += " WHEN " + render(*expr.args[i], scope).sql;
                TypedSql result = render(*expr.args[i + 1], scope);
                sql += " THEN " + result.sql;
                if (!typed && expr.args[i + 1]->kind != Expr::Kind::Null) {
                    out.type = result.type;
                    out.isString = result.isString;
                    typed = true;
                }
            }
            if (expr.hasElse) {
                TypedSql result = render(*expr.args.back(), scope);
                sql += " ELSE " + result.sql;
                if (!typed) {
                    out.type = result.type;
                    out.isString = result.isString;
                }
            }
            out.sql = sql + " END";
            out.type.nullable = true;
            return out;
        }
    }
    return out;
}

TypedSql SqlRenderer::renderSubquery(const SelectStmt& select, Scope* scope, std::string& sql)
{
    RenderedQuery inner = renderSingleSelect(select, scope);
    sql = "(" + inner.sql + ")";
    TypedSql out;
    if (!inner.columns.empty()) {
        out.type = inner.columns[0];
        out.isString = isStringType(out.type.type);
    }
    return out;
}

bool SqlRenderer::sybaseNullComparison(const Expr& left, const Expr& right,
                                       const std::string& op) const
{
    // Sybase NULL mode (ansinull off): "=" and "!=" between a column, variable or parameter
    // and a variable or parameter that holds NULL are TRUE or FALSE, never UNKNOWN. A NULL
    // produced by any other expression leaves the comparison UNKNOWN.
    if (env_.ansiNull() || (op != "=" && op != "<>"))
        return false;
    auto named = [](const Expr& e) {
        return e.kind == Expr::Kind::Column || e.kind == Expr::Kind::Variable ||
               e.kind == Expr::Kind::Param;
    };
    auto holder = [](const Expr& e) {
        return e.kind == Expr::Kind::Variable || e.kind == Expr::Kind::Param;
    };
    return (named(left) && holder(right)) || (holder(left) && named(right));
}

TypedSql SqlRenderer::renderBinary(const Expr& expr, Scope* scope)
{
    TypedSql out;
    if (expr.op == "and" || expr.op == "or") {
        out.sql = "(" + render(*expr.args[0], scope).sql + (expr.op == "and" ? " AND " : " OR ") +
                  render(*expr.args[1], scope).sql + ")";
        out.type = makeColumnInfo(ColumnType::Bit);
        return out;
    }
    TypedSql left = render(*expr.args[0], scope);
    TypedSql right = render(*expr.args[1], scope);
    bool leftNull = expr.args[0]->kind == Expr::Kind::Null;
    bool rightNull = expr.args[1]->kind == Expr::Kind::Null;
    static const std::vector<std::string> comparisons = {
        "=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>", "*=", "=*"};
    if (std::find(comparisons.begin(), comparisons.end(), expr.op) != comparisons.end()) {
        out.type = makeColumnInfo(ColumnType::Bit);
        std::string op = expr.op;
        if (op == "!=")
            op = "<>";
        if (op == "!<")
            op = ">=";
        if (op == "!>")
            op = "<=";
        if (op == "*=" || op == "=*")
            op = "=";
        // "= NULL" finds NULLs while ansinull is off.
        if ((leftNull || rightNull) && (op == "=" || op == "<>") && !env_.ansiNull()) {
            const TypedSql& other = leftNull ? right : left;
            out.sql = "(" + other.sql + (op == "=" ? " IS NULL)" : " IS NOT NULL)");
            return out;
        }
        bool nullsMatch = sybaseNullComparison(*expr.args[0], *expr.args[1], op);
        // A string compared with a datetime is converted to a datetime.
        if (isDate(left.type.type) && right.isString) {
            right.sql = "tsql_convert(" + dateTarget(left.type.type) + ", 0, 0, 0, " + right.sql +
                        ", 's', 0)";
            right.isString = false;
        } else if (isDate(right.type.type) && left.isString) {
            left.sql = "tsql_convert(" + dateTarget(right.type.type) + ", 0, 0, 0, " + left.sql +
                       ", 's', 0)";
            left.isString = false;
        } else if ((left.isString && isNumeric(right.type.type) && !rightNull) ||
                   (right.isString && isNumeric(left.type.type) && !leftNull)) {
            const TypedSql& text = left.isString ? left : right;
            const TypedSql& number = left.isString ? right : left;
            throw EngineError{257, 16,
                              std::string("Implicit conversion from datatype '") +
                                  typeNameOf(text.type.type) + "' to '" +
                                  typeNameOf(number.type.type) +
                                  "' is not allowed.  Use the CONVERT function to run this query."};
        }
        // "id = object_id(<column expression>)": keep SQLite from using the catalog call as
        // an index key, which would run it for every candidate row before cheaper filters.
        // A call on constants stays usable as a key.
        if (op == "=" && isIntegerType(left.type.type) && isIntegerType(right.type.type)) {
            auto perRowCall = [](const Expr& side) {
                return isExpensive(side) && referencesColumns(side);
            };
            if (perRowCall(*expr.args[1]) && expr.args[0]->kind == Expr::Kind::Column) {
                left.sql = "+" + left.sql;
            } else if (perRowCall(*expr.args[0]) && expr.args[1]->kind == Expr::Kind::Column) {
                right.sql = "+" + right.sql;
            }
        }
        bool strings = left.isString || right.isString;
        std::string sqlOp = !nullsMatch ? op : op == "=" ? "IS" : "IS NOT";
        out.sql =
            "(" + left.sql + " " + sqlOp + " " + right.sql + (strings ? " COLLATE RTRIM)" : ")");
        return out;
    }
    if (expr.op == "+" && (left.isString || right.isString)) {
        if ((left.isString || leftNull) && (right.isString || rightNull)) {
            out.sql = "tsql_concat(" + left.sql + ", " + right.sql + ")";
            int length = left.type.length + right.type.length;
            out.type = makeColumnInfo(ColumnType::VarChar, std::min(length, 16384));
            out.isString = true;
            return out;
        }
        const TypedSql& text = left.isString ? left : right;
        const TypedSql& other = left.isString ? right : left;
        throw EngineError{257, 16,
                          std::string("Implicit conversion from datatype '") +
                              typeNameOf(text.type.type) + "' to '" + typeNameOf(other.type.type) +
                              "' is not allowed.  Use the CONVERT function to run this query."};
    }
    // Arithmetic and bitwise operators. A hex literal next to an integer acts as one.
    auto asInteger = [](const Expr& e, TypedSql& t) {
        if (e.kind == Expr::Kind::Hex) {
            t.sql = std::to_string(static_cast<int64_t>(
                std::strtoull(e.text.empty() ? "0" : e.text.c_str(), nullptr, 16)));
            t.type = makeColumnInfo(ColumnType::Int, 4, false);
        }
    };
    asInteger(*expr.args[0], left);
    asInteger(*expr.args[1], right);
    const TypedSql& dominant =
        hierarchyOf(left.type.type) <= hierarchyOf(right.type.type) ? left : right;
    out.type = dominant.type;
    out.type.nullable = left.type.nullable || right.type.nullable;
    if (isIntegerType(left.type.type) && isIntegerType(right.type.type)) {
        // Integer arithmetic yields at least int.
        if (hierarchyOf(out.type.type) > hierarchyOf(ColumnType::Int)) {
            out.type = makeColumnInfo(ColumnType::Int, 4, out.type.nullable);
        }
    }
    if (expr.op == "^") {
        out.sql =
            "((" + left.sql + " | " + right.sql + ") - (" + left.sql + " & " + right.sql + "))";
    } else if (expr.op == "/" || expr.op == "%") {
        out.sql = "tsql_divide('" + expr.op + "', " + left.sql + ", " + right.sql + ")";
        if (isIntegerType(out.type.type)) {
            out.sql = "CAST(" + out.sql + " AS INTEGER)";
        }
    } else {
        out.sql = "(" + left.sql + " " + expr.op + " " + right.sql + ")";
    }
    return out;
}

TypedSql SqlRenderer::renderConvert(const Expr& expr, Scope* scope)
{
    TypedSql value = render(*expr.args[0], scope);
    ColumnInfo target = typeFromSpec(env_.catalog(), env_.database(), expr.type);
    std::string style = expr.args.size() > 1 ? render(*expr.args[1], scope).sql : "0";
    TypedSql out;
    out.type = target;
    out.type.nullable = value.type.nullable;
    out.isString = isStringType(target.type);
    std::string targetName = toLower(expr.type.name);
    if (const BuiltinType* builtin = findBuiltinType(expr.type.name)) {
        targetName = builtin->name;
    }
    out.sql = "tsql_convert('" + targetName + "', " + std::to_string(target.length) + ", " +
              std::to_string(target.precision) + ", " + std::to_string(target.scale) + ", " +
              value.sql + ", " + sourceKind(value.type) + ", " + style + ")";
    return out;
}

std::string SqlRenderer::coerceTo(const TypedSql& value, const ColumnInfo& target)
{
    std::string name;
    switch (target.type) {
        case ColumnType::Char:
            name = "char";
            break;
        case ColumnType::VarChar:
            name = "varchar";
            break;
        case ColumnType::Text:
            name = "text";
            break;
        case ColumnType::TinyInt:
            name = "tinyint";
            break;
        case ColumnType::SmallInt:
            name = "smallint";
            break;
        case ColumnType::Int:
            name = "int";
            break;
        case ColumnType::BigInt:
            name = "bigint";
            break;
        case ColumnType::Bit:
            name = "bit";
            break;
        case ColumnType::DateTime:
            name = "datetime";
            break;
        case ColumnType::SmallDateTime:
            name = "smalldatetime";
            break;
        case ColumnType::BigDateTime:
            name = "bigdatetime";
            break;
        case ColumnType::BigTime:
            name = "bigtime";
            break;
        case ColumnType::Money:
            name = "money";
            break;
        case ColumnType::SmallMoney:
            name = "smallmoney";
            break;
        case ColumnType::Numeric:
            name = "numeric";
            break;
        case ColumnType::Decimal:
            name = "decimal";
            break;
        case ColumnType::Float:
            name = "float";
            break;
        case ColumnType::Real:
            name = "real";
            break;
        case ColumnType::Binary:
            name = "binary";
            break;
        case ColumnType::VarBinary:
            name = "varbinary";
            break;
        case ColumnType::Image:
            name = "image";
            break;
    }
    // Implicit conversion on assignment: strings into numbers are refused like the
    // server does; everything else goes through the conversion function.
    return "tsql_assign('" + name + "', " + std::to_string(target.length) + ", " +
           std::to_string(target.precision) + ", " + std::to_string(target.scale) + ", " +
           value.sql + ", " + sourceKind(value.type) + ")";
}

// One call of a built-in function while it is rendered: its arguments rendered, the
// result being built, and the checks every function shares.
struct SqlRenderer::FunctionCall {
    SqlRenderer& renderer;
    const Expr& expr;
    const std::string& name;
    std::vector<TypedSql> args;
    std::string currentDb;  // bound parameter holding the current database name
    TypedSql out;

    void requireArgs(size_t low, size_t high) const
    {
        if (args.size() < low || args.size() > high) {
            throw EngineError{
                174, 15,
                "The function '" + name + "' requires " + std::to_string(low) + " arguments."};
        }
    }
    std::string argList() const
    {
        std::string list;
        for (size_t i = 0; i < args.size(); ++i)
            list += (i ? ", " : "") + args[i].sql;
        return list;
    }
    std::string argOrNull(size_t index) const
    {
        return index < args.size() ? args[index].sql : "NULL";
    }
    void stringResult(int length)
    {
        out.type = makeColumnInfo(ColumnType::VarChar, length);
        out.isString = true;
    }
    void intResult(ColumnType type = ColumnType::Int) { out.type = makeColumnInfo(type); }
    // The function rendered as a call of the registered SQLite function tsql_<name>.
    void callTsql(const std::string& arguments)
    {
        out.sql = "tsql_" + name + "(" + arguments + ")";
    }
};

namespace {

bool takesDatePart(const std::string& name)
{
    return name == "datepart" || name == "datediff" || name == "dateadd" || name == "datename";
}

}  // namespace

const std::map<std::string, SqlRenderer::FunctionRenderer>& SqlRenderer::functions()
{
    using Call = FunctionCall;
    auto aggregate = [](Call& c) {
        c.requireArgs(1, 1);
        c.out.type = aggregateType(c.name, c.args[0].type);
        c.out.isString = c.args[0].isString;
        std::string inner = (c.expr.op == "distinct" ? "DISTINCT " : "") + c.args[0].sql;
        if ((c.name == "sum" || c.name == "avg") && isIntegerType(c.args[0].type.type)) {
            c.out.sql = "CAST(" + c.name + "(" + inner + ") AS INTEGER)";
        } else {
            c.out.sql = c.name + "(" + inner + ")";
        }
    };
    auto coalesce = [](Call& c) {
        c.requireArgs(2, 64);
        c.out.sql = "coalesce(" + c.argList() + ")";
        size_t typed = c.expr.args[0]->kind == Expr::Kind::Null ? 1 : 0;
        c.out.type = c.args[typed].type;
        c.out.isString = c.args[typed].isString;
        c.out.type.nullable = c.args.back().type.nullable;
    };
    auto trim = [](Call& c) {
        c.requireArgs(1, 1);
        c.callTsql(c.args[0].sql);
        c.stringResult(c.args[0].type.length);
    };
    auto changeCase = [](Call& c) {
        c.requireArgs(1, 1);
        c.out.sql = c.name + "(" + c.args[0].sql + ")";
        c.out.type = c.args[0].type;
        c.out.isString = true;
    };
    auto leftRight = [](Call& c) {
        c.requireArgs(2, 2);
        c.callTsql(c.argList());
        c.stringResult(c.args[0].type.length);
    };
    auto length = [](Call& c) {
        c.requireArgs(1, 1);
        c.out.sql = "tsql_char_length(" + c.args[0].sql + ")";
        c.intResult();
    };
    auto math = [](Call& c) {
        c.requireArgs(1, 1);
        c.out.sql = "tsql_math('" + c.name + "', " + c.args[0].sql + ")";
        c.out.type = c.args[0].type;
    };
    // The first argument is a date part keyword, parsed as a column name.
    auto dateFunction = [](Call& c) {
        if (c.expr.args.empty() || c.expr.args[0]->kind != Expr::Kind::Column) {
            throw EngineError{155, 15, "'" + c.name + "' requires a date part."};
        }
        std::string arguments = sqlString(toLower(c.expr.args[0]->names.back()));
        for (const TypedSql& arg : c.args)
            arguments += ", " + arg.sql;
        c.callTsql(arguments);
        if (c.name == "dateadd")
            c.out.type = makeColumnInfo(ColumnType::DateTime);
        else if (c.name == "datename")
            c.stringResult(30);
        else
            c.intResult();
    };
    auto loginFunction = [](Call& c) {
        c.requireArgs(0, 1);
        std::optional<Variable> suid = c.renderer.env_.globalVariable("@@suid");
        c.callTsql(c.args.empty() ? c.renderer.bindParam(suid->value) : c.args[0].sql);
        if (c.name == "suser_name")
            c.stringResult(30);
        else
            c.intResult();
    };
    // rand([seed]) and rand2([seed]) (a value per row): a seed is accepted and not used.
    auto randomFloat = [](Call& c) {
        c.requireArgs(0, 1);
        c.out.sql = "((random() & 9007199254740991) / 9007199254740992.0)";
        c.out.type = makeColumnInfo(ColumnType::Float, 8, false);
    };
    static const std::map<std::string, FunctionRenderer> table = {
        {"count",
         [](Call& c) {
             c.out.sql = c.expr.star
                             ? "count(*)"
                             : "count(" + std::string(c.expr.op == "distinct" ? "DISTINCT " : "") +
                                   c.args.at(0).sql + ")";
             c.out.type = makeColumnInfo(ColumnType::Int, 4, false);
         }},
        {"sum", aggregate},
        {"avg", aggregate},
        {"min", aggregate},
        {"max", aggregate},
        {"isnull", coalesce},
        {"coalesce", coalesce},
        {"nullif",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.out.sql = "nullif(" + c.argList() + ")";
             c.out.type = c.args[0].type;
             c.out.isString = c.args[0].isString;
         }},
        {"rtrim", trim},
        {"ltrim", trim},
        {"trim", trim},
        {"upper", changeCase},
        {"lower", changeCase},
        {"substring",
         [](Call& c) {
             c.requireArgs(3, 3);
             c.callTsql(c.argList());
             c.stringResult(c.args[0].type.length);
             bool binary = isBinaryType(c.args[0].type.type);
             c.out.type.type = binary ? ColumnType::VarBinary : ColumnType::VarChar;
             c.out.isString = !binary;
         }},
        {"right", leftRight},
        {"left", leftRight},
        {"ascii",
         [](Call& c) {
             c.requireArgs(1, 1);
             c.callTsql(c.args[0].sql);
             c.intResult();
         }},
        {"char",
         [](Call& c) {
             c.requireArgs(1, 1);
             c.callTsql(c.args[0].sql);
             c.stringResult(1);
         }},
        {"char_length", length},
        {"len", length},
        {"datalength",
         [](Call& c) {
             c.requireArgs(1, 1);
             const ColumnInfo& type = c.args[0].type;
             auto fixedSize = [&](int size) {
                 return "(CASE WHEN " + c.args[0].sql + " IS NULL THEN NULL ELSE " +
                        std::to_string(size) + " END)";
             };
             if (type.type == ColumnType::Char || type.type == ColumnType::Binary)
                 c.out.sql = fixedSize(type.length);
             else if (isStringType(type.type) || isBinaryType(type.type))
                 c.callTsql(c.args[0].sql);
             else
                 c.out.sql = fixedSize(type.length > 0 ? type.length : 4);
             c.intResult();
         }},
        {"charindex",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.out.sql = "instr(" + c.args[1].sql + ", " + c.args[0].sql + ")";
             c.intResult();
         }},
        {"replicate",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.callTsql(c.argList());
             c.stringResult(255);
         }},
        {"space",
         [](Call& c) {
             c.requireArgs(1, 1);
             c.out.sql = "tsql_replicate(' ', " + c.args[0].sql + ")";
             c.stringResult(255);
         }},
        {"reverse",
         [](Call& c) {
             c.requireArgs(1, 1);
             c.callTsql(c.args[0].sql);
             c.stringResult(c.args[0].type.length);
         }},
        {"hash",
         [](Call& c) {
             c.requireArgs(1, 2);
             c.callTsql(c.argList());
             // The algorithm is a literal: 'md5' (default) and 'sha1' give hexadecimal text,
             // 2 and 3 binary digests.
             std::string algorithm =
                 c.args.size() > 1 ? toLower(c.expr.args[1]->text) : std::string("md5");
             bool sha1 = algorithm == "sha1" || algorithm == "3";
             if (algorithm == "2" || algorithm == "3")
                 c.out.type = makeColumnInfo(ColumnType::VarBinary, sha1 ? 20 : 16);
             else
                 c.stringResult(sha1 ? 40 : 32);
         }},
        {"str",
         [](Call& c) {
             c.requireArgs(1, 3);
             c.callTsql(c.argList());
             c.stringResult(10);
         }},
        {"abs", math},
        {"floor", math},
        {"ceiling", math},
        {"sign", math},
        {"round",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.out.sql = "round(" + c.argList() + ")";
             c.out.type = c.args[0].type;
         }},
        {"power",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.callTsql(c.argList());
             c.out.type = c.args[0].type;
             if (isIntegerType(c.out.type.type))
                 c.out.sql = "CAST(" + c.out.sql + " AS INTEGER)";
         }},
        {"getdate",
         [](Call& c) {
             c.requireArgs(0, 0);
             c.callTsql("");
             c.out.type = makeColumnInfo(ColumnType::DateTime, 8, false);
         }},
        {"newid",
         [](Call& c) {
             c.requireArgs(0, 1);
             c.callTsql(c.argList());
             bool binary = !c.args.empty() && isBinaryType(c.args[0].type.type);
             if (binary) {
                 c.out.type = makeColumnInfo(ColumnType::VarBinary, 16);
             } else {
                 bool dashes = !c.args.empty();
                 c.stringResult(dashes ? 36 : 32);
             }
         }},
        {"datepart", dateFunction},
        {"datediff", dateFunction},
        {"dateadd", dateFunction},
        {"datename", dateFunction},
        {"object_id",
         [](Call& c) {
             c.requireArgs(1, 1);
             c.callTsql(c.args[0].sql + ", " + c.currentDb + ", " +
                        std::to_string(c.renderer.env_.uid()));
             c.intResult();
         }},
        {"object_name",
         [](Call& c) {
             c.requireArgs(1, 2);
             c.callTsql(c.args[0].sql + ", " + c.argOrNull(1) + ", " + c.currentDb);
             c.stringResult(255);
         }},
        {"index_col",
         [](Call& c) {
             c.requireArgs(3, 4);
             c.callTsql(c.args[0].sql + ", " + c.args[1].sql + ", " + c.args[2].sql + ", " +
                        c.argOrNull(3) + ", " + c.currentDb + ", " +
                        std::to_string(c.renderer.env_.uid()));
             c.stringResult(255);
         }},
        {"index_colorder",
         [](Call& c) {
             c.requireArgs(3, 4);
             c.callTsql(c.args[0].sql + ", " + c.args[1].sql + ", " + c.args[2].sql + ", " +
                        c.argOrNull(3) + ", " + c.currentDb + ", " +
                        std::to_string(c.renderer.env_.uid()));
             c.stringResult(4);
         }},
        {"col_name",
         [](Call& c) {
             c.requireArgs(2, 3);
             c.callTsql(c.args[0].sql + ", " + c.args[1].sql + ", " + c.argOrNull(2) + ", " +
                        c.currentDb);
             c.stringResult(255);
         }},
        {"user_name",
         [](Call& c) {
             c.requireArgs(0, 1);
             c.callTsql((c.args.empty() ? std::to_string(c.renderer.env_.uid()) : c.args[0].sql) +
                        ", " + c.currentDb);
             c.stringResult(255);
         }},
        {"user_id",
         [](Call& c) {
             c.requireArgs(0, 1);
             if (c.args.empty())
                 c.out.sql = std::to_string(c.renderer.env_.uid());
             else
                 c.callTsql(c.args[0].sql + ", " + c.currentDb);
             c.intResult();
         }},
        {"user",
         [](Call& c) {
             c.out.sql = "tsql_user_name(" + std::to_string(c.renderer.env_.uid()) + ", " +
                         c.currentDb + ")";
             c.stringResult(255);
         }},
        {"db_name",
         [](Call& c) {
             c.requireArgs(0, 1);
             if (c.args.empty())
                 c.out.sql = c.currentDb;
             else
                 c.callTsql(c.args[0].sql);
             c.stringResult(255);
         }},
        {"db_id",
         [](Call& c) {
             c.requireArgs(0, 1);
             c.callTsql(c.args.empty() ? c.currentDb : c.args[0].sql);
             c.intResult(ColumnType::SmallInt);
         }},
        {"stuff",
         [](Call& c) {
             c.requireArgs(4, 4);
             c.callTsql(c.argList());
             c.stringResult(std::min(
                 16384, std::max(1, c.args[0].type.length) + std::max(0, c.args[3].type.length)));
         }},
        // Application contexts belong to the session: its spid goes along.
        {"set_appcontext",
         [](Call& c) {
             c.requireArgs(3, 3);
             c.callTsql(c.renderer.sessionSpid() + ", " + c.argList());
             c.intResult();
         }},
        {"get_appcontext",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.callTsql(c.renderer.sessionSpid() + ", " + c.argList());
             c.stringResult(static_cast<int>(ApplicationContexts::kWidth));
         }},
        {"rm_appcontext",
         [](Call& c) {
             c.requireArgs(2, 2);
             c.callTsql(c.renderer.sessionSpid() + ", " + c.argList());
             c.intResult();
         }},
        {"syb_quit",
         [](Call& c) {
             c.requireArgs(0, 0);
             c.callTsql("");
             c.intResult();
         }},
        {"rand", randomFloat},
        {"rand2", randomFloat},
        {"suser_name", loginFunction},
        {"suser_id", loginFunction},
    };
    return table;
}

std::string SqlRenderer::sessionSpid()
{
    std::optional<Variable> spid = env_.globalVariable("@@spid");
    return std::to_string(spid ? spid->value.intValue : 0);
}

// A parameter as the type it was sent as, bound in that type's stored form.
TypedSql SqlRenderer::renderParam(const ParamValue& param)
{
    TypedSql out;
    const Value& value = param.value;
    SqlValue bound;
    switch (param.type) {
        case ColumnType::DateTime:
        case ColumnType::SmallDateTime:
            out.type = param.type == ColumnType::DateTime
                           ? makeColumnInfo(ColumnType::DateTime, 8)
                           : makeColumnInfo(ColumnType::SmallDateTime, 4);
            if (!value.isNull)
                bound = SqlValue::ofText(storedText(fromWire(value.dateTime)));
            break;
        case ColumnType::Float:
        case ColumnType::Real:
            out.type = param.type == ColumnType::Float ? makeColumnInfo(ColumnType::Float, 8)
                                                       : makeColumnInfo(ColumnType::Real, 4);
            if (!value.isNull)
                bound = SqlValue::ofReal(value.floatValue);
            break;
        // Exact values are stored as the engine stores its money and numeric columns;
        // reading them back rounds to the type's scale.
        case ColumnType::Money:
        case ColumnType::SmallMoney:
            out.type = param.type == ColumnType::Money ? makeColumnInfo(ColumnType::Money, 8)
                                                       : makeColumnInfo(ColumnType::SmallMoney, 4);
            if (!value.isNull)
                bound = SqlValue::ofReal(static_cast<double>(value.intValue) / 10000.0);
            break;
        case ColumnType::Numeric:
        case ColumnType::Decimal:
            out.type = makeColumnInfo(param.type, numericBytes(param.precision));
            out.type.precision = param.precision;
            out.type.scale = param.scale;
            if (!value.isNull)
                bound = SqlValue::ofReal(static_cast<double>(value.intValue) /
                                         std::pow(10.0, param.scale));
            break;
        case ColumnType::VarBinary:
            out.type = makeColumnInfo(ColumnType::VarBinary,
                                      std::max(1, static_cast<int>(value.bytes.size())));
            if (!value.isNull)
                bound = SqlValue::ofBlob(value.bytes);
            break;
        case ColumnType::VarChar:
            out.type = makeColumnInfo(ColumnType::VarChar,
                                      std::max(1, static_cast<int>(value.bytes.size())));
            out.isString = true;
            if (!value.isNull)
                bound = SqlValue::ofText(value.bytes);
            break;
        case ColumnType::BigDateTime:
        case ColumnType::BigTime:
            out.type = makeColumnInfo(param.type, 8);
            if (!value.isNull) {
                bound = SqlValue::ofText(
                    param.type == ColumnType::BigTime
                        ? storedBigTimeText(fromMicrosOfDay(value.intValue))
                        : storedBigDateTimeText(fromBigDateTimeMicros(value.intValue)));
            }
            break;
        default: {  // the integer kinds and bit
            bool wide = value.intValue > INT32_MAX || value.intValue < INT32_MIN;
            out.type = makeColumnInfo(param.type == ColumnType::Bit ? ColumnType::Bit
                                      : wide                        ? ColumnType::BigInt
                                                                    : ColumnType::Int);
            if (!value.isNull)
                bound = SqlValue::ofInt(value.intValue);
            break;
        }
    }
    out.sql = bindParam(bound);
    return out;
}

TypedSql SqlRenderer::renderFunction(const Expr& expr, Scope* scope)
{
    const std::string& name = expr.text;
    if (!expr.names.empty()) {
        // A qualified name calls a SQL function, which is created here but never run.
        throw EngineError{7777, 16,
                          "SQL function '" + name +
                              "' cannot be run: tdsim keeps SQL functions "
                              "without running them."};
    }
    auto handler = functions().find(name);
    // trim() is SQL Anywhere's; Adaptive Server 15.7 has only ltrim and rtrim.
    const bool foreign = name == "trim" && !env_.catalog().sqlAnywhere();
    if (handler == functions().end() || foreign) {
        throw EngineError{195, 15, "'" + name + "' is not a recognized built-in function name."};
    }
    FunctionCall call{*this, expr, name, {}, bindParam(SqlValue::ofText(env_.database())), {}};
    for (size_t i = takesDatePart(name) ? 1 : 0; i < expr.args.size(); ++i) {
        call.args.push_back(render(*expr.args[i], scope));
    }
    handler->second(call);
    return call.out;
}

void SqlRenderer::collectSources(const Expr& expr, Scope& scope, std::vector<int>& found)
{
    if (expr.kind == Expr::Kind::Column) {
        if (auto column = findColumn(scope, expr.names)) {
            found.push_back(column->first);
        } else {
            found.push_back(-1);  // outer scope or unknown
        }
    }
    if (expr.select) {
        found.push_back(-1);
    }
    for (const ExprPtr& arg : expr.args) {
        if (arg)
            collectSources(*arg, scope, found);
    }
}

std::string SqlRenderer::renderFrom(Scope& scope, const SelectStmt& select,
                                    std::vector<ExprPtr>& whereConjuncts)
{
    // Old-style outer joins: "a *= b" makes b the inner table of a left join; every
    // restriction that names only an inner table becomes part of its join condition.
    std::vector<ExprPtr> kept;
    std::vector<ExprPtr> all;
    if (select.where) {
        std::vector<const Expr*> parts = conjuncts(select.where);
        // conjuncts() gives raw pointers; keep them alive through shared copies.
        for (const Expr* part : parts) {
            all.push_back(std::shared_ptr<Expr>(std::shared_ptr<Expr>{}, const_cast<Expr*>(part)));
        }
    }
    for (const ExprPtr& part : all) {
        if (part->kind == Expr::Kind::Binary && (part->op == "*=" || part->op == "=*")) {
            std::vector<int> innerSide;
            collectSources(*part->args[part->op == "*=" ? 1 : 0], scope, innerSide);
            if (innerSide.size() == 1 && innerSide[0] >= 0) {
                Source& inner = scope.sources[innerSide[0]];
                inner.innerOfOuterJoin = true;
                inner.joinConditions.push_back(part);
                continue;
            }
        }
        kept.push_back(part);
    }
    std::vector<ExprPtr> remaining;
    for (const ExprPtr& part : kept) {
        std::vector<int> used;
        collectSources(*part, scope, used);
        bool movable = !used.empty() && used[0] >= 0 && scope.sources[used[0]].innerOfOuterJoin &&
                       std::all_of(used.begin(), used.end(), [&](int s) { return s == used[0]; });
        if (movable) {
            scope.sources[used[0]].joinConditions.push_back(part);
        } else {
            remaining.push_back(part);
        }
    }
    whereConjuncts = remaining;

    std::string from;
    bool first = true;
    for (Source& source : scope.sources) {
        if (source.innerOfOuterJoin)
            continue;
        std::string piece = source.table.physical + " AS " + source.sqlAlias;
        if (first) {
            from = piece;
        } else if (source.join == TableRef::Join::Comma) {
            from += ", " + piece;
        } else {
            static const char* const joins[] = {", ", " JOIN ", " LEFT JOIN ", " RIGHT JOIN ",
                                                " CROSS JOIN "};
            from += joins[static_cast<int>(source.join)] + piece;
            if (source.on) {
                // Columns of later sources are not visible yet in SQLite's ON; the
                // scope holds every source, which matches the server's behaviour.
                from += " ON " + render(*source.on, &scope).sql;
            }
        }
        first = false;
    }
    for (Source& source : scope.sources) {
        if (!source.innerOfOuterJoin)
            continue;
        // Render the join conditions with the inner table still nullable-typed.
        std::string on;
        for (const ExprPtr& condition : source.joinConditions) {
            on += (on.empty() ? "" : " AND ") + render(*condition, &scope).sql;
        }
        from += " LEFT JOIN " + source.table.physical + " AS " + source.sqlAlias + " ON " + on;
    }
    return from;
}

RenderedQuery SqlRenderer::renderUnion(const SelectStmt& select)
{
    RenderedQuery query = renderSingleSelect(select, nullptr);
    // A column that is a bare NULL in the first select takes its type from the first
    // select that gives it one.
    auto isNullItem = [](const SelectStmt& part, size_t i) {
        return i < part.items.size() && !part.items[i].star && part.items[i].expr &&
               part.items[i].expr->kind == Expr::Kind::Null;
    };
    std::vector<bool> untyped;
    for (size_t i = 0; i < query.columns.size(); ++i)
        untyped.push_back(isNullItem(select, i));
    for (const SelectStmt::Union& part : select.unions) {
        RenderedQuery next = renderSingleSelect(*part.select, nullptr);
        if (next.columns.size() != query.columns.size()) {
            throw EngineError{205, 16,
                              "All queries in a SQL statement containing set operators must "
                              "have an equal number of expressions in their target lists."};
        }
        query.sql += part.all ? " UNION ALL " : " UNION ";
        query.sql += next.sql;
        for (size_t i = 0; i < query.columns.size(); ++i) {
            if (untyped[i] && !isNullItem(*part.select, i)) {
                std::string name = query.columns[i].name;
                query.columns[i] = next.columns[i];
                query.columns[i].name = name;
                query.columns[i].nullable = true;
                untyped[i] = false;
            }
            query.columns[i].nullable = query.columns[i].nullable || next.columns[i].nullable;
            query.columns[i].length = std::max(query.columns[i].length, next.columns[i].length);
        }
    }
    return query;
}

RenderedQuery SqlRenderer::renderSelect(const SelectStmt& select)
{
    RenderedQuery query = renderUnion(select);
    if (!select.unions.empty() && !select.orderBy.empty()) {
        std::string order;
        for (const OrderItem& item : select.orderBy) {
            std::string term;
            if (item.expr->kind == Expr::Kind::Integer) {
                term = item.expr->text;
            } else if (item.expr->kind == Expr::Kind::Column && item.expr->names.size() == 1) {
                for (size_t i = 0; i < query.columns.size(); ++i) {
                    if (query.columns[i].name == item.expr->names[0])
                        term = std::to_string(i + 1);
                }
            }
            if (term.empty()) {
                throw EngineError{104, 15,
                                  "Order-by items must appear in the select-list if the statement "
                                  "contains set operators."};
            }
            order += (order.empty() ? "" : ", ") + term + (item.descending ? " DESC" : "");
        }
        query.sql += " ORDER BY " + order;
    }
    query.params = std::move(params_);
    params_.clear();
    return query;
}

RenderedQuery SqlRenderer::renderSingleSelect(const SelectStmt& select, Scope* parent)
{
    Scope scope;
    scope.parent = parent;
    for (const TableRef& ref : select.from) {
        addSource(scope, ref);
    }
    std::vector<ExprPtr> where;
    std::string from = select.from.empty() ? "" : renderFrom(scope, select, where);
    // Without FROM the WHERE clause still decides whether the one row is returned.
    if (select.from.empty() && select.where)
        where.push_back(select.where);

    RenderedQuery query;
    std::string items;
    auto addItem = [&](const std::string& sql, ColumnInfo type, const std::string& variable) {
        size_t index = query.columns.size() + 1;
        items += (items.empty() ? "" : ", ") + sql + " AS c" + std::to_string(index);
        query.columns.push_back(std::move(type));
        query.assignVariables.push_back(variable);
    };
    for (const SelectItem& item : select.items) {
        if (item.star) {
            bool any = false;
            for (Source& source : scope.sources) {
                if (!item.starQualifier.empty() && item.starQualifier != source.alias)
                    continue;
                any = true;
                for (const StoredColumn& column : source.table.columns) {
                    ColumnInfo type = column.info;
                    if (source.innerOfOuterJoin)
                        type.nullable = true;
                    addItem(source.sqlAlias + "." + sqlName(column.storageName), type, "");
                }
            }
            if (!any) {
                throw objectNotFound(item.starQualifier.empty() ? "*" : item.starQualifier);
            }
            continue;
        }
        TypedSql value = render(*item.expr, &scope);
        ColumnInfo type = value.type;
        if (!item.alias.empty()) {
            type.name = item.alias;
        } else if (item.expr->kind != Expr::Kind::Column) {
            type.name = "";
        }
        addItem(value.sql, type, item.assignVariable);
    }
    query.sql = std::string("SELECT ") + (select.distinct ? "DISTINCT " : "") + items;
    if (!from.empty()) {
        query.sql += " FROM " + from;
    }
    // AND terms are independent; cheap ones go first so that SQLite rejects rows
    // before calling catalog functions for them.
    std::stable_partition(where.begin(), where.end(),
                          [](const ExprPtr& part) { return !isExpensive(*part); });
    std::string whereSql;
    for (const ExprPtr& part : where) {
        whereSql += (whereSql.empty() ? "" : " AND ") + render(*part, &scope).sql;
    }
    if (!whereSql.empty()) {
        query.sql += " WHERE " + whereSql;
    }
    if (!select.groupBy.empty()) {
        std::string group;
        for (const ExprPtr& expr : select.groupBy) {
            group += (group.empty() ? "" : ", ") + render(*expr, &scope).sql;
        }
        query.sql += " GROUP BY " + group;
    }
    if (select.having) {
        query.sql += " HAVING " + render(*select.having, &scope).sql;
    }
    if (!select.orderBy.empty() && select.unions.empty()) {
        std::string order;
        for (const OrderItem& item : select.orderBy) {
            std::string term;
            const Expr& expr = *item.expr;
            if (expr.kind == Expr::Kind::Integer) {
                long position =
                    expr.text.size() > 9 ? -1 : std::strtol(expr.text.c_str(), nullptr, 10);
                if (position < 1 || position > static_cast<long>(query.columns.size())) {
                    throw EngineError{
                        108, 16,
                        "The ORDER BY position number " + expr.text +
                            " is out of range of the number of items in the select-list."};
                }
                term = expr.text;
            } else if (expr.kind == Expr::Kind::Column && expr.names.size() == 1 &&
                       !findColumn(scope, expr.names)) {
                for (size_t i = 0; i < select.items.size() && i < query.columns.size(); ++i) {
                    if (select.items[i].alias == expr.names[0])
                        term = "c" + std::to_string(i + 1);
                }
            }
            if (term.empty()) {
                TypedSql value = render(expr, &scope);
                term = value.sql + (value.isString ? " COLLATE BINARY" : "");
            }
            order += (order.empty() ? "" : ", ") + term + (item.descending ? " DESC" : "");
        }
        query.sql += " ORDER BY " + order;
    }
    if (select.top >= 0) {
        query.sql += " LIMIT " + std::to_string(select.top);
    }
    return query;
}

SqlRenderer::DmlParts SqlRenderer::renderDml(const TableBinding& target,
                                             const std::string& targetName,
                                             const std::vector<TableRef>& from,
                                             const std::vector<const Expr*>& expressions,
                                             const Expr* where)
{
    Scope scope;
    Source self;
    self.alias = targetName;
    self.sqlAlias = target.physical;
    self.table = target;
    scope.sources.push_back(self);
    DmlParts parts;
    for (const TableRef& ref : from) {
        if (!ref.derived && ref.alias.empty() && ref.name.name == targetName)
            continue;
        addSource(scope, ref);
        const Source& added = scope.sources.back();
        parts.from +=
            (parts.from.empty() ? "" : ", ") + added.table.physical + " AS " + added.sqlAlias;
    }
    for (const Expr* expr : expressions) {
        parts.expressions.push_back(render(*expr, &scope));
    }
    if (where) {
        parts.where = render(*where, &scope).sql;
    }
    return parts;
}

}  // namespace tdsim
