// CREATE / DROP / GRANT / REVOKE and the catalog rows they write.
#include <algorithm>
#include <map>
#include <set>

#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

constexpr int kSysstat2Modern = 0x10000;  // created by 11.9 or later
constexpr int kSysstat2Identity = 0x40;
constexpr int kSysstat2NoVarColumns = 0x200;

std::string paddedType(const std::string& type)
{
    return type.size() == 1 ? type + " " : type;
}

// sysobjects.sysstat & 15 of the objects that keep their text. The class of SQL functions
// is not documented; 12 is chosen as one no other object uses.
int objectClass(const std::string& type)
{
    static const std::map<std::string, int> classes = {{"V", 2}, {"P", 4},  {"D", 6},
                                                       {"R", 7}, {"TR", 8}, {"SF", 12}};
    return classes.at(type);
}

// A new procedure's sysstat2: the session's transaction mode (the server tags a procedure
// with the mode it was created in) and its execute as clause.
int procedureStatus(const CreateTextObjectStatement& statement, bool chained)
{
    using ExecuteAs = CreateTextObjectStatement::ExecuteAs;
    return (chained ? kProcedureChained : 0) |
           (statement.executeAs == ExecuteAs::Owner    ? kExecuteAsOwner
            : statement.executeAs == ExecuteAs::Caller ? kExecuteAsCaller
                                                       : 0);
}

}  // namespace

int SessionImpl::addObjectRow(const std::string& name, int uid, const std::string& type,
                              int sysstat, int sysstat2, int deltrig)
{
    int id = state_.catalog.newObjectId(database_);
    insertObjectRow(id, name, uid, type, sysstat, sysstat2, deltrig);
    return id;
}

void SessionImpl::insertObjectRow(int id, const std::string& name, int uid, const std::string& type,
                                  int sysstat, int sysstat2, int deltrig)
{
    state_.catalog.insertRow(sysTable("sysobjects"), {{"name", SqlValue::ofText(name)},
                                                      {"id", SqlValue::ofInt(id)},
                                                      {"uid", SqlValue::ofInt(uid)},
                                                      {"type", SqlValue::ofText(paddedType(type))},
                                                      {"sysstat", SqlValue::ofInt(sysstat)},
                                                      {"sysstat2", SqlValue::ofInt(sysstat2)},
                                                      {"deltrig", SqlValue::ofInt(deltrig)},
                                                      {"loginame", SqlValue::ofText(login_)}});
}

// One row per compiled object (sequence 0 only: the tree itself is not kept). Declared
// defaults and check constraints carry 0x1000, which is how clients tell them from
// defaults and rules made with CREATE DEFAULT / CREATE RULE.
void SessionImpl::addProcedureRow(int id, int number, bool declared)
{
    state_.catalog.insertRow(sysTable("sysprocedures"),
                             {{"type", SqlValue::ofInt(1)},
                              {"id", SqlValue::ofInt(id)},
                              {"sequence", SqlValue::ofInt(0)},
                              {"status", SqlValue::ofInt(declared ? kProcedureDeclared : 0)},
                              {"number", SqlValue::ofInt(number)}});
}

void SessionImpl::setSysstat2(int objectId, int set, int clear)
{
    state_.db.exec("UPDATE " + sysTable("sysobjects") + " SET sysstat2 = (sysstat2 & ~" +
                   std::to_string(clear) + ") | " + std::to_string(set) +
                   " WHERE id = " + std::to_string(objectId));
}

int SessionImpl::lockScheme(int tableId)
{
    return static_cast<int>(state_.db.queryInt("SELECT sysstat2 & " + std::to_string(kLockMask) +
                                                   " FROM " + sysTable("sysobjects") +
                                                   " WHERE id = ?1",
                                               {SqlValue::ofInt(tableId)}));
}

// The text is cut into rows of at most 255 bytes, regardless of line breaks.
void SessionImpl::storeText(int id, int number, const std::string& text)
{
    int colid = 0;
    int colid2 = 0;
    for (size_t at = 0; at < text.size() || at == 0; at += 255) {
        if (++colid > 32767) {
            colid = 1;
            ++colid2;
        }
        state_.catalog.insertRow(sysTable("syscomments"),
                                 {{"id", SqlValue::ofInt(id)},
                                  {"number", SqlValue::ofInt(number)},
                                  {"colid", SqlValue::ofInt(colid)},
                                  {"text", SqlValue::ofText(text.substr(at, 255))},
                                  {"colid2", SqlValue::ofInt(colid2)},
                                  {"status", SqlValue::ofInt(options_.quotedIdentifier ? 4 : 0)}});
        if (text.empty())
            break;
    }
}

std::string SessionImpl::objectText(int id)
{
    SqliteStatement rows(state_.db.handle(), "SELECT coalesce(tdsim_source, text) FROM " +
                                                 sysTable("syscomments") +
                                                 " WHERE id = ?1 ORDER BY number, colid2, colid");
    rows.bind(1, SqlValue::ofInt(id));
    std::string text;
    while (rows.step())
        text += rows.textAt(0);
    return text;
}

int SessionImpl::ownerUidFor(const ObjectName& name)
{
    if (!name.database.empty() && name.database != database_) {
        throw EngineError{166, 15,
                          "'CREATE' does not allow specifying the database name as a prefix to "
                          "the object name."};
    }
    if (name.owner.empty())
        return uid_;
    std::optional<int> uid = state_.catalog.userUid(database_, name.owner);
    if (!uid) {
        throw EngineError{2760, 16, "Column name '" + name.owner + "' does not exist."};
    }
    return *uid;
}

int SessionImpl::segmentNumber(const std::string& name)
{
    if (name.empty())
        return 1;
    int64_t segment =
        state_.db.queryInt("SELECT segment FROM " + sysTable("syssegments") + " WHERE name = ?1",
                           {SqlValue::ofText(name)}, -1);
    if (segment < 0) {
        throw EngineError{1521, 16,
                          "Segment '" + name + "' does not exist in database '" + database_ + "'."};
    }
    return static_cast<int>(segment);
}

void SessionImpl::createDatabase(const CreateDatabaseStatement& statement, Results& out)
{
    if (state_.catalog.hasDatabase(statement.name)) {
        throw EngineError{1801, 16, "Database '" + statement.name + "' already exists."};
    }
    state_.catalog.createDatabase(statement.name, suid_);
    allocateDatabaseSpace(statement, state_.catalog.databaseId(statement.name), true,
                          newResult(out));
}

