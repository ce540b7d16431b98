// PRIMARY KEY, UNIQUE, CHECK and FOREIGN KEY constraints, declared defaults, ALTER TABLE,
// and the checks that INSERT, UPDATE and DELETE make against constraints.
//
// How the catalog records them: a primary key or unique constraint is only an index
// (status2 0x2); a check constraint is a type R object with a sysconstraints row (0x80),
// its text and a sysprocedures row marked declared (0x1000); a foreign key is a type RI
// object with a sysconstraints row (0x40) and a sysreferences row; a declared default is
// a type D object marked declared in sysprocedures.
#include <algorithm>

#include "engine/Parser.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

constexpr int kMaxReferenceKeys = 16;
// The sysreferences rows of references within one database; references across databases
// are recorded but not enforced.
const std::string kSameDatabase = " AND pmrydbname IS NULL AND frgndbname IS NULL";
constexpr int kReferenceMatchFull = 0x2;   // sysreferences.status
constexpr int kNoVariableColumns = 0x200;  // sysstat2: every column fixed-length
// exp_row_size 1 asks for fully packed rows; 0 (the server default) and 1 apply to every
// table, larger values only to tables with variable-length columns.
constexpr int kFullyPacked = 1;

// One sysreferences row: which columns of which table point at which of another.
struct Reference {
    int constraintId = 0;
    int tableId = 0;
    int referencedTableId = 0;
    int indexId = 0;
    bool matchFull = false;
    std::vector<int> foreignKeys;
    std::vector<int> referencedKeys;
    std::string referencedDatabase;  // pmrydbname: set when it is another database
};

std::string referenceColumns()
{
    std::string columns = "constrid, tableid, reftabid, indexid, status, keycnt";
    for (int i = 1; i <= kMaxReferenceKeys; ++i)
        columns += ", fokey" + std::to_string(i) + ", refkey" + std::to_string(i);
    return columns + ", pmrydbname";
}

std::vector<Reference> readReferences(SqliteDatabase& db, const std::string& sysreferences,
                                      const std::string& where, int id)
{
    SqliteStatement rows(db.handle(), "SELECT " + referenceColumns() + " FROM " + sysreferences +
                                          " WHERE " + where + " ORDER BY constrid");
    rows.bind(1, SqlValue::ofInt(id));
    std::vector<Reference> references;
    while (rows.step()) {
        Reference reference;
        reference.constraintId = static_cast<int>(rows.intAt(0));
        reference.tableId = static_cast<int>(rows.intAt(1));
        reference.referencedTableId = static_cast<int>(rows.intAt(2));
        reference.indexId = static_cast<int>(rows.intAt(3));
        reference.matchFull = (rows.intAt(4) & kReferenceMatchFull) != 0;
        int keys = static_cast<int>(rows.intAt(5));
        for (int i = 0; i < keys; ++i) {
            reference.foreignKeys.push_back(static_cast<int>(rows.intAt(6 + 2 * i)));
            reference.referencedKeys.push_back(static_cast<int>(rows.intAt(7 + 2 * i)));
        }
        constexpr int kReferencedDatabase = 6 + 2 * kMaxReferenceKeys;
        if (!rows.isNull(kReferencedDatabase))
            reference.referencedDatabase = rows.textAt(kReferencedDatabase);
        references.push_back(std::move(reference));
    }
    return references;
}

std::string storageColumn(const std::string& alias, int colid)
{
    return alias + "." + sqlName("c" + std::to_string(colid));
}

// "parent.r1 = child.f1 AND ..." for the keys of a reference.
std::string keysMatch(const Reference& reference, const std::string& parent,
                      const std::string& child)
{
    std::string condition;
    for (size_t i = 0; i < reference.foreignKeys.size(); ++i) {
        condition += (i ? " AND " : "") + storageColumn(parent, reference.referencedKeys[i]) +
                     " = " + storageColumn(child, reference.foreignKeys[i]);
    }
    return condition;
}

std::string violationText(const char* what, const std::string& database, const std::string& table,
                          const std::string& constraint)
{
    return std::string(what) + " dbname =  '" + database + "', table name = '" + table +
           "', constraint name = '" + constraint + "'.";
}

ObjectName nameOf(const ObjectRef& object)
{
    ObjectName name;
    name.database = object.database;
    name.owner = object.owner;
    name.name = object.name;
    return name;
}

// The search condition of a stored check constraint text ("check (...)").
ExprPtr checkCondition(const std::string& text)
{
    std::string lower = toLower(text);
    size_t at = lower.find("check");
    auto parsed =
        parseBatch("select 1 where " + text.substr(at == std::string::npos ? 0 : at + 5), false);
    return static_cast<const SelectStatement&>(*parsed[0]).select->where;
}

}  // namespace

TemporaryTables::~TemporaryTables()
{
    for (const std::string& name : names_) {
        try {
            db_.exec("DROP TABLE IF EXISTS " + name);
        } catch (const SqliteError&) {
            // Nothing sensible to do while a statement unwinds; the table is temporary.
        }
    }
}

// Names the server makes up for unnamed constraints and declared defaults: the first
// 10 characters of the table, for a column-level one the first 6 of the column, and
// the object id.
std::string SessionImpl::generatedName(const ObjectRef& table, const std::string& column,
                                       int id) const
{
    return table.name.substr(0, 10) + "_" + (column.empty() ? "" : column.substr(0, 6) + "_") +
           std::to_string(id);
}

