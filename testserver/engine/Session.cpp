#include <cmath>
#include <map>

#include "engine/Compute.h"
#include "engine/DateTime.h"
#include "engine/Lexer.h"
#include "engine/Parser.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {

SqlValue sqlValueFromColumn(const SqliteStatement& row, int column)
{
    switch (row.columnType(column)) {
        case SQLITE_INTEGER:
            return SqlValue::ofInt(row.intAt(column));
        case SQLITE_FLOAT:
            return SqlValue::ofReal(row.realAt(column));
        case SQLITE_TEXT:
            return SqlValue::ofText(row.textAt(column));
        case SQLITE_BLOB:
            return SqlValue::ofBlob(row.textAt(column));
        default:
            return SqlValue::null();
    }
}

std::string valueAsText(const SqlValue& value)
{
    switch (value.kind) {
        case SqlValue::Kind::Int:
            return std::to_string(value.intValue);
        case SqlValue::Kind::Real: {
            char text[64];
            std::snprintf(text, sizeof text, "%.15g", value.realValue);
            return text;
        }
        case SqlValue::Kind::Text:
        case SqlValue::Kind::Blob:
            return value.text;
        default:
            return "";
    }
}

SessionImpl::SessionImpl(EngineState& state, std::string login, int suid, int spid)
    : state_(state), login_(std::move(login)), suid_(suid), spid_(spid)
{
    options_.charset = state.config.charset;
    state_.appContexts.startSession(spid_);  // sessions are opened under the engine lock
}

SessionImpl::~SessionImpl()
{
    if (!processKey_)
        return;
    std::lock_guard turn(state_.turns);
    // A destructor must not throw. The one statement that fails here is the one a
    // stopping server interrupts, and the row then goes with the server.
    try {
        state_.processes.remove(*processKey_);
    } catch (const SqliteError&) {
    }
}

void SessionImpl::listProcess(const ClientInfo& client)
{
    processKey_ = state_.processes.add(spid_, suid_, client, processContext());
}

ProcessContext SessionImpl::processContext() const
{
    ProcessContext context;
    context.dbid = state_.catalog.databaseId(database_);
    context.uid = uid_;
    context.gid = static_cast<int>(state_.db.queryInt(
        "SELECT gid FROM " + Catalog::systemTable(database_, "sysusers") + " WHERE uid = ?1",
        {SqlValue::ofInt(uid_)}));
    return context;
}

std::vector<StatementResult> SessionImpl::execute(const std::string& batch, const Params& params)
{
    std::lock_guard turn(state_.turns);
    std::vector<StatementResult> results = executeLocked(batch, params);
    if (processKey_)
        state_.processes.idle(*processKey_);
    return results;
}

std::vector<StatementResult> SessionImpl::executeLocked(const std::string& batch,
                                                        const Params& params)
{
    Results out;
    params_ = &params;
    std::vector<StatementPtr> statements;
    try {
        statements = parseBatch(batch, options_.quotedIdentifier);
    } catch (const ParseError& error) {
        StatementResult& result = newResult(out);
        currentLine_ = error.line;
        addMessage(result, error.number, 15, error.text);
        result.failed = true;
        lastError_ = error.number;
        return out;
    } catch (const LexError& error) {
        StatementResult& result = newResult(out);
        currentLine_ = error.line;
        addMessage(result, error.number, 15, error.text);
        result.failed = true;
        lastError_ = error.number;
        return out;
    } catch (const std::exception& error) {
        StatementResult& result = newResult(out);
        addMessage(result, 7777, 16, std::string("Internal error: ") + error.what());
        result.failed = true;
        return out;
    }
    if (options_.parseOnly) {
        newResult(out);
        return out;
    }
    defaultsReboundInBatch_.clear();
    try {
        checkBatchRules(statements);
    } catch (const EngineError& error) {
        failStatement(out, error);
        return out;
    }
    try {
        runStatementList(statements, out, ListKind::Batch);
    } catch (const ReturnSignal&) {
        // RETURN ends the batch.
    } catch (const BatchInterrupted& interruption) {
        // A cancelled batch ends without a message: the attention's acknowledgement says it.
        if (interruption.serverStopping) {
            StatementResult& result = newResult(out);
            addMessage(result, 6002, 18,
                       "A SHUTDOWN command is already in progress. Please log off.");
            result.failed = true;
        }
    }
    if (out.empty()) {
        newResult(out);
    }
    if (connectionEnded_)
        out.back().endsConnection = true;
    return out;
}