void SessionImpl::dropDatabase(const DropDatabaseStatement& statement, Results& out)
{
    for (const std::string& name : statement.names) {
        if (!state_.catalog.hasDatabase(name)) {
            throw EngineError{3701, 11,
                              "Cannot drop the database '" + name +
                                  "', because it doesn't exist in the system catalogs."};
        }
        if (Catalog::isSystemDatabase(name) || name == database_) {
            throw EngineError{
                3702, 16,
                "Cannot drop the database '" + name + "' because it is currently in use."};
        }
        state_.disk.release(state_.catalog.databaseId(name));
        state_.catalog.dropDatabase(name);
    }
    newResult(out);
}

void SessionImpl::createTable(const CreateTableStatement& statement, Results& out)
{
    int owner = ownerUidFor(statement.table);
    std::string ownerName = state_.catalog.userName(database_, owner);
    if (state_.catalog.findObject(database_, ownerName, statement.table.name, owner)) {
        throw alreadyExists(statement.table.name);
    }
    if (statement.table.name.size() > 255) {
        throw EngineError{103, 15,
                          "The identifier that starts with '" + statement.table.name.substr(0, 30) +
                              "' is too long. Maximum length is 255."};
    }
    int segment = segmentNumber(statement.segment);
    if (statement.partitions.strategy != "roundrobin") {
        throw EngineError{7777, 16,
                          "tdsim does not support partition by " + statement.partitions.strategy +
                              "; only roundrobin partitions are kept."};
    }
    if (statement.partitions.count < 1) {
        throw EngineError{7777, 16, "A table needs at least one partition."};
    }
    std::set<std::string> names;
    bool hasIdentity = false, hasVariable = false, hasText = false;
    struct Planned {
        ColumnStorage storage;
        bool identity;
        int cdefault, domain;
    };
    std::vector<Planned> planned;
    for (const ColumnDef& column : statement.columns) {
        if (!names.insert(column.name).second) {
            throw EngineError{2705, 16,
                              "Column names in each table must be unique. Column name '" +
                                  column.name + "' in table '" + statement.table.name +
                                  "' is specified more than once."};
        }
        Planned plan{};
        if (column.computed) {
            planned.push_back(plan);  // typed by its expression once the other columns exist
            // Nullable, it counts as variable-length like any nullable column.
            hasVariable = hasVariable || column.nullability != ColumnDef::Nullability::NotNull;
            continue;
        }
        plan.identity = column.identity;
        std::optional<bool> nullable;
        if (column.nullability == ColumnDef::Nullability::Null)
            nullable = true;
        if (column.nullability == ColumnDef::Nullability::NotNull)
            nullable = false;
        std::string error;
        if (!state_.catalog.storageFor(database_, column.type, nullable, plan.storage,
                                       plan.identity, plan.cdefault, plan.domain, error)) {
            throw EngineError{2715, 16, error};
        }
        refuseColumnDefinition(column, plan.storage);
        if (plan.identity) {
            bool integral =
                plan.storage.type == TypeCode::Numeric || plan.storage.type == TypeCode::Int ||
                plan.storage.type == TypeCode::SmallInt || plan.storage.type == TypeCode::TinyInt ||
                plan.storage.type == TypeCode::BigInt || plan.storage.type == TypeCode::Decimal;
            if (!integral || plan.storage.scale > 0 || hasIdentity || nullable.value_or(false)) {
                throw EngineError{2751, 16,
                                  "Column '" + column.name +
                                      "' specified as IDENTITY must be numeric with scale 0, "
                                      "not null, and the only identity column of the table."};
            }
            plan.storage.nullable = false;
            hasIdentity = true;
        }
        ColumnInfo info = columnInfoFor("", plan.storage.type, 0, plan.storage.length, 0, 0, false);
        if (plan.storage.nullable || info.type == ColumnType::VarChar ||
            info.type == ColumnType::VarBinary || info.type == ColumnType::Text ||
            info.type == ColumnType::Image) {
            hasVariable = true;
        }
        if (info.type == ColumnType::Text || info.type == ColumnType::Image)
            hasText = true;
        planned.push_back(plan);
    }
    int lock = statement.lockScheme == "datarows"    ? kLockDatarows
               : statement.lockScheme == "datapages" ? kLockDatapages
                                                     : kLockAllpages;
    int sysstat2 = lock | kSysstat2Modern | (hasIdentity ? kSysstat2Identity : 0) |
                   (hasVariable ? 0 : kSysstat2NoVarColumns) |
                   dmlLoggingBits(statement.dmlLogging.value_or(DmlLogging::Default));
    int id = addObjectRow(statement.table.name, owner, "U", 3, sysstat2);
    ObjectRef table;
    table.database = database_;
    table.id = id;
    table.uid = owner;
    table.owner = ownerName;
    table.name = statement.table.name;
    table.type = "U";
    table.sysstat2 = sysstat2;
    int offset = 0, variableSlot = 0, bitPosition = 0;
    for (size_t i = 0; i < statement.columns.size(); ++i) {
        const ColumnDef& column = statement.columns[i];
        Planned& plan = planned[i];
        int colid = static_cast<int>(i + 1);
        if (column.computed)
            continue;
        if (column.defaultValue)
            plan.cdefault = addDeclaredDefault(table, column.name, column.defaultText);
        int status = plan.identity ? 0x80 : 0;
        ColumnInfo info = columnInfoFor("", plan.storage.type, 0, plan.storage.length, 0, 0, false);
        bool variable = plan.storage.nullable || info.type == ColumnType::VarChar ||
                        info.type == ColumnType::VarBinary || info.type == ColumnType::Text ||
                        info.type == ColumnType::Image;
        if (plan.storage.type == TypeCode::Bit)
            status |= (bitPosition++ & 7);
        int columnOffset = variable ? -(++variableSlot) : offset;
        if (!variable)
            offset += plan.storage.length;
        auto values = columnRowValues(id, colid, plan.storage, columnOffset, column.name, status);
        values.insert(values.end(), {{"cdefault", SqlValue::ofInt(plan.cdefault)},
                                     {"domain", SqlValue::ofInt(plan.domain)}});
        state_.catalog.insertRow(sysTable("syscolumns"), values);
    }
    bool anyComputed = false;
    for (size_t i = 0; i < statement.columns.size(); ++i) {
        const ColumnDef& column = statement.columns[i];
        if (!column.computed)
            continue;
        SqlRenderer renderer(*this);
        addComputedColumn(renderer.bindTable(statement.table, false), *column.computed,
                          column.computedText,
                          ComputedColumnDefinition::declared(column, static_cast<int>(i + 1)));
        anyComputed = true;
    }
    // The SQLite table itself is created when the table is first used (Catalog::ensureStorage);
    // with computed columns at once, so that SQLite checks their expressions now.
    if (anyComputed)
        addComputedStorage(table, 0);
    auto addIndexRow = [&](const std::string& name, int indid) {
        state_.catalog.insertRow(sysTable("sysindexes"), {{"name", SqlValue::ofText(name)},
                                                          {"id", SqlValue::ofInt(id)},
                                                          {"indid", SqlValue::ofInt(indid)},
                                                          {"segment", SqlValue::ofInt(segment)},
                                                          {"minlen", SqlValue::ofInt(offset + 4)},
                                                          {"maxlen", SqlValue::ofInt(offset + 4)},
                                                          {"fill_factor", SqlValue::ofInt(0)},
                                                          {"res_page_gap", SqlValue::ofInt(0)},
                                                          {"exp_rowsize", SqlValue::ofInt(0)},
                                                          {"identitygap", SqlValue::ofInt(0)},
                                                          {"tdsim_keys", SqlValue::ofText("")}});
    };
    addIndexRow(statement.table.name, 0);
    if (hasText) {
        // The text/image chain; its name is not documented, "t" + table name is common.
        addIndexRow("t" + statement.table.name, 255);
    }
    std::vector<Catalog::DataPartition> partitions(statement.partitions.count);
    for (size_t i = 0; i < partitions.size(); ++i) {
        if (i < statement.partitions.names.size())
            partitions[i].name = statement.partitions.names[i];
        bool ownSegment =
            i < statement.partitions.segments.size() && !statement.partitions.segments[i].empty();
        partitions[i].segment =
            ownSegment ? segmentNumber(statement.partitions.segments[i]) : segment;
    }
    state_.catalog.addDataPartitions(database_, id, statement.table.name, partitions);
    for (const ColumnDef& column : statement.columns) {
        for (const ConstraintDef& constraint : column.constraints)
            addConstraint(table, constraint, segment);
    }
    for (const ConstraintDef& constraint : statement.constraints)
        addConstraint(table, constraint, segment);
    applyTableOptions(table, statement.options, newResult(out));
}