int SessionImpl::addDeclaredDefault(const ObjectRef& table, const std::string& column,
                                    const std::string& text)
{
    int id = state_.catalog.newObjectId(database_);
    insertObjectRow(id, generatedName(table, column, id), table.uid, "D", 6, 0);
    storeText(id, 0, text);
    addProcedureRow(id, 0, true);
    return id;
}

bool SessionImpl::isDeclared(int objectId)
{
    return state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysprocedures") +
                                  " WHERE id = ?1 AND status & " +
                                  std::to_string(kProcedureDeclared) + " <> 0",
                              {SqlValue::ofInt(objectId)}) > 0;
}

void SessionImpl::addConstraint(const ObjectRef& table, const ConstraintDef& constraint,
                                int tableSegment)
{
    if (!constraint.name.empty() &&
        state_.catalog.findObject(database_, table.owner, constraint.name, table.uid)) {
        throw alreadyExists(constraint.name);
    }
    switch (constraint.kind) {
        case ConstraintDef::Kind::PrimaryKey:
        case ConstraintDef::Kind::Unique:
            return addKeyConstraint(table, constraint, tableSegment);
        case ConstraintDef::Kind::Check:
            return addCheckConstraint(table, constraint);
        case ConstraintDef::Kind::ForeignKey:
            return addForeignKey(table, constraint);
    }
}

void SessionImpl::addKeyConstraint(const ObjectRef& table, const ConstraintDef& constraint,
                                   int tableSegment)
{
    bool primaryKey = constraint.kind == ConstraintDef::Kind::PrimaryKey;
    if (primaryKey) {
        for (const StoredColumn& column : state_.catalog.columns(database_, table)) {
            bool key = std::any_of(constraint.keys.begin(), constraint.keys.end(),
                                   [&](const IndexKey& k) { return k.column == column.info.name; });
            if (key && column.info.nullable) {
                throw EngineError{1920, 16,
                                  "Column '" + column.info.name +
                                      "' is part of a primary key constraint and cannot be null."};
            }
        }
    }
    IndexSpec index;
    index.name = constraint.name;
    index.unique = true;
    // A primary key is clustered unless declared otherwise; a unique constraint is not.
    index.clustered = primaryKey ? !constraint.nonclustered : constraint.clustered;
    index.keys = constraint.keys;
    index.status = primaryKey ? kIndexPrimaryKey : 0;
    index.status2 = kIndex2Constraint | (constraint.name.empty() ? kIndex2GeneratedName : 0);
    index.segment = constraint.segment.empty() ? tableSegment : segmentNumber(constraint.segment);
    index.options = constraint.options;
    addIndex(table, index);
    if (primaryKey)
        setSysstat2(table.id, kHasPrimaryKey);
}

void SessionImpl::addCheckConstraint(const ObjectRef& table, const ConstraintDef& constraint)
{
    // The condition must make sense against the table's columns.
    SqlRenderer renderer(*this);
    TableBinding binding = renderer.bindTable(nameOf(table), false);
    renderer.renderDml(binding, table.name, {}, {}, constraint.condition.get());
    int colid = 0;
    for (const StoredColumn& column : binding.columns) {
        if (column.info.name == constraint.column)
            colid = column.colid;
    }
    int id = state_.catalog.newObjectId(database_);
    insertObjectRow(
        id, constraint.name.empty() ? generatedName(table, constraint.column, id) : constraint.name,
        table.uid, "R", 7, 0);
    storeText(id, 0, constraint.text);
    addProcedureRow(id, 0, true);
    state_.catalog.insertRow(sysTable("sysconstraints"),
                             {{"colid", SqlValue::ofInt(colid)},
                              {"constrid", SqlValue::ofInt(id)},
                              {"tableid", SqlValue::ofInt(table.id)},
                              {"status", SqlValue::ofInt(kConstraintCheck)}});
    std::string tableId = std::to_string(table.id);
    if (colid) {
        // domain holds the column's first rule or check; 0x10 in status says there are more.
        state_.db.exec("UPDATE " + sysTable("syscolumns") + " SET status = CASE WHEN domain = 0 " +
                       "THEN status ELSE status | 16 END, domain = CASE WHEN domain = 0 THEN " +
                       std::to_string(id) + " ELSE domain END WHERE id = " + tableId +
                       " AND colid = " + std::to_string(colid) + " AND number = 0");
    }
    state_.db.exec("UPDATE " + sysTable("sysobjects") + " SET ckfirst = CASE WHEN ckfirst = 0 " +
                   "THEN " + std::to_string(id) + " ELSE ckfirst END WHERE id = " + tableId);
    int64_t checks = state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysconstraints") +
                                        " WHERE tableid = " + tableId + " AND status & " +
                                        std::to_string(kConstraintCheck) + " <> 0");
    if (checks > 1)
        setSysstat2(table.id, kSeveralChecks);
}

