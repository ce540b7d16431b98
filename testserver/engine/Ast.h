// The syntax tree the parser builds and the executor walks.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tdsim {

struct SelectStmt;

// A datatype as written in DDL or CONVERT: a built-in or user type name with the
// optional length or precision/scale in parentheses.
struct TypeSpec {
    std::string name;
    int length = -1;     // (n); -1 when not given
    int precision = -1;  // (p[,s])
    int scale = -1;
};

struct Expr;
using ExprPtr = std::shared_ptr<Expr>;

struct Expr {
    enum class Kind {
        Null,
        Integer,
        Decimal,  // exact numeric literal
        Float,    // approximate literal
        String,
        Hex,
        Money,     // $ literal
        Column,    // names = [qualifiers..., column]
        Variable,  // text = "@x"
        Global,    // text = "@@x"
        Param,     // text = index of the ? marker
        Unary,     // op, args[0]
        Binary,    // op, args[0], args[1]
        Function,  // text = function name (lower case), args; star for count(*)
        Convert,   // type, args[0] (and args[1] style)
        Like,      // args: value, pattern; negated
        Between,   // args: value, low, high; negated
        InList,    // args: value, items...; negated
        InSelect,  // args[0] value, select; negated
        IsNull,    // args[0]; negated
        Exists,    // select
        Subquery,  // select (scalar)
        Case,      // args: [operand or null], when, then, ..., [else]
    };
    Kind kind = Kind::Null;
    std::string text;
    std::vector<std::string> names;
    std::string op;
    std::vector<ExprPtr> args;
    std::shared_ptr<SelectStmt> select;
    TypeSpec type;
    bool negated = false;
    bool star = false;        // count(*)
    bool hasElse = false;     // CASE with ELSE
    bool hasOperand = false;  // CASE x WHEN ...
    size_t pos = 0;           // offset in the batch, for messages
};

struct ObjectName {
    std::string database;  // empty when not given
    std::string owner;     // empty when not given
    std::string name;
    bool empty() const { return name.empty(); }
    std::string text() const;  // as written, for messages
};

struct SelectItem {
    ExprPtr expr;       // null for * items
    std::string alias;  // name = expr or expr [as] name
    bool star = false;  // * or qualifier.*
    std::string starQualifier;
    std::string assignVariable;  // select @v = expr
};

