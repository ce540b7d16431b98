// INSERT, UPDATE, DELETE and EXEC.
#include <algorithm>

#include "engine/Parser.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

// The name of the unique index a SQLite failure names by its columns:
// "UNIQUE constraint failed: t.c1, t.c3".
std::vector<int> failedColumns(const std::string& message)
{
    std::vector<int> failed;
    for (size_t at = message.find(".c"); at != std::string::npos; at = message.find(".c", at + 2))
        failed.push_back(std::atoi(message.c_str() + at + 2));
    return failed;
}

std::string violatedIndex(const std::string& message, const TableBinding& table, Catalog& catalog)
{
    std::vector<int> failed = failedColumns(message);
    for (const IndexRef& index : catalog.indexes(table.object.database, table.object.id)) {
        std::vector<int> keys = index.keyColids;
        std::sort(keys.begin(), keys.end());
        std::sort(failed.begin(), failed.end());
        if ((index.status & kIndexUnique) && keys == failed)
            return index.name;
    }
    return "";
}

// A computed column takes no value from INSERT or UPDATE.
EngineError computedColumnWritten(const std::string& column)
{
    return {
        7777, 16,
        "Column '" + column + "' is a computed column; INSERT and UPDATE cannot give it a value."};
}

// Turns SQLite constraint failures into the server's messages.
EngineError constraintError(const SqliteError& error, const TableBinding& table, Catalog& catalog)
{
    std::string text = error.what();
    if (text.find("NOT NULL constraint failed") != std::string::npos) {
        std::string column = "?";
        size_t dot = text.rfind(".c");
        if (dot != std::string::npos) {
            int colid = std::atoi(text.c_str() + dot + 2);
            for (const StoredColumn& stored : table.columns) {
                if (stored.colid == colid)
                    column = stored.info.name;
            }
        }
        return {233, 16,
                "The column " + column + " in table " + table.object.name +
                    " does not allow null values."};
    }
    if (text.find("UNIQUE constraint failed") != std::string::npos) {
        return {2601, 14,
                "Attempt to insert duplicate key row in object '" + table.object.name +
                    "' with unique index '" + violatedIndex(text, table, catalog) + "'"};
    }
    throw error;
}

// A system table is written only while 'allow updates to system tables' is on, as the
// server has it; otherwise the statement fails with the server's error 259.
void refuseSystemTableChange(const TableBinding& table, const EngineState& state)
{
    if (table.object.type == "S" && !state.systemTableUpdates) {
        throw EngineError{259, 16,
                          "Ad-hoc updates to system catalogs not enabled. A user with System "
                          "Security Officer (SSO) role must reconfigure system to allow this."};
    }
}

}  // namespace

