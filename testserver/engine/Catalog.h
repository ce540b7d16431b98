// The server's catalog: databases, their system tables and the objects they hold.
// All of it lives in one SQLite connection; this class knows the physical layout.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/Sqlite.h"
#include "engine/Types.h"

namespace tdsim {

// An object found in some database's sysobjects.
struct ObjectRef {
    std::string database;
    int id = 0;
    int uid = 0;
    std::string owner;
    std::string name;
    std::string type;  // trimmed: "U", "S", "V", "P", "TR", "R", "D"
    int sysstat2 = 0;
};

// syscolumns.status2 of a computed column: computed, materialized, and for the hidden
// column of a function-based index key also 0x200.
constexpr int kColumn2Computed = 0x10;
constexpr int kColumn2Materialized = 0x20;
constexpr int kColumn2FunctionKey = 0x200;

// One column of a table or view as the executor sees it.
struct StoredColumn {
    ColumnInfo info;
    int colid = 0;
    int typeCode = 0;
    std::string storageName;  // column name in the SQLite table
    bool identity = false;
    int cdefault = 0;
    // A computed column: the SQLite expression of its value over the table's storage
    // columns (empty for an ordinary column), and whether the server keeps the value.
    std::string computedSql;
    bool materialized = false;
    bool computed() const { return !computedSql.empty(); }
};

// One index as sysindexes records it, with its key columns.
struct IndexRef {
    std::string name;
    int indid = 0;
    int status = 0;
    int status2 = 0;
    std::vector<int> keyColids;
    std::vector<bool> descending;  // per key
};

// A column of a system table. A NOT NULL column that an insert leaves out takes
// `defaultValue` (an SQL expression) or, without one, 0, an empty string or the
// current time by its type, so that inserts name only the columns they set.
struct SystemColumn {
    const char* name;
    const char* type;  // declared type as DDL would write it
    bool nullable;
    const char* defaultValue = nullptr;
};

// The current datetime in the stored text form (1/300 s precision).
std::string currentDateTimeText();

// A database option that sp_dboption records: its name and its sysdatabases status bit
// (`column` is "status" or "status2").
struct DatabaseOption {
    const char* name;
    const char* column;
    int bit;
};
const std::vector<DatabaseOption>& databaseOptions();

class Catalog {
public:
    // `ncharSize`: the bytes stored per character of nchar and nvarchar.
    Catalog(SqliteDatabase& db, int ncharSize);

    int ncharSize() const { return ncharSize_; }

    // Creates master, model, tempdb, sybsystemdb and sybsystemprocs.
    void bootstrap();

    bool hasDatabase(const std::string& name);
    int databaseId(const std::string& name);  // 0 when missing
    std::string databaseName(int dbid);       // empty when missing
    void createDatabase(const std::string& name, int ownerSuid);
    void dropDatabase(const std::string& name);

    // Physical SQLite names.
    static std::string systemTable(const std::string& database, const std::string& table);
    static std::string objectTable(const std::string& database, int objectId);
    static std::string indexStorage(const std::string& database, int objectId, int indid);

    // User tables get their SQLite table (and indexes) on first use: creating tens of
    // thousands of SQLite tables up front would make loading a large catalog
    // quadratic, as every SQLite schema change scans the whole schema.
    bool hasStorage(const std::string& database, int objectId);
    void ensureStorage(const std::string& database, const ObjectRef& table);
    static std::string columnDeclaration(const StoredColumn& column, bool stored);

    // The SQL Anywhere persona: every database created from now on also holds that
    // product's catalog (SqlAnywhereCatalog.h), and unqualified names fall back to SYS.
    void enableSqlAnywhereCatalog() { sqlAnywhere_ = true; }
    bool sqlAnywhere() const { return sqlAnywhere_; }

    // Object resolution: an empty owner means the given user's object, then dbo's (and
    // on SQL Anywhere then SYS's, as every user belongs to the SYS group there).
    std::optional<ObjectRef> findObject(const std::string& database, const std::string& owner,
                                        const std::string& name, int uid);
    std::optional<ObjectRef> findObjectById(const std::string& database, int id);
    std::vector<StoredColumn> columns(const std::string& database, const ObjectRef& object);
    std::vector<IndexRef> indexes(const std::string& database, int tableId);
    // A column's name by colid, hidden columns included; empty when there is none.
    std::string columnName(const std::string& database, int objectId, int colid);

