// One connection's executor: runs parsed statements against the shared catalog.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/Ast.h"
#include "engine/EngineState.h"
#include "engine/Errors.h"
#include "engine/SqlRenderer.h"

namespace tdsim {

// Catalog status bits that DDL writes and DML reads.
// sysobjects.sysstat2 of a table:
constexpr int kReferencedTable = 0x1;   // some foreign key points at it
constexpr int kReferencingTable = 0x2;  // it has a foreign key
constexpr int kSeveralChecks = 0x4;
constexpr int kHasPrimaryKey = 0x8;
constexpr int kLockAllpages = 0x2000;
constexpr int kLockDatapages = 0x4000;
constexpr int kLockDatarows = 0x8000;
constexpr int kLockMask = 0xE000;
constexpr int kHasClusteredIndex = 0x20000;
// Bits the documented sysstat2 table lists as not used, taken for 15.7 settings whose
// bits are not documented: a table's dml_logging, a procedure's execute as.
constexpr int kDmlLoggingMinimal = 0x80;
constexpr int kDmlLoggingFull = 0x100;
constexpr int kDmlLoggingMask = kDmlLoggingMinimal | kDmlLoggingFull;
constexpr int kExecuteAsOwner = 0x80;
constexpr int kExecuteAsCaller = 0x100;
// A procedure's transaction mode (sp_procxmode); neither bit: unchained.
constexpr int kProcedureChained = 0x10;
constexpr int kProcedureAnyMode = 0x20;
constexpr int kProcedureModeMask = kProcedureChained | kProcedureAnyMode;

inline int dmlLoggingBits(DmlLogging logging)
{
    return logging == DmlLogging::Full      ? kDmlLoggingFull
           : logging == DmlLogging::Minimal ? kDmlLoggingMinimal
                                            : 0;
}
// The table's trigger for an action is disabled (alter table ... disable trigger).
constexpr int kInsertTriggerDisabled = 0x100000;
constexpr int kDeleteTriggerDisabled = 0x200000;
constexpr int kUpdateTriggerDisabled = 0x400000;
// sysindexes.status / status2:
constexpr int kIndexUnique = 0x2;
constexpr int kIndexAllpagesClustered = 0x10;
constexpr int kIndexPrimaryKey = 0x800;
constexpr int kIndex2Referenced = 0x1;
constexpr int kIndex2Constraint = 0x2;
constexpr int kIndex2GeneratedName = 0x8;
constexpr int kIndex2DataOnlyClustered = 0x200;
// sysprocedures.status, sysconstraints.status:
constexpr int kProcedureDeclared = 0x1000;
constexpr int kConstraintReference = 0x40;
constexpr int kConstraintCheck = 0x80;
constexpr int kConstraintComputed = 0x100;  // a computed column (function-based index key)

// An index to create: by CREATE INDEX or for a PRIMARY KEY / UNIQUE constraint.
struct IndexSpec {
    std::string name;  // empty: generated from the table name, its id and the indid
    bool unique = false;
    bool clustered = false;
    std::vector<IndexKey> keys;
    int status = 0;   // option and constraint bits besides unique/clustered
    int status2 = 0;  // constraint bits
    int segment = 1;
    StorageOptions options;
};

// A computed column to add: declared with its table or by ALTER TABLE, or the hidden
// column behind a function-based index key.
struct ComputedColumnDefinition {
    std::string name;
    int colid = 0;  // 0: the table's next colid
    bool materialized = true;
    bool functionKey = false;
    bool nullable = true;