void SessionImpl::addForeignKey(const ObjectRef& table, const ConstraintDef& constraint)
{
    SqlRenderer renderer(*this);
    std::optional<TableBinding> parent;
    try {
        parent = renderer.bindTable(constraint.referencedTable, false);
    } catch (const EngineError&) {
    }
    if (!parent || parent->object.type != "U") {
        throw EngineError{1710, 16,
                          "Referenced table '" + constraint.referencedTable.text() +
                              "' specified in a referential constraint declared on '" + table.name +
                              "' does not exist in the database '" + database_ + "'."};
    }
    if (constraint.keys.size() > static_cast<size_t>(kMaxReferenceKeys)) {
        throw EngineError{1714, 16,
                          "Exceeded maximum allowed referenced columns, 16, in a single "
                          "referential constraint declaration, table = '" +
                              table.name + "', database = '" + database_ + "'."};
    }
    auto colidOf = [&](const std::vector<StoredColumn>& columns, const std::string& name) {
        for (const StoredColumn& column : columns) {
            if (column.info.name == name)
                return column.colid;
        }
        throw EngineError{1720, 16,
                          "A column referenced in a referential constraint declaration does not "
                          "exist, referencing table = '" +
                              table.name + "', data base =  '" + database_ + "'."};
    };
    std::vector<StoredColumn> childColumns = state_.catalog.columns(database_, table);
    const std::string& parentDatabase = parent->object.database;
    bool crossDatabase = parentDatabase != database_;
    std::vector<IndexRef> parentIndexes = state_.catalog.indexes(parentDatabase, parent->object.id);
    std::vector<int> foreignKeys, referencedKeys;
    for (const IndexKey& key : constraint.keys)
        foreignKeys.push_back(colidOf(childColumns, key.column));
    for (const std::string& column : constraint.referencedColumns)
        referencedKeys.push_back(colidOf(parent->columns, column));
    if (constraint.referencedColumns.empty()) {
        // Without a column list the reference is to the primary key.
        for (const IndexRef& index : parentIndexes) {
            if ((index.status & kIndexPrimaryKey) && (index.status2 & kIndex2Constraint))
                referencedKeys = index.keyColids;
        }
        if (referencedKeys.empty()) {
            throw EngineError{1719, 16,
                              "Primary key does not exist for the table referenced in a "
                              "referential constraint declaration, table = '" +
                                  parent->object.name + "', data base =  '" + parentDatabase +
                                  "'."};
        }
    }
    if (referencedKeys.size() != foreignKeys.size()) {
        throw EngineError{1718, 16,
                          "The number of columns in a foreign key column list is less than a "
                          "primary/referential column list in a referential constraint "
                          "declaration, table = '" +
                              table.name + "', data base = '" + database_ + "'."};
    }
    std::vector<int> wanted = referencedKeys;
    std::sort(wanted.begin(), wanted.end());
    const IndexRef* supporting = nullptr;
    for (const IndexRef& index : parentIndexes) {
        std::vector<int> keys = index.keyColids;
        std::sort(keys.begin(), keys.end());
        if ((index.status & kIndexUnique) && index.indid > 0 && index.indid < 255 &&
            keys == wanted && (!supporting || (index.status2 & kIndex2Constraint)))
            supporting = &index;
    }
    if (!supporting) {
        throw EngineError{1711, 16,
                          "There is no unique constraint on the referenced columns in the "
                          "referenced table '" +
                              parent->object.name +
                              "' specified in referential constraint declaration on the table '" +
                              table.name + "'."};
    }
    int id = state_.catalog.newObjectId(database_);
    insertObjectRow(
        id, constraint.name.empty() ? generatedName(table, constraint.column, id) : constraint.name,
        table.uid, "RI", 9, 0);
    // Readers never use the colid of a foreign key's row: 0 for every one, so that a
    // column-level declaration and the same key added by ALTER TABLE store the same.
    const int colid = 0;
    state_.catalog.insertRow(sysTable("sysconstraints"),
                             {{"colid", SqlValue::ofInt(colid)},
                              {"constrid", SqlValue::ofInt(id)},
                              {"tableid", SqlValue::ofInt(table.id)},
                              {"status", SqlValue::ofInt(kConstraintReference)}});
    std::vector<std::pair<std::string, SqlValue>> row = {
        {"indexid", SqlValue::ofInt(supporting->indid)},
        {"constrid", SqlValue::ofInt(id)},
        {"tableid", SqlValue::ofInt(table.id)},
        {"reftabid", SqlValue::ofInt(parent->object.id)},
        {"keycnt", SqlValue::ofInt(static_cast<int64_t>(foreignKeys.size()))},
        {"status", SqlValue::ofInt(constraint.matchFull ? kReferenceMatchFull : 0)},
        {"frgndbid", SqlValue::ofInt(state_.catalog.databaseId(database_))},
        {"pmrydbid", SqlValue::ofInt(state_.catalog.databaseId(parentDatabase))}};
    for (size_t i = 0; i < foreignKeys.size(); ++i) {
        row.emplace_back("fokey" + std::to_string(i + 1), SqlValue::ofInt(foreignKeys[i]));
        row.emplace_back("refkey" + std::to_string(i + 1), SqlValue::ofInt(referencedKeys[i]));
    }
    // A reference to another database is recorded in both: here with the other one's
    // name in pmrydbname, there with this one's in frgndbname.
    if (crossDatabase) {
        auto there = row;
        there.emplace_back("frgndbname", SqlValue::ofText(database_));
        state_.catalog.insertRow(Catalog::systemTable(parentDatabase, "sysreferences"), there);
        row.emplace_back("pmrydbname", SqlValue::ofText(parentDatabase));
    }
    state_.catalog.insertRow(sysTable("sysreferences"), row);
    setSysstat2(table.id, kReferencingTable);
    markReferenced(parentDatabase, parent->object.id, 0, true);
    markReferenced(parentDatabase, parent->object.id, supporting->indid, true);
}