void SessionImpl::refuseColumnDefinition(const ColumnDef& column, const ColumnStorage& storage)
{
    if (storage.type == TypeCode::Bit && storage.nullable) {
        throw EngineError{
            7777, 16,
            "Column '" + column.name + "' is of datatype bit, and bit columns cannot be NULL."};
    }
    if (column.identity && !findBuiltinType(column.type.name) &&
        state_.db.queryInt("SELECT allownulls FROM " + sysTable("systypes") +
                               " WHERE name = ?1 AND usertype >= 100",
                           {SqlValue::ofText(column.type.name)}) != 0) {
        throw EngineError{2751, 16,
                          "Column '" + column.name +
                              "' specified as IDENTITY must be numeric with scale 0, "
                              "not null, and the only identity column of the table."};
    }
}

// Returns the indid. A clustered index on an allpages table takes over the table's own
// row as indid 1; on a data-only-locked table it is an ordinary indid marked 0x200 in
// status2, and the table keeps its indid 0 row.
int SessionImpl::addIndex(const ObjectRef& table, const IndexSpec& wanted)
{
    bool dataOnly = (lockScheme(table.id) & (kLockDatapages | kLockDatarows)) != 0;
    for (const IndexRef& index : state_.catalog.indexes(database_, table.id)) {
        if (!wanted.name.empty() && index.name == wanted.name && index.indid > 0 &&
            index.indid < 255) {
            throw EngineError{1913, 16,
                              "There is already an index on table '" + table.name + "' named '" +
                                  wanted.name + "'"};
        }
        if (wanted.clustered && (index.indid == 1 || (index.status2 & kIndex2DataOnlyClustered))) {
            throw EngineError{1902, 16,
                              "Cannot create more than one clustered index on table '" +
                                  table.name + "'.  Drop the existing clustered index '" +
                                  index.name + "' before creating another"};
        }
    }
    std::vector<StoredColumn> columns = state_.catalog.columns(database_, table);
    std::string keyList, order;
    for (const IndexKey& key : wanted.keys) {
        auto found = std::find_if(columns.begin(), columns.end(),
                                  [&](const StoredColumn& c) { return c.info.name == key.column; });
        if (key.colid == 0 && found == columns.end()) {
            throw EngineError{
                1911, 16, "Column name '" + key.column + "' does not exist in the target table."};
        }
        if (key.colid == 0 && found->typeCode == TypeCode::Bit) {
            throw EngineError{7777, 16,
                              "Column '" + key.column +
                                  "' is of datatype bit, and bit columns cannot be indexed."};
        }
        int colid = key.colid ? key.colid : found->colid;
        keyList += (keyList.empty() ? "" : ",") + std::to_string(colid);
        order += key.descending ? 'D' : 'A';
    }
    bool takesTableRow = wanted.clustered && !dataOnly;
    int status = (wanted.unique ? kIndexUnique : 0) |
                 (takesTableRow ? kIndexAllpagesClustered : 0) | wanted.status;
    int status2 = wanted.status2 | (wanted.clustered && dataOnly ? kIndex2DataOnlyClustered : 0);
    int keycnt = static_cast<int>(wanted.keys.size()) + (takesTableRow ? 0 : 1);
    std::string tableId = std::to_string(table.id);
    int indid = 1;
    // The table's own space settings stay on the row that stands for the table.
    std::vector<std::pair<std::string, SqlValue>> tableValues;
    if (takesTableRow) {
        SqliteStatement row(state_.db.handle(),
                            "SELECT maxrowsperpage, exp_rowsize, res_page_gap, identitygap FROM " +
                                sysTable("sysindexes") + " WHERE id = ?1 AND indid = 0");
        row.bind(1, SqlValue::ofInt(table.id));
        if (row.step()) {
            if (wanted.options.maxRowsPerPage == 0)
                tableValues.emplace_back("maxrowsperpage", sqlValueFromColumn(row, 0));
            tableValues.emplace_back("exp_rowsize", sqlValueFromColumn(row, 1));
            if (wanted.options.reservePageGap == 0)
                tableValues.emplace_back("res_page_gap", sqlValueFromColumn(row, 2));
            tableValues.emplace_back("identitygap", sqlValueFromColumn(row, 3));
        }
        state_.db.exec("DELETE FROM " + sysTable("sysindexes") + " WHERE id = " + tableId +
                       " AND indid = 0");
    } else {
        indid = static_cast<int>(
            state_.db.queryInt("SELECT coalesce(max(indid), 1) + 1 FROM " + sysTable("sysindexes") +
                                   " WHERE id = ?1 AND indid BETWEEN 2 AND 250",
                               {SqlValue::ofInt(table.id)}));
        if (indid > 250) {
            throw EngineError{1910, 16, "Cannot create more than 249 indexes on one table."};
        }
    }
    if (wanted.clustered)
        setSysstat2(table.id, kHasClusteredIndex);
    std::string name = wanted.name.empty()
                           ? table.name.substr(0, 10) + "_" + tableId + std::to_string(indid)
                           : wanted.name;
    std::vector<std::pair<std::string, SqlValue>> values = {
        {"name", SqlValue::ofText(name)},
        {"id", SqlValue::ofInt(table.id)},
        {"indid", SqlValue::ofInt(indid)},
        {"status2", SqlValue::ofInt(status2)},
        {"segment", SqlValue::ofInt(wanted.segment)},
        {"status", SqlValue::ofInt(status)},
        {"keycnt", SqlValue::ofInt(keycnt)},
        {"fill_factor", SqlValue::ofInt(wanted.options.fillFactor)},
        {"res_page_gap", SqlValue::ofInt(wanted.options.reservePageGap)},
        {"exp_rowsize", SqlValue::ofInt(0)},
        {"identitygap", SqlValue::ofInt(0)},
        {"tdsim_keys", SqlValue::ofText(keyList)},
        {"tdsim_order", SqlValue::ofText(order)}};
    if (wanted.options.maxRowsPerPage)
        values.emplace_back("maxrowsperpage", SqlValue::ofInt(wanted.options.maxRowsPerPage));
    // The table's settings replace the index's where the index has none of its own.
    for (const auto& tableValue : tableValues) {
        auto own = std::find_if(values.begin(), values.end(),
                                [&](const auto& pair) { return pair.first == tableValue.first; });
        if (own != values.end())
            own->second = tableValue.second;
        else
            values.push_back(tableValue);
    }
    state_.catalog.insertRow(sysTable("sysindexes"), values);
    if (state_.catalog.hasStorage(database_, table.id)) {
        std::string sqliteKeys;
        for (size_t i = 0; i < wanted.keys.size(); ++i) {
            std::string colid = keyList.substr(0, keyList.find(','));
            keyList.erase(0, colid.size() + 1);
            sqliteKeys += (i ? ", " : "") +
                          state_.catalog.indexKeySql(database_, table.id, std::stoi(colid)) +
                          (wanted.keys[i].descending ? " DESC" : "");
        }
        try {
            state_.db.exec(std::string("CREATE ") + (wanted.unique ? "UNIQUE " : "") + "INDEX " +
                           Catalog::indexStorage(database_, table.id, indid) + " ON " +
                           Catalog::objectTable(database_, table.id) + " (" + sqliteKeys + ")");
        } catch (const SqliteError&) {
            throw EngineError{
                1505, 14,
                "Create unique index aborted on duplicate key.  Primary key is '" + name + "'"};
        }
    }
    state_.catalog.syncPartitions(database_, table.id);
    return indid;
}