namespace {

// sysprocesses.cmd while a batch statement runs: the statement's command, "COND" for the
// conditions of IF and WHILE (as the server documents), EXECUTE for other statements.
std::string processCommand(Statement::Kind kind)
{
    switch (kind) {
        case Statement::Kind::Select:
            return "SELECT";
        case Statement::Kind::Insert:
            return "INSERT";
        case Statement::Kind::Update:
            return "UPDATE";
        case Statement::Kind::Delete:
            return "DELETE";
        case Statement::Kind::Truncate:
            return "TRUNCATE TABLE";
        case Statement::Kind::If:
        case Statement::Kind::While:
            return "COND";
        case Statement::Kind::CreateTable:
            return "CREATE TABLE";
        case Statement::Kind::CreateIndex:
            return "CREATE INDEX";
        case Statement::Kind::CreateDatabase:
            return "CREATE DATABASE";
        case Statement::Kind::AlterDatabase:
            return "ALTER DATABASE";
        case Statement::Kind::Disk:
            return "DISK";
        case Statement::Kind::AlterTable:
            return "ALTER TABLE";
        case Statement::Kind::Drop:
        case Statement::Kind::DropDatabase:
            return "DROP";
        case Statement::Kind::Grant:
        case Statement::Kind::GrantRole:
            return "GRANT";
        default:
            return "EXECUTE";
    }
}

std::optional<size_t> labelPosition(const std::vector<StatementPtr>& statements,
                                    const std::string& label)
{
    for (size_t i = 0; i < statements.size(); ++i) {
        if (statements[i]->kind == Statement::Kind::Label &&
            static_cast<const LabelStatement&>(*statements[i]).name == label) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

// Runs statements in order; a GOTO to a label of this list continues after the label,
// one to a label elsewhere leaves the list.
void SessionImpl::runStatementList(const std::vector<StatementPtr>& statements, Results& out,
                                   ListKind kind)
{
    size_t next = 0;
    while (next < statements.size()) {
        const Statement& statement = *statements[next++];
        // With noexec on, statements are only compiled; SET still runs so that
        // "set noexec off" can end it.
        if (options_.noExec && statement.kind != Statement::Kind::Set) {
            if (kind == ListKind::Batch)
                newResult(out);
            continue;
        }
        size_t before = out.size();
        try {
            betweenStatements();
            if (kind == ListKind::Batch && processKey_)
                state_.processes.running(*processKey_, processCommand(statement.kind));
            runGuarded(statement, out);
        } catch (const GotoSignal& jump) {
            std::optional<size_t> target = labelPosition(statements, jump.label);
            if (target) {
                next = *target + 1;
            } else if (kind == ListKind::Block) {
                throw;
            } else {
                // The label is inside a block this list does not enclose.
                StatementResult& result = newResult(out);
                addMessage(result, 133, 15,
                           "A GOTO statement references the label '" + jump.label +
                               "' but the label has not been declared.");
                result.failed = true;
                lastError_ = 133;
                return;
            }
        } catch (const LoopSignal&) {
            if (kind == ListKind::Block)
                throw;
            // BREAK or CONTINUE outside a loop does nothing.
        }
        if (kind == ListKind::Batch && out.size() == before) {
            newResult(out);
        }
    }
}

void SessionImpl::runWhile(const WhileStatement& loop, Results& out)
{
    // A loop may run for ever, as it does on the server: each round is a point where the
    // other sessions get their turn and where a stopping server ends it.
    for (;;) {
        betweenStatements();
        if (!evaluateCondition(*loop.condition))
            return;
        try {
            runGuarded(*loop.body, out);
        } catch (const LoopSignal& signal) {
            if (signal.isBreak)
                return;
        }
    }
}

// Between two statements: a stopping server or the client's cancel ends the batch here,
// and another session may run, but only while none of this session's savepoints is open,
// so that the other session's work is never inside (and never undone with) this one's.
void SessionImpl::betweenStatements()
{
    if (state_.stopping)
        throw BatchInterrupted{true};
    // Asking the connection reads the socket: not more often than this.
    constexpr auto kCancelCheckInterval = std::chrono::milliseconds(5);
    if (cancelled_) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextCancelCheck_) {
            nextCancelCheck_ = now + kCancelCheckInterval;
            if (cancelled_())
                throw BatchInterrupted{false};
        }
    }
    if (openSavepoints_ == 0 && state_.turns.othersWaiting())
        state_.turns.handOver();
}

namespace {

// Statements that only steer others, or run a body whose statements each keep their own
// savepoint, take none: on the server, too, a failing statement in a loop or a procedure
// does not undo the ones before it. A system procedure's savepoint is its call's.
bool ownsSavepoint(Statement::Kind kind)
{
    using Kind = Statement::Kind;
    switch (kind) {
        case Kind::If:
        case Kind::While:
        case Kind::Block:
        case Kind::Label:
        case Kind::Goto:
        case Kind::Break:
        case Kind::Continue:
        case Kind::Return:
        case Kind::Declare:
        case Kind::Exec:
            return false;
        default:
            return true;
    }
}

}  // namespace

// Runs one statement inside a savepoint so that a failure leaves nothing behind.
void SessionImpl::runGuarded(const Statement& statement, Results& out)
{
    state_.stats.statements++;
    currentLine_ = statement.line;
    Savepoint savepoint(*this, ownsSavepoint(statement.kind));
    try {
        run(statement, out);
        savepoint.release();
        if (statement.kind != Statement::Kind::If && statement.kind != Statement::Kind::Block &&
            statement.kind != Statement::Kind::While) {
            lastError_ = 0;
        }
    } catch (const EngineError& error) {
        savepoint.rollBack();
        endConnectionIfAsked(error);
        failStatement(out, error);
    } catch (const SqliteError& error) {
        savepoint.rollBack();
        EngineError translated = translateSqliteError(error);
        endConnectionIfAsked(translated);
        failStatement(out, translated);
    } catch (const ReturnSignal&) {
        savepoint.release();
        throw;
    } catch (const GotoSignal&) {
        savepoint.release();
        throw;
    } catch (const LoopSignal&) {
        savepoint.release();
        throw;
    } catch (const BatchInterrupted&) {
        savepoint.rollBack();
        throw;
    } catch (const TriggerRollback&) {
        savepoint.rollBack();
        if (!triggerFrames_.empty()) {
            throw;  // up to the statement that fired the trigger
        }
        failStatement(out, EngineError{3609, 16,
                                       "The transaction ended in the trigger. The batch has "
                                       "been aborted."});
        throw ReturnSignal{};
    } catch (const std::exception& error) {
        // Anything unforeseen fails the statement, never the connection.
        savepoint.rollBack();
        failStatement(out, EngineError{7777, 16, std::string("Internal error: ") + error.what()});
    }
}

void SessionImpl::failStatement(Results& out, const EngineError& error)
{
    StatementResult& result = newResult(out);
    addMessage(result, error.number, error.severity, error.text);
    result.failed = true;
    lastError_ = error.number;
}

SessionImpl::Savepoint::Savepoint(SessionImpl& session, bool active)
    : session_(session), active_(active)
{
    if (active_) {
        session_.state_.db.exec("SAVEPOINT stmt");
        ++session_.openSavepoints_;
    }
}

SessionImpl::Savepoint::~Savepoint()
{
    // Left open: an exception is on its way out, and the statement's work goes with it.
    try {
        rollBack();
    } catch (...) {
        // The exception on its way out says more than a failed rollback.
    }
}

void SessionImpl::Savepoint::release()
{
    if (active_) {
        session_.state_.db.exec("RELEASE stmt");
        close();
    }
}

void SessionImpl::Savepoint::rollBack()
{
    if (active_) {
        session_.state_.db.exec("ROLLBACK TO stmt");
        session_.state_.db.exec("RELEASE stmt");
        close();
    }
}

void SessionImpl::Savepoint::close()
{
    active_ = false;
    --session_.openSavepoints_;
}

// syb_quit() ends the batch without a message, and the connection after its reply.
void SessionImpl::endConnectionIfAsked(const EngineError& error)
{
    if (error.number != kConnectionEndRequest)
        return;
    connectionEnded_ = true;
    throw BatchInterrupted{false};
}

EngineError SessionImpl::translateSqliteError(const SqliteError& error) const
{
    EngineError decoded;
    if (decodeFunctionError(error.what(), decoded)) {
        return decoded;
    }
    return EngineError{7777, 16, std::string("Internal error: ") + error.what()};
}

StatementResult& SessionImpl::newResult(Results& out)
{
    out.emplace_back();
    return out.back();
}

void SessionImpl::addMessage(StatementResult& result, int number, int severity,
                             const std::string& text)
{
    Message message;
    message.number = number;
    message.severity = severity;
    message.text = text;
    message.line = currentLine_;
    message.procName = procName_;
    result.messages.push_back(std::move(message));
}

void SessionImpl::run(const Statement& statement, Results& out)
{
    using Kind = Statement::Kind;
    switch (statement.kind) {
        case Kind::Select:
            return runSelect(*static_cast<const SelectStatement&>(statement).select, out);
        case Kind::Use:
            return runUse(static_cast<const UseStatement&>(statement), out);
        case Kind::Set:
            return runSet(static_cast<const SetStatement&>(statement), out);
        case Kind::Print:
            return runPrint(static_cast<const PrintStatement&>(statement), out);
        case Kind::Raiserror:
            return runRaiserror(static_cast<const RaiserrorStatement&>(statement), out);
        case Kind::Declare:
            return runDeclare(static_cast<const DeclareStatement&>(statement));
        case Kind::If: {
            const auto& ifStatement = static_cast<const IfStatement&>(statement);
            if (evaluateCondition(*ifStatement.condition)) {
                runGuarded(*ifStatement.then, out);
            } else if (ifStatement.otherwise) {
                runGuarded(*ifStatement.otherwise, out);
            }
            return;
        }
        case Kind::While:
            return runWhile(static_cast<const WhileStatement&>(statement), out);
        case Kind::Block:
            return runStatementList(static_cast<const BlockStatement&>(statement).statements, out,
                                    ListKind::Block);
        case Kind::Label:
            return;
        case Kind::Goto:
            throw GotoSignal{static_cast<const GotoStatement&>(statement).label};
        case Kind::Break:
        case Kind::Continue:
            throw LoopSignal{statement.kind == Kind::Break};
        case Kind::DeclareCursor:
            return declareCursor(static_cast<const DeclareCursorStatement&>(statement), out);
        case Kind::CursorCommand:
            return runCursorCommand(static_cast<const CursorCommandStatement&>(statement), out);
        case Kind::Fetch:
            return fetch(static_cast<const FetchStatement&>(statement), out);
        case Kind::Setuser:
            return runSetuser(static_cast<const SetuserStatement&>(statement), out);
        case Kind::Return: {
            const auto& ret = static_cast<const ReturnStatement&>(statement);
            ReturnSignal signal;
            if (ret.value) {
                SqlValue value = evaluate(*ret.value);
                signal.status = static_cast<int>(value.kind == SqlValue::Kind::Real
                                                     ? static_cast<int64_t>(value.realValue)
                                                     : value.intValue);
            }
            throw signal;
        }
        case Kind::Insert:
            return runInsert(static_cast<const InsertStatement&>(statement), out);
        case Kind::Update:
            return runUpdate(static_cast<const UpdateStatement&>(statement), out);
        case Kind::Delete:
            return runDelete(static_cast<const DeleteStatement&>(statement), out);
        case Kind::Truncate:
            return runTruncate(static_cast<const TruncateStatement&>(statement), out);
        case Kind::Exec:
            return runExec(static_cast<const ExecStatement&>(statement), out);
        case Kind::CreateDatabase:
            return createDatabase(static_cast<const CreateDatabaseStatement&>(statement), out);
        case Kind::DropDatabase:
            return dropDatabase(static_cast<const DropDatabaseStatement&>(statement), out);
        case Kind::CreateTable:
            return createTable(static_cast<const CreateTableStatement&>(statement), out);
        case Kind::AlterTable:
            return alterTable(static_cast<const AlterTableStatement&>(statement), out);
        case Kind::CreateIndex:
            return createIndex(static_cast<const CreateIndexStatement&>(statement), out);
        case Kind::CreateTextObject:
            return createTextObject(static_cast<const CreateTextObjectStatement&>(statement), out);
        case Kind::Drop:
            return dropObjects(static_cast<const DropStatement&>(statement), out);
        case Kind::Grant:
            return grantOrRevoke(static_cast<const GrantStatement&>(statement), out);
        case Kind::GrantRole:
            return grantOrRevokeRole(static_cast<const GrantRoleStatement&>(statement), out);
        case Kind::CreateLogin:
            return createLogin(static_cast<const CreateLoginStatement&>(statement), out);
        case Kind::Principal:
            return principalStatement(static_cast<const PrincipalStatement&>(statement), out);
        case Kind::AlterDatabase:
            return alterDatabase(static_cast<const AlterDatabaseStatement&>(statement), out);
        case Kind::Disk:
            return diskStatement(static_cast<const DiskStatement&>(statement), out);
        case Kind::Transaction:
            if (!triggerFrames_.empty() &&
                static_cast<const TransactionStatement&>(statement).verb == "rollback") {
                throw TriggerRollback{};
            }
            newResult(out);
            return;
        case Kind::DumpTransaction: {
            // Nothing is logged in memory: the dump only checks that the database exists.
            const std::string& database =
                static_cast<const DumpTransactionStatement&>(statement).database;
            if (!state_.catalog.hasDatabase(database))
                throw unknownDatabase(database);
            newResult(out);
            return;
        }
        case Kind::Empty:
            newResult(out);
            return;
    }
}

// ---- values -----------------------------------------------------------------------

Value SessionImpl::toValue(const SqliteStatement& row, int column, const ColumnInfo& type) const
{
    if (row.isNull(column)) {
        return Value::null();
    }
    auto scaled = [&](int scale) {
        double factor = std::pow(10.0, scale);
        return Value::ofInt(static_cast<int64_t>(std::llround(row.realAt(column) * factor)));
    };
    switch (type.type) {
        case ColumnType::TinyInt:
        case ColumnType::SmallInt:
        case ColumnType::Int:
        case ColumnType::BigInt:
        case ColumnType::Bit:
            if (row.columnType(column) == SQLITE_FLOAT) {
                return Value::ofInt(static_cast<int64_t>(row.realAt(column)));
            }
            return Value::ofInt(row.intAt(column));
        case ColumnType::Money:
        case ColumnType::SmallMoney:
            return scaled(4);
        case ColumnType::Numeric:
        case ColumnType::Decimal:
            return scaled(type.scale);
        case ColumnType::Float:
        case ColumnType::Real:
            return Value::ofFloat(row.realAt(column));
        case ColumnType::DateTime:
        case ColumnType::SmallDateTime: {
            auto time = parseDateTime(row.textAt(column));
            return Value::ofDateTime(time ? toWire(*time) : DateTimeValue{});
        }
        case ColumnType::BigDateTime:
        case ColumnType::BigTime: {
            auto time = parseDateTime(row.textAt(column));
            if (!time)
                return Value::null();
            return Value::ofInt(type.type == ColumnType::BigTime ? microsOfDay(*time)
                                                                 : bigDateTimeMicros(*time));
        }
        case ColumnType::Char: {
            std::string text = row.textAt(column);
            if (type.length > 0 && static_cast<int>(text.size()) < type.length) {
                text.resize(static_cast<size_t>(type.length), ' ');
            }
            return Value::ofString(text);
        }
        case ColumnType::Text: {
            std::string text = row.textAt(column);
            if (options_.textSize > 0 && static_cast<int>(text.size()) > options_.textSize) {
                text.resize(static_cast<size_t>(options_.textSize));
            }
            return Value::ofString(text);
        }
        default:
            return Value::ofString(row.textAt(column));
    }
}

void SessionImpl::addResultSet(StatementResult& result, const RenderedQuery& query)
{
    ResultSet resultSet;
    resultSet.columns = query.columns;
    if (!options_.formatOnly) {
        SqliteStatement statement(state_.db.handle(), query.sql);
        statement.bindAll(query.params);
        while (statement.step()) {
            if (options_.rowCount > 0 &&
                static_cast<int>(resultSet.rows.size()) >= options_.rowCount) {
                break;
            }
            Row row;
            for (size_t i = 0; i < query.columns.size(); ++i) {
                row.push_back(toValue(statement, static_cast<int>(i), query.columns[i]));
            }
            resultSet.rows.push_back(std::move(row));
        }
    }
    lastRowCount_ = static_cast<int>(resultSet.rows.size());
    result.hasRowCount = !options_.noCount;
    result.rowCount = lastRowCount_;
    result.resultSet = std::move(resultSet);
}

Value SessionImpl::toValue(const SqlValue& value, const ColumnInfo& type) const
{
    // Reuse the row conversion through a one-value SELECT of the bound value.
    SqliteStatement statement(state_.db.handle(), "SELECT ?1");
    statement.bind(1, value);
    statement.step();
    return toValue(statement, 0, type);
}

Variable* SessionImpl::variable(const std::string& name)
{
    auto& frame = frames_.back();
    auto found = frame.find(name);
    return found == frame.end() ? nullptr : &found->second;
}

namespace {

Variable intGlobal(ColumnType type, int64_t value)
{
    return Variable{makeColumnInfo(type, 0, false), SqlValue::ofInt(value)};
}

Variable textGlobal(const std::string& value, int length)
{
    return Variable{makeColumnInfo(ColumnType::VarChar, length, false), SqlValue::ofText(value)};
}

}  // namespace

std::optional<Variable> SessionImpl::globalVariable(const std::string& name)
{
    using Reader = Variable (*)(SessionImpl&);
    static const std::map<std::string, Reader> globals = {
        {"@@spid", [](SessionImpl& s) { return intGlobal(ColumnType::SmallInt, s.spid_); }},
        {"@@version", [](SessionImpl& s) { return textGlobal(s.state_.version, 255); }},
        {"@@servername",
         [](SessionImpl& s) { return textGlobal(s.state_.config.serverName, 255); }},
        {"@@rowcount", [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.lastRowCount_); }},
        {"@@error", [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.lastError_); }},
        {"@@trancount", [](SessionImpl&) { return intGlobal(ColumnType::Int, 0); }},
        {"@@nestlevel", [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.nestLevel_); }},
        {"@@textsize",
         [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.options_.textSize); }},
        {"@@maxpagesize", [](SessionImpl&) { return intGlobal(ColumnType::Int, 2048); }},
        {"@@pagesize", [](SessionImpl&) { return intGlobal(ColumnType::Int, 2048); }},
        {"@@isolation",
         [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.options_.isolation); }},
        {"@@identity", [](SessionImpl& s) { return intGlobal(ColumnType::Numeric, s.identity_); }},
        {"@@language", [](SessionImpl& s) { return textGlobal(s.options_.language, 30); }},
        {"@@charsetname", [](SessionImpl& s) { return textGlobal(s.options_.charset, 30); }},
        {"@@client_csname", [](SessionImpl& s) { return textGlobal(s.options_.charset, 30); }},
        {"@@max_connections", [](SessionImpl&) { return intGlobal(ColumnType::Int, 1024); }},
        {"@@procid", [](SessionImpl&) { return intGlobal(ColumnType::Int, 0); }},
        {"@@sqlstatus",
         [](SessionImpl& s) { return intGlobal(ColumnType::SmallInt, s.sqlStatus_); }},
        {"@@maxcharlen",
         [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.catalog().ncharSize()); }},
        // Bytes per unichar character: UTF-16 code units.
        {"@@unicharsize", [](SessionImpl&) { return intGlobal(ColumnType::Int, 2); }},
        // Bytes per national character: the server character set's maximum width.
        {"@@ncharsize",
         [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.catalog().ncharSize()); }},
        {"@@guestuserid", [](SessionImpl&) { return intGlobal(ColumnType::Int, 2); }},
        {"@@mingroupid", [](SessionImpl&) { return intGlobal(ColumnType::Int, 16384); }},
        {"@@maxgroupid", [](SessionImpl&) { return intGlobal(ColumnType::Int, 1048576); }},
        {"@@invaliduserid", [](SessionImpl&) { return intGlobal(ColumnType::Int, -1); }},
        {"@@suid", [](SessionImpl& s) { return intGlobal(ColumnType::Int, s.suid_); }},
        // The release of the version string as major * 1000 + minor * 100.
        {"@@version_number", [](SessionImpl&) { return intGlobal(ColumnType::Int, 15700); }},
        {"@@datefirst",
         [](SessionImpl& s) { return intGlobal(ColumnType::TinyInt, s.options_.dateFirst); }},
    };
    auto found = globals.find(name);
    if (found == globals.end())
        return std::nullopt;
    return found->second(*this);
}

