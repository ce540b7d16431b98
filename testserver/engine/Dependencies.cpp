// sysdepends: what a view, procedure or trigger refers to when it is created.
#include <map>
#include <set>

#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

// One object named in a compiled object's text, and how the text uses it.
struct Reference {
    ObjectName name;
    bool procedure = false;  // exec'd, rather than read or written
    bool read = false;
    bool written = false;
    bool selectAll = false;  // select * over it
};

// Walks a syntax tree and collects every table, view and procedure it names.
class ReferenceCollector {
public:
    std::vector<Reference> references;

    void statement(const Statement& statement)
    {
        switch (statement.kind) {
            case Statement::Kind::Select:
                select(*static_cast<const SelectStatement&>(statement).select);
                break;
            case Statement::Kind::Insert: {
                const auto& insert = static_cast<const InsertStatement&>(statement);
                add(insert.table).written = true;
                for (const auto& row : insert.rows)
                    for (const ExprPtr& value : row)
                        expression(value);
                if (insert.select)
                    select(*insert.select);
                break;
            }
            case Statement::Kind::Update: {
                const auto& update = static_cast<const UpdateStatement&>(statement);
                add(update.table).written = true;
                for (const auto& [column, value] : update.assignments)
                    expression(value);
                tables(update.from);
                expression(update.where);
                break;
            }
            case Statement::Kind::Delete: {
                const auto& remove = static_cast<const DeleteStatement&>(statement);
                add(remove.table).written = true;
                tables(remove.from);
                expression(remove.where);
                break;
            }
            case Statement::Kind::Truncate:
                add(static_cast<const TruncateStatement&>(statement).table).written = true;
                break;
            case Statement::Kind::If: {
                const auto& branch = static_cast<const IfStatement&>(statement);
                expression(branch.condition);
                optionalStatement(branch.then);
                optionalStatement(branch.otherwise);
                break;
            }
            case Statement::Kind::While: {
                const auto& loop = static_cast<const WhileStatement&>(statement);
                expression(loop.condition);
                optionalStatement(loop.body);
                break;
            }
            case Statement::Kind::Block:
                for (const StatementPtr& inner :
                     static_cast<const BlockStatement&>(statement).statements)
                    optionalStatement(inner);
                break;
            case Statement::Kind::Return:
                expression(static_cast<const ReturnStatement&>(statement).value);
                break;
            case Statement::Kind::Exec: {
                const auto& exec = static_cast<const ExecStatement&>(statement);
                if (!exec.procedure.empty())
                    add(exec.procedure).procedure = true;
                for (const ExecArgument& argument : exec.arguments)
                    expression(argument.value);
                break;
            }
            case Statement::Kind::DeclareCursor:
                select(*static_cast<const DeclareCursorStatement&>(statement).select);
                break;
            case Statement::Kind::Print:
                for (const ExprPtr& arg : static_cast<const PrintStatement&>(statement).args)
                    expression(arg);
                break;
            default:
                break;
        }
    }

    void select(const SelectStmt& query)
    {
        bool star = false;
        for (const SelectItem& item : query.items) {
            star = star || item.star;
            expression(item.expr);
        }
        size_t first = references.size();
        tables(query.from);
        if (star) {
            for (size_t i = first; i < references.size(); ++i)
                references[i].selectAll = true;
        }
        expression(query.where);
        for (const ExprPtr& group : query.groupBy)
            expression(group);
        expression(query.having);
        for (const OrderItem& order : query.orderBy)
            expression(order.expr);
        for (const SelectStmt::Union& part : query.unions)
            select(*part.select);
    }

private:
    Reference& add(const ObjectName& name)
    {
        references.push_back(Reference{name});
        return references.back();
    }

    void tables(const std::vector<TableRef>& from)
    {
        for (const TableRef& table : from) {
            if (table.derived)
                select(*table.derived);
            else
                add(table.name).read = true;
            expression(table.on);
        }
    }

    void optionalStatement(const StatementPtr& inner)
    {
        if (inner)
            statement(*inner);
    }

    void expression(const ExprPtr& expr)
    {
        if (!expr)
            return;
        if (expr->select)
            select(*expr->select);
        for (const ExprPtr& arg : expr->args)
            expression(arg);
    }
};

// Names that never produce a sysdepends row or a warning: the trigger tables, temporary
// tables, and system procedures (they live in sybsystemprocs).
bool isLocalName(const ObjectName& name, const std::string& database)
{
    if (!name.database.empty() && name.database != database)
        return false;
    std::string lower = toLower(name.name);
    return !(lower == "inserted" || lower == "deleted" || name.name.rfind('#', 0) == 0 ||
             lower.rfind("sp_", 0) == 0);
}

}  // namespace

void SessionImpl::recordDependencies(int id, int number, int ownerUid,
                                     const CreateTextObjectStatement& statement,
                                     StatementResult& result)
{
    ReferenceCollector collector;
    if (statement.view)
        collector.select(*statement.view);
    for (const StatementPtr& inner : statement.body) {
        if (inner)
            collector.statement(*inner);
    }
    // One row per referenced object, its uses merged.
    std::map<std::pair<int, int>, Reference> rows;
    std::set<std::string> missing;
    for (const Reference& reference : collector.references) {
        if (!isLocalName(reference.name, database_))
            continue;
        auto object = state_.catalog.findObject(database_, reference.name.owner,
                                                reference.name.name, ownerUid);
        if (!object) {
            if (!missing.insert(reference.name.name).second)
                continue;
            addMessage(result, 2007, 11,
                       "Cannot add rows to sysdepends for the current stored procedure because "
                       "it depends on the missing object '" +
                           reference.name.name + "'. The stored procedure will still be created.");
            continue;
        }
        if (object->id == id)
            continue;
        Reference& merged = rows[{object->id, reference.procedure ? 1 : 0}];
        merged.read = merged.read || reference.read;
        merged.written = merged.written || reference.written;
        merged.selectAll = merged.selectAll || reference.selectAll;
    }
    for (const auto& [key, uses] : rows) {
        state_.catalog.insertRow(sysTable("sysdepends"),
                                 {{"id", SqlValue::ofInt(id)},
                                  {"number", SqlValue::ofInt(number)},
                                  {"depid", SqlValue::ofInt(key.first)},
                                  {"depnumber", SqlValue::ofInt(key.second)},
                                  {"selall", SqlValue::ofInt(uses.selectAll)},
                                  {"resultobj", SqlValue::ofInt(uses.written)},
                                  {"readobj", SqlValue::ofInt(uses.read)}});
    }
}

}  // namespace tdsim