// Removes an index's row and storage; a clustered allpages index gives its row back to
// the table as indid 0.
void SessionImpl::dropIndex(const ObjectRef& table, const IndexRef& index)
{
    std::string tableId = std::to_string(table.id);
    state_.db.exec("DROP INDEX IF EXISTS " +
                   Catalog::indexStorage(database_, table.id, index.indid));
    if (index.indid == 1) {
        state_.db.exec("UPDATE " + sysTable("sysindexes") +
                       " SET indid = 0, name = " + sqlString(table.name) +
                       ", status = 0, status2 = 0, keycnt = 0, fill_factor = 0, tdsim_keys = '', "
                       "tdsim_order = '' WHERE id = " +
                       tableId + " AND indid = 1");
    } else {
        state_.db.exec("DELETE FROM " + sysTable("sysindexes") + " WHERE id = " + tableId +
                       " AND indid = " + std::to_string(index.indid));
    }
    if (index.indid == 1 || (index.status2 & kIndex2DataOnlyClustered))
        setSysstat2(table.id, 0, kHasClusteredIndex);
    dropFunctionKeys(table, index);
    state_.catalog.syncPartitions(database_, table.id);
}

// Recreates the SQLite indexes of a table after its sysindexes rows changed.
void SessionImpl::rebuildIndexStorage(const ObjectRef& table)
{
    if (!state_.catalog.hasStorage(database_, table.id))
        return;
    std::vector<std::string> names;
    {
        SqliteStatement list(
            state_.db.handle(),
            "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1");
        list.bind(1, SqlValue::ofText(database_ + "#" + std::to_string(table.id)));
        while (list.step())
            names.push_back(list.textAt(0));
    }
    for (const std::string& name : names) {
        if (name.rfind("sqlite_", 0) != 0)
            state_.db.exec("DROP INDEX " + sqlName(name));
    }
    for (const IndexRef& index : state_.catalog.indexes(database_, table.id)) {
        if (index.indid < 1 || index.indid > 250 || index.keyColids.empty())
            continue;
        std::string keys;
        for (size_t key = 0; key < index.keyColids.size(); ++key) {
            keys += (keys.empty() ? "" : ", ") +
                    state_.catalog.indexKeySql(database_, table.id, index.keyColids[key]) +
                    (index.descending[key] ? " DESC" : "");
        }
        state_.db.exec(std::string("CREATE ") + ((index.status & kIndexUnique) ? "UNIQUE " : "") +
                       "INDEX " + Catalog::indexStorage(database_, table.id, index.indid) + " ON " +
                       Catalog::objectTable(database_, table.id) + " (" + keys + ")");
    }
}

// The expression keys of CREATE INDEX become hidden columns named sybfi<indid>_<key>
// (function-based indexes are never clustered, so the index takes the next indid).
void SessionImpl::addFunctionKeys(const CreateIndexStatement& statement, const TableBinding& table,
                                  IndexSpec& wanted)
{
    bool anyExpression = false;
    for (const ExprPtr& expression : statement.keyExpressions)
        anyExpression = anyExpression || expression;
    if (!anyExpression)
        return;
    if (statement.clustered || statement.sortedData) {
        throw EngineError{7777, 16,
                          "A function-based index cannot be clustered or use sorted_data."};
    }
    std::string saved = database_;
    database_ = table.object.database;
    try {
        int indid = static_cast<int>(
            state_.db.queryInt("SELECT coalesce(max(indid), 1) + 1 FROM " + sysTable("sysindexes") +
                                   " WHERE id = ?1 AND indid BETWEEN 2 AND 250",
                               {SqlValue::ofInt(table.object.id)}));
        for (size_t i = 0; i < statement.keyExpressions.size(); ++i) {
            if (!statement.keyExpressions[i])
                continue;
            std::string name = "sybfi" + std::to_string(indid) + "_" + std::to_string(i + 1);
            wanted.keys[i].colid =
                addFunctionKey(table, *statement.keyExpressions[i], statement.keys[i].first, name);
            wanted.keys[i].column = name;
        }
    } catch (...) {
        database_ = saved;
        throw;
    }
    database_ = saved;
}