// The flag of a referenced table (sysstat2 0x1; indid 0) or of its referenced index
// (status2 0x1), in the table's database.
void SessionImpl::markReferenced(const std::string& database, int tableId, int indid,
                                 bool referenced)
{
    std::string op = referenced ? " | " : " & ~";
    std::string id = std::to_string(tableId);
    if (indid == 0) {
        state_.db.exec("UPDATE " + Catalog::systemTable(database, "sysobjects") +
                       " SET sysstat2 = sysstat2" + op + std::to_string(kReferencedTable) +
                       " WHERE id = " + id);
    } else {
        state_.db.exec("UPDATE " + Catalog::systemTable(database, "sysindexes") +
                       " SET status2 = status2" + op + std::to_string(kIndex2Referenced) +
                       " WHERE id = " + id + " AND indid = " + std::to_string(indid));
    }
}

void SessionImpl::dropConstraint(const ObjectRef& table, const std::string& name)
{
    for (const IndexRef& index : state_.catalog.indexes(database_, table.id)) {
        if (index.name != name || !(index.status2 & kIndex2Constraint) || index.indid == 0)
            continue;
        if (index.status2 & kIndex2Referenced) {
            throw EngineError{3712, 16,
                              "Cannot drop constraint '" + name +
                                  "' because it still has referential integrity constraints."};
        }
        dropIndex(table, index);
        if (index.status & kIndexPrimaryKey)
            setSysstat2(table.id, 0, kHasPrimaryKey);
        return;
    }
    int64_t id = state_.db.queryInt(
        "SELECT o.id FROM " + sysTable("sysobjects") + " o JOIN " + sysTable("sysconstraints") +
            " c ON c.constrid = o.id WHERE o.name = ?1 AND c.tableid = ?2",
        {SqlValue::ofText(name), SqlValue::ofInt(table.id)});
    if (id == 0) {
        throw EngineError{3723, 16,
                          "The table '" + table.name + "' does not have the constraint '" + name +
                              "'.  Cannot drop."};
    }
    dropConstraintObject(table, static_cast<int>(id));
}

// Removes a check or referential constraint and the flags that only it justified.
void SessionImpl::dropConstraintObject(const ObjectRef& table, int constraintId)
{
    std::string id = std::to_string(constraintId);
    std::string tableId = std::to_string(table.id);
    std::vector<Reference> references =
        readReferences(state_.db, sysTable("sysreferences"), "constrid = ?1", constraintId);
    state_.db.exec("DELETE FROM " + sysTable("sysconstraints") + " WHERE constrid = " + id);
    state_.db.exec("DELETE FROM " + sysTable("sysreferences") + " WHERE constrid = " + id);
    if (auto object = state_.catalog.findObjectById(database_, constraintId))
        dropObjectRows(*object);
    for (const Reference& reference : references) {
        // A reference to another database has its twin row there (frgndbname = this one).
        bool crossDatabase = !reference.referencedDatabase.empty();
        std::string parentDatabase = crossDatabase ? reference.referencedDatabase : database_;
        std::string theirs = Catalog::systemTable(parentDatabase, "sysreferences");
        if (crossDatabase) {
            state_.db.exec("DELETE FROM " + theirs + " WHERE constrid = " + id +
                           " AND frgndbname = " + sqlString(database_));
        }
        auto remaining = [&](const std::string& references, const std::string& where) {
            return state_.db.queryInt("SELECT count(*) FROM " + references + " WHERE " + where) > 0;
        };
        std::string parentId = std::to_string(reference.referencedTableId);
        if (!remaining(sysTable("sysreferences"),
                       "tableid = " + tableId + " AND frgndbname IS NULL"))
            setSysstat2(table.id, 0, kReferencingTable);
        if (!remaining(theirs, "reftabid = " + parentId + " AND pmrydbname IS NULL"))
            markReferenced(parentDatabase, reference.referencedTableId, 0, false);
        if (!remaining(theirs, "reftabid = " + parentId + " AND pmrydbname IS NULL AND indexid = " +
                                   std::to_string(reference.indexId))) {
            markReferenced(parentDatabase, reference.referencedTableId, reference.indexId, false);
        }
    }
    state_.db.exec("UPDATE " + sysTable("syscolumns") + " SET domain = 0, status = status & ~16" +
                   " WHERE id = " + tableId + " AND domain = " + id);
    std::string firstCheck = "(SELECT coalesce(min(constrid), 0) FROM " +
                             sysTable("sysconstraints") + " WHERE tableid = " + tableId +
                             " AND status & " + std::to_string(kConstraintCheck) + " <> 0)";
    state_.db.exec("UPDATE " + sysTable("sysobjects") + " SET ckfirst = " + firstCheck +
                   " WHERE id = " + tableId);
    int64_t checks = state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysconstraints") +
                                        " WHERE tableid = " + tableId + " AND status & " +
                                        std::to_string(kConstraintCheck) + " <> 0");
    if (checks < 2)
        setSysstat2(table.id, 0, kSeveralChecks);
}