    // A computed column as CREATE TABLE or ALTER TABLE ADD declares it.
    static ComputedColumnDefinition declared(const ColumnDef& column, int colid = 0)
    {
        ComputedColumnDefinition definition;
        definition.name = column.name;
        definition.colid = colid;
        definition.materialized = column.materialized;
        definition.nullable = column.nullability != ColumnDef::Nullability::NotNull;
        return definition;
    }
};

// Temporary SQLite tables one statement needs; dropped when it ends.
class TemporaryTables {
public:
    explicit TemporaryTables(SqliteDatabase& db) : db_(db) {}
    TemporaryTables(const TemporaryTables&) = delete;
    TemporaryTables& operator=(const TemporaryTables&) = delete;
    ~TemporaryTables();
    void add(const std::string& name) { names_.push_back(name); }

private:
    SqliteDatabase& db_;
    std::vector<std::string> names_;
};

class SessionImpl : public Session, public RenderEnvironment {
    friend class SystemProcedureCall;

public:
    SessionImpl(EngineState& state, std::string login, int suid, int spid);
    // A listed session leaves sysprocesses, taking its turn at the engine to do so.
    ~SessionImpl() override;
    SessionImpl(const SessionImpl&) = delete;
    SessionImpl& operator=(const SessionImpl&) = delete;

    std::vector<StatementResult> execute(const std::string& batch, const Params& params) override;
    std::string currentDatabase() const override { return database_; }
    SessionOptions& options() override { return options_; }
    int spid() const override { return spid_; }
    void setCancelCheck(std::function<bool()> cancelled) override
    {
        cancelled_ = std::move(cancelled);
    }

    // Runs a batch without taking the engine lock (used by runScript, which holds it).
    std::vector<StatementResult> executeLocked(const std::string& batch, const Params& params);
    bool useDatabase(const std::string& name, StatementResult& result);
    // Adds the session's row to master..sysprocesses (client sessions only; the engine's
    // own sessions are not listed). Called with the engine's turn held.
    void listProcess(const ClientInfo& client);
    // A SQL Anywhere client session stays in the database it logged in to.
    void refuseUse() { useRefused_ = true; }
    // sp_bindefault or sp_unbindefault changed the column's default: the batch's INSERTs
    // were compiled before, so they go on without the new one.
    void noteDefaultRebound(int64_t tableId, int colid)
    {
        defaultsReboundInBatch_.insert({tableId, colid});
    }

    // RenderEnvironment
    Catalog& catalog() override { return state_.catalog; }
    const std::string& database() const override { return database_; }
    int uid() const override { return uid_; }
    Variable* variable(const std::string& name) override;
    std::optional<Variable> globalVariable(const std::string& name) override;
    const Params& params() const override { return *params_; }
    const TableBinding* pseudoTable(const std::string& name) const override;
    bool ansiNull() const override { return options_.ansiNull; }

private:
    struct ReturnSignal {
        std::optional<int> status;
    };
    // GOTO: unwinds statement lists until one holds the label.
    struct GotoSignal {
        std::string label;
    };
    // BREAK / CONTINUE: unwinds to the innermost WHILE.
    struct LoopSignal {
        bool isBreak;
    };
    // Where a statement list runs: what an unresolved jump means there.
    enum class ListKind {
        Batch,  // the client's batch: every statement answers with a result
        Body,   // a procedure or trigger body, or an exec'd string
        Block   // BEGIN...END, WHILE bodies: jumps leave to the enclosing list
    };
    // A Transact-SQL cursor: the declared select, and its rows while it is open.
    // Rows are read when the cursor is opened; WHERE CURRENT OF finds the row of
    // the single table through its rowid.
    struct Cursor {
        std::shared_ptr<SelectStmt> select;
        bool forUpdate = false;
        bool open = false;
        std::vector<ColumnInfo> columns;
        std::vector<std::vector<SqlValue>> rows;
        std::vector<int64_t> rowids;  // empty unless the select reads one table
        std::string physicalTable;    // that table's SQLite name
        size_t next = 0;              // the row the next fetch returns
        int fetched = 0;              // rows fetched since the cursor was opened
    };
    using CursorScope = std::map<std::string, Cursor>;
    // A procedure, trigger or exec'd string runs with variables and cursors of its own;
    // they go when it ends, however it ends.
    class LocalScope {
    public:
        explicit LocalScope(SessionImpl& session, std::map<std::string, Variable> variables = {})
            : session_(session)
        {
            session_.frames_.push_back(std::move(variables));
            session_.cursorScopes_.emplace_back();
        }
        ~LocalScope()
        {
            session_.cursorScopes_.pop_back();
            session_.frames_.pop_back();
        }
        LocalScope(const LocalScope&) = delete;
        LocalScope& operator=(const LocalScope&) = delete;

