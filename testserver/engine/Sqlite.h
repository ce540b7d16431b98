// RAII owners for SQLite handles.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace tdsim {

// A SQLite failure; `text` is SQLite's message (or ours, from a registered function).
struct SqliteError : std::runtime_error {
    explicit SqliteError(const std::string& text) : std::runtime_error(text) {}
};

// One value bound to a statement parameter.
struct SqlValue {
    enum class Kind { Null, Int, Real, Text, Blob } kind = Kind::Null;
    int64_t intValue = 0;
    double realValue = 0;
    std::string text;  // Text and Blob

    static SqlValue null() { return {}; }
    static SqlValue ofInt(int64_t v)
    {
        SqlValue r;
        r.kind = Kind::Int;
        r.intValue = v;
        return r;
    }
    static SqlValue ofReal(double v)
    {
        SqlValue r;
        r.kind = Kind::Real;
        r.realValue = v;
        return r;
    }
    static SqlValue ofText(std::string v)
    {
        SqlValue r;
        r.kind = Kind::Text;
        r.text = std::move(v);
        return r;
    }
    static SqlValue ofBlob(std::string v)
    {
        SqlValue r;
        r.kind = Kind::Blob;
        r.text = std::move(v);
        return r;
    }
};

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const std::string& sql);
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void bind(int index, const SqlValue& value);  // 1-based
    void bindAll(const std::vector<SqlValue>& values);
    bool step();  // true while a row is available
    void reset()
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    int columnCount() const { return sqlite3_column_count(stmt_); }
    bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    int columnType(int column) const { return sqlite3_column_type(stmt_, column); }
    int64_t intAt(int column) const { return sqlite3_column_int64(stmt_, column); }
    double realAt(int column) const { return sqlite3_column_double(stmt_, column); }
    std::string textAt(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// A cached statement on loan: reset (and its bindings cleared) when the loan ends,
// so that no finished lookup keeps a read cursor open.
class StatementLease {
public:
    explicit StatementLease(SqliteStatement& statement) : statement_(statement) {}
    ~StatementLease() { statement_.reset(); }
    StatementLease(const StatementLease&) = delete;
    StatementLease& operator=(const StatementLease&) = delete;
    SqliteStatement* operator->() const { return &statement_; }

private:
    SqliteStatement& statement_;
};

class SqliteDatabase {
public:
    SqliteDatabase();
    ~SqliteDatabase() { sqlite3_close(db_); }
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return db_; }
    void exec(const std::string& sql);
    // A prepared statement kept for reuse, keyed by its text. Only for texts from a
    // bounded set (values go in as bound parameters), as entries are never evicted.
    StatementLease cached(const std::string& sql);
    void clearCache() { cache_.clear(); }
    // Runs a query expected to give one integer (or nothing: fallback).
    int64_t queryInt(const std::string& sql, const std::vector<SqlValue>& params = {},
                     int64_t fallback = 0);
    int64_t changes() const { return sqlite3_changes64(db_); }

private:
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<SqliteStatement>> cache_;
};

}  // namespace tdsim
