// Computed columns, declared (`c as a + b [materialized]`) or hidden behind the key of a
// function-based index. The server keeps each as a syscolumns row pointing at a type C
// object whose text is the expression. tdsim gives a declared one a SQLite generated
// column, and indexes a function key's expression itself (an SQLite index on the
// rendered expression), so that column needs no storage of its own.
#include "engine/SessionImpl.h"

#include "engine/Text.h"

#include <map>

namespace tdsim {

namespace {

// The built-in type of a value of `type`: what an expression over a user datatype
// yields, as arithmetic gives no user datatype.
const char* builtinNameOf(ColumnType type)
{
    static const std::map<ColumnType, const char*> names{
        {ColumnType::Char, "char"},
        {ColumnType::VarChar, "varchar"},
        {ColumnType::TinyInt, "tinyint"},
        {ColumnType::SmallInt, "smallint"},
        {ColumnType::Int, "int"},
        {ColumnType::BigInt, "bigint"},
        {ColumnType::Bit, "bit"},
        {ColumnType::DateTime, "datetime"},
        {ColumnType::SmallDateTime, "smalldatetime"},
        {ColumnType::Money, "money"},
        {ColumnType::SmallMoney, "smallmoney"},
        {ColumnType::Numeric, "numeric"},
        {ColumnType::Decimal, "decimal"},
        {ColumnType::Float, "float"},
        {ColumnType::Real, "real"},
        {ColumnType::Text, "text"},
        {ColumnType::Image, "image"},
        {ColumnType::Binary, "binary"},
        {ColumnType::VarBinary, "varbinary"},
        {ColumnType::BigDateTime, "bigdatetime"},
        {ColumnType::BigTime, "bigtime"},
    };
    const auto found = names.find(type);
    return found == names.end() ? "varchar" : found->second;
}

// The column type the expression's result is stored as.
TypeSpec typeOfResult(const ColumnInfo& result)
{
    TypeSpec type;
    const BuiltinType* builtin = findBuiltinTypeByUsertype(result.userType);
    type.name = builtin ? builtin->name : builtinNameOf(result.type);
    if ((isStringType(result.type) || isBinaryType(result.type)) &&
        result.type != ColumnType::Text && result.type != ColumnType::Image) {
        type.length = std::max(result.length, 1);
    }
    if (isExactType(result.type) && result.type != ColumnType::Money &&
        result.type != ColumnType::SmallMoney) {
        type.precision = result.precision;
        type.scale = result.scale;
    }
    return type;
}

// The rendered expression with the table's SQLite name taken off its columns, as an
// index expression must name them.
std::string unqualified(std::string sql, const std::string& physical)
{
    std::string prefix = physical + ".";
    for (size_t at = sql.find(prefix); at != std::string::npos; at = sql.find(prefix, at))
        sql.erase(at, prefix.size());
    return sql;
}

}  // namespace

int SessionImpl::addComputedColumn(const TableBinding& table, const Expr& expression,
                                   const std::string& text,
                                   const ComputedColumnDefinition& definition)
{
    SqlRenderer renderer(*this);
    SqlRenderer::DmlParts parts =
        renderer.renderDml(table, table.object.name, {}, {&expression}, nullptr);
    if (!renderer.takeParams().empty()) {
        throw EngineError{7777, 16,
                          std::string("tdsim cannot ") +
                              (definition.functionKey ? "index" : "compute") + " the expression '" +
                              text + "': it uses variables or parameters."};
    }
    const TypedSql& result = parts.expressions.at(0);
    ColumnStorage storage;
    bool identity = false;
    int typeDefault = 0, typeRule = 0;
    std::string error;
    if (!state_.catalog.storageFor(database_, typeOfResult(result.type), definition.nullable,
                                   storage, identity, typeDefault, typeRule, error)) {
        throw EngineError{2715, 16, error};
    }
    std::string tableId = std::to_string(table.object.id);
    int colid = definition.colid;
    if (colid == 0) {
        colid = static_cast<int>(state_.db.queryInt("SELECT max(colid) + 1 FROM " +
                                                    sysTable("syscolumns") +
                                                    " WHERE id = " + tableId + " AND number = 0"));
    }
    int offset = static_cast<int>(
        state_.db.queryInt("SELECT min(0, coalesce(min(offset), 0)) - 1 FROM " +
                           sysTable("syscolumns") + " WHERE id = " + tableId + " AND number = 0"));
    int computed = state_.catalog.newObjectId(database_);
    insertObjectRow(computed, definition.name + "_" + std::to_string(computed), table.object.uid,
                    "C", 0, 0);
    storeText(computed, 0, text);
    state_.catalog.insertRow(sysTable("sysconstraints"),
                             {{"colid", SqlValue::ofInt(colid)},
                              {"constrid", SqlValue::ofInt(computed)},
                              {"tableid", SqlValue::ofInt(table.object.id)},
                              {"status", SqlValue::ofInt(kConstraintComputed)}});
    int status2 = kColumn2Computed | (definition.materialized ? kColumn2Materialized : 0) |
                  (definition.functionKey ? kColumn2FunctionKey : 0);
    // The column's type is the expression's, so its value needs no conversion.
    std::string sql = unqualified(result.sql, table.physical);
    auto values = columnRowValues(table.object.id, colid, storage, offset, definition.name);
    values.insert(values.end(), {{"status2", SqlValue::ofInt(status2)},
                                 {"computedcol", SqlValue::ofInt(computed)},
                                 {definition.functionKey ? "tdsim_expr" : "tdsim_computed",
                                  SqlValue::ofText(sql)}});
    state_.catalog.insertRow(sysTable("syscolumns"), values);
    return colid;
}

int SessionImpl::addFunctionKey(const TableBinding& table, const Expr& expression,
                                const std::string& text, const std::string& columnName)
{
    ComputedColumnDefinition definition;
    definition.name = columnName;
    definition.functionKey = true;
    return addComputedColumn(table, expression, text, definition);
}

// A computed column added to a table that already has its SQLite storage becomes a
// generated column there; before that, Catalog::ensureStorage declares it. SQLite refuses
// expressions that are not deterministic (getdate(), newid(), rand()).
void SessionImpl::addComputedStorage(const ObjectRef& table, int colid)
{
    try {
        if (!state_.catalog.hasStorage(database_, table.id)) {
            state_.catalog.ensureStorage(database_, table);
            return;
        }
        for (const StoredColumn& column : state_.catalog.columns(database_, table)) {
            if (column.colid == colid) {
                state_.db.exec("ALTER TABLE " + Catalog::objectTable(database_, table.id) +
                               " ADD COLUMN " + Catalog::columnDeclaration(column, false));
            }
        }
    } catch (const SqliteError& sqliteError) {
        throw EngineError{7777, 16,
                          "tdsim cannot compute the columns of table '" + table.name +
                              "': " + sqliteError.what()};
    }
}

void SessionImpl::dropFunctionKeys(const ObjectRef& table, const IndexRef& index)
{
    for (int colid : index.keyColids) {
        int computed = static_cast<int>(state_.db.queryInt(
            "SELECT coalesce(max(computedcol), 0) FROM " + sysTable("syscolumns") +
                " WHERE id = ?1 AND number = 0 AND colid = ?2 AND tdsim_expr IS NOT NULL",
            {SqlValue::ofInt(table.id), SqlValue::ofInt(colid)}));
        if (computed == 0)
            continue;
        state_.db.exec("DELETE FROM " + sysTable("sysconstraints") +
                       " WHERE constrid = " + std::to_string(computed));
        if (auto object = state_.catalog.findObjectById(database_, computed))
            dropObjectRows(*object);
        state_.db.exec("DELETE FROM " + sysTable("syscolumns") +
                       " WHERE id = " + std::to_string(table.id) +
                       " AND number = 0 AND colid = " + std::to_string(colid));
    }
}

}  // namespace tdsim