    private:
        SessionImpl& session_;
    };
    // ROLLBACK inside a trigger: undoes the statement that fired it and ends the batch.
    struct TriggerRollback {};
    // The server stops, or the client cancels: unwinds the batch, undoing the statement
    // under way.
    struct BatchInterrupted {
        bool serverStopping;
    };
    // One statement's SQLite savepoint (none when inactive): released when the statement
    // succeeds, rolled back when it fails.
    class Savepoint {
    public:
        Savepoint(SessionImpl& session, bool active);
        ~Savepoint();
        Savepoint(const Savepoint&) = delete;
        Savepoint& operator=(const Savepoint&) = delete;
        void release();
        void rollBack();

    private:
        void close();
        SessionImpl& session_;
        bool active_;
    };
    // The rows a firing trigger sees as "inserted" and "deleted".
    struct TriggerFrame {
        TableBinding inserted;
        TableBinding deleted;
    };
    // Trigger support (Triggers.cpp).
    int triggerFor(const TableBinding& table, const char* column);
    // alter table t enable | disable trigger [name]: an empty name means every trigger.
    void enableTriggers(const ObjectRef& table, const std::string& name, bool enable);
    // Copies the rows of `table` that match `condition` into a temporary table: the
    // table's columns, or the select list `columns` naming them.
    std::string snapshot(const TableBinding& table, const std::string& condition, const char* role,
                         std::string columns = "");
    // A view's instead-of trigger, fired in place of the statement on the view.
    void runInsteadOf(int triggerId, const TableBinding& view, const std::string& inserted,
                      const std::string& deleted, std::vector<StatementResult>& out);
    void fireTrigger(int triggerId, const TableBinding& table, const std::string& inserted,
                     const std::string& deleted, std::vector<StatementResult>& out);
    using Results = std::vector<StatementResult>;

    void run(const Statement& statement, Results& out);
    void runGuarded(const Statement& statement, Results& out);
    void betweenStatements();
    void checkBatchRules(const std::vector<StatementPtr>& batch);
    void failStatement(Results& out, const EngineError& error);
    void runStatementList(const std::vector<StatementPtr>& statements, Results& out, ListKind kind);
    void runWhile(const WhileStatement& loop, Results& out);
    void runExecString(const ExecStatement& statement, Results& out);
    void runSetuser(const SetuserStatement& statement, Results& out);
    void runSelectInto(const SelectStmt& select, Results& out);

    // Transact-SQL cursors (Cursors.cpp)
    Cursor* findCursor(const std::string& name);
    Cursor& requireCursor(const std::string& name);
    void declareCursor(const DeclareCursorStatement& statement, Results& out);
    void runCursorCommand(const CursorCommandStatement& statement, Results& out);
    void openCursor(const std::string& name, Cursor& cursor);
    void fetch(const FetchStatement& statement, Results& out);
    // WHERE CURRENT OF: the SQLite condition selecting the cursor's current row.
    std::string currentOfCondition(const std::string& cursorName, const TableBinding& table);
    void runSelect(const SelectStmt& select, Results& out);
    void runUse(const UseStatement& statement, Results& out);
    // The uid the session has in a database, as USE gives it (the login's user, else
    // guest); nothing when it may not enter the database.
    std::optional<int> uidIn(const std::string& database) const;
    EngineError notAUser(const std::string& database) const;  // 10351
    ProcessContext processContext() const;
    void runSet(const SetStatement& statement, Results& out);
    void runPrint(const PrintStatement& statement, Results& out);
    void runRaiserror(const RaiserrorStatement& statement, Results& out);
    void runDeclare(const DeclareStatement& statement);
    bool evaluateCondition(const Expr& condition);
    SqlValue evaluate(const Expr& expr, ColumnInfo* type = nullptr);
    void runInsert(const InsertStatement& statement, Results& out);
    void runUpdate(const UpdateStatement& statement, Results& out);
    bool violatesIgnoreDupKeyIndex(const TableBinding& table, const std::string& message);
    void runDelete(const DeleteStatement& statement, Results& out);
    void runTruncate(const TruncateStatement& statement, Results& out);
    void runExec(const ExecStatement& statement, Results& out);
    void runProcedureCall(const ExecStatement& statement, Results& out);
    void runUserProcedure(const ObjectRef& procedure, const ExecStatement& statement, Results& out);

