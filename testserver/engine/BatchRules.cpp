// The rules the server checks when it compiles a batch, before any of its statements
// runs: a failed check refuses the whole batch.
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

// Objects whose CREATE must be alone in its batch: their text is the rest of the batch
// (procedures, triggers, functions) or the server says so (rules, defaults).
const char* aloneInBatch(const Statement& statement)
{
    if (statement.kind != Statement::Kind::CreateTextObject)
        return nullptr;
    const std::string& type = static_cast<const CreateTextObjectStatement&>(statement).objectType;
    if (type == "P")
        return "CREATE PROCEDURE";
    if (type == "TR")
        return "CREATE TRIGGER";
    if (type == "SF")
        return "CREATE FUNCTION";
    if (type == "R")
        return "CREATE RULE";
    if (type == "D")
        return "CREATE DEFAULT";
    return nullptr;
}

// Calls `visit` for every statement of the list and of the blocks, IFs and WHILEs in it.
template <typename Visit>
void forEachStatement(const std::vector<StatementPtr>& statements, Visit& visit);

template <typename Visit>
void forStatement(const Statement& statement, Visit& visit)
{
    visit(statement);
    switch (statement.kind) {
        case Statement::Kind::If: {
            const auto& branch = static_cast<const IfStatement&>(statement);
            forStatement(*branch.then, visit);
            if (branch.otherwise)
                forStatement(*branch.otherwise, visit);
            break;
        }
        case Statement::Kind::While:
            forStatement(*static_cast<const WhileStatement&>(statement).body, visit);
            break;
        case Statement::Kind::Block:
            forEachStatement(static_cast<const BlockStatement&>(statement).statements, visit);
            break;
        default:
            break;
    }
}

template <typename Visit>
void forEachStatement(const std::vector<StatementPtr>& statements, Visit& visit)
{
    for (const StatementPtr& statement : statements)
        forStatement(*statement, visit);
}

}  // namespace

void SessionImpl::checkBatchRules(const std::vector<StatementPtr>& batch)
{
    for (const StatementPtr& statement : batch) {
        if (const char* create = aloneInBatch(*statement); create && batch.size() > 1) {
            currentLine_ = statement->line;
            throw EngineError{111, 15,
                              std::string(create) + " must be the first command in a query batch."};
        }
    }
    // The batch is compiled in the current database: a database it creates or names in
    // USE must exist before it starts, and a table it creates must not, even when the
    // batch drops it first or tests for it. After a USE the tables are not checked.
    bool compiledHere = true;
    auto check = [&](const Statement& statement) {
        if (statement.kind == Statement::Kind::Use) {
            const std::string& name = static_cast<const UseStatement&>(statement).database;
            if (!state_.catalog.hasDatabase(name)) {
                currentLine_ = statement.line;
                throw unknownDatabase(name);
            }
            compiledHere = compiledHere && name == database_;
        } else if (statement.kind == Statement::Kind::CreateTable && compiledHere) {
            const ObjectName& table = static_cast<const CreateTableStatement&>(statement).table;
            if (table.name.empty() || table.name[0] == '#')
                return;
            std::optional<int> owner =
                table.owner.empty() ? uid_ : state_.catalog.userUid(database_, table.owner);
            if (owner && (table.database.empty() || table.database == database_) &&
                state_.catalog.findObject(database_, state_.catalog.userName(database_, *owner),
                                          table.name, *owner)) {
                currentLine_ = statement.line;
                throw alreadyExists(table.name);
            }
        }
    };
    forEachStatement(batch, check);
}

}  // namespace tdsim
