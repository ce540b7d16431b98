// Transact-SQL cursors: DECLARE CURSOR, OPEN, FETCH, CLOSE, DEALLOCATE and the row
// that WHERE CURRENT OF names.
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

EngineError cursorNotFound(const std::string& name)
{
    return {557, 16,
            "The cursor '" + name +
                "' could not be found. It has not been declared or has been deallocated."};
}

EngineError cursorNotOpen(const std::string& name)
{
    return {558, 16,
            "Attempt to use cursor '" + name +
                "' which is not open. Use the system stored procedure sp_cursorinfo for more "
                "information."};
}

// A select whose rows map one to one onto the rows of a single table, so that
// WHERE CURRENT OF can name that table's row.
bool readsOneTable(const SelectStmt& select)
{
    return select.from.size() == 1 && !select.from[0].derived && select.unions.empty() &&
           select.groupBy.empty() && !select.having && !select.distinct;
}

}  // namespace

SessionImpl::Cursor* SessionImpl::findCursor(const std::string& name)
{
    for (auto scope = cursorScopes_.rbegin(); scope != cursorScopes_.rend(); ++scope) {
        auto found = scope->find(name);
        if (found != scope->end())
            return &found->second;
    }
    return nullptr;
}

SessionImpl::Cursor& SessionImpl::requireCursor(const std::string& name)
{
    Cursor* cursor = findCursor(name);
    if (!cursor)
        throw cursorNotFound(name);
    return *cursor;
}

void SessionImpl::declareCursor(const DeclareCursorStatement& statement, Results& out)
{
    CursorScope& scope = cursorScopes_.back();
    if (scope.count(statement.name)) {
        throw EngineError{
            560, 16,
            "A cursor with the name '" + statement.name + "' already exists in this scope."};
    }
    // The select is compiled when the cursor is declared: unknown tables and columns
    // fail here, not at OPEN.
    SqlRenderer(*this).renderSelect(*statement.select);
    Cursor cursor;
    cursor.select = statement.select;
    cursor.forUpdate = statement.forUpdate;
    scope.emplace(statement.name, std::move(cursor));
    newResult(out);
}

void SessionImpl::runCursorCommand(const CursorCommandStatement& statement, Results& out)
{
    using Verb = CursorCommandStatement::Verb;
    if (statement.verb == Verb::Deallocate) {
        for (auto scope = cursorScopes_.rbegin(); scope != cursorScopes_.rend(); ++scope) {
            if (scope->erase(statement.name)) {
                newResult(out);
                return;
            }
        }
        throw cursorNotFound(statement.name);
    }
    Cursor& cursor = requireCursor(statement.name);
    if (statement.verb == Verb::Open) {
        openCursor(statement.name, cursor);
    } else {
        if (!cursor.open)
            throw cursorNotOpen(statement.name);
        cursor.open = false;
        cursor.rows.clear();
        cursor.rowids.clear();
    }
    newResult(out);
}