void SessionImpl::runInsert(const InsertStatement& statement, Results& out)
{
    SqlRenderer renderer(*this);
    TableBinding table = renderer.bindTable(statement.table);
    refuseSystemTableChange(table, state_);
    int insteadOf = table.object.type == "V" ? triggerFor(table, "instrig") : 0;
    if (table.object.type == "V" && !insteadOf) {
        throw EngineError{4406, 16,
                          "Update or insert of view or function '" + table.object.name +
                              "' failed because it contains a derived or constant field."};
    }
    std::vector<const StoredColumn*> targets;
    if (statement.columns.empty()) {
        for (const StoredColumn& column : table.columns) {
            if (!column.identity && !column.computed())
                targets.push_back(&column);
        }
    } else {
        for (const std::string& name : statement.columns) {
            const StoredColumn* found = nullptr;
            for (const StoredColumn& column : table.columns) {
                if (column.info.name == name)
                    found = &column;
            }
            if (!found)
                throw invalidColumn(name);
            if (found->computed())
                throw computedColumnWritten(name);
            if (found->identity) {
                throw EngineError{584, 16,
                                  "Explicit value specified for identity field in table '" +
                                      table.object.name + "' when 'SET IDENTITY_INSERT' is OFF."};
            }
            targets.push_back(found);
        }
    }
    // Columns not named take their bound default, the identity its next value.
    std::string columnList;
    std::vector<std::string> extraValues;
    for (const StoredColumn& column : table.columns) {
        bool named = std::find(targets.begin(), targets.end(), &column) != targets.end();
        if (named)
            continue;
        if (column.identity) {
            columnList += (columnList.empty() ? "" : ", ") + sqlName(column.storageName);
            extraValues.push_back("(SELECT coalesce(max(" + sqlName(column.storageName) +
                                  "), 0) + 1 FROM " + table.physical + ")");
        } else if (column.cdefault != 0 &&
                   !defaultsReboundInBatch_.count({table.object.id, column.colid})) {
            std::string text = objectText(column.cdefault);
            std::string expression;
            size_t as = toLower(text).find(" as ");
            if (toLower(text).rfind("default", 0) == 0 && toLower(text).rfind("default ", 0) == 0 &&
                as == std::string::npos) {
                expression = text.substr(8);
            } else if (as != std::string::npos) {
                expression = text.substr(as + 4);
            }
            auto parsed = parseBatch("select " + expression, false);
            const auto& select = *static_cast<const SelectStatement&>(*parsed[0]).select;
            TypedSql value = renderer.renderExpression(*select.items[0].expr);
            columnList += (columnList.empty() ? "" : ", ") + sqlName(column.storageName);
            extraValues.push_back(SqlRenderer::coerceTo(value, column.info));
        }
    }
    for (const StoredColumn* column : targets) {
        columnList += (columnList.empty() ? "" : ", ") + sqlName(column->storageName);
    }
    // An instead-of trigger gets the rows in its "inserted" table; the view is left alone.
    std::string target = insteadOf ? snapshot(table, "0", "inserted") : table.physical;
    std::string sql = "INSERT INTO " + target + " (" + columnList + ") ";
    std::string extras;
    for (const std::string& value : extraValues)
        extras += value + ", ";
    if (statement.select) {
        RenderedQuery query = renderer.renderSelect(*statement.select);
        if (query.columns.size() != targets.size()) {
            throw EngineError{120, 15,
                              "The select list for the insert statement contains fewer items "
                              "than the insert list."};
        }
        std::string items;
        for (size_t i = 0; i < targets.size(); ++i) {
            TypedSql value{"sub.c" + std::to_string(i + 1), query.columns[i], false};
            items += (i ? ", " : "") + SqlRenderer::coerceTo(value, targets[i]->info);
        }
        sql += "SELECT " + extras + items + " FROM (" + query.sql + ") AS sub";
    } else {
        std::string rows;
        for (const auto& row : statement.rows) {
            if (row.size() != targets.size()) {
                throw EngineError{213, 16,
                                  "Insert error: column name or number of supplied values does "
                                  "not match table definition."};
            }
            std::string values;
            for (size_t i = 0; i < row.size(); ++i) {
                TypedSql value = renderer.renderExpression(*row[i]);
                values += (i ? ", " : "") + SqlRenderer::coerceTo(value, targets[i]->info);
            }
            rows += (rows.empty() ? "(" : ", (") + extras + values + ")";
        }
        sql += "VALUES " + rows;
    }
    if (insteadOf) {
        state_.db.exec(sql);
        runInsteadOf(insteadOf, table, target, snapshot(table, "0", "deleted"), out);
        return;
    }
    int trigger = triggerFor(table, "instrig");
    bool constrained = hasRowConstraints(table);
    int64_t lastRowid =
        trigger || constrained
            ? state_.db.queryInt("SELECT coalesce(max(rowid), 0) FROM " + table.physical)
            : 0;
    try {
        state_.db.exec(sql);
        if (constrained)
            verifyRows(table, "> " + std::to_string(lastRowid));
    } catch (const SqliteError& error) {
        EngineError translated = constraintError(error, table, state_.catalog);
        if (translated.number != 2601 || !violatesIgnoreDupKeyIndex(table, error.what())) {
            throw translated;
        }
        // With ignore_dup_key the duplicate is dropped with a warning, not an error.
        StatementResult& result = newResult(out);
        addMessage(result, 3604, 10, "Duplicate key was ignored.");
        lastRowCount_ = 0;
        result.hasRowCount = !options_.noCount;
        return;
    }
    int count = static_cast<int>(state_.db.changes());
    for (const StoredColumn& column : table.columns) {
        if (column.identity && count > 0) {
            identity_ = state_.db.queryInt("SELECT max(" + sqlName(column.storageName) + ") FROM " +
                                           table.physical);
        }
    }
    if (trigger) {
        fireTrigger(trigger, table,
                    snapshot(table, "rowid > " + std::to_string(lastRowid), "inserted"),
                    snapshot(table, "0", "deleted"), out);
    }
    lastRowCount_ = count;
    StatementResult& result = newResult(out);
    result.hasRowCount = !options_.noCount;
    result.rowCount = lastRowCount_;
}

