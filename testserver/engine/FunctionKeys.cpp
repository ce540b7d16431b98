// Function-based index keys: the server keeps each key expression as a hidden,
// materialized computed column of the table. tdsim stores its catalog rows and
// indexes the expression itself (an SQLite index on the rendered expression), so
// the column needs no storage of its own.
#include "engine/SessionImpl.h"

#include "engine/Text.h"

namespace tdsim {

namespace {

// The column type the expression's result is stored as.
TypeSpec typeOfResult(const ColumnInfo& result)
{
    TypeSpec type;
    const BuiltinType* builtin = findBuiltinTypeByUsertype(result.userType);
    type.name = builtin ? builtin->name : "varchar";
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

int SessionImpl::addFunctionKey(const TableBinding& table, const Expr& expression,
                                const std::string& text, const std::string& columnName)
{
    SqlRenderer renderer(*this);
    SqlRenderer::DmlParts parts =
        renderer.renderDml(table, table.object.name, {}, {&expression}, nullptr);
    if (!renderer.takeParams().empty()) {
        throw EngineError{
            7777, 16,
            "tdsim cannot index the expression '" + text + "': it uses variables or parameters."};
    }
    const TypedSql& result = parts.expressions.at(0);
    ColumnStorage storage;
    bool identity = false;
    int typeDefault = 0, typeRule = 0;
    std::string error;
    if (!state_.catalog.storageFor(database_, typeOfResult(result.type), true, storage, identity,
                                   typeDefault, typeRule, error)) {
        throw EngineError{2715, 16, error};
    }
    std::string tableId = std::to_string(table.object.id);
    int colid =
        static_cast<int>(state_.db.queryInt("SELECT max(colid) + 1 FROM " + sysTable("syscolumns") +
                                            " WHERE id = " + tableId + " AND number = 0"));
    int offset = static_cast<int>(
        state_.db.queryInt("SELECT min(0, coalesce(min(offset), 0)) - 1 FROM " +
                           sysTable("syscolumns") + " WHERE id = " + tableId + " AND number = 0"));
    int computed = state_.catalog.newObjectId(database_);
    insertObjectRow(computed, columnName + "_" + std::to_string(computed), table.object.uid, "C", 0,
                    0);
    storeText(computed, 0, text);
    state_.catalog.insertRow(sysTable("sysconstraints"),
                             {{"colid", SqlValue::ofInt(colid)},
                              {"constrid", SqlValue::ofInt(computed)},
                              {"tableid", SqlValue::ofInt(table.object.id)},
                              {"status", SqlValue::ofInt(kConstraintComputed)}});
    state_.catalog.insertRow(
        sysTable("syscolumns"),
        {{"id", SqlValue::ofInt(table.object.id)},
         {"colid", SqlValue::ofInt(colid)},
         {"status", SqlValue::ofInt(0x08)},
         {"type", SqlValue::ofInt(storage.type)},
         {"length", SqlValue::ofInt(storage.length)},
         {"offset", SqlValue::ofInt(offset)},
         {"usertype", SqlValue::ofInt(storage.usertype)},
         {"name", SqlValue::ofText(columnName)},
         {"prec", storage.precision >= 0 ? SqlValue::ofInt(storage.precision) : SqlValue::null()},
         {"scale", storage.scale >= 0 ? SqlValue::ofInt(storage.scale) : SqlValue::null()},
         {"status2",
          SqlValue::ofInt(kColumn2Computed | kColumn2Materialized | kColumn2FunctionKey)},
         {"computedcol", SqlValue::ofInt(computed)},
         {"tdsim_expr", SqlValue::ofText(unqualified(result.sql, table.physical))}});
    return colid;
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