SqlValue SessionImpl::evaluate(const Expr& expr, ColumnInfo* type)
{
    SqlRenderer renderer(*this);
    TypedSql typed = renderer.renderExpression(expr);
    if (type)
        *type = typed.type;
    SqliteStatement statement(state_.db.handle(), "SELECT " + typed.sql);
    statement.step();
    return sqlValueFromColumn(statement, 0);
}

bool SessionImpl::evaluateCondition(const Expr& condition)
{
    SqlRenderer renderer(*this);
    TypedSql typed = renderer.renderExpression(condition);
    SqliteStatement statement(state_.db.handle(),
                              "SELECT CASE WHEN " + typed.sql + " THEN 1 ELSE 0 END");
    statement.step();
    return statement.intAt(0) != 0;
}

// ---- statements -----------------------------------------------------------------

void SessionImpl::runSelect(const SelectStmt& select, Results& out)
{
    if (!select.into.empty()) {
        return runSelectInto(select, out);
    }
    SqlRenderer renderer(*this);
    RenderedQuery query = renderer.renderSelect(select);
    bool assigns = !query.assignVariables.empty() && !query.assignVariables[0].empty();
    if (assigns) {
        SqliteStatement statement(state_.db.handle(), query.sql);
        statement.bindAll(query.params);
        int rows = 0;
        while (statement.step()) {
            ++rows;
            for (size_t i = 0; i < query.assignVariables.size(); ++i) {
                Variable* target = variable(query.assignVariables[i]);
                if (!target) {
                    throw mustDeclare(query.assignVariables[i]);
                }
                target->value = sqlValueFromColumn(statement, static_cast<int>(i));
            }
            if (options_.rowCount > 0 && rows >= options_.rowCount)
                break;
        }
        lastRowCount_ = rows;
        StatementResult& result = newResult(out);
        result.hasRowCount = !options_.noCount;
        result.rowCount = rows;
        return;
    }
    StatementResult& result = newResult(out);
    addResultSet(result, query);
    if (!select.computes.empty()) {
        addComputeResults(select, *result.resultSet);
    }
}