void SessionImpl::createIndex(const CreateIndexStatement& statement, Results& out)
{
    SqlRenderer renderer(*this);
    TableBinding table = renderer.bindTable(statement.table, false);
    if (table.object.type != "U") {
        throw EngineError{1919, 16, "Cannot create index on object '" + table.object.name + "'."};
    }
    if (statement.ignoreDupKey && !statement.unique) {
        throw EngineError{
            1916, 16, "CREATE INDEX options nonunique and ignore_dup_key are mutually exclusive."};
    }
    if ((statement.ignoreDupRow || statement.allowDupRow) && statement.unique) {
        throw EngineError{
            1916, 16,
            "CREATE INDEX options unique and ignore_dup_row/allow_dup_row are mutually exclusive."};
    }
    IndexSpec wanted;
    wanted.name = statement.name;
    wanted.unique = statement.unique;
    wanted.clustered = statement.clustered;
    for (const auto& [column, descending] : statement.keys)
        wanted.keys.push_back({column, descending});
    addFunctionKeys(statement, table, wanted);
    wanted.status = (statement.ignoreDupKey ? 0x1 : 0) | (statement.ignoreDupRow ? 0x4 : 0) |
                    (statement.allowDupRow ? 0x40 : 0) | (statement.sortedData ? 0x200 : 0);
    wanted.options = statement.options;
    std::string saved = database_;
    database_ = table.object.database;
    try {
        wanted.segment = segmentNumber(statement.segment);
        addIndex(table.object, wanted);
    } catch (...) {
        database_ = saved;
        throw;
    }
    database_ = saved;
    newResult(out);
}

void SessionImpl::createTextObject(const CreateTextObjectStatement& statement, Results& out)
{
    int owner = ownerUidFor(statement.name);
    std::string ownerName = state_.catalog.userName(database_, owner);
    auto existing = state_.catalog.findObject(database_, ownerName, statement.name.name, owner);
    const std::string& type = statement.objectType;
    int id = 0;
    if (existing) {
        bool addsToGroup = type == "P" && existing->type == "P" && statement.groupNumber > 1 &&
                           state_.db.queryInt("SELECT count(*) FROM " + sysTable("syscomments") +
                                                  " WHERE id = ?1 AND number = ?2",
                                              {SqlValue::ofInt(existing->id),
                                               SqlValue::ofInt(statement.groupNumber)}) == 0;
        if (!addsToGroup)
            throw alreadyExists(statement.name.name);
        id = existing->id;
    }
    if (type == "V") {
        SqlRenderer renderer(*this);
        RenderedQuery query = renderer.renderSelect(*statement.view);
        if (!statement.viewColumns.empty() &&
            statement.viewColumns.size() != query.columns.size()) {
            throw EngineError{8158, 16,
                              "'" + statement.name.name +
                                  "' has more columns than were specified in the column list."};
        }
        id = addObjectRow(statement.name.name, owner, "V", objectClass("V"), 0);
        state_.db.exec("CREATE VIEW " + Catalog::objectTable(database_, id) + " AS " + query.sql);
        for (size_t i = 0; i < query.columns.size(); ++i) {
            ColumnInfo& column = query.columns[i];
            std::string name =
                statement.viewColumns.empty() ? column.name : statement.viewColumns[i];
            if (name.empty()) {
                throw EngineError{4506, 16,
                                  "Column names in each view must be unique and not empty."};
            }
            int usertype = column.userType;
            const BuiltinType* builtin = findBuiltinTypeByUsertype(usertype);
            int typeCode = builtin ? builtin->type : TypeCode::VarChar;
            if (column.nullable)
                typeCode = nullableTwin(typeCode);
            state_.catalog.insertRow(
                sysTable("syscolumns"),
                {{"id", SqlValue::ofInt(id)},
                 {"colid", SqlValue::ofInt(static_cast<int>(i + 1))},
                 {"status", SqlValue::ofInt(column.nullable ? 8 : 0)},
                 {"type", SqlValue::ofInt(typeCode)},
                 {"length", SqlValue::ofInt(column.length)},
                 {"usertype", SqlValue::ofInt(usertype)},
                 {"name", SqlValue::ofText(name)},
                 {"prec",
                  isExactType(column.type) ? SqlValue::ofInt(column.precision) : SqlValue::null()},
                 {"scale",
                  isExactType(column.type) ? SqlValue::ofInt(column.scale) : SqlValue::null()}});
        }
    } else if (type == "TR") {
        SqlRenderer renderer(*this);
        TableBinding table = renderer.bindTable(statement.triggerTable, false);
        // Instead-of triggers are for views; the others for tables. A trigger on a view is
        // linked to it as a table's trigger is, which is what marks it as instead-of.
        if (statement.insteadOf && table.object.type != "V") {
            throw EngineError{7777, 16,
                              "An instead of trigger can be created only on a view; '" +
                                  table.object.name + "' is not a view."};
        }
        if (!statement.insteadOf && table.object.type != "U") {
            throw EngineError{2108, 16, "Cannot create a trigger on a view or system table."};
        }
        releaseTriggerActions(table.object.id, statement);
        id = addObjectRow(statement.name.name, owner, "TR", objectClass("TR"), 0, table.object.id);
        std::string sets;
        if (statement.forInsert)
            sets += "instrig = " + std::to_string(id);
        if (statement.forUpdate)
            sets += std::string(sets.empty() ? "" : ", ") + "updtrig = " + std::to_string(id);
        if (statement.forDelete)
            sets += std::string(sets.empty() ? "" : ", ") + "deltrig = " + std::to_string(id);
        state_.db.exec("UPDATE " + sysTable("sysobjects") + " SET " + sets +
                       " WHERE id = " + std::to_string(table.object.id));
        // A new trigger starts enabled.
        setSysstat2(table.object.id, 0,
                    (statement.forInsert ? kInsertTriggerDisabled : 0) |
                        (statement.forUpdate ? kUpdateTriggerDisabled : 0) |
                        (statement.forDelete ? kDeleteTriggerDisabled : 0));
    } else if (id == 0) {
        id = addObjectRow(statement.name.name, owner, type, objectClass(type),
                          type == "P" ? procedureStatus(statement, options_.chained) : 0);
    }
    int number = type == "P" ? statement.groupNumber : type == "SF" ? 1 : 0;
    if (type == "P" || type == "SF") {
        for (size_t i = 0; i < statement.parameters.size(); ++i) {
            const ProcedureParameter& parameter = statement.parameters[i];
            ColumnStorage storage;
            bool identity = false;
            int typeDefault = 0, typeRule = 0;
            std::string error;
            if (!state_.catalog.storageFor(database_, parameter.type, true, storage, identity,
                                           typeDefault, typeRule, error)) {
                throw EngineError{2715, 16, error};
            }
            // Parameters are stored nullable; output parameters carry 0x40 in status.
            state_.catalog.insertRow(
                sysTable("syscolumns"),
                {{"id", SqlValue::ofInt(id)},
                 {"number", SqlValue::ofInt(number)},
                 {"colid", SqlValue::ofInt(static_cast<int>(i + 1))},
                 {"status", SqlValue::ofInt(0x08 | (parameter.output ? 0x40 : 0))},
                 {"type", SqlValue::ofInt(storage.type)},
                 {"length", SqlValue::ofInt(storage.length)},
                 {"usertype", SqlValue::ofInt(storage.usertype)},
                 {"name", SqlValue::ofText(parameter.name)},
                 {"prec",
                  storage.precision >= 0 ? SqlValue::ofInt(storage.precision) : SqlValue::null()},
                 {"scale", storage.scale >= 0 ? SqlValue::ofInt(storage.scale) : SqlValue::null()},
                 {"status2", SqlValue::ofInt(parameter.output ? 2 : 1)}});
        }
    }
    storeText(id, number, statement.text);
    addProcedureRow(id, number, false);
    StatementResult& result = newResult(out);
    if (type != "R" && type != "D")
        recordDependencies(id, number, owner, statement, result);
}