    // DDL (Ddl.cpp)
    void createDatabase(const CreateDatabaseStatement& statement, Results& out);
    void dropDatabase(const DropDatabaseStatement& statement, Results& out);
    void createTable(const CreateTableStatement& statement, Results& out);
    void createIndex(const CreateIndexStatement& statement, Results& out);
    void createTextObject(const CreateTextObjectStatement& statement, Results& out);
    void dropObjects(const DropStatement& statement, Results& out);
    void grantOrRevoke(const GrantStatement& statement, Results& out);
    // One sysprotects key: object (0 for statement permissions), grantee, action, grantor.
    struct ProtectionRow {
        int id;
        int uid;
        int action;
        int grantor;
    };
    int grantorFor(const ObjectRef& object, const GrantStatement& statement, int acting);
    int namedGrantor(const GrantStatement& statement, const ObjectRef* object);
    std::optional<std::pair<int, SqlValue>> directGrant(const ProtectionRow& row);
    // Replaces the row of (id, uid, action); a negative protect type only deletes it.
    void writeProtection(const ProtectionRow& row, int protectType, const SqlValue& columns);
    void grantAction(const ProtectionRow& row, const std::vector<int>* colids,
                     bool withGrantOption);
    void revokeAction(const ProtectionRow& row, const std::vector<int>* colids,
                      const std::vector<int>& allColids);
    int addIndex(const ObjectRef& table, const IndexSpec& wanted);
    void dropIndex(const ObjectRef& table, const IndexRef& index);
    // A function-based index key: its hidden materialized computed column, the computed
    // column object (type C) with the expression's text, and its sysconstraints row.
    // Returns the column's colid.
    int addFunctionKey(const TableBinding& table, const Expr& expression, const std::string& text,
                       const std::string& columnName);
    // A computed column's rows: syscolumns (status2 computed, materialized), the type C
    // object with the expression's text and its sysconstraints row. Returns the colid.
    int addComputedColumn(const TableBinding& table, const Expr& expression,
                          const std::string& text, const ComputedColumnDefinition& definition);
    void addComputedStorage(const ObjectRef& table, int colid);
    // Column definitions the server refuses (bit columns that allow NULL, IDENTITY of a
    // user type that allows NULL).
    void refuseColumnDefinition(const ColumnDef& column, const ColumnStorage& storage);
    void dropFunctionKeys(const ObjectRef& table, const IndexRef& index);
    void addFunctionKeys(const CreateIndexStatement& statement, const TableBinding& table,
                         IndexSpec& wanted);
    void createLogin(const CreateLoginStatement& statement, Results& out);
    void grantOrRevokeRole(const GrantRoleStatement& statement, Results& out);
    void principalStatement(const PrincipalStatement& statement, Results& out);
    void alterLogin(const PrincipalStatement& statement);
    // Devices and database space (ServerStatements.cpp).
    void alterDatabase(const AlterDatabaseStatement& statement, Results& out);
    void diskStatement(const DiskStatement& statement, Results& out);
    // Lays out the fragments a CREATE/ALTER DATABASE asks for and reports them.
    void allocateDatabaseSpace(const DatabaseSpaceStatement& statement, int dbid, bool creating,
                               StatementResult& result);
    // The last-chance threshold of a database whose log has a device of its own.
    void updateLastChanceThreshold(const std::string& database, int dbid);
    // Whether the session's login holds a server role (srid: 0 sa_role, 1 sso_role, ...).
    bool holdsRole(int srid) const;
    void rebuildIndexStorage(const ObjectRef& table);
    void storeText(int id, int number, const std::string& text);
    int addObjectRow(const std::string& name, int uid, const std::string& type, int sysstat,
                     int sysstat2, int deltrig = 0);
    void insertObjectRow(int id, const std::string& name, int uid, const std::string& type,
                         int sysstat, int sysstat2, int deltrig = 0);
    void addProcedureRow(int id, int number, bool declared);
    void setSysstat2(int objectId, int set, int clear = 0);
    int lockScheme(int tableId);  // the sysstat2 lock bits of a table
    void applyTableOptions(const ObjectRef& table, const StorageOptions& options,
                           StatementResult& result);
    int ownerUidFor(const ObjectName& name);
    int segmentNumber(const std::string& name);
    std::string objectText(int id);
    void dropObjectRows(const ObjectRef& object);
    void dropObjectsFound(const std::string& query, int id);
    void releaseTriggerActions(int tableId, const CreateTextObjectStatement& trigger);
    // The sysdepends rows of a new view, procedure or trigger (Dependencies.cpp).
    void recordDependencies(int id, int number, int ownerUid,
                            const CreateTextObjectStatement& statement, StatementResult& result);