namespace {

// For each result column of a select list: whether it comes from an expression rather
// than straight from a table column. A `*` stands for columns.
std::vector<bool> expressionColumns(const SelectStmt& select, size_t columnCount)
{
    size_t stars = 0;
    for (const SelectItem& item : select.items)
        stars += item.star ? 1 : 0;
    size_t starWidth = stars ? (columnCount - (select.items.size() - stars)) / stars : 0;
    std::vector<bool> expression;
    for (const SelectItem& item : select.items) {
        if (item.star) {
            expression.insert(expression.end(), starWidth, false);
        } else {
            expression.push_back(item.expr->kind != Expr::Kind::Column);
        }
    }
    expression.resize(columnCount, false);
    return expression;
}

// The usertype of the nullable built-in type (intn, floatn, ...) stored for a type,
// or 0 when the type has none.
int nullableTwinUsertype(int usertype)
{
    const BuiltinType* base = findBuiltinTypeByUsertype(usertype);
    if (!base)
        return 0;
    int twin = nullableTwin(base->type);
    for (const BuiltinType& type : builtinTypes()) {
        if (type.type == twin && type.allowNulls && twin != base->type)
            return type.usertype;
    }
    return 0;
}

}  // namespace

// select ... into table: a new table with the select's columns, then its rows. Columns
// taken from a table keep their declared type; nullable expression columns are of the
// nullable built-in type (intn, floatn, ...).
void SessionImpl::runSelectInto(const SelectStmt& select, Results& out)
{
    RenderedQuery query = SqlRenderer(*this).renderSelect(select);
    std::vector<bool> expression = expressionColumns(select, query.columns.size());
    CreateTableStatement create;
    create.table = select.into;
    for (const ColumnInfo& column : query.columns) {
        if (column.name.empty()) {
            throw EngineError{4501, 16,
                              "Column names in each table must be given: name the expression "
                              "columns of a SELECT INTO."};
        }
        ColumnDef definition;
        definition.name = column.name;
        const BuiltinType* builtin = findBuiltinTypeByUsertype(column.userType);
        if (builtin) {
            definition.type.name = builtin->name;
        } else {
            SqliteStatement type(state_.db.handle(), "SELECT name FROM " + sysTable("systypes") +
                                                         " WHERE usertype = ?1");
            type.bind(1, SqlValue::ofInt(column.userType));
            definition.type.name = type.step() ? type.textAt(0) : "varchar";
        }
        if (isStringType(column.type) || isBinaryType(column.type)) {
            if (column.type != ColumnType::Text && column.type != ColumnType::Image)
                definition.type.length = std::max(column.length, 1);
        }
        if (isExactType(column.type) && column.type != ColumnType::Money &&
            column.type != ColumnType::SmallMoney) {
            definition.type.precision = column.precision;
            definition.type.scale = column.scale;
        }
        definition.nullability =
            column.nullable ? ColumnDef::Nullability::Null : ColumnDef::Nullability::NotNull;
        create.columns.push_back(std::move(definition));
    }
    Results created;
    createTable(create, created);
    auto table = state_.catalog.findObject(database_, select.into.owner, select.into.name, uid_);
    for (size_t i = 0; table && i < query.columns.size(); ++i) {
        int twin = nullableTwinUsertype(query.columns[i].userType);
        if (expression[i] && query.columns[i].nullable && twin != 0) {
            state_.db.exec("UPDATE " + sysTable("syscolumns") + " SET usertype = " +
                           std::to_string(twin) + " WHERE id = " + std::to_string(table->id) +
                           " AND colid = " + std::to_string(i + 1));
        }
    }
    InsertStatement insert;
    insert.table = select.into;
    insert.select = std::make_shared<SelectStmt>(select);
    insert.select->into = ObjectName{};
    runInsert(insert, out);
}

