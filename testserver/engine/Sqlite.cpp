#include "engine/Sqlite.h"

namespace tdsim {

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) : db_(db)
{
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw SqliteError(message);
    }
}

void SqliteStatement::bind(int index, const SqlValue& value)
{
    switch (value.kind) {
        case SqlValue::Kind::Null:
            sqlite3_bind_null(stmt_, index);
            break;
        case SqlValue::Kind::Int:
            sqlite3_bind_int64(stmt_, index, value.intValue);
            break;
        case SqlValue::Kind::Real:
            sqlite3_bind_double(stmt_, index, value.realValue);
            break;
        case SqlValue::Kind::Text:
            sqlite3_bind_text(stmt_, index, value.text.data(), static_cast<int>(value.text.size()),
                              SQLITE_TRANSIENT);
            break;
        case SqlValue::Kind::Blob:
            sqlite3_bind_blob(stmt_, index, value.text.data(), static_cast<int>(value.text.size()),
                              SQLITE_TRANSIENT);
            break;
    }
}

void SqliteStatement::bindAll(const std::vector<SqlValue>& values)
{
    for (size_t i = 0; i < values.size(); ++i) {
        bind(static_cast<int>(i + 1), values[i]);
    }
}

bool SqliteStatement::step()
{
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    throw SqliteError(message);
}

std::string SqliteStatement::textAt(int column) const
{
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                : std::string();
}

SqliteDatabase::SqliteDatabase()
{
    if (sqlite3_open(":memory:", &db_) != SQLITE_OK) {
        throw SqliteError("cannot open the in-memory database");
    }
    exec("PRAGMA case_sensitive_like = ON");
}

void SqliteDatabase::exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown SQLite error";
        sqlite3_free(error);
        throw SqliteError(message);
    }
}

StatementLease SqliteDatabase::cached(const std::string& sql)
{
    auto found = cache_.find(sql);
    if (found == cache_.end()) {
        found = cache_.emplace(sql, std::make_unique<SqliteStatement>(db_, sql)).first;
    }
    found->second->reset();
    return StatementLease(*found->second);
}

int64_t SqliteDatabase::queryInt(const std::string& sql, const std::vector<SqlValue>& params,
                                 int64_t fallback)
{
    SqliteStatement statement(db_, sql);
    statement.bindAll(params);
    if (statement.step() && !statement.isNull(0)) {
        return statement.intAt(0);
    }
    return fallback;
}

}  // namespace tdsim