struct TableRef {
    ObjectName name;
    std::string alias;
    std::shared_ptr<SelectStmt> derived;  // (select ...) alias
    enum class Join { Comma, Inner, Left, Right, Cross } join = Join::Comma;
    ExprPtr on;
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

// COMPUTE f(column) [, ...] [BY column [, ...]]
struct ComputeClause {
    struct Aggregate {
        std::string function;  // sum, avg, count, min, max
        ExprPtr argument;
    };
    std::vector<Aggregate> aggregates;
    std::vector<ExprPtr> by;
};

struct SelectStmt {
    bool distinct = false;
    int top = -1;
    std::vector<SelectItem> items;
    std::vector<TableRef> from;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<OrderItem> orderBy;
    struct Union {
        bool all = false;
        std::shared_ptr<SelectStmt> select;
    };
    std::vector<Union> unions;
    ObjectName into;  // select ... into table
    std::vector<ComputeClause> computes;
};

struct Statement {
    enum class Kind {
        Select,
        Insert,
        Update,
        Delete,
        Truncate,
        Use,
        Set,
        Print,
        Declare,
        If,
        While,
        Block,
        Return,
        Exec,
        CreateDatabase,
        CreateTable,
        AlterTable,
        CreateIndex,
        CreateTextObject,
        Drop,
        DropDatabase,
        Grant,
        GrantRole,
        CreateLogin,
        AlterDatabase,
        Disk,
        Principal,
        Transaction,
        Raiserror,
        DeclareCursor,
        CursorCommand,
        Fetch,
        Label,
        Goto,
        Break,
        Continue,
        Setuser,
        DumpTransaction,
        Empty
    };
    explicit Statement(Kind k) : kind(k) {}
    virtual ~Statement() = default;
    Kind kind;
    size_t begin = 0;  // source range in the batch
    size_t end = 0;
    int line = 1;
};
using StatementPtr = std::shared_ptr<Statement>;

struct SelectStatement : Statement {
    SelectStatement() : Statement(Kind::Select) {}
    std::shared_ptr<SelectStmt> select;
};

struct InsertStatement : Statement {
    InsertStatement() : Statement(Kind::Insert) {}
    ObjectName table;
    std::vector<std::string> columns;
    std::vector<std::vector<ExprPtr>> rows;  // VALUES
    std::shared_ptr<SelectStmt> select;      // INSERT ... SELECT
};

struct UpdateStatement : Statement {
    UpdateStatement() : Statement(Kind::Update) {}
    ObjectName table;
    std::vector<std::pair<std::string, ExprPtr>> assignments;
    std::vector<TableRef> from;
    ExprPtr where;
    std::string currentOf;  // where current of <cursor>
};

struct DeleteStatement : Statement {
    DeleteStatement() : Statement(Kind::Delete) {}
    ObjectName table;
    std::vector<TableRef> from;  // delete t from t, u where ...
    ExprPtr where;
    std::string currentOf;  // where current of <cursor>
};

struct TruncateStatement : Statement {
    TruncateStatement() : Statement(Kind::Truncate) {}
    ObjectName table;
};

struct UseStatement : Statement {
    UseStatement() : Statement(Kind::Use) {}
    std::string database;
};

struct SetStatement : Statement {
    SetStatement() : Statement(Kind::Set) {}
    std::vector<std::string> options;  // lower case; several may share one value
    std::string value;                 // lower case word or number text
    ExprPtr expr;  // set @v = expr (old style) is not used; kept for rowcount @v
};

struct PrintStatement : Statement {
    PrintStatement() : Statement(Kind::Print) {}
    ExprPtr message;
    std::vector<ExprPtr> args;
};

struct RaiserrorStatement : Statement {
    RaiserrorStatement() : Statement(Kind::Raiserror) {}
    ExprPtr number;
    ExprPtr message;
    std::vector<ExprPtr> args;
};

struct DeclareStatement : Statement {
    DeclareStatement() : Statement(Kind::Declare) {}
    std::vector<std::pair<std::string, TypeSpec>> variables;
};

struct IfStatement : Statement {
    IfStatement() : Statement(Kind::If) {}
    ExprPtr condition;
    StatementPtr then;
    StatementPtr otherwise;
};

struct WhileStatement : Statement {
    WhileStatement() : Statement(Kind::While) {}
    ExprPtr condition;
    StatementPtr body;
};

struct BlockStatement : Statement {
    BlockStatement() : Statement(Kind::Block) {}
    std::vector<StatementPtr> statements;
};

struct ReturnStatement : Statement {
    ReturnStatement() : Statement(Kind::Return) {}
    ExprPtr value;
};

struct ExecArgument {
    std::string parameter;  // @name = value form
    ExprPtr value;
    bool output = false;
};

struct ExecStatement : Statement {
    ExecStatement() : Statement(Kind::Exec) {}
    ObjectName procedure;
    int groupNumber = 0;
    std::string statusVariable;     // exec @rc = proc
    std::string procedureVariable;  // exec @procname: the name is the variable's value
    ExprPtr sqlText;                // exec ('...'): a batch built at run time
    std::vector<ExecArgument> arguments;
};

// One device clause of CREATE/ALTER DATABASE: `dev [= size]`, `default [= size]`.
struct DatabaseDeviceClause {
    std::string device;  // empty: a default device
    std::string size;    // as written (a number of megabytes or '10M'); empty: the default
};

// The space clauses CREATE DATABASE and ALTER DATABASE share.
struct DatabaseSpaceStatement : Statement {
    using Statement::Statement;
    std::string name;
    std::vector<DatabaseDeviceClause> data;
    std::vector<DatabaseDeviceClause> log;  // log on ...
    bool forLoad = false;
};

struct CreateDatabaseStatement : DatabaseSpaceStatement {
    CreateDatabaseStatement() : DatabaseSpaceStatement(Kind::CreateDatabase) {}
};

struct AlterDatabaseStatement : DatabaseSpaceStatement {
    AlterDatabaseStatement() : DatabaseSpaceStatement(Kind::AlterDatabase) {}
};

// disk init / disk resize: `option = value, ...` (names in lower case, values as written;
// a bare word such as `contiguous` has an empty value).
struct DiskStatement : Statement {
    DiskStatement() : Statement(Kind::Disk) {}
    std::string verb;  // init, resize
    std::map<std::string, std::string> options;
};

struct DropDatabaseStatement : Statement {
    DropDatabaseStatement() : Statement(Kind::DropDatabase) {}
    std::vector<std::string> names;
};

// Space-management options of a table or index (`with name = value, ...`); 0 = not given.
struct StorageOptions {
    int fillFactor = 0;
    int maxRowsPerPage = 0;
    int reservePageGap = 0;
    std::optional<int> expRowSize;  // 0 is a value of its own: back to the server default
    int identityGap = 0;
};

// dml_logging of a table: not given (the database's setting), full or minimal; alter
// table ... set dml_logging = default returns a table to Default.
enum class DmlLogging { Default, Full, Minimal };

// An index key as declared: column and sort order.
struct IndexKey {
    std::string column;
    bool descending = false;
    int colid = 0;  // set for the hidden column of a function-based key
};

// A PRIMARY KEY, UNIQUE, FOREIGN KEY or CHECK constraint, declared with a column or as a
// table element (CREATE TABLE or ALTER TABLE ADD).
struct ConstraintDef {
    enum class Kind { PrimaryKey, Unique, ForeignKey, Check } kind = Kind::Unique;
    std::string name;    // empty: the server generates one
    std::string column;  // set when declared with a column
    // PRIMARY KEY / UNIQUE
    bool clustered = false;
    bool nonclustered = false;
    StorageOptions options;
    std::string segment;
    // PRIMARY KEY / UNIQUE / FOREIGN KEY: the constrained columns
    std::vector<IndexKey> keys;
    // FOREIGN KEY
    ObjectName referencedTable;
    std::vector<std::string> referencedColumns;  // empty: the referenced primary key
    bool matchFull = false;
    // CHECK
    ExprPtr condition;
    std::string text;  // "check (...)" as written
};

struct ColumnDef {
    std::string name;
    TypeSpec type;
    enum class Nullability { Default, Null, NotNull } nullability = Nullability::Default;
    bool identity = false;
    ExprPtr defaultValue;
    std::string defaultText;  // "DEFAULT ..." as written
    std::vector<ConstraintDef> constraints;
    // A computed column: `name AS expression [materialized | not materialized]`.
    ExprPtr computed;
    std::string computedText;  // the expression as written
    bool materialized = false;
};

// partition by roundrobin N [on (seg, ...)] | (name [on seg], ...): the data partitions
// CREATE TABLE asks for; a table without the clause has one.
struct TablePartitions {
    std::string strategy = "roundrobin";  // hash, range and list are refused
    int count = 1;
    std::vector<std::string> names;     // empty: generated names
    std::vector<std::string> segments;  // per partition; empty: the table's segment
};

struct CreateTableStatement : Statement {
    CreateTableStatement() : Statement(Kind::CreateTable) {}
    ObjectName table;
    std::vector<ColumnDef> columns;
    std::vector<ConstraintDef> constraints;  // table elements
    std::string lockScheme;                  // allpages, datapages, datarows; empty: default
    StorageOptions options;
    std::optional<DmlLogging> dmlLogging;  // with dml_logging = ...
    std::string segment;
    TablePartitions partitions;
};

// One clause of ALTER TABLE.
struct AlterTableAction {
    enum class Kind {
        AddColumn,
        AddConstraint,
        DropConstraint,
        ReplaceDefault,
        Lock,
        SetOptions,
        SetDmlLogging,
        EnableTrigger,  // enable | disable trigger [name]; name empty: every trigger
    } kind = Kind::AddColumn;
    ColumnDef column;          // AddColumn
    ConstraintDef constraint;  // AddConstraint
    std::string name;          // DropConstraint: constraint; ReplaceDefault: column
    ExprPtr defaultValue;      // ReplaceDefault; null for "default null"
    std::string defaultText;
    std::string lockScheme;                       // Lock
    StorageOptions options;                       // SetOptions
    DmlLogging dmlLogging = DmlLogging::Default;  // SetDmlLogging
    bool enable = true;                           // EnableTrigger: enable, or disable
};

struct AlterTableStatement : Statement {
    AlterTableStatement() : Statement(Kind::AlterTable) {}
    ObjectName table;
    std::vector<AlterTableAction> actions;
};

struct CreateIndexStatement : Statement {
    CreateIndexStatement() : Statement(Kind::CreateIndex) {}
    bool unique = false;
    bool clustered = false;
    std::string name;
    ObjectName table;
    std::vector<std::pair<std::string, bool>> keys;  // column (or expression text), descending
    std::vector<ExprPtr> keyExpressions;  // per key: the expression of a function-based key
    bool ignoreDupKey = false;
    bool ignoreDupRow = false;
    bool allowDupRow = false;
    bool sortedData = false;
    StorageOptions options;
    std::string segment;
};

struct ProcedureParameter {
    std::string name;
    TypeSpec type;
    ExprPtr defaultValue;
    bool output = false;
};

// CREATE VIEW / PROCEDURE / TRIGGER / RULE / DEFAULT: objects that keep their text.
struct CreateTextObjectStatement : Statement {
    CreateTextObjectStatement() : Statement(Kind::CreateTextObject) {}
    std::string objectType;  // "V", "P", "SF" (function), "TR", "R", "D"
    ObjectName name;
    int groupNumber = 1;  // procedures: name;n
    std::string text;     // the statement as sent
    std::shared_ptr<SelectStmt> view;
    std::vector<std::string> viewColumns;
    std::vector<ProcedureParameter> parameters;
    TypeSpec returnType;  // functions
    enum class ExecuteAs { Unspecified, Owner, Caller } executeAs = ExecuteAs::Unspecified;
    std::vector<StatementPtr> body;
    ObjectName triggerTable;
    bool forInsert = false, forUpdate = false, forDelete = false;
    bool insteadOf = false;  // create trigger ... instead of (on a view)
    ExprPtr expression;      // rule condition / default value
};

struct DropStatement : Statement {
    DropStatement() : Statement(Kind::Drop) {}
    std::string objectType;         // "U", "V", "P", "TR", "R", "D", "INDEX"
    std::vector<ObjectName> names;  // for INDEX: owner=table (db.table.index as written)
};

// sysprotects.action of the create function statement permission. The server's tables
// reference lists no code for it; this one is chosen (see the README).
constexpr int kCreateFunctionAction = 292;

struct GrantStatement : Statement {
    GrantStatement() : Statement(Kind::Grant) {}
    bool grant = true;
    std::vector<int> actions;  // action codes
    bool all = false;          // grant all: the actions depend on the object (or the database)
    std::vector<std::string> columns;  // column list (on t (c1, c2) or select (c1))
    ObjectName object;                 // empty for statement permissions
    std::vector<std::string> grantees;
    bool withGrantOption = false;
    bool grantOptionFor = false;
    bool cascade = false;
    std::string grantedBy;  // granted by <user>: the grantor recorded instead of the session's
};

// grant role r [, r ...] to grantee [, grantee ...] / revoke role ... from ...
struct GrantRoleStatement : Statement {
    GrantRoleStatement() : Statement(Kind::GrantRole) {}
    bool grant = true;
    std::vector<std::string> roles;
    std::vector<std::string> grantees;
};

// A login attribute of CREATE/ALTER LOGIN as written: `default database`, `fullname`,
// `login script`, `password expiration`, ... (lower case, single blanks) and its value
// (empty for NULL).
struct LoginAttribute {
    std::string name;
    std::string value;
};

// create login name with [encrypted] password pw [attribute value ...]
struct CreateLoginStatement : Statement {
    CreateLoginStatement() : Statement(Kind::CreateLogin) {}
    std::string name;
    std::string password;
    bool encrypted = false;  // the password is the stored hash ('0x...' or a 0x literal)
    std::string defaultDatabase;
    std::string defaultLanguage;
    std::string fullName;
    std::vector<LoginAttribute> attributes;  // all of them, the three above included
};

// alter login name {lock | unlock | modify attribute value ... | with password ...},
// drop login name [, name ...], create role r [with passwd p [, attribute value ...]],
// drop role r [with override].
struct PrincipalStatement : Statement {
    PrincipalStatement() : Statement(Kind::Principal) {}
    std::string verb;  // alter login, drop login, create role, drop role, alter role
    std::vector<std::string> names;
    std::string action;  // alter login: lock, unlock, modify; alter role: add passwd, drop passwd
    std::string password;
    std::vector<LoginAttribute> attributes;
    bool withOverride = false;
};

struct TransactionStatement : Statement {
    TransactionStatement() : Statement(Kind::Transaction) {}
    std::string verb;  // begin, commit, rollback, save
};

// declare name cursor for select ... [for read only | for update [of columns]]
struct DeclareCursorStatement : Statement {
    DeclareCursorStatement() : Statement(Kind::DeclareCursor) {}
    std::string name;
    std::shared_ptr<SelectStmt> select;  // shared: a session cursor outlives its batch
    bool forUpdate = false;
    std::vector<std::string> updateColumns;
};

// open / close / deallocate [cursor] name
struct CursorCommandStatement : Statement {
    enum class Verb { Open, Close, Deallocate };
    explicit CursorCommandStatement(Verb v) : Statement(Kind::CursorCommand), verb(v) {}
    Verb verb;
    std::string name;
};

// fetch [next] [from] name [into @a, @b ...]
struct FetchStatement : Statement {
    FetchStatement() : Statement(Kind::Fetch) {}
    std::string cursor;
    std::vector<std::string> into;
};

// label: (a jump target) and goto label
struct LabelStatement : Statement {
    LabelStatement() : Statement(Kind::Label) {}
    std::string name;
};

struct GotoStatement : Statement {
    GotoStatement() : Statement(Kind::Goto) {}
    std::string label;
};

struct LoopControlStatement : Statement {
    explicit LoopControlStatement(Kind k) : Statement(k) {}  // Break or Continue
};

// setuser ['name']: an empty user returns to the session's own identity.
struct SetuserStatement : Statement {
    SetuserStatement() : Statement(Kind::Setuser) {}
    std::string user;
};

// dump tran[saction] db [with truncate_only | no_log | ...]: the log is not kept, so only
// the database is checked.
struct DumpTransactionStatement : Statement {
    DumpTransactionStatement() : Statement(Kind::DumpTransaction) {}
    std::string database;
};

struct EmptyStatement : Statement {
    EmptyStatement() : Statement(Kind::Empty) {}
};

}  // namespace tdsim