// SQLite names the columns of the violated index: "UNIQUE constraint failed: t.c1, t.c3".
bool SessionImpl::violatesIgnoreDupKeyIndex(const TableBinding& table, const std::string& message)
{
    std::vector<int> failed = failedColumns(message);
    for (const IndexRef& index : state_.catalog.indexes(table.object.database, table.object.id)) {
        if ((index.status & 0x1) && index.keyColids == failed)
            return true;
    }
    return false;
}

void SessionImpl::runUpdate(const UpdateStatement& statement, Results& out)
{
    SqlRenderer renderer(*this);
    TableBinding table = renderer.bindTable(statement.table);
    refuseSystemTableChange(table, state_);
    std::vector<const StoredColumn*> targets;
    std::vector<const Expr*> values;
    for (const auto& [name, expr] : statement.assignments) {
        const StoredColumn* target = nullptr;
        for (const StoredColumn& column : table.columns) {
            if (column.info.name == name)
                target = &column;
        }
        if (!target)
            throw invalidColumn(name);
        if (target->computed())
            throw computedColumnWritten(name);
        targets.push_back(target);
        values.push_back(expr.get());
    }
    auto parts = renderer.renderDml(table, statement.table.name, statement.from, values,
                                    statement.where.get());
    if (!statement.currentOf.empty())
        parts.where = currentOfCondition(statement.currentOf, table);
    if (int insteadOf = table.object.type == "V" ? triggerFor(table, "updtrig") : 0) {
        if (!parts.from.empty()) {
            throw EngineError{7777, 16,
                              "tdsim runs instead-of triggers only for an UPDATE without FROM."};
        }
        // The trigger sees the rows as they are and as the statement would leave them.
        std::string condition = parts.where.empty() ? "1" : parts.where;
        std::string newValues;
        for (const StoredColumn& column : table.columns) {
            std::string value = sqlName(column.storageName);
            for (size_t i = 0; i < targets.size(); ++i) {
                if (targets[i] == &column)
                    value = SqlRenderer::coerceTo(parts.expressions[i], column.info);
            }
            newValues +=
                (newValues.empty() ? "" : ", ") + value + " AS " + sqlName(column.storageName);
        }
        std::string deleted = snapshot(table, condition, "deleted");
        runInsteadOf(insteadOf, table, snapshot(table, condition, "inserted", newValues), deleted,
                     out);
        return;
    }
    std::string sets;
    for (size_t i = 0; i < targets.size(); ++i) {
        sets += (i ? ", " : "") + sqlName(targets[i]->storageName) + " = " +
                SqlRenderer::coerceTo(parts.expressions[i], targets[i]->info);
    }
    std::string sql = "UPDATE " + table.physical + " SET " + sets;
    if (!parts.from.empty())
        sql += " FROM " + parts.from;
    if (!parts.where.empty())
        sql += " WHERE " + parts.where;
    // With an update trigger, the rows to change are noted first so that their old
    // and new values can be shown to it.
    int trigger = triggerFor(table, "updtrig");
    bool constrained = hasRowConstraints(table);
    TemporaryTables temporaries(state_.db);
    std::string rowCondition;
    std::string deleted;
    std::vector<std::string> referencedKeys;
    bool referenced = (table.object.sysstat2 & kReferencedTable) != 0;
    if (trigger || constrained || referenced) {
        std::string keys = "temp." + sqlName("tdsim_keys_" + std::to_string(++snapshotCounter_));
        state_.db.exec("CREATE TABLE " + keys + " AS SELECT " + table.physical +
                       ".rowid AS r FROM " + table.physical +
                       (parts.from.empty() ? "" : ", " + parts.from) +
                       (parts.where.empty() ? "" : " WHERE " + parts.where));
        temporaries.add(keys);
        rowCondition = "rowid IN (SELECT r FROM " + keys + ")";
        if (trigger)
            deleted = snapshot(table, rowCondition, "deleted");
        if (referenced)
            referencedKeys = rememberReferencedKeys(table, rowCondition, temporaries);
    }
    try {
        state_.db.exec(sql);
    } catch (const SqliteError& error) {
        throw constraintError(error, table, state_.catalog);
    }
    if (constrained)
        verifyRows(table, rowCondition.substr(6));
    verifyReferencedKeys(table, referencedKeys);
    int count = static_cast<int>(state_.db.changes());
    if (trigger) {
        fireTrigger(trigger, table, snapshot(table, rowCondition, "inserted"), deleted, out);
    }
    lastRowCount_ = count;
    StatementResult& result = newResult(out);
    result.hasRowCount = !options_.noCount;
    result.rowCount = lastRowCount_;
}