    // Constraints and ALTER TABLE (Constraints.cpp)
    void alterTable(const AlterTableStatement& statement, Results& out);
    void addColumn(const ObjectRef& table, const ColumnDef& column, int tableSegment);
    void replaceDefault(const ObjectRef& table, const AlterTableAction& action);
    void addConstraint(const ObjectRef& table, const ConstraintDef& constraint, int tableSegment);
    void addKeyConstraint(const ObjectRef& table, const ConstraintDef& constraint,
                          int tableSegment);
    void addCheckConstraint(const ObjectRef& table, const ConstraintDef& constraint);
    void addForeignKey(const ObjectRef& table, const ConstraintDef& constraint);
    void markReferenced(const std::string& database, int tableId, int indid, bool referenced);
    int addDeclaredDefault(const ObjectRef& table, const std::string& column,
                           const std::string& text);
    std::string generatedName(const ObjectRef& table, const std::string& column, int id) const;
    void dropConstraint(const ObjectRef& table, const std::string& name);
    void dropConstraintObject(const ObjectRef& table, int constraintId);
    void dropTableConstraints(const ObjectRef& table);
    bool isDeclared(int objectId);
    // Enforcement around INSERT/UPDATE/DELETE: rows are checked after the change.
    bool hasRowConstraints(const TableBinding& table);
    void verifyRows(const TableBinding& table, const std::string& rowFilter);
    std::vector<std::string> rememberReferencedKeys(const TableBinding& table,
                                                    const std::string& condition,
                                                    TemporaryTables& temporaries);
    void verifyReferencedKeys(const TableBinding& table, const std::vector<std::string>& keys);

    // System procedures (SystemProcedures.cpp)
    static bool isSystemProcedure(const std::string& name);  // a lower-case sp_ name
    // A system procedure call's stay in the database its name is qualified with.
    class ProcedureDatabaseScope;
    bool runSystemProcedure(const std::string& name, const std::vector<SqlValue>& args,
                            StatementResult& result, Results& out);
    // Runs Transact-SQL written by the engine itself (system procedure bodies).
    void runInternal(const std::string& sql, Results& out);
    std::string sysTable(const std::string& table) const
    {
        return Catalog::systemTable(database_, table);
    }