bool SessionImpl::useDatabase(const std::string& name, StatementResult& result)
{
    if (!state_.catalog.hasDatabase(name)) {
        EngineError error = unknownDatabase(name);
        addMessage(result, error.number, error.severity, error.text);
        result.failed = true;
        return false;
    }
    std::optional<int> uid = uidIn(name);
    if (!uid) {
        EngineError error = notAUser(name);
        addMessage(result, error.number, error.severity, error.text);
        result.failed = true;
        return false;
    }
    database_ = name;
    uid_ = *uid;
    ownUid_.reset();  // setuser lasts until the database changes
    if (processKey_)
        state_.processes.moveTo(*processKey_, processContext());
    result.newDatabase = name;
    addMessage(result, 5701, 10, "Changed database context to '" + name + "'.");
    return true;
}

std::optional<int> SessionImpl::uidIn(const std::string& database) const
{
    int uid = suid_ == 1 ? 1 : state_.catalog.uidForSuid(database, suid_);
    if (uid < 0)
        uid = state_.catalog.userUid(database, "guest").value_or(-1);
    return uid < 0 ? std::nullopt : std::optional<int>(uid);
}

EngineError SessionImpl::notAUser(const std::string& database) const
{
    return EngineError{10351, 14,
                       "Server user id " + std::to_string(suid_) +
                           " is not a valid user in database '" + database + "'"};
}