// Before a table goes: no other table may still reference it; its own check and
// referential constraints go with it.
void SessionImpl::dropTableConstraints(const ObjectRef& table)
{
    int64_t incoming = state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysreferences") +
                                              " WHERE reftabid = ?1 AND pmrydbname IS NULL"
                                              " AND (tableid <> ?1 OR frgndbname IS NOT NULL)",
                                          {SqlValue::ofInt(table.id)});
    if (incoming > 0) {
        throw EngineError{3712, 16,
                          "Cannot drop table '" + table.name +
                              "' because it still has referential integrity constraints."};
    }
    std::vector<int> constraints;
    {
        SqliteStatement rows(state_.db.handle(), "SELECT constrid FROM " +
                                                     sysTable("sysconstraints") +
                                                     " WHERE tableid = ?1 ORDER BY constrid");
        rows.bind(1, SqlValue::ofInt(table.id));
        while (rows.step())
            constraints.push_back(static_cast<int>(rows.intAt(0)));
    }
    for (int constraint : constraints)
        dropConstraintObject(table, constraint);
}

// ---- space management -----------------------------------------------------------------

// Table-level `with` options live on the row that stands for the table (indid 0 or 1).
// Options that do not apply to the table's lock scheme are announced and not kept.
void SessionImpl::applyTableOptions(const ObjectRef& table, const StorageOptions& options,
                                    StatementResult& result)
{
    int lock = lockScheme(table.id);
    bool dataOnly = lock != kLockAllpages;
    std::vector<std::pair<const char*, int>> values;
    if (options.expRowSize && (dataOnly || *options.expRowSize != 0)) {
        if (!dataOnly) {
            addMessage(result, 1739, 10,
                       "Warning: Parameter 'exp_row_size' is not applicable to table '" +
                           table.name + "' in allpages locking scheme");
        } else if (*options.expRowSize > kFullyPacked &&
                   state_.db.queryInt("SELECT sysstat2 & " + std::to_string(kNoVariableColumns) +
                                      " FROM " + sysTable("sysobjects") +
                                      " WHERE id = " + std::to_string(table.id))) {
            throw EngineError{1752, 16,
                              "Table '" + table.name +
                                  "' has fixed length schema. Parameter 'exp_row_size' is not "
                                  "applicable to tables with fixed length schema."};
        } else {
            values.emplace_back("exp_rowsize", *options.expRowSize);
        }
    }
    if (options.maxRowsPerPage) {
        if (dataOnly) {
            addMessage(result, 1740, 10,
                       "Warning: Parameter 'max_rows_per_page' is not applicable to table '" +
                           table.name + "' in 'datapages' or 'datarows' locking scheme");
        } else {
            values.emplace_back("maxrowsperpage", options.maxRowsPerPage);
        }
    }
    if (options.reservePageGap)
        values.emplace_back("res_page_gap", options.reservePageGap);
    if (options.identityGap)
        values.emplace_back("identitygap", options.identityGap);
    if (options.fillFactor)
        values.emplace_back("fill_factor", options.fillFactor);
    for (const auto& [column, value] : values) {
        state_.db.exec("UPDATE " + sysTable("sysindexes") + " SET " + column + " = " +
                       std::to_string(value) + " WHERE id = " + std::to_string(table.id) +
                       " AND indid < 2");
    }
}

// ---- ALTER TABLE ------------------------------------------------------------------------

namespace {

// Changing between allpages and data-only locking moves a clustered index between
// indid 1 (status 0x10, no indid 0 row) and an ordinary indid marked 0x200 in status2.
void moveClusteredIndex(SqliteDatabase& db, const std::string& sysindexes, const ObjectRef& table,
                        bool toDataOnly)
{
    std::string tableId = std::to_string(table.id);
    if (toDataOnly) {
        if (db.queryInt("SELECT count(*) FROM " + sysindexes + " WHERE id = " + tableId +
                        " AND indid = 1") == 0)
            return;
        int64_t indid = db.queryInt("SELECT coalesce(max(indid), 1) + 1 FROM " + sysindexes +
                                    " WHERE id = " + tableId + " AND indid BETWEEN 2 AND 250");
        db.exec("INSERT INTO " + sysindexes +
                " (name, id, indid, segment, maxrowsperpage, exp_rowsize, res_page_gap, "
                "identitygap, tdsim_keys) SELECT " +
                sqlString(table.name) +
                ", id, 0, segment, maxrowsperpage, exp_rowsize, res_page_gap, identitygap, '' "
                "FROM " +
                sysindexes + " WHERE id = " + tableId + " AND indid = 1");
        db.exec("UPDATE " + sysindexes + " SET indid = " + std::to_string(indid) +
                ", status = status & ~16, status2 = status2 | 512, keycnt = keycnt + 1, "
                "maxrowsperpage = 0, exp_rowsize = NULL, identitygap = NULL WHERE id = " +
                tableId + " AND indid = 1");
        return;
    }
    int64_t indid = db.queryInt("SELECT indid FROM " + sysindexes + " WHERE id = " + tableId +
                                " AND status2 & 512 <> 0");
    if (indid == 0)
        return;
    db.exec("UPDATE " + sysindexes +
            " SET (exp_rowsize, res_page_gap, identitygap) = (SELECT exp_rowsize, "
            "res_page_gap, identitygap FROM " +
            sysindexes + " WHERE id = " + tableId + " AND indid = 0) WHERE id = " + tableId +
            " AND indid = " + std::to_string(indid));
    db.exec("DELETE FROM " + sysindexes + " WHERE id = " + tableId + " AND indid = 0");
    db.exec("UPDATE " + sysindexes +
            " SET indid = 1, status = status | 16, status2 = status2 & ~512, keycnt = keycnt - 1 "
            "WHERE id = " +
            tableId + " AND indid = " + std::to_string(indid));
}

}  // namespace