    // Result helpers
    StatementResult& newResult(Results& out);
    void addMessage(StatementResult& result, int number, int severity, const std::string& text);
    Value toValue(const SqliteStatement& row, int column, const ColumnInfo& type) const;
    Value toValue(const SqlValue& value, const ColumnInfo& type) const;
    void addResultSet(StatementResult& result, const RenderedQuery& query);
    EngineError translateSqliteError(const SqliteError& error) const;
    void endConnectionIfAsked(const EngineError& error);

    EngineState& state_;
    std::string login_;
    int suid_;
    int spid_;
    std::string database_ = "master";
    int uid_ = 1;
    SessionOptions options_;
    std::vector<std::map<std::string, Variable>> frames_{1};
    const Params* params_ = nullptr;
    int lastRowCount_ = 0;
    int lastError_ = 0;
    bool useRefused_ = false;
    int nestLevel_ = 0;
    int currentLine_ = 1;
    std::string procName_;
    std::optional<int64_t> processKey_;  // the session's sysprocesses row, when listed
    int64_t identity_ = 0;
    std::vector<TriggerFrame> triggerFrames_;
    std::set<std::pair<int64_t, int>> defaultsReboundInBatch_;  // table id, colid
    int openSavepoints_ = 0;
    std::function<bool()> cancelled_;  // asks the connection whether the client cancelled
    std::chrono::steady_clock::time_point
        nextCancelCheck_;  // this session's statements under way in SQLite savepoints
    int snapshotCounter_ = 0;
    // Cursors by scope: the session's, then one per running procedure, trigger or
    // exec'd string; a scope's cursors are deallocated when it ends.
    std::vector<CursorScope> cursorScopes_{1};
    int sqlStatus_ = 0;  // of the last fetch: 0 row, 1 error, 2 no more rows
    // The session's own uid in the current database while setuser is in effect.
    std::optional<int> ownUid_;
    bool connectionEnded_ = false;  // syb_quit() was called in the batch under way
};

// One call of a system procedure: its arguments, where its results go, and the parts
// of the session a procedure works on. Procedures are plain functions over it, looked
// up by name (SystemProcedures.cpp).
class SystemProcedureCall {
public:
    SystemProcedureCall(SessionImpl& session, const std::string& name,
                        const std::vector<SqlValue>& args, StatementResult& status,
                        std::vector<StatementResult>& out)
        : name(name), args(args), status(status), out(out), session_(session)
    {
    }

    const std::string& name;
    const std::vector<SqlValue>& args;
    StatementResult& status;  // the procedure's own messages and return status
    std::vector<StatementResult>& out;

    // Argument text without trailing blanks; empty when NULL or not given.
    std::string arg(size_t index) const;
    // As arg(), but a missing argument is error 201.
    std::string requireArg(size_t index, const char* what) const;
    void info(const std::string& text);  // an informational message (severity 10)
    void runInternal(const std::string& sql) { session_.runInternal(sql, out); }

    SessionImpl& session() { return session_; }
    EngineState& state() { return session_.state_; }
    Catalog& catalog() { return session_.state_.catalog; }
    SqliteDatabase& db() { return session_.state_.db; }
    // The database the procedure runs in: the one its name is qualified with
    // (db1..sp_adduser), else the session's current one.
    const std::string& database() const { return session_.database_; }
    int uid() const { return session_.uid_; }
    int suid() const { return session_.suid_; }
    const std::string& login() const { return session_.login_; }
    bool holdsRole(int srid) const { return session_.holdsRole(srid); }
    std::string sysTable(const std::string& table) const { return session_.sysTable(table); }

private:
    SessionImpl& session_;
};

// Value helpers shared by the executor parts.
SqlValue sqlValueFromColumn(const SqliteStatement& row, int column);
std::string valueAsText(const SqlValue& value);

}  // namespace tdsim