    // Object and partition ids come from one sequence, so that a partition id never
    // equals the id of another object. The first id of a new database is kFirstObjectId;
    // each next one is kObjectIdStep further on, wrapping below INT_MAX.
    static constexpr int64_t kFirstObjectId = 16003088;
    static constexpr int64_t kObjectIdStep = 16000057;
    int newObjectId(const std::string& database);

    // syspartitions: a table's data partitions are written when it is created (the
    // first has the table's id); syncPartitions then keeps one row per index (global,
    // data_partitionid 0) and moves the data rows between indid 0 and 1 as an allpages
    // clustered index comes and goes. Names are <table or index>_<partitionid>.
    struct DataPartition {
        std::string name;  // empty: generated
        int segment = 1;
    };
    void addDataPartitions(const std::string& database, int tableId, const std::string& table,
                           const std::vector<DataPartition>& partitions);
    void syncPartitions(const std::string& database, int tableId);

    // The SQLite text of an index key: the storage column, or for the hidden column of a
    // function-based key, its expression.
    std::string indexKeySql(const std::string& database, int tableId, int colid);
    // Inserts one row given as column/value pairs.
    void insertRow(const std::string& table,
                   const std::vector<std::pair<std::string, SqlValue>>& values);

    // Users.
    std::optional<int> userUid(const std::string& database, const std::string& name);
    std::string userName(const std::string& database, int uid);
    int uidForSuid(const std::string& database, int suid);  // -1 when no user row
    int loginSuid(const std::string& login);                // 0 when missing
    // The srid of a server role (sa_role 0, sso_role 1, ...); -1 for other names.
    static int serverRoleId(const std::string& role);
    // master, model, tempdb, sybsystemdb and sybsystemprocs: the databases of the server.
    static bool isSystemDatabase(const std::string& name);
    // Makes a system role known to a database that lacks it (a sysusers role row and its
    // sysroles mapping); returns its uid, or nothing when the name is not a system role.
    std::optional<int> addRoleToDatabase(const std::string& database, const std::string& name);
    std::string loginName(int suid);

    // Adds the sysobjects/syscolumns/sysindexes rows of a system table (type S).
    void describeSystemTable(const std::string& database, const std::string& table);
    // A read-only system table that is an SQLite view (`selectSql`, over the physical
    // tables) described as a type S object of `ownerUid`.
    void addSystemView(const std::string& database, const std::string& name, int id, int ownerUid,
                       const std::vector<SystemColumn>& columns, const std::string& selectSql);

    // Whether columns and types declared without NULL or NOT NULL allow nulls in a
    // database (sp_dboption "allow nulls by default").
    bool nullsByDefault(const std::string& database);

    // The syscolumns row values for a column of a declared type in a database: built-in
    // or user types. Returns false with an error text for an unknown type.
    bool storageFor(const std::string& database, const TypeSpec& typeSpec,
                    std::optional<bool> nullable, ColumnStorage& out, bool& identity,
                    int& typeDefault, int& typeRule, std::string& error);

    SqliteDatabase& db() { return db_; }

private:
    void createSystemTables(const std::string& database, bool master);
    void insertBuiltinRows(const std::string& database, int dbid);
    // public's SELECT on the system tables, as a new database carries it.
    void grantDefaultPermissions(const std::string& database);
    // A new database's privileges on its system tables: model's, where model's grantee and
    // grantor are users every new database has.
    void copySystemTablePermissionsOfModel(const std::string& database);
    void describeColumns(const std::string& database, int objectId,
                         const std::vector<SystemColumn>& columns);

    // Whether an object or a partition holds the id.
    bool objectIdInUse(const std::string& database, int id);

    SqliteDatabase& db_;
    const int ncharSize_;
    // Where each database's walk over object ids stands (an offset from kFirstObjectId).
    std::map<std::string, int64_t> nextObjectIdOffset_;
    bool sqlAnywhere_ = false;
};

}  // namespace tdsim