void SessionImpl::alterTable(const AlterTableStatement& statement, Results& out)
{
    auto missingTable = [&]() {
        return EngineError{4902, 11,
                           "Cannot alter table '" + statement.table.name +
                               "', because this table does not exist in database '" + database_ +
                               "'."};
    };
    if (!statement.table.database.empty() && statement.table.database != database_)
        throw missingTable();
    auto found =
        state_.catalog.findObject(database_, statement.table.owner, statement.table.name, uid_);
    if (!found)
        throw missingTable();
    SqlRenderer renderer(*this);
    TableBinding binding = renderer.bindTable(statement.table, false);
    const ObjectRef& table = binding.object;
    if (table.type != "U") {
        throw EngineError{4909, 16, "Can't alter " + table.name + " because it is not a table."};
    }
    if (table.uid != uid_ && uid_ != 1) {
        throw EngineError{4910, 16,
                          "Cannot alter table '" + table.name +
                              "' because you are not the owner or a user with System "
                              "Administrator (SA) role."};
    }
    StatementResult result;
    int tableSegment = static_cast<int>(state_.db.queryInt(
        "SELECT segment FROM " + sysTable("sysindexes") + " WHERE id = ?1 AND indid < 2",
        {SqlValue::ofInt(table.id)}, 1));
    for (const AlterTableAction& action : statement.actions) {
        switch (action.kind) {
            case AlterTableAction::Kind::AddColumn:
                addColumn(table, action.column, tableSegment);
                break;
            case AlterTableAction::Kind::AddConstraint:
                addConstraint(table, action.constraint, tableSegment);
                break;
            case AlterTableAction::Kind::DropConstraint:
                dropConstraint(table, action.name);
                break;
            case AlterTableAction::Kind::ReplaceDefault:
                replaceDefault(table, action);
                break;
            case AlterTableAction::Kind::EnableTrigger:
                enableTriggers(table, action.name, action.enable);
                break;
            case AlterTableAction::Kind::Lock: {
                int wanted = action.lockScheme == "datarows"    ? kLockDatarows
                             : action.lockScheme == "datapages" ? kLockDatapages
                                                                : kLockAllpages;
                int current = lockScheme(table.id);
                if (wanted == current) {
                    throw EngineError{4963, 16,
                                      "Table '" + table.name +
                                          "' is already locked in the desired locking scheme."};
                }
                if ((current == kLockAllpages) != (wanted == kLockAllpages)) {
                    moveClusteredIndex(state_.db, sysTable("sysindexes"), table,
                                       wanted != kLockAllpages);
                    rebuildIndexStorage(table);
                    state_.catalog.syncPartitions(database_, table.id);
                }
                setSysstat2(table.id, wanted, kLockMask);
                break;
            }
            case AlterTableAction::Kind::SetOptions:
                applyTableOptions(table, action.options, result);
                break;
            case AlterTableAction::Kind::SetDmlLogging:
                setSysstat2(table.id, dmlLoggingBits(action.dmlLogging), kDmlLoggingMask);
                break;
        }
    }
    out.push_back(std::move(result));
}