// A table has one trigger per action: a new trigger takes its actions from the
// triggers that had them, and a trigger left with no action is dropped.
void SessionImpl::releaseTriggerActions(int tableId, const CreateTextObjectStatement& trigger)
{
    std::vector<int> previous;
    for (auto [column, taken] :
         {std::pair{"instrig", trigger.forInsert}, std::pair{"updtrig", trigger.forUpdate},
          std::pair{"deltrig", trigger.forDelete}}) {
        if (!taken)
            continue;
        std::string table = sysTable("sysobjects");
        std::string where = " WHERE id = " + std::to_string(tableId);
        int old = static_cast<int>(
            state_.db.queryInt("SELECT " + std::string(column) + " FROM " + table + where));
        if (old == 0)
            continue;
        previous.push_back(old);
        state_.db.exec("UPDATE " + table + " SET " + column + " = 0" + where);
    }
    for (int old : previous) {
        std::string id = std::to_string(old);
        bool stillUsed = state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysobjects") +
                                            " WHERE id = " + std::to_string(tableId) + " AND " +
                                            id + " IN (instrig, updtrig, deltrig)") > 0;
        auto object = state_.catalog.findObjectById(database_, old);
        if (!stillUsed && object)
            dropObjectRows(*object);
    }
}

// Drops the objects whose ids `query` returns for the object `id` (its ?1): what goes
// with a table or a view.
void SessionImpl::dropObjectsFound(const std::string& query, int id)
{
    // Collected first: dropping changes the rows the query reads.
    std::vector<int> found;
    {
        SqliteStatement rows(state_.db.handle(), query);
        rows.bind(1, SqlValue::ofInt(id));
        while (rows.step())
            found.push_back(static_cast<int>(rows.intAt(0)));
    }
    for (int objectId : found) {
        if (auto object = state_.catalog.findObjectById(database_, objectId))
            dropObjectRows(*object);
    }
}

void SessionImpl::dropObjectRows(const ObjectRef& object)
{
    std::string id = std::to_string(object.id);
    for (const char* table :
         {"syscolumns", "syscomments", "sysprotects", "sysdepends", "sysprocedures"}) {
        state_.db.exec("DELETE FROM " + sysTable(table) + " WHERE id = " + id);
    }
    state_.db.exec("DELETE FROM " + sysTable("sysobjects") + " WHERE id = " + id);
}