void SessionImpl::runDelete(const DeleteStatement& statement, Results& out)
{
    SqlRenderer renderer(*this);
    TableBinding table = renderer.bindTable(statement.table);
    refuseSystemTableChange(table, state_);
    auto parts =
        renderer.renderDml(table, statement.table.name, statement.from, {}, statement.where.get());
    if (!statement.currentOf.empty())
        parts.where = currentOfCondition(statement.currentOf, table);
    std::string condition = "1";
    if (!parts.from.empty()) {
        condition = "rowid IN (SELECT " + table.physical + ".rowid FROM " + table.physical + ", " +
                    parts.from + (parts.where.empty() ? "" : " WHERE " + parts.where) + ")";
    } else if (!parts.where.empty()) {
        condition = parts.where;
    }
    int trigger = triggerFor(table, "deltrig");
    if (trigger && table.object.type == "V") {
        if (!parts.from.empty()) {
            throw EngineError{7777, 16,
                              "tdsim runs instead-of triggers only for a DELETE without FROM."};
        }
        std::string deleted = snapshot(table, parts.where.empty() ? "1" : parts.where, "deleted");
        runInsteadOf(trigger, table, snapshot(table, "0", "inserted"), deleted, out);
        return;
    }
    std::string deleted = trigger ? snapshot(table, condition, "deleted") : "";
    TemporaryTables temporaries(state_.db);
    std::vector<std::string> referencedKeys;
    if (table.object.sysstat2 & kReferencedTable)
        referencedKeys = rememberReferencedKeys(table, condition, temporaries);
    state_.db.exec("DELETE FROM " + table.physical + " WHERE " + condition);
    verifyReferencedKeys(table, referencedKeys);
    int count = static_cast<int>(state_.db.changes());
    if (trigger) {
        fireTrigger(trigger, table, snapshot(table, "0", "inserted"), deleted, out);
    }
    lastRowCount_ = count;
    StatementResult& result = newResult(out);
    result.hasRowCount = !options_.noCount;
    result.rowCount = lastRowCount_;
}

void SessionImpl::runTruncate(const TruncateStatement& statement, Results& out)
{
    SqlRenderer renderer(*this);
    TableBinding table = renderer.bindTable(statement.table);
    refuseSystemTableChange(table, state_);
    state_.db.exec("DELETE FROM " + table.physical);
    newResult(out);
}