// ALTER TABLE ADD column: nullable, or NOT NULL with a default that fills existing rows.
void SessionImpl::addColumn(const ObjectRef& table, const ColumnDef& column, int tableSegment)
{
    std::vector<StoredColumn> columns = state_.catalog.columns(database_, table);
    for (const StoredColumn& existing : columns) {
        if (existing.info.name == column.name) {
            throw EngineError{2705, 16,
                              "Column names in each table must be unique. Column name '" +
                                  column.name + "' in table '" + table.name +
                                  "' is specified more than once."};
        }
    }
    if (column.computed) {
        SqlRenderer renderer(*this);
        ObjectName name;
        name.database = table.database;
        name.owner = table.owner;
        name.name = table.name;
        const auto definition = ComputedColumnDefinition::declared(column);
        int colid = addComputedColumn(renderer.bindTable(name, false), *column.computed,
                                      column.computedText, definition);
        if (definition.nullable)
            setSysstat2(table.id, 0, kNoVariableColumns);
        addComputedStorage(table, colid);
        for (const ConstraintDef& constraint : column.constraints)
            addConstraint(table, constraint, tableSegment);
        return;
    }
    std::optional<bool> nullable;
    if (column.nullability != ColumnDef::Nullability::Default)
        nullable = column.nullability == ColumnDef::Nullability::Null;
    ColumnStorage storage;
    bool identity = column.identity;
    int cdefault = 0, domain = 0;
    std::string error;
    if (!state_.catalog.storageFor(database_, column.type, nullable, storage, identity, cdefault,
                                   domain, error)) {
        throw EngineError{2715, 16, error};
    }
    refuseColumnDefinition(column, storage);
    if (identity || (!storage.nullable && !column.defaultValue)) {
        throw EngineError{4901, 16,
                          "ALTER TABLE only allows columns to be added which can contain nulls. "
                          " Column '" +
                              column.name + "' cannot be added to table '" + table.name +
                              "' because it does not allow nulls."};
    }
    ColumnInfo info = columnInfoFor("", storage.type, 0, storage.length, 0, 0, false);
    bool variable = storage.nullable || info.type == ColumnType::VarChar ||
                    info.type == ColumnType::VarBinary || info.type == ColumnType::Text ||
                    info.type == ColumnType::Image;
    std::string tableId = std::to_string(table.id);
    int colid = static_cast<int>(state_.db.queryInt("SELECT coalesce(max(colid), 0) + 1 FROM " +
                                                    sysTable("syscolumns") +
                                                    " WHERE id = " + tableId + " AND number = 0"));
    int offset = static_cast<int>(
        variable ? state_.db.queryInt("SELECT coalesce(min(offset), 0) - 1 FROM " +
                                      sysTable("syscolumns") + " WHERE id = " + tableId +
                                      " AND offset < 0")
                 : state_.db.queryInt("SELECT coalesce(max(offset + length), 0) FROM " +
                                      sysTable("syscolumns") + " WHERE id = " + tableId +
                                      " AND offset >= 0 AND number = 0"));
    if (column.defaultValue)
        cdefault = addDeclaredDefault(table, column.name, column.defaultText);
    auto values = columnRowValues(table.id, colid, storage, offset, column.name);
    values.insert(values.end(),
                  {{"cdefault", SqlValue::ofInt(cdefault)}, {"domain", SqlValue::ofInt(domain)}});
    state_.catalog.insertRow(sysTable("syscolumns"), values);
    if (variable)
        setSysstat2(table.id, 0, kNoVariableColumns);
    if (state_.catalog.hasStorage(database_, table.id)) {
        // Existing rows get the default; the SQLite column itself stays nullable, as
        // SQLite can only add NOT NULL columns with a constant default.
        std::string physical = Catalog::objectTable(database_, table.id);
        std::string storageName = sqlName("c" + std::to_string(colid));
        state_.db.exec("ALTER TABLE " + physical + " ADD COLUMN " + storageName + " " +
                       sqliteDeclaration(storage.type));
        if (column.defaultValue) {
            SqlRenderer renderer(*this);
            TypedSql value = renderer.renderExpression(*column.defaultValue);
            ObjectRef refreshed = table;
            for (const StoredColumn& stored : state_.catalog.columns(database_, refreshed)) {
                if (stored.colid == colid) {
                    state_.db.exec("UPDATE " + physical + " SET " + storageName + " = " +
                                   SqlRenderer::coerceTo(value, stored.info));
                }
            }
        }
    }
    for (const ConstraintDef& constraint : column.constraints)
        addConstraint(table, constraint, tableSegment);
}

// ALTER TABLE REPLACE column DEFAULT: a declared default is replaced (or, with NULL,
// removed); a default bound with sp_bindefault must be unbound first.
void SessionImpl::replaceDefault(const ObjectRef& table, const AlterTableAction& action)
{
    int64_t current =
        state_.db.queryInt("SELECT cdefault FROM " + sysTable("syscolumns") +
                               " WHERE id = ?1 AND name = ?2 AND number = 0",
                           {SqlValue::ofInt(table.id), SqlValue::ofText(action.name)}, -1);
    if (current < 0) {
        throw EngineError{4934, 16,
                          "A column by this name doesn't exist in the table '" + table.name + "'."};
    }
    if (current > 0 && !isDeclared(static_cast<int>(current))) {
        throw EngineError{4912, 16,
                          "Cannot replace default to '" + table.name + "." + action.name +
                              "' because it already has a default bound using sp_bindefault."};
    }
    if (current > 0) {
        if (auto old = state_.catalog.findObjectById(database_, static_cast<int>(current)))
            dropObjectRows(*old);
    }
    int replacement =
        action.defaultValue ? addDeclaredDefault(table, action.name, action.defaultText) : 0;
    state_.db.exec("UPDATE " + sysTable("syscolumns") + " SET cdefault = " +
                   std::to_string(replacement) + " WHERE id = " + std::to_string(table.id) +
                   " AND name = " + sqlString(action.name) + " AND number = 0");
    state_.db.exec("UPDATE " + sysTable("sysobjects") +
                   " SET schemacnt = schemacnt + 1 WHERE id = " + std::to_string(table.id));
}

// ---- enforcement ------------------------------------------------------------------------

bool SessionImpl::hasRowConstraints(const TableBinding& table)
{
    return state_.db.queryInt("SELECT count(*) FROM " +
                                  Catalog::systemTable(table.object.database, "sysconstraints") +
                                  " WHERE tableid = ?1",
                              {SqlValue::ofInt(table.object.id)}) > 0;
}