void SessionImpl::dropObjects(const DropStatement& statement, Results& out)
{
    static const std::map<std::string, std::string> words = {
        {"U", "table"},    {"V", "view"}, {"P", "procedure"}, {"SF", "function"},
        {"TR", "trigger"}, {"R", "rule"}, {"D", "default"}};
    for (const ObjectName& name : statement.names) {
        if (statement.objectType == "INDEX") {
            // table.index (or owner.table.index)
            ObjectName tableName;
            tableName.name = name.owner;
            tableName.owner = name.database;
            if (tableName.name.empty()) {
                throw EngineError{3701, 11,
                                  "Cannot drop the index '" + name.name +
                                      "', because it doesn't exist in the system catalogs."};
            }
            SqlRenderer renderer(*this);
            TableBinding table = renderer.bindTable(tableName, false);
            const IndexRef* victim = nullptr;
            auto indexes = state_.catalog.indexes(database_, table.object.id);
            for (const IndexRef& index : indexes) {
                if (index.name == name.name && index.indid > 0 && index.indid < 255)
                    victim = &index;
            }
            if (!victim) {
                throw EngineError{3703, 11,
                                  "Cannot drop the index '" + tableName.name + "." + name.name +
                                      "', because it doesn't exist in the system catalogs."};
            }
            if (victim->status2 & kIndex2Constraint) {
                throw EngineError{3710, 16,
                                  "Cannot use DROP or REPLACE with '" + name.name + "' because '" +
                                      name.name + "' is a constraint. Use ALTER TABLE."};
            }
            dropIndex(table.object, *victim);
            continue;
        }
        std::string database = name.database.empty() ? database_ : name.database;
        auto object = state_.catalog.findObject(database, name.owner, name.name, uid_);
        if (!object || object->type != statement.objectType || database != database_) {
            throw EngineError{3701, 11,
                              "Cannot drop the " + words.at(statement.objectType) + " '" +
                                  name.name +
                                  "', because it doesn't exist in the system catalogs."};
        }
        std::string id = std::to_string(object->id);
        if (object->type == "U") {
            // Constraints, triggers and declared defaults go with the table.
            dropTableConstraints(*object);
            dropObjectsFound(
                "SELECT id FROM " + sysTable("sysobjects") +
                    " WHERE (type = 'TR' AND deltrig = ?1)"
                    " OR id IN (SELECT cdefault FROM " +
                    sysTable("syscolumns") +
                    " WHERE id = ?1 AND cdefault <> 0 AND cdefault IN (SELECT id FROM " +
                    sysTable("sysprocedures") + " WHERE status & " +
                    std::to_string(kProcedureDeclared) + " <> 0))",
                object->id);
            for (const IndexRef& index : state_.catalog.indexes(database_, object->id)) {
                state_.db.exec("DROP INDEX IF EXISTS " +
                               sqlName(database_ + "#" + id + "#" + std::to_string(index.indid)));
            }
            state_.db.exec("DELETE FROM " + sysTable("sysindexes") + " WHERE id = " + id);
            state_.db.exec("DELETE FROM " + sysTable("syspartitions") + " WHERE id = " + id);
            state_.db.exec("DROP TABLE IF EXISTS " + Catalog::objectTable(database_, object->id));
        } else if (object->type == "V") {
            // Its instead-of triggers go with the view.
            dropObjectsFound(
                "SELECT id FROM " + sysTable("sysobjects") + " WHERE type = 'TR' AND deltrig = ?1",
                object->id);
            state_.db.exec("DROP VIEW " + Catalog::objectTable(database_, object->id));
        } else if (object->type == "TR") {
            state_.db.exec("UPDATE " + sysTable("sysobjects") +
                           " SET instrig = CASE WHEN instrig = " + id +
                           " THEN 0 ELSE instrig END, updtrig = CASE WHEN updtrig = " + id +
                           " THEN 0 ELSE updtrig END, deltrig = CASE WHEN deltrig = " + id +
                           " AND type <> 'TR' THEN 0 ELSE deltrig END WHERE type IN ('U', 'V')");
        } else if (object->type == "R" || object->type == "D") {
            if (isDeclared(object->id)) {
                throw EngineError{
                    3710, 16,
                    "Cannot use DROP or REPLACE with '" + name.name + "' because '" + name.name +
                        "' is a " +
                        (object->type == "R" ? "check constraint" : "declared default") +
                        ". Use ALTER TABLE."};
            }
            const char* column = object->type == "R" ? "domain" : "cdefault";
            const char* typeColumn = object->type == "R" ? "domain" : "tdefault";
            int64_t columnUses = state_.db.queryInt(
                "SELECT count(*) FROM " + sysTable("syscolumns") + " WHERE " + column + " = " + id);
            int64_t typeUses = state_.db.queryInt("SELECT count(*) FROM " + sysTable("systypes") +
                                                  " WHERE " + typeColumn + " = " + id);
            if (columnUses + typeUses > 0) {
                throw EngineError{3716, 16,
                                  "The " + words.at(object->type) + " '" + name.name +
                                      "' cannot be dropped because it is bound to one or more " +
                                      (columnUses > 0 ? "column" : "datatype") + "."};
            }
        }
        dropObjectRows(*object);
    }
    newResult(out);
}

namespace {

// The actions "grant all" gives on an object of each type (15.x: the statistics and
// truncate permissions come with a table; decrypt and transfer table never do).
std::vector<int> allActionsFor(const std::string& objectType)
{
    if (objectType == "P")
        return {224};
    if (objectType == "V")
        return {193, 195, 196, 197};
    return {193, 195, 196, 197, 151, 282, 320, 326};
}

bool takesColumns(int action)
{
    return action == 193 || action == 197 || action == 151;
}

// sysprotects.columns: bit (colid % 8) of byte colid / 8. Bit 0 of the first byte means
// "every column"; with it set, the other bits are the columns excepted by a revoke.
class ColumnBitmap {
public:
    static ColumnBitmap everyColumn() { return ColumnBitmap(std::string(1, '\x01')); }
    explicit ColumnBitmap(std::string bytes = {}) : bytes_(std::move(bytes)) {}