// Reads the cursor's rows; variables in the select take their values now.
void SessionImpl::openCursor(const std::string& name, Cursor& cursor)
{
    if (cursor.open) {
        throw EngineError{559, 16,
                          "Attempt to open cursor '" + name +
                              "' which is already open. The cursor must be closed before it "
                              "can be opened."};
    }
    SqlRenderer renderer(*this);
    RenderedQuery query = renderer.renderSelect(*cursor.select);
    cursor.columns = query.columns;
    cursor.rows.clear();
    cursor.rowids.clear();
    cursor.physicalTable.clear();
    bool tracksRows = false;
    if (readsOneTable(*cursor.select)) {
        TableBinding table = renderer.bindTable(cursor.select->from[0].name);
        if (table.object.type == "U") {
            // The same select again, with the rowid of the table as an extra column.
            SelectStmt withRowid = *cursor.select;
            SelectItem rowid;
            rowid.expr = std::make_shared<Expr>();
            rowid.expr->kind = Expr::Kind::Column;
            std::string qualifier = cursor.select->from[0].alias.empty()
                                        ? cursor.select->from[0].name.name
                                        : cursor.select->from[0].alias;
            rowid.expr->names = {qualifier, SqlRenderer::kRowidColumn};
            withRowid.items.push_back(rowid);
            query = SqlRenderer(*this).renderSelect(withRowid);
            cursor.physicalTable = table.physical;
            tracksRows = true;
        }
    }
    SqliteStatement rows(state_.db.handle(), query.sql);
    rows.bindAll(query.params);
    size_t width = cursor.columns.size();
    while (rows.step()) {
        std::vector<SqlValue> row;
        for (size_t i = 0; i < width; ++i)
            row.push_back(sqlValueFromColumn(rows, static_cast<int>(i)));
        cursor.rows.push_back(std::move(row));
        if (tracksRows)
            cursor.rowids.push_back(rows.intAt(static_cast<int>(width)));
    }
    cursor.open = true;
    cursor.next = 0;
    cursor.fetched = 0;
}

void SessionImpl::fetch(const FetchStatement& statement, Results& out)
{
    Cursor& cursor = requireCursor(statement.cursor);
    sqlStatus_ = 1;
    if (!cursor.open)
        throw cursorNotOpen(statement.cursor);
    if (!statement.into.empty() && statement.into.size() != cursor.columns.size()) {
        // The cursor stays where it is.
        throw EngineError{562, 16,
                          "The number of parameters/variables in the FETCH INTO clause does not "
                          "match the number of columns in cursor '" +
                              statement.cursor + "' result set."};
    }
    std::vector<Variable*> targets;
    for (const std::string& name : statement.into) {
        Variable* target = variable(name);
        if (!target)
            throw mustDeclare(name);
        targets.push_back(target);
    }
    StatementResult& result = newResult(out);
    bool hasRow = cursor.next < cursor.rows.size();
    ResultSet resultSet;
    resultSet.columns = cursor.columns;
    if (hasRow) {
        const std::vector<SqlValue>& row = cursor.rows[cursor.next++];
        ++cursor.fetched;
        if (targets.empty()) {
            Row values;
            for (size_t i = 0; i < row.size(); ++i)
                values.push_back(toValue(row[i], cursor.columns[i]));
            resultSet.rows.push_back(std::move(values));
        }
        for (size_t i = 0; i < targets.size(); ++i)
            targets[i]->value = row[i];
    } else {
        cursor.next = cursor.rows.size() + 1;  // past the end: no current row
    }
    if (targets.empty())
        result.resultSet = std::move(resultSet);
    sqlStatus_ = hasRow ? 0 : 2;
    // @@rowcount counts the rows fetched since OPEN.
    lastRowCount_ = cursor.fetched;
    result.hasRowCount = !options_.noCount && targets.empty();
    result.rowCount = hasRow ? 1 : 0;
}

std::string SessionImpl::currentOfCondition(const std::string& cursorName,
                                            const TableBinding& table)
{
    Cursor& cursor = requireCursor(cursorName);
    if (!cursor.open)
        throw cursorNotOpen(cursorName);
    if (cursor.physicalTable != table.physical || cursor.rowids.empty()) {
        throw EngineError{570, 16,
                          "The cursor '" + cursorName + "' does not include the table '" +
                              table.object.name + "' being updated."};
    }
    // Before the first fetch, and after a fetch past the last row, no row is current.
    if (cursor.next == 0 || cursor.next > cursor.rowids.size()) {
        throw EngineError{585, 16,
                          "The UPDATE/DELETE WHERE CURRENT OF failed for the cursor '" +
                              cursorName + "' because it is not positioned on a row."};
    }
    return table.physical + ".rowid = " + std::to_string(cursor.rowids[cursor.next - 1]);
}

}  // namespace tdsim
