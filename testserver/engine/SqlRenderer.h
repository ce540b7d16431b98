// Turns a parsed SELECT (and the expressions of other statements) into SQLite SQL
// with the server's semantics, and works out the result column types.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/Ast.h"
#include "engine/Catalog.h"
#include "engine/Sqlite.h"

namespace tdsim {

struct Variable {
    ColumnInfo type;
    SqlValue value;
};

// A table or view resolved for use in a query.
struct TableBinding {
    ObjectRef object;
    std::string physical;  // SQLite table or view name, quoted
    std::vector<StoredColumn> columns;
};

// What the renderer needs from the session executing the statement.
class RenderEnvironment {
public:
    virtual ~RenderEnvironment() = default;
    virtual Catalog& catalog() = 0;
    virtual const std::string& database() const = 0;
    virtual int uid() const = 0;
    virtual Variable* variable(const std::string& name) = 0;
    virtual std::optional<Variable> globalVariable(const std::string& name) = 0;
    virtual const Params& params() const = 0;
    // Whether "= NULL" follows the SQL standard (set ansinull on): never true.
    virtual bool ansiNull() const = 0;
    // Inside a trigger: "inserted" or "deleted" (null for any other name).
    virtual const TableBinding* pseudoTable(const std::string& name) const = 0;
};

struct RenderedQuery {
    std::string sql;
    std::vector<SqlValue> params;
    std::vector<ColumnInfo> columns;
    std::vector<std::string> assignVariables;  // select @a = ..., one per column
};

struct TypedSql {
    std::string sql;
    ColumnInfo type;
    bool isString = false;
};

class SqlRenderer {
public:
    explicit SqlRenderer(RenderEnvironment& env) : env_(env) {}

    RenderedQuery renderSelect(const SelectStmt& select);
    // A standalone expression (IF conditions, PRINT, SET values, procedure arguments).
    TypedSql renderExpression(const Expr& expr);
    std::vector<SqlValue> takeParams() { return std::move(params_); }

    // Resolves a table reference or throws error 208. `withStorage` makes sure the
    // SQLite table exists (for statements that read or write rows).
    TableBinding bindTable(const ObjectName& name, bool withStorage = true);

    // UPDATE/DELETE with a FROM list: the target table is referred to by its SQLite
    // name; `from` renders the other tables, `expressions` and `where` see them all.
    struct DmlParts {
        std::string from;
        std::vector<TypedSql> expressions;
        std::string where;
    };
    DmlParts renderDml(const TableBinding& target, const std::string& targetName,
                       const std::vector<TableRef>& from,
                       const std::vector<const Expr*>& expressions, const Expr* where);

    // A column name no statement can spell: "<table>.<kRowidColumn>" renders the
    // SQLite rowid of that table's row (cursors use it for WHERE CURRENT OF).
    static constexpr const char* kRowidColumn = "\x01rowid";

    // Converts a value of one type to the storage form of a column.
    static std::string coerceTo(const TypedSql& value, const ColumnInfo& target);

private:
    struct Source {
        std::string alias;     // name used to qualify columns
        std::string sqlAlias;  // alias in the SQLite text
        TableBinding table;
        bool innerOfOuterJoin = false;
        std::vector<ExprPtr> joinConditions;  // outer-join conditions (ON)
        TableRef::Join join = TableRef::Join::Comma;
        ExprPtr on;
        std::vector<ColumnInfo> derivedColumns;  // for (select ...) sources
    };
    struct Scope {
        std::vector<Source> sources;
        Scope* parent = nullptr;
        const std::vector<SelectItem>* items = nullptr;
    };

    RenderedQuery renderSingleSelect(const SelectStmt& select, Scope* parent);
    // A select with the selects UNIONed to it, without ORDER BY.
    RenderedQuery renderUnion(const SelectStmt& select);
    std::string renderFrom(Scope& scope, const SelectStmt& select,
                           std::vector<ExprPtr>& whereConjuncts);
    void addSource(Scope& scope, const TableRef& ref);
    TypedSql render(const Expr& expr, Scope* scope);
    TypedSql renderColumn(const Expr& expr, Scope* scope);
    TypedSql renderBinary(const Expr& expr, Scope* scope);
    // Whether a comparison follows the Sybase NULL mode of "=" and "!=" (see README).
    bool sybaseNullComparison(const Expr& left, const Expr& right, const std::string& op) const;
    TypedSql renderFunction(const Expr& expr, Scope* scope);
    // Built-in functions by name: each renders one call (see SqlRenderer.cpp).
    struct FunctionCall;
    using FunctionRenderer = void (*)(FunctionCall&);
    static const std::map<std::string, FunctionRenderer>& functions();
    TypedSql renderConvert(const Expr& expr, Scope* scope);
    TypedSql renderVariable(const Expr& expr);
    TypedSql renderGlobal(const Expr& expr);
    TypedSql renderParam(const ParamValue& param);
    TypedSql renderLiteral(const Expr& expr);
    TypedSql renderSubquery(const SelectStmt& select, Scope* scope, std::string& sql);
    std::string bindParam(const SqlValue& value);
    // The session's spid as SQL, for functions whose state belongs to the session.
    std::string sessionSpid();
    // Which sources of `scope` an expression refers to (for the outer-join rewrite).
    void collectSources(const Expr& expr, Scope& scope, std::vector<int>& found);
    std::optional<std::pair<int, int>> findColumn(Scope& scope,
                                                  const std::vector<std::string>& names);

    RenderEnvironment& env_;
    std::vector<SqlValue> params_;
    int aliasCounter_ = 0;
};

ColumnInfo makeColumnInfo(ColumnType type, int length = 0, bool nullable = true);
ColumnInfo typeFromSpec(Catalog& catalog, const std::string& database, const TypeSpec& typeSpec);

}  // namespace tdsim