// Checks the rows whose rowid satisfies `rowFilter` ("> n", "IN (...)") against the
// table's check constraints (548) and foreign keys (546).
void SessionImpl::verifyRows(const TableBinding& table, const std::string& rowFilter)
{
    const std::string& database = table.object.database;
    std::vector<std::pair<int, std::string>> checks;
    {
        SqliteStatement rows(state_.db.handle(),
                             "SELECT c.constrid, o.name FROM " +
                                 Catalog::systemTable(database, "sysconstraints") + " c JOIN " +
                                 Catalog::systemTable(database, "sysobjects") +
                                 " o ON o.id = c.constrid WHERE c.tableid = ?1 AND c.status & " +
                                 std::to_string(kConstraintCheck) + " <> 0 ORDER BY c.constrid");
        rows.bind(1, SqlValue::ofInt(table.object.id));
        while (rows.step())
            checks.emplace_back(static_cast<int>(rows.intAt(0)), rows.textAt(1));
    }
    for (const auto& [id, name] : checks) {
        std::string text;
        {
            SqliteStatement pieces(state_.db.handle(),
                                   "SELECT text FROM " +
                                       Catalog::systemTable(database, "syscomments") +
                                       " WHERE id = ?1 ORDER BY colid2, colid");
            pieces.bind(1, SqlValue::ofInt(id));
            while (pieces.step())
                text += pieces.textAt(0);
        }
        ExprPtr condition = checkCondition(text);
        SqlRenderer renderer(*this);
        auto parts = renderer.renderDml(table, table.object.name, {}, {}, condition.get());
        int64_t failing = state_.db.queryInt("SELECT count(*) FROM " + table.physical + " WHERE " +
                                             table.physical + ".rowid " + rowFilter +
                                             " AND coalesce((" + parts.where + "), 1) = 0");
        if (failing > 0) {
            throw EngineError{548, 16,
                              violationText("Check constraint violation occurred,", database,
                                            table.object.name, name)};
        }
    }
    for (const Reference& reference :
         readReferences(state_.db, Catalog::systemTable(database, "sysreferences"),
                        "tableid = ?1" + kSameDatabase, table.object.id)) {
        auto parent = state_.catalog.findObjectById(database, reference.referencedTableId);
        if (!parent)
            continue;
        state_.catalog.ensureStorage(database, *parent);
        std::string anyGiven, anyMissing;
        for (size_t i = 0; i < reference.foreignKeys.size(); ++i) {
            std::string key = storageColumn("tdsim_child", reference.foreignKeys[i]);
            anyGiven += (i ? " OR " : "") + key + " IS NOT NULL";
            anyMissing += (i ? " OR " : "") + key + " IS NULL";
        }
        std::string unmatched =
            "NOT EXISTS (SELECT 1 FROM " + Catalog::objectTable(database, parent->id) +
            " AS tdsim_parent WHERE " + keysMatch(reference, "tdsim_parent", "tdsim_child") + ")";
        // A key with a NULL part references nothing; under MATCH FULL it must then be
        // entirely NULL.
        std::string violation =
            reference.matchFull ? "(" + anyGiven + ") AND (" + anyMissing + " OR " + unmatched + ")"
                                : "NOT (" + anyMissing + ") AND " + unmatched;
        int64_t failing = state_.db.queryInt("SELECT count(*) FROM " + table.physical +
                                             " AS tdsim_child WHERE tdsim_child.rowid " +
                                             rowFilter + " AND " + violation);
        if (failing > 0) {
            auto constraint = state_.catalog.findObjectById(database, reference.constraintId);
            throw EngineError{546, 16,
                              violationText("Foreign key constraint violation occurred,", database,
                                            table.object.name, constraint ? constraint->name : "")};
        }
    }
}

// Before rows of a referenced table change or go: copies their referenced key values,
// one temporary table per incoming reference (empty when nothing references the table).
std::vector<std::string> SessionImpl::rememberReferencedKeys(const TableBinding& table,
                                                             const std::string& condition,
                                                             TemporaryTables& temporaries)
{
    std::vector<std::string> names;
    for (const Reference& reference :
         readReferences(state_.db, Catalog::systemTable(table.object.database, "sysreferences"),
                        "reftabid = ?1" + kSameDatabase, table.object.id)) {
        std::string name = "temp." + sqlName("tdsim_refkeys_" + std::to_string(++snapshotCounter_));
        std::string columns;
        for (size_t i = 0; i < reference.referencedKeys.size(); ++i) {
            columns += (i ? ", " : "") + sqlName("c" + std::to_string(reference.referencedKeys[i]));
        }
        state_.db.exec("CREATE TABLE " + name + " AS SELECT " + columns + " FROM " +
                       table.physical + " WHERE " + condition);
        temporaries.add(name);
        names.push_back(name);
    }
    return names;
}

// After rows of a referenced table changed or went: no referencing row may point at a
// key value that is gone (547).
void SessionImpl::verifyReferencedKeys(const TableBinding& table,
                                       const std::vector<std::string>& keys)
{
    if (keys.empty())
        return;
    const std::string& database = table.object.database;
    std::vector<Reference> references =
        readReferences(state_.db, Catalog::systemTable(database, "sysreferences"),
                       "reftabid = ?1" + kSameDatabase, table.object.id);
    for (size_t i = 0; i < references.size() && i < keys.size(); ++i) {
        const Reference& reference = references[i];
        auto child = state_.catalog.findObjectById(database, reference.tableId);
        if (!child)
            continue;
        state_.catalog.ensureStorage(database, *child);
        // The snapshot's columns carry the referenced columns' storage names.
        int64_t orphans = state_.db.queryInt(
            "SELECT count(*) FROM " + Catalog::objectTable(database, child->id) +
            " AS tdsim_child WHERE EXISTS (SELECT 1 FROM " + keys[i] + " AS tdsim_old WHERE " +
            keysMatch(reference, "tdsim_old", "tdsim_child") + ") AND NOT EXISTS (SELECT 1 FROM " +
            table.physical + " AS tdsim_parent WHERE " +
            keysMatch(reference, "tdsim_parent", "tdsim_child") + ")");
        if (orphans > 0) {
            auto constraint = state_.catalog.findObjectById(database, reference.constraintId);
            throw EngineError{
                547, 16,
                violationText("Dependent foreign key constraint violation in a "
                              "referential integrity constraint.",
                              database, table.object.name, constraint ? constraint->name : "")};
        }
    }
}

}  // namespace tdsim