namespace {

// "db.owner.name;n" as held in a variable for exec @procname.
void splitProcedureName(std::string text, ExecStatement& statement)
{
    size_t semicolon = text.find(';');
    if (semicolon != std::string::npos) {
        statement.groupNumber = std::atoi(text.c_str() + semicolon + 1);
        text.resize(semicolon);
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dot = text.find('.'); dot != std::string::npos; dot = text.find('.', start)) {
        parts.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
    parts.push_back(text.substr(start));
    ObjectName& name = statement.procedure;
    name.name = parts.back();
    if (parts.size() >= 2)
        name.owner = parts[parts.size() - 2];
    if (parts.size() >= 3)
        name.database = parts[parts.size() - 3];
}

}  // namespace

void SessionImpl::runExec(const ExecStatement& statement, Results& out)
{
    if (statement.sqlText) {
        return runExecString(statement, out);
    }
    if (!statement.procedureVariable.empty()) {
        Variable* holder = variable(statement.procedureVariable);
        if (!holder)
            throw mustDeclare(statement.procedureVariable);
        ExecStatement resolved = statement;
        resolved.procedureVariable.clear();
        std::string text = valueAsText(holder->value);
        text.erase(text.find_last_not_of(' ') + 1);
        splitProcedureName(text, resolved);
        return runExec(resolved, out);
    }
    size_t before = out.size();
    runProcedureCall(statement, out);
    if (statement.statusVariable.empty())
        return;
    Variable* target = variable(statement.statusVariable);
    if (!target)
        throw mustDeclare(statement.statusVariable);
    for (size_t i = out.size(); i > before; --i) {
        if (out[i - 1].returnStatus) {
            target->value = SqlValue::ofInt(*out[i - 1].returnStatus);
            break;
        }
    }
}

// exec ('...'): the text runs as a batch of its own, without the caller's variables.
void SessionImpl::runExecString(const ExecStatement& statement, Results& out)
{
    std::string sql = valueAsText(evaluate(*statement.sqlText));
    std::vector<StatementPtr> statements;
    try {
        statements = parseBatch(sql, options_.quotedIdentifier);
    } catch (const ParseError& error) {
        throw EngineError{error.number, 15, error.text};
    } catch (const LexError& error) {
        throw EngineError{error.number, 15, error.text};
    }
    checkBatchRules(statements);
    LocalScope scope(*this);
    try {
        runStatementList(statements, out, ListKind::Body);
    } catch (const ReturnSignal&) {
        // RETURN ends the string's batch only.
    }
}

// Runs a system procedure in the database its name is qualified with, as the server does
// (db1..sp_adduser adds to db1 whatever the current database): the session enters that
// database with the uid USE would give it, and returns however the procedure ends.
class SessionImpl::ProcedureDatabaseScope {
public:
    ProcedureDatabaseScope(SessionImpl& session, const std::string& database)
        : session_(session),
          database_(session.database_),
          uid_(session.uid_),
          ownUid_(session.ownUid_)
    {
        if (database.empty() || database == session.database_)
            return;
        if (!session.state_.catalog.hasDatabase(database))
            throw unknownDatabase(database);
        std::optional<int> uid = session.uidIn(database);
        if (!uid)
            throw session.notAUser(database);
        session.database_ = database;
        session.uid_ = *uid;
        session.ownUid_.reset();
    }
    ~ProcedureDatabaseScope()
    {
        session_.database_ = database_;
        session_.uid_ = uid_;
        session_.ownUid_ = ownUid_;
    }
    ProcedureDatabaseScope(const ProcedureDatabaseScope&) = delete;
    ProcedureDatabaseScope& operator=(const ProcedureDatabaseScope&) = delete;

private:
    SessionImpl& session_;
    std::string database_;
    int uid_;
    std::optional<int> ownUid_;
};

void SessionImpl::runProcedureCall(const ExecStatement& statement, Results& out)
{
    const ObjectName& name = statement.procedure;
    std::string lower = toLower(name.name);
    // System procedures, also called by their full name (master.dbo.sp_dboption) or with
    // another database's name (db1..sp_adduser).
    bool systemOwner = name.owner.empty() || toLower(name.owner) == "dbo";
    if (lower.rfind("sp_", 0) == 0 && systemOwner && isSystemProcedure(lower)) {
        std::vector<SqlValue> args;
        for (const ExecArgument& argument : statement.arguments) {
            args.push_back(argument.value ? evaluate(*argument.value) : SqlValue::null());
        }
        StatementResult status;
        Results produced;
        ProcedureDatabaseScope scope(*this, name.database);
        // A system procedure writes several catalog rows: all of them or none.
        Savepoint savepoint(*this, true);
        runSystemProcedure(lower, args, status, produced);
        savepoint.release();
        for (StatementResult& result : produced) {
            result.isProcedure = true;
            out.push_back(std::move(result));
        }
        status.isProcedure = true;
        if (!status.returnStatus)
            status.returnStatus = status.failed ? 1 : 0;
        out.push_back(std::move(status));
        return;
    }
    std::string database = name.database.empty() ? database_ : name.database;
    auto procedure = state_.catalog.findObject(database, name.owner, name.name,
                                               database == database_ ? uid_ : 1);
    if (!procedure && name.owner.empty() && name.database.empty() && lower.rfind("sp_", 0) == 0) {
        procedure = state_.catalog.findObject("sybsystemprocs", "", name.name, 1);
    }
    if (!procedure || procedure->type != "P") {
        throw EngineError{2812, 16,
                          "Stored procedure '" + name.name +
                              "' not found. Specify owner.objectname or use sp_help to check "
                              "whether the object exists (sp_help may produce lots of output)."};
    }
    runUserProcedure(*procedure, statement, out);
}

void SessionImpl::runUserProcedure(const ObjectRef& procedure, const ExecStatement& statement,
                                   Results& out)
{
    int number = statement.groupNumber > 0 ? statement.groupNumber : 1;
    std::string text;
    bool quotedIdentifier = false;  // as it was when the procedure was created
    {
        SqliteStatement rows(state_.db.handle(),
                             "SELECT coalesce(tdsim_source, text), status FROM " +
                                 Catalog::systemTable(procedure.database, "syscomments") +
                                 " WHERE id = ?1 AND number = ?2 ORDER BY colid2, colid");
        rows.bind(1, SqlValue::ofInt(procedure.id));
        rows.bind(2, SqlValue::ofInt(number));
        while (rows.step()) {
            text += rows.textAt(0);
            quotedIdentifier = quotedIdentifier || (rows.intAt(1) & 4) != 0;
        }
    }
    auto parsed = parseBatch(text, quotedIdentifier);
    if (parsed.empty() || parsed[0]->kind != Statement::Kind::CreateTextObject) {
        throw EngineError{2812, 16, "Stored procedure '" + procedure.name + "' not found."};
    }
    const auto& definition = static_cast<const CreateTextObjectStatement&>(*parsed[0]);
    // Arguments are evaluated in the caller's frame, then bound in a new one.
    std::map<std::string, Variable> frame;
    std::vector<std::pair<std::string, std::string>> outputs;  // parameter -> caller variable
    for (size_t i = 0; i < definition.parameters.size(); ++i) {
        const ProcedureParameter& parameter = definition.parameters[i];
        ColumnInfo type = typeFromSpec(state_.catalog, procedure.database, parameter.type);
        type.name = parameter.name;
        SqlValue value = SqlValue::null();
        const ExecArgument* argument = nullptr;
        for (size_t a = 0; a < statement.arguments.size(); ++a) {
            const ExecArgument& candidate = statement.arguments[a];
            if ((candidate.parameter.empty() && a == i) || candidate.parameter == parameter.name) {
                argument = &candidate;
            }
        }
        if (argument && argument->value) {
            value = evaluate(*argument->value);
            // A dynamic statement's `?` marker passed as output returns its value like
            // a variable does, with nothing in the caller to assign.
            if (argument->output && (argument->value->kind == Expr::Kind::Variable ||
                                     argument->value->kind == Expr::Kind::Param)) {
                outputs.emplace_back(parameter.name, argument->value->kind == Expr::Kind::Variable
                                                         ? argument->value->text
                                                         : std::string());
            }
        } else if (parameter.defaultValue) {
            value = evaluate(*parameter.defaultValue);
        } else {
            throw EngineError{201, 16,
                              "Procedure " + procedure.name + " expects parameter " +
                                  parameter.name + ", which was not supplied."};
        }
        frame[parameter.name] = Variable{type, value};
    }
    std::string savedDatabase = database_;
    int savedUid = uid_;
    std::string savedProc = procName_;
    auto restore = [&]() {
        --nestLevel_;
        database_ = savedDatabase;
        uid_ = savedUid;
        procName_ = savedProc;
    };
    std::optional<int> status;
    Results produced;
    std::map<std::string, Variable> finished;
    {
        LocalScope scope(*this, std::move(frame));
        database_ = procedure.database;
        procName_ = procedure.name;
        ++nestLevel_;
        try {
            runStatementList(definition.body, produced, ListKind::Body);
        } catch (const ReturnSignal& signal) {
            status = signal.status;
        } catch (...) {
            restore();
            throw;
        }
        finished = std::move(frames_.back());
    }
    restore();
    StatementResult closing;
    for (StatementResult& result : produced) {
        result.isProcedure = true;
        if (result.resultSet || !result.messages.empty())
            out.push_back(std::move(result));
    }
    closing.isProcedure = true;
    closing.returnStatus = status.value_or(0);
    for (const auto& [parameter, callerVariable] : outputs) {
        Variable* target = callerVariable.empty() ? nullptr : variable(callerVariable);
        const Variable& source = finished[parameter];
        if (target) {
            target->value = source.value;
        }
        closing.outputParams.emplace_back(source.type, toValue(source.value, source.type));
    }
    out.push_back(std::move(closing));
}

}  // namespace tdsim