void SessionImpl::runUse(const UseStatement& statement, Results& out)
{
    StatementResult& result = newResult(out);
    if (useRefused_) {
        // SQL Anywhere serves one database per connection, named at login.
        addMessage(result, 7777, 16,
                   "USE is not supported: the database is the one named at login.");
        result.failed = true;
        lastError_ = 7777;
        return;
    }
    if (!useDatabase(statement.database, result)) {
        lastError_ = 911;
    }
}

// setuser 'name' makes the database owner act as another user of the database;
// setuser alone returns to the session's own identity.
void SessionImpl::runSetuser(const SetuserStatement& statement, Results& out)
{
    int own = ownUid_.value_or(uid_);
    if (own != 1) {
        throw EngineError{262, 16,
                          "SETUSER permission denied, database " + database_ + ", owner dbo"};
    }
    if (statement.user.empty()) {
        uid_ = own;
        ownUid_.reset();
        newResult(out);
        return;
    }
    std::optional<int> uid = state_.catalog.userUid(database_, statement.user);
    constexpr int kFirstGroupUid = 16384;  // groups and roles are not users
    if (!uid || *uid >= kFirstGroupUid || *uid == 0) {
        throw EngineError{4604, 16, "There is no such user or group '" + statement.user + "'."};
    }
    ownUid_ = own;
    uid_ = *uid;
    newResult(out);
}