    bool coversAll() const { return !bytes_.empty() && (bytes_[0] & 1); }
    bool has(int colid) const
    {
        size_t byte = static_cast<size_t>(colid / 8);
        return byte < bytes_.size() && (bytes_[byte] & (1 << (colid % 8)));
    }
    void set(int colid, bool on)
    {
        size_t byte = static_cast<size_t>(colid / 8);
        if (bytes_.size() <= byte)
            bytes_.resize(byte + 1, '\0');
        char bit = static_cast<char>(1 << (colid % 8));
        bytes_[byte] = static_cast<char>(on ? bytes_[byte] | bit : bytes_[byte] & ~bit);
        while (bytes_.size() > 1 && bytes_.back() == '\0')
            bytes_.pop_back();
    }
    // Whether any of `colids` is still covered.
    bool coversAny(const std::vector<int>& colids) const
    {
        for (int colid : colids) {
            if (coversAll() != has(colid))
                return true;
        }
        return false;
    }
    // Adds (grant) or removes (revoke) columns, keeping the encoding it has.
    void apply(const std::vector<int>& colids, bool grant)
    {
        for (int colid : colids)
            set(colid, coversAll() ? !grant : grant);
    }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace

void SessionImpl::grantOrRevoke(const GrantStatement& statement, Results& out)
{
    int objectId = 0;
    int grantor = uid_;
    std::vector<int> actions = statement.actions;
    std::vector<int> allColids;     // every column of the object
    std::vector<int> listedColids;  // the statement's column list
    if (!statement.object.empty()) {
        std::string database =
            statement.object.database.empty() ? database_ : statement.object.database;
        auto object = state_.catalog.findObject(database, statement.object.owner,
                                                statement.object.name, uid_);
        if (!object || database != database_)
            throw objectNotFound(statement.object.text());
        objectId = object->id;
        grantor = statement.grantedBy.empty() ? grantorFor(*object, statement, uid_)
                                              : namedGrantor(statement, &*object);
        if (statement.all)
            actions = allActionsFor(object->type);
        if (object->type == "U" || object->type == "V" || object->type == "S") {
            auto columns = state_.catalog.columns(database_, *object);
            for (const StoredColumn& column : columns)
                allColids.push_back(column.colid);
            for (const std::string& name : statement.columns) {
                auto found =
                    std::find_if(columns.begin(), columns.end(),
                                 [&](const StoredColumn& c) { return c.info.name == name; });
                if (found == columns.end())
                    throw invalidColumn(name);
                listedColids.push_back(found->colid);
            }
        }
    }
    if (statement.object.empty() && !statement.grantedBy.empty())
        grantor = namedGrantor(statement, nullptr);
    if (statement.object.empty() && statement.all) {
        // The create permissions (15.x adds create function); create database only in master.
        actions = {233, 222, 236, 198, 207, kCreateFunctionAction};
        if (database_ == "master")
            actions.push_back(203);
    }
    for (const std::string& grantee : statement.grantees) {
        std::optional<int> uid = state_.catalog.userUid(database_, grantee);
        if (!uid && statement.grant)
            uid = state_.catalog.addRoleToDatabase(database_, grantee);
        if (!uid) {
            throw EngineError{4604, 16, "There is no such user or group '" + grantee + "'."};
        }
        for (int action : actions) {
            bool byColumn = takesColumns(action) && !listedColids.empty();
            ProtectionRow row{objectId, *uid, action, grantor};
            if (statement.grant)
                grantAction(row, byColumn ? &listedColids : nullptr, statement.withGrantOption);
            else
                revokeAction(row, byColumn ? &listedColids : nullptr, allColids);
        }
    }
    newResult(out);
}

// Who a grant on an object is recorded from: the owner, also when the database owner
// or a System Administrator grants; a user holding the grant option, in its own name.
// Anyone else may not grant.
int SessionImpl::grantorFor(const ObjectRef& object, const GrantStatement& statement, int acting)
{
    if (acting == object.uid || acting == 1)
        return statement.grantedBy.empty() ? object.uid : acting;
    for (int action : statement.all ? allActionsFor(object.type) : statement.actions) {
        if (state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysprotects") +
                                   " WHERE id = ?1 AND uid = ?2 AND action = ?3 AND "
                                   "protecttype = 0",
                               {SqlValue::ofInt(object.id), SqlValue::ofInt(acting),
                                SqlValue::ofInt(action)}) == 0) {
            throw EngineError{4613, 16, "Grantor does not have GRANT permission."};
        }
    }
    return acting;
}

// `granted by user`: the database owner (also while impersonating someone with setuser)
// or a holder of sso_role records the grant in another user's name; that user must be
// able to grant it (owner, database owner or holder of the grant option).
int SessionImpl::namedGrantor(const GrantStatement& statement, const ObjectRef* object)
{
    constexpr int kSsoRole = 1;
    if (ownUid_.value_or(uid_) != 1 && !holdsRole(kSsoRole))
        throw EngineError{4613, 16, "Grantor does not have GRANT permission."};
    std::optional<int> grantor = state_.catalog.userUid(database_, statement.grantedBy);
    if (!grantor)
        throw EngineError{4604, 16,
                          "There is no such user or group '" + statement.grantedBy + "'."};
    return object ? grantorFor(*object, statement, *grantor) : *grantor;
}

// The grantee's own grant row of an action, if any: its protect type and columns.
std::optional<std::pair<int, SqlValue>> SessionImpl::directGrant(const ProtectionRow& row)
{
    SqliteStatement select(state_.db.handle(),
                           "SELECT protecttype, columns FROM " + sysTable("sysprotects") +
                               " WHERE id = ?1 AND uid = ?2 AND action = ?3 AND "
                               "protecttype IN (0, 1)");
    select.bindAll(
        {SqlValue::ofInt(row.id), SqlValue::ofInt(row.uid), SqlValue::ofInt(row.action)});
    if (!select.step())
        return std::nullopt;
    return std::pair{static_cast<int>(select.intAt(0)), sqlValueFromColumn(select, 1)};
}

void SessionImpl::writeProtection(const ProtectionRow& row, int protectType,
                                  const SqlValue& columns)
{
    SqliteStatement remove(state_.db.handle(), "DELETE FROM " + sysTable("sysprotects") +
                                                   " WHERE id = ?1 AND uid = ?2 AND action = ?3");
    remove.bindAll(
        {SqlValue::ofInt(row.id), SqlValue::ofInt(row.uid), SqlValue::ofInt(row.action)});
    remove.step();
    if (protectType < 0)
        return;
    state_.catalog.insertRow(sysTable("sysprotects"),
                             {{"id", SqlValue::ofInt(row.id)},
                              {"uid", SqlValue::ofInt(row.uid)},
                              {"action", SqlValue::ofInt(row.action)},
                              {"protecttype", SqlValue::ofInt(protectType)},
                              {"columns", columns},
                              {"grantor", SqlValue::ofInt(row.grantor)}});
}

void SessionImpl::grantAction(const ProtectionRow& row, const std::vector<int>* colids,
                              bool withGrantOption)
{
    int protectType = withGrantOption ? 0 : 1;
    if (!takesColumns(row.action))
        return writeProtection(row, protectType, SqlValue::null());
    ColumnBitmap bitmap = ColumnBitmap::everyColumn();
    if (colids) {
        // Columns granted again join the columns already granted.
        auto existing = directGrant(row);
        bitmap = existing ? ColumnBitmap(existing->second.text) : ColumnBitmap();
        bitmap.apply(*colids, true);
        if (existing && existing->first == 0)
            protectType = 0;
    }
    writeProtection(row, protectType, SqlValue::ofBlob(bitmap.bytes()));
}

void SessionImpl::revokeAction(const ProtectionRow& row, const std::vector<int>* colids,
                               const std::vector<int>& allColids)
{
    if (auto existing = directGrant(row)) {
        if (!colids || !takesColumns(row.action))
            return writeProtection(row, -1, {});
        // A column-level revoke takes only those columns out of the grant.
        ColumnBitmap bitmap(existing->second.text);
        bitmap.apply(*colids, false);
        if (!bitmap.coversAny(allColids))
            return writeProtection(row, -1, {});
        return writeProtection(row, existing->first, SqlValue::ofBlob(bitmap.bytes()));
    }
    // Nothing granted to this grantee directly: when a grant to public or to its group
    // covers it, the revoke is recorded as an exception row.
    int64_t inherited = state_.db.queryInt(
        "SELECT count(*) FROM " + sysTable("sysprotects") +
            " p WHERE p.id = ?1 AND p.action = ?3 AND p.protecttype IN (0, 1) AND p.uid <> ?2 "
            "AND (p.uid = 0 OR p.uid = (SELECT gid FROM " +
            sysTable("sysusers") + " WHERE uid = ?2))",
        {SqlValue::ofInt(row.id), SqlValue::ofInt(row.uid), SqlValue::ofInt(row.action)});
    if (inherited == 0)
        return;
    SqlValue columns = SqlValue::null();
    if (takesColumns(row.action)) {
        ColumnBitmap bitmap = colids ? ColumnBitmap() : ColumnBitmap::everyColumn();
        if (colids)
            bitmap.apply(*colids, true);
        columns = SqlValue::ofBlob(bitmap.bytes());
    }
    writeProtection(row, 2, columns);
}

}  // namespace tdsim