void SessionImpl::runSet(const SetStatement& statement, Results& out)
{
    std::string value = statement.value;
    if (statement.expr) {
        value = valueAsText(evaluate(*statement.expr));
    }
    bool on = value == "on";
    for (const std::string& option : statement.options) {
        auto number = [&]() {
            try {
                return std::stoi(value);
            } catch (...) {
                throw EngineError{102, 15, "Incorrect syntax near '" + value + "'."};
            }
        };
        if (option == "rowcount")
            options_.rowCount = number();
        else if (option == "textsize")
            options_.textSize = number() <= 0 ? 32768 : number();
        else if (option == "quoted_identifier")
            options_.quotedIdentifier = on;
        else if (option == "nocount")
            options_.noCount = on;
        else if (option == "ansinull")
            options_.ansiNull = on;
        else if (option == "chained")
            options_.chained = on;
        else if (option == "fmtonly")
            options_.formatOnly = on;
        else if (option == "parseonly")
            options_.parseOnly = on;
        else if (option == "noexec")
            options_.noExec = on;
        else if (option == "arithabort" || option == "arithabort arith_overflow")
            options_.arithAbort = on;
        else if (option == "arithignore" || option == "arithignore arith_overflow")
            options_.arithIgnore = on;
        else if (option == "string_rtruncation")
            options_.truncIgnore = !on;
        else if (option == "showplan")
            options_.showPlan = on;
        else if (option == "statistics io")
            options_.statisticsIo = on;
        else if (option == "statistics time")
            options_.statisticsTime = on;
        else if (option == "forceplan")
            options_.forcePlan = on;
        else if (option == "fipsflagger")
            options_.fipsFlagger = on;
        else if (option.rfind("transaction isolation level", 0) == 0) {
            std::string level = option.size() > 28 ? option.substr(28) : value;
            options_.isolation = level.empty() ? number() : std::atoi(level.c_str());
        } else if (option == "datefirst")
            options_.dateFirst = number();
        else if (option == "dateformat") {
            static const char* const formats[] = {"mdy", "dmy", "ymd", "ydm", "myd", "dym"};
            for (int i = 0; i < 6; ++i) {
                if (toLower(value) == formats[i])
                    options_.dateFormat = i + 1;
            }
        } else if (option == "language")
            options_.language = value;
        else if (option == "char_convert")
            options_.charset = value.empty() ? options_.charset : value;
        // Other options (close on endtran, ansi_permissions, ...) are accepted and ignored.
    }
    newResult(out);
}

void SessionImpl::runPrint(const PrintStatement& statement, Results& out)
{
    std::string text = valueAsText(evaluate(*statement.message));
    for (size_t i = 0; i < statement.args.size(); ++i) {
        std::string marker = "%" + std::to_string(i + 1) + "!";
        size_t at = text.find(marker);
        if (at != std::string::npos) {
            text.replace(at, marker.size(), valueAsText(evaluate(*statement.args[i])));
        }
    }
    StatementResult& result = newResult(out);
    addMessage(result, 0, 0, text);
}

void SessionImpl::runRaiserror(const RaiserrorStatement& statement, Results& out)
{
    SqlValue number = evaluate(*statement.number);
    std::string text = statement.message ? valueAsText(evaluate(*statement.message)) : "";
    for (size_t i = 0; i < statement.args.size(); ++i) {
        std::string marker = "%" + std::to_string(i + 1) + "!";
        size_t at = text.find(marker);
        if (at != std::string::npos) {
            text.replace(at, marker.size(), valueAsText(evaluate(*statement.args[i])));
        }
    }
    StatementResult& result = newResult(out);
    addMessage(result, static_cast<int>(number.intValue), 16, text);
    result.failed = true;
    lastError_ = static_cast<int>(number.intValue);
}

void SessionImpl::runDeclare(const DeclareStatement& statement)
{
    for (const auto& [name, typeSpec] : statement.variables) {
        ColumnInfo type = typeFromSpec(state_.catalog, database_, typeSpec);
        type.name = name;
        frames_.back()[name] = Variable{type, SqlValue::null()};
    }
}

}  // namespace tdsim
