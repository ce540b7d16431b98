// System procedures: users, groups, types, bindings, help and tdsim's own counters.
#include <map>

#include "engine/Parser.h"
#include "engine/ServerProcedures.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

EngineError procedureError(int number, const std::string& text)
{
    return {number, 16, text};
}

void tdsimStats(SystemProcedureCall& call)
{
    ServerStats& stats = call.state().stats;
    ResultSet set;
    for (const char* column :
         {"requests", "statements", "cursor_fetches", "bytes_in", "bytes_out"}) {
        ColumnInfo info = makeColumnInfo(ColumnType::BigInt, 8, false);
        info.name = column;
        set.columns.push_back(info);
    }
    set.rows.push_back({Value::ofInt(static_cast<int64_t>(stats.requests.load())),
                        Value::ofInt(static_cast<int64_t>(stats.statements.load())),
                        Value::ofInt(static_cast<int64_t>(stats.cursorFetches.load())),
                        Value::ofInt(static_cast<int64_t>(stats.bytesIn.load())),
                        Value::ofInt(static_cast<int64_t>(stats.bytesOut.load()))});
    if (toLower(call.arg(0)) == "reset")
        stats.reset();
    StatementResult result;
    result.resultSet = std::move(set);
    result.hasRowCount = true;
    result.rowCount = 1;
    call.out.push_back(std::move(result));
}

void addUser(SystemProcedureCall& call)
{
    std::string login = call.requireArg(0, "@loginame");
    std::string user = call.arg(1).empty() ? login : call.arg(1);
    std::string group = call.arg(2);
    if (call.catalog().userUid(call.database(), user)) {
        throw procedureError(
            17331, "User or group '" + user + "' already exists in the current database.");
    }
    int suid, uid;
    if (login == "guest") {
        suid = -1;
        uid = 2;
    } else {
        suid = call.catalog().loginSuid(login);
        if (suid == 0)
            throw procedureError(17232, "No such login -- '" + login + "'.");
        if (call.catalog().uidForSuid(call.database(), suid) >= 0) {
            throw procedureError(17330,
                                 "The login '" + login + "' already has a user in this database.");
        }
        uid = static_cast<int>(call.db().queryInt("SELECT max(uid) + 1 FROM " +
                                                      call.sysTable("sysusers") +
                                                      " WHERE uid BETWEEN 3 AND 16383",
                                                  {}, 3));
        if (uid < 3)
            uid = 3;
    }
    int gid = 0;
    if (!group.empty()) {
        auto groupUid = call.catalog().userUid(call.database(), group);
        bool isGroup =
            groupUid && call.db().queryInt("SELECT count(*) FROM " + call.sysTable("sysusers") +
                                               " WHERE uid = ?1 AND gid = uid",
                                           {SqlValue::ofInt(*groupUid)}) > 0;
        if (!isGroup)
            throw procedureError(17333, "No group with the specified name exists.");
        gid = *groupUid;
    }
    call.catalog().insertRow(call.sysTable("sysusers"), {{"suid", SqlValue::ofInt(suid)},
                                                         {"uid", SqlValue::ofInt(uid)},
                                                         {"gid", SqlValue::ofInt(gid)},
                                                         {"name", SqlValue::ofText(user)}});
    call.info("New user added.");
}

void addGroup(SystemProcedureCall& call)
{
    std::string group = call.requireArg(0, "@grpname");
    if (call.catalog().userUid(call.database(), group)) {
        throw procedureError(17331,
                             "A user or group with the name '" + group + "' already exists.");
    }
    int uid = static_cast<int>(call.db().queryInt(
        "SELECT max(uid) + 1 FROM " + call.sysTable("sysusers") + " WHERE uid >= 16384", {},
        16384));
    call.catalog().insertRow(call.sysTable("sysusers"), {{"suid", SqlValue::ofInt(-2)},
                                                         {"uid", SqlValue::ofInt(uid)},
                                                         {"gid", SqlValue::ofInt(uid)},
                                                         {"name", SqlValue::ofText(group)}});
    call.info("New group added.");
}

void dropUserOrGroup(SystemProcedureCall& call)
{
    std::string user = call.requireArg(0, call.name == "sp_dropuser" ? "@name_in_db" : "@grpname");
    auto uid = call.catalog().userUid(call.database(), user);
    if (!uid || *uid == 1 || *uid == 0) {
        throw procedureError(17232, "No " +
                                        std::string(call.name == "sp_dropuser" ? "user" : "group") +
                                        " with the specified name exists in the current database.");
    }
    std::string id = std::to_string(*uid);
    if (call.name == "sp_dropgroup" &&
        call.db().queryInt("SELECT count(*) FROM " + call.sysTable("sysusers") +
                           " WHERE gid = " + id + " AND uid <> gid") > 0) {
        throw procedureError(17290,
                             "Group has members. It must be empty before it can be dropped.");
    }
    if (call.db().queryInt("SELECT count(*) FROM " + call.sysTable("sysobjects") +
                           " WHERE uid = " + id) > 0) {
        throw procedureError(
            17289, "You cannot drop user because user '" + user + "' owns objects in database.");
    }
    call.db().exec("DELETE FROM " + call.sysTable("sysprotects") + " WHERE uid = " + id);
    call.db().exec("DELETE FROM " + call.sysTable("sysusers") + " WHERE uid = " + id);
    call.info(call.name == "sp_dropuser" ? "User has been dropped from current database."
                                         : "Group has been dropped.");
}

void changeGroup(SystemProcedureCall& call)
{
    std::string group = call.requireArg(0, "@grpname");
    std::string user = call.requireArg(1, "@username");
    auto gid =
        group == "public" ? std::optional<int>(0) : call.catalog().userUid(call.database(), group);
    auto uid = call.catalog().userUid(call.database(), user);
    if (!gid)
        throw procedureError(17333, "No group with the specified name exists.");
    if (!uid)
        throw procedureError(17232,
                             "No user with the specified name exists in the current database.");
    call.db().exec("UPDATE " + call.sysTable("sysusers") + " SET gid = " + std::to_string(*gid) +
                   " WHERE uid = " + std::to_string(*uid));
    call.info("Group changed.");
}

void addType(SystemProcedureCall& call)
{
    std::string typeName = call.requireArg(0, "@typename");
    TypeSpec typeSpec = parseTypeSpec(call.requireArg(1, "@phystype"));
    // The third argument is "identity" or the null type.
    std::string option = toLower(call.arg(2));
    if (findBuiltinType(typeName) ||
        call.db().queryInt("SELECT count(*) FROM " + call.sysTable("systypes") + " WHERE name = ?1",
                           {SqlValue::ofText(typeName)}) > 0) {
        throw procedureError(17368, "A type with the specified name already exists.");
    }
    const BuiltinType* base = findBuiltinType(typeSpec.name);
    if (!base || base->usertype == 80) {
        throw procedureError(
            17369, "Physical datatype does not exist or may not be used for a user type.");
    }
    bool identity = option == "identity";
    // Without a null type the type follows the database's null mode; bit never allows nulls.
    bool allowNulls = option == "null" || (option.empty() && base->type != TypeCode::Bit &&
                                           call.catalog().nullsByDefault(call.database()));
    if (!option.empty() && !identity && option != "null" && option != "nonull" &&
        option != "not null") {
        throw procedureError(
            17370, "Illegal third parameter: use 'null', 'nonull', 'not null' or 'identity'.");
    }
    ColumnStorage storage;
    std::string error;
    if (!storageForBuiltin(typeSpec, false, call.catalog().ncharSize(), storage, error))
        throw procedureError(17371, error);
    if (identity && !((storage.type == TypeCode::Numeric || storage.type == TypeCode::Decimal) &&
                      storage.scale == 0)) {
        throw procedureError(17372, "Identity types must be numeric with scale 0.");
    }
    int usertype = static_cast<int>(call.db().queryInt(
        "SELECT max(usertype) + 1 FROM " + call.sysTable("systypes") + " WHERE usertype >= 100", {},
        100));
    call.catalog().insertRow(
        call.sysTable("systypes"),
        {{"uid", SqlValue::ofInt(call.uid())},
         {"usertype", SqlValue::ofInt(usertype)},
         {"variable", SqlValue::ofInt(base->variable)},
         {"allownulls", SqlValue::ofInt(allowNulls)},
         {"type", SqlValue::ofInt(storage.type)},
         {"length", SqlValue::ofInt(storage.length)},
         {"name", SqlValue::ofText(typeName)},
         {"prec", storage.precision >= 0 ? SqlValue::ofInt(storage.precision) : SqlValue::null()},
         {"scale", storage.scale >= 0 ? SqlValue::ofInt(storage.scale) : SqlValue::null()},
         {"ident", SqlValue::ofInt(identity ? 1 : 0)},
         {"hierarchy", SqlValue::ofInt(base->hierarchy)}});
    call.info("Type added.");
}

void dropType(SystemProcedureCall& call)
{
    std::string typeName = call.requireArg(0, "@typename");
    int64_t usertype = call.db().queryInt("SELECT usertype FROM " + call.sysTable("systypes") +
                                              " WHERE name = ?1 AND usertype >= 100",
                                          {SqlValue::ofText(typeName)}, -1);
    if (usertype < 0)
        throw procedureError(17461, "The type doesn't exist or you don't own it.");
    if (call.db().queryInt("SELECT count(*) FROM " + call.sysTable("syscolumns") +
                           " WHERE usertype = " + std::to_string(usertype)) > 0) {
        throw procedureError(17462, "Type is being used. You cannot drop it.");
    }
    call.db().exec("DELETE FROM " + call.sysTable("systypes") +
                   " WHERE usertype = " + std::to_string(usertype));
    call.info("Type has been dropped.");
}

// 'name', 'owner.name' or 'db.owner.name' as a system procedure argument.
ObjectName objectNameArgument(const std::string& text)
{
    ObjectName name;
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t dot = text.find('.'); dot != std::string::npos; dot = text.find('.', begin)) {
        parts.push_back(text.substr(begin, dot - begin));
        begin = dot + 1;
    }
    parts.push_back(text.substr(begin));
    name.name = parts.back();
    if (parts.size() > 1)
        name.owner = parts[parts.size() - 2];
    if (parts.size() > 2)
        name.database = parts[parts.size() - 3];
    return name;
}

bool isDeclaredObject(SystemProcedureCall& call, int id)
{
    return call.db().queryInt("SELECT count(*) FROM " + call.sysTable("sysprocedures") +
                                  " WHERE id = ?1 AND status & " +
                                  std::to_string(kProcedureDeclared) + " <> 0",
                              {SqlValue::ofInt(id)}) > 0;
}

// The rule or default named by sp_bindrule / sp_bindefault; declared ones (check
// constraints, column defaults) cannot be bound.
int boundObjectId(SystemProcedureCall& call, bool rule)
{
    std::string text = call.requireArg(0, rule ? "@rulename" : "@defname");
    ObjectName name = objectNameArgument(text);
    if (!name.database.empty() && name.database != call.database()) {
        throw procedureError(rule ? 17350 : 17340,
                             rule ? "Rule and table or usertype must be in current database."
                                  : "Default and table or usertype must be in current database.");
    }
    auto object = call.catalog().findObject(call.database(), name.owner, name.name, call.uid());
    if (!object || object->type != (rule ? "R" : "D")) {
        if (rule) {
            throw procedureError(
                17352, "No rule named '" + text + "' exists. You must create the rule first.");
        }
        throw procedureError(17342, "No such default exists.  You must create the default first.");
    }
    if (isDeclaredObject(call, object->id)) {
        if (rule) {
            throw procedureError(17358,
                                 "You cannot bind a declared constraint. The rule must be "
                                 "created using create rule.");
        }
        throw procedureError(17349,
                             "You cannot bind a declared default. The default must be "
                             "created using create default.");
    }
    return object->id;
}

void bindToColumn(SystemProcedureCall& call, const std::string& target, bool rule, bool binding,
                  int objectId)
{
    size_t dot = target.rfind('.');
    ObjectName tableName = objectNameArgument(target.substr(0, dot));
    std::string column = target.substr(dot + 1);
    const char* columnField = rule ? "domain" : "cdefault";
    std::optional<ObjectRef> table;
    if (tableName.database.empty() || tableName.database == call.database())
        table =
            call.catalog().findObject(call.database(), tableName.owner, tableName.name, call.uid());
    SqliteStatement current(call.db().handle(), "SELECT " + std::string(columnField) +
                                                    ", colid FROM " + call.sysTable("syscolumns") +
                                                    " WHERE id = ?1 AND name = ?2 AND number = 0");
    current.bindAll({SqlValue::ofInt(table ? table->id : 0), SqlValue::ofText(column)});
    // Only the table's owner binds to its columns.
    if (!table || table->type != "U" || table->uid != call.uid() || !current.step()) {
        if (binding)
            throw procedureError(17344, "You do not own a column of that name.");
        throw procedureError(17843, "You do not own a table with a column of that name.");
    }
    int previous = static_cast<int>(current.intAt(0));
    if (previous != 0 && isDeclaredObject(call, previous)) {
        if (binding && !rule)
            throw procedureError(17753, "The column already has a default. Bind disallowed.");
        if (!binding) {
            throw procedureError(rule ? 17855 : 17848,
                                 rule ? "You cannot unbind a declared constraint. Use ALTER TABLE "
                                        "command."
                                      : "You cannot unbind a declared default. Use ALTER TABLE "
                                        "command.");
        }
        // A rule bound to a column with a check constraint leaves the check where it is.
        return call.info("Rule bound to table column.");
    }
    if (!binding && previous == 0 && rule)
        throw procedureError(17851, "The specified column has no rule.");
    SqliteStatement update(call.db().handle(), "UPDATE " + call.sysTable("syscolumns") + " SET " +
                                                   columnField +
                                                   " = ?1 WHERE id = ?2 AND name = ?3 AND "
                                                   "number = 0");
    update.bindAll(
        {SqlValue::ofInt(objectId), SqlValue::ofInt(table->id), SqlValue::ofText(column)});
    update.step();
    if (!rule)
        call.session().noteDefaultRebound(table->id, static_cast<int>(current.intAt(1)));
    call.db().exec("UPDATE " + call.sysTable("sysobjects") +
                   " SET schemacnt = schemacnt + 1 WHERE id = " + std::to_string(table->id));
    call.info(rule ? (binding ? "Rule bound to table column." : "Rule unbound from table column.")
                   : (binding ? "Default bound to column." : "Default unbound from table column."));
}

void bindToType(SystemProcedureCall& call, const std::string& target, bool rule, bool binding,
                bool futureOnly, int objectId)
{
    const char* columnField = rule ? "domain" : "cdefault";
    const char* typeField = rule ? "domain" : "tdefault";
    SqliteStatement type(call.db().handle(), "SELECT usertype, uid, " + std::string(typeField) +
                                                 " FROM " + call.sysTable("systypes") +
                                                 " WHERE name = ?1 AND usertype >= 100");
    type.bind(1, SqlValue::ofText(target));
    if (!type.step() || (type.intAt(1) != call.uid() && call.uid() != 1)) {
        if (binding)
            throw procedureError(17346, "You do not own a datatype of that name.");
        throw procedureError(17844, "You do not own a user datatype of that name.");
    }
    int64_t usertype = type.intAt(0);
    int64_t previous = type.intAt(2);
    call.db().exec("UPDATE " + call.sysTable("systypes") + " SET " + typeField + " = " +
                   std::to_string(objectId) + " WHERE usertype = " + std::to_string(usertype));
    if (!futureOnly) {
        // Columns of the type that still carry the type's previous binding follow it.
        const std::string following = " WHERE usertype = " + std::to_string(usertype) + " AND " +
                                      columnField + " = " + std::to_string(previous);
        if (!rule) {
            SqliteStatement columns(
                call.db().handle(),
                "SELECT id, colid FROM " + call.sysTable("syscolumns") + following);
            while (columns.step())
                call.session().noteDefaultRebound(columns.intAt(0),
                                                  static_cast<int>(columns.intAt(1)));
        }
        call.db().exec("UPDATE " + call.sysTable("syscolumns") + " SET " + columnField + " = " +
                       std::to_string(objectId) + following);
    }
    call.info(rule ? (binding ? "Rule bound to datatype." : "Rule unbound from datatype.")
                   : (binding ? "Default bound to datatype." : "Default unbound from datatype."));
}

// sp_bindrule, sp_bindefault, sp_unbindrule, sp_unbindefault on 'table.column',
// 'owner.table.column' or a user datatype.
void bindOrUnbind(SystemProcedureCall& call)
{
    bool rule = call.name == "sp_bindrule" || call.name == "sp_unbindrule";
    bool binding = call.name == "sp_bindrule" || call.name == "sp_bindefault";
    int objectId = binding ? boundObjectId(call, rule) : 0;
    size_t targetIndex = binding ? 1 : 0;
    std::string target = call.requireArg(targetIndex, "@objname");
    bool futureOnly = toLower(call.arg(targetIndex + 1)) == "futureonly";
    if (target.find('.') != std::string::npos)
        bindToColumn(call, target, rule, binding, objectId);
    else
        bindToType(call, target, rule, binding, futureOnly, objectId);
}

// sp_placeobject segment, 'table' | 'table.index': where future allocations go.
void placeObject(SystemProcedureCall& call)
{
    std::string segmentName = call.requireArg(0, "@segname");
    std::string target = call.requireArg(1, "@objname");
    int64_t segment = call.db().queryInt(
        "SELECT segment FROM " + call.sysTable("syssegments") + " WHERE name = ?1",
        {SqlValue::ofText(segmentName)}, -1);
    if (segment < 0)
        throw procedureError(17520, "There is no such segment as '" + segmentName + "'.");
    // table, owner.table, table.index or owner.table.index
    ObjectName name = objectNameArgument(target);
    std::optional<ObjectRef> table =
        call.catalog().findObject(call.database(), name.owner, name.name, call.uid());
    std::string index;
    if (!table && !name.owner.empty()) {
        index = name.name;
        table = call.catalog().findObject(call.database(), name.database, name.owner, call.uid());
    }
    if (!table || table->type != "U")
        throw objectNotFound(target);
    std::string where = index.empty() ? "indid < 2" : "name = ?2 AND indid > 0";
    SqliteStatement update(call.db().handle(), "UPDATE " + call.sysTable("sysindexes") +
                                                   " SET segment = ?3 WHERE id = ?1 AND " + where);
    update.bindAll({SqlValue::ofInt(table->id), SqlValue::ofText(index), SqlValue::ofInt(segment)});
    update.step();
    if (call.db().changes() == 0)
        throw objectNotFound(target);
    call.info("'" + target + "' is now on segment '" + segmentName + "'.");
}

void helpText(SystemProcedureCall& call)
{
    std::string objectName = call.requireArg(0, "@objname");
    SqlRenderer renderer(call.session());
    size_t dot = objectName.find('.');
    auto object = call.catalog().findObject(
        call.database(), dot == std::string::npos ? "" : objectName.substr(0, dot),
        dot == std::string::npos ? objectName : objectName.substr(dot + 1), call.uid());
    if (!object) {
        throw procedureError(17461, "Object does not exist in this database.");
    }
    std::string id = std::to_string(object->id);
    call.runInternal("select \"# Lines of Text\" = count(*) from syscomments where id = " + id +
                     "\nselect text from syscomments where id = " + id +
                     " order by number, colid2, colid");
}

void help(SystemProcedureCall& call)
{
    std::string objectName = call.arg(0);
    static const char* const kindText =
        "case rtrim(o.type) when 'U' then 'user table' when 'S' then 'system table' when 'V' "
        "then 'view' "
        "when 'P' then 'stored procedure' when 'TR' then 'trigger' when 'R' then 'rule' when "
        "'D' then "
        "'default' else 'object' end";
    if (objectName.empty()) {
        call.runInternal(
            std::string("select Name = o.name, Owner = user_name(o.uid), Object_type = ") +
            kindText + " from sysobjects o order by 3, 1");
        return;
    }
    size_t dot = objectName.find('.');
    auto object = call.catalog().findObject(
        call.database(), dot == std::string::npos ? "" : objectName.substr(0, dot),
        dot == std::string::npos ? objectName : objectName.substr(dot + 1), call.uid());
    if (!object) {
        throw procedureError(17460, "Object does not exist in this database.");
    }
    std::string id = std::to_string(object->id);
    if (call.name == "sp_help") {
        call.runInternal(
            std::string("select Name = o.name, Owner = user_name(o.uid), Object_type = ") +
            kindText + ", Create_date = o.crdate from sysobjects o where o.id = " + id);
        if (object->type == "U" || object->type == "S" || object->type == "V") {
            call.runInternal(
                "select Column_name = c.name, Type = t.name, Length = c.length, "
                "Prec = convert(char(5), c.prec), Scale = convert(char(5), c.scale), "
                "Nulls = convert(int, (c.status & 8) / 8), Default_name = "
                "object_name(c.cdefault), "
                "Rule_name = object_name(c.domain), Access_Rule_name = convert(varchar(30), "
                "null), "
                "Computed_Column_object = convert(varchar(30), null), "
                "\"Identity\" = convert(int, (c.status & 128) / 128) "
                "from syscolumns c, systypes t where c.id = " +
                id + " and c.number = 0 and c.usertype = t.usertype order by c.colid");
        } else if (object->type == "P") {
            call.runInternal(
                "select Parameter_name = c.name, Type = t.name, Length = c.length, "
                "Prec = convert(char(5), c.prec), Scale = convert(char(5), c.scale), "
                "Param_order = c.colid, Mode = case when c.status & 64 = 64 then 'output' else "
                "'in' end "
                "from syscolumns c, systypes t where c.id = " +
                id + " and c.usertype = t.usertype order by c.number, c.colid");
        }
    }
    if (object->type == "U" || object->type == "S") {
        std::vector<StoredColumn> columns = call.catalog().columns(call.database(), *object);
        ResultSet set;
        for (const char* column : {"index_name", "index_description", "index_keys"}) {
            ColumnInfo info = makeColumnInfo(ColumnType::VarChar, 255, false);
            info.name = column;
            set.columns.push_back(info);
        }
        for (const IndexRef& index : call.catalog().indexes(call.database(), object->id)) {
            if (index.indid == 0 || index.indid == 255)
                continue;
            std::string description =
                std::string(index.status & 0x10 ? "clustered" : "nonclustered") +
                (index.status & 0x2 ? ", unique" : "") + " located on " + "default";
            std::string keys;
            for (int colid : index.keyColids) {
                for (const StoredColumn& column : columns) {
                    if (column.colid == colid)
                        keys += (keys.empty() ? "" : ", ") + column.info.name;
                }
            }
            set.rows.push_back(
                {Value::ofString(index.name), Value::ofString(description), Value::ofString(keys)});
        }
        if (!set.rows.empty()) {
            StatementResult result;
            result.hasRowCount = true;
            result.rowCount = static_cast<int>(set.rows.size());
            result.resultSet = std::move(set);
            call.out.push_back(std::move(result));
        } else {
            call.info("Object does not have any indexes.");
        }
    }
}

// sp_addalias loginame, name_in_db: the login acts as that user in this database.
void addAlias(SystemProcedureCall& call)
{
    std::string login = call.requireArg(0, "@loginame");
    std::string user = call.requireArg(1, "@name_in_db");
    int suid = call.catalog().loginSuid(login);
    if (suid == 0)
        throw procedureError(17232, "No such login -- '" + login + "'.");
    if (call.catalog().uidForSuid(call.database(), suid) >= 0) {
        throw procedureError(17334,
                             "The specified login is already a user in the current "
                             "database and cannot be aliased.");
    }
    if (call.db().queryInt(
            "SELECT count(*) FROM " + call.sysTable("sysalternates") + " WHERE suid = ?1",
            {SqlValue::ofInt(suid)}) > 0) {
        throw procedureError(17335,
                             "The specified login is already aliased in the current "
                             "database.");
    }
    auto uid = call.catalog().userUid(call.database(), user);
    int altsuid = uid ? static_cast<int>(call.db().queryInt(
                            "SELECT suid FROM " + call.sysTable("sysusers") + " WHERE uid = ?1",
                            {SqlValue::ofInt(*uid)}))
                      : 0;
    if (!uid || altsuid < 0 || *uid >= 16384)
        throw procedureError(17336,
                             "No user with the specified name exists in the current "
                             "database.");
    call.catalog().insertRow(
        call.sysTable("sysalternates"),
        {{"suid", SqlValue::ofInt(suid)}, {"altsuid", SqlValue::ofInt(altsuid)}});
    call.info("Alias user added.");
}

void dropAlias(SystemProcedureCall& call)
{
    std::string login = call.requireArg(0, "@loginame");
    int suid = call.catalog().loginSuid(login);
    call.db().exec("DELETE FROM " + call.sysTable("sysalternates") +
                   " WHERE suid = " + std::to_string(suid));
    if (suid == 0 || call.db().changes() == 0)
        throw procedureError(17337, "No alias for specified user exists.");
    call.info("Alias user dropped.");
}

// sp_addthreshold dbname, segname, free_space, proc_name
void addThreshold(SystemProcedureCall& call)
{
    std::string database = call.requireArg(0, "@dbname");
    std::string segment = call.requireArg(1, "@segname");
    std::string freeSpace = call.requireArg(2, "@free_space");
    std::string procedure = call.requireArg(3, "@proc_name");
    if (database != call.database()) {
        throw procedureError(17760,
                             "Thresholds can only be added in the current database; use "
                             "the database first.");
    }
    int64_t number = call.db().queryInt(
        "SELECT segment FROM " + call.sysTable("syssegments") + " WHERE name = ?1",
        {SqlValue::ofText(segment)}, -1);
    if (number < 0)
        throw procedureError(17521, "There is no such segment as '" + segment + "'.");
    call.catalog().insertRow(call.sysTable("systhresholds"),
                             {{"segment", SqlValue::ofInt(number)},
                              {"free_space", SqlValue::ofInt(std::stoll(freeSpace))},
                              {"proc_name", SqlValue::ofText(procedure)},
                              {"suid", SqlValue::ofInt(call.state().catalog.loginSuid("sa"))}});
    call.info("Adding threshold for segment '" + segment + "' at '" + freeSpace + "' pages.");
}

// sp_dboption dbname, optname, {true | false}: the status bits sysdatabases documents for
// the options that have one; other options are accepted and not recorded.
void dbOption(SystemProcedureCall& call)
{
    std::string database = call.arg(0);
    if (database.empty())
        return;  // lists the options on the server; nothing to record
    // Options are changed only from master (master..sp_dboption runs there).
    if (toLower(call.database()) != "master") {
        throw procedureError(
            17428, "You must be in the 'master' database in order to change database options.");
    }
    std::string wanted = toLower(call.requireArg(1, "@optname"));
    std::string value = toLower(call.requireArg(2, "@optvalue"));
    std::string sysdatabases = Catalog::systemTable("master", "sysdatabases");
    if (!call.catalog().hasDatabase(database))
        throw procedureError(17421, "No such database -- run sp_helpdb to list databases.");
    // An option may be given by any unique part of its name.
    for (const DatabaseOption& option : databaseOptions()) {
        if (std::string(option.name).find(wanted) == std::string::npos)
            continue;
        std::string column = option.column;
        std::string bit = std::to_string(option.bit);
        bool on = value == "true" || value == "on" || value == "1";
        SqliteStatement update(call.db().handle(),
                               "UPDATE " + sysdatabases + " SET " + column + " = " +
                                   (on ? "coalesce(" + column + ", 0) | " + bit
                                       : "coalesce(" + column + ", 0) & ~" + bit) +
                                   " WHERE name = ?1");
        update.bind(1, SqlValue::ofText(database));
        update.step();
        break;
    }
    call.info("Database option '" + wanted + "' turned " + (value == "true" ? "ON" : "OFF") +
              " for database '" + database + "'.");
}

// sp_hidetext [objname [, tabname [, username]]]: the texts stay in syscomments, unreadable,
// with status bit 0x1; tdsim keeps the readable piece aside so that the objects still run.
void hideText(SystemProcedureCall& call)
{
    std::string objectName = call.arg(0);
    std::string tableName = call.arg(1);
    std::string owner = call.arg(2);
    std::string comments = call.sysTable("syscomments");
    std::string objects = call.sysTable("sysobjects");
    std::string where = " WHERE status & 1 = 0";
    std::vector<SqlValue> params;
    auto idOf = [&](const std::string& name) {
        auto object = call.catalog().findObject(call.database(), owner, name, call.uid());
        if (!object)
            throw procedureError(17460, "Object must be in the current database.");
        return std::to_string(object->id);
    };
    if (!objectName.empty()) {
        where += " AND id = " + idOf(objectName);
    } else if (!tableName.empty()) {
        // The triggers and check constraints of a table.
        std::string table = idOf(tableName);
        where += " AND (id IN (SELECT id FROM " + objects + " WHERE deltrig = " + table +
                 " AND type = 'TR') OR id IN (SELECT constrid FROM " +
                 call.sysTable("sysconstraints") + " WHERE tableid = " + table + "))";
    } else if (!owner.empty()) {
        auto uid = call.catalog().userUid(call.database(), owner);
        where += " AND id IN (SELECT id FROM " + objects +
                 " WHERE uid = " + std::to_string(uid.value_or(-1)) + ")";
    }
    // The replacement bytes are an opaque, reversible scramble of the same length.
    call.db().exec("UPDATE " + comments +
                   " SET tdsim_source = text, status = coalesce(status, 0) | 1, " +
                   "text = tsql_scramble(text)" + where);
}

// The object an argument names ("name" or "owner.name") in the current database.
std::optional<ObjectRef> namedObject(SystemProcedureCall& call, const std::string& text)
{
    size_t dot = text.find('.');
    return call.catalog().findObject(
        call.database(), dot == std::string::npos ? "" : text.substr(0, dot),
        dot == std::string::npos ? text : text.substr(dot + 1), call.uid());
}

// sp_spaceused [objname]: row counts are real; page figures are those of a small table.
void spaceUsed(SystemProcedureCall& call)
{
    std::string objectName = call.arg(0);
    ResultSet set;
    auto column = [&](const char* name, ColumnType type, int length) {
        ColumnInfo info = makeColumnInfo(type, length, false);
        info.name = name;
        set.columns.push_back(info);
    };
    if (objectName.empty()) {
        column("database_name", ColumnType::VarChar, 255);
        column("database_size", ColumnType::VarChar, 30);
        set.rows.push_back({Value::ofString(call.database()), Value::ofString("6.0 MB")});
    } else {
        auto object = namedObject(call, objectName);
        if (!object || (object->type != "U" && object->type != "S"))
            throw procedureError(17460, "Object must be in the current database.");
        int64_t rows = 0;
        if (call.catalog().hasStorage(call.database(), object->id)) {
            rows = call.db().queryInt("SELECT count(*) FROM " +
                                      Catalog::objectTable(call.database(), object->id));
        }
        column("name", ColumnType::VarChar, 255);
        column("rowtotal", ColumnType::Int, 4);
        column("reserved", ColumnType::VarChar, 30);
        column("data", ColumnType::VarChar, 30);
        column("index_size", ColumnType::VarChar, 30);
        column("unused", ColumnType::VarChar, 30);
        int64_t dataKb = 2 * (1 + rows / 20);
        set.rows.push_back({Value::ofString(object->name), Value::ofInt(rows),
                            Value::ofString(std::to_string(dataKb + 16) + " KB"),
                            Value::ofString(std::to_string(dataKb) + " KB"),
                            Value::ofString("2 KB"), Value::ofString("14 KB")});
    }
    StatementResult result;
    result.hasRowCount = true;
    result.rowCount = 1;
    result.resultSet = std::move(set);
    call.out.push_back(std::move(result));
}

// sp_rename objname, newname [, "column" | "index"]: "table.column" and "table.index"
// rename a column or an index; stored texts that name the old name keep it, as on the
// server.
void rename(SystemProcedureCall& call)
{
    std::string objectName = call.requireArg(0, "@objname");
    std::string newName = call.requireArg(1, "@newname");
    std::string kind = toLower(call.arg(2));
    size_t dot = objectName.rfind('.');
    bool part = dot != std::string::npos && kind != "object";
    if (!part) {
        auto object = namedObject(call, objectName);
        if (!object)
            throw procedureError(17460, "Object name must be in the current database.");
        if (call.catalog().findObject(call.database(), object->owner, newName, object->uid))
            throw procedureError(17240, "'" + newName + "' is not a valid name.");
        SqliteStatement update(call.db().handle(), "UPDATE " + call.sysTable("sysobjects") +
                                                       " SET name = ?1 WHERE id = ?2");
        update.bindAll({SqlValue::ofText(newName), SqlValue::ofInt(object->id)});
        update.step();
        call.info("Object name has been changed.");
        return;
    }
    auto table = namedObject(call, objectName.substr(0, dot));
    if (!table)
        throw procedureError(17460, "Object name must be in the current database.");
    std::string oldName = objectName.substr(dot + 1);
    auto renameIn = [&](const char* systemTable, const char* extra) {
        SqliteStatement update(call.db().handle(),
                               "UPDATE " + call.sysTable(systemTable) +
                                   " SET name = ?1 WHERE id = ?2 AND name = ?3" + extra);
        update.bindAll(
            {SqlValue::ofText(newName), SqlValue::ofInt(table->id), SqlValue::ofText(oldName)});
        update.step();
        return call.db().changes() > 0;
    };
    if (kind != "index" && renameIn("syscolumns", " AND number = 0")) {
        call.info("Column name has been changed.");
    } else if (kind != "column" && renameIn("sysindexes", " AND indid BETWEEN 1 AND 254")) {
        call.info("Index name has been changed.");
    } else {
        throw procedureError(17232, "There is no column or index named '" + oldName +
                                        "' in table '" + table->name + "'.");
    }
}

// sp_procxmode [procname [, tranmode]]: a procedure's transaction mode lives in its
// sysobjects.sysstat2 (0x10 chained, 0x20 anymode, neither unchained).
void procedureMode(SystemProcedureCall& call)
{
    const std::string modeColumn =
        "\"transaction mode\" = case when o.sysstat2 & " + std::to_string(kProcedureAnyMode) +
        " <> 0 then 'Any Mode' when o.sysstat2 & " + std::to_string(kProcedureChained) +
        " <> 0 then 'Chained' else 'Unchained' end";
    std::string procedureName = call.arg(0);
    if (procedureName.empty()) {
        call.runInternal("select \"procedure name\" = o.name, \"user name\" = user_name(o.uid), " +
                         modeColumn + " from sysobjects o where o.type = 'P' order by o.name");
        return;
    }
    auto procedure = namedObject(call, procedureName);
    if (!procedure || procedure->type != "P")
        throw procedureError(17461, "Object does not exist in this database.");
    std::string mode = toLower(call.arg(1));
    if (!mode.empty()) {
        static const std::map<std::string, int> modes = {
            {"chained", kProcedureChained}, {"anymode", kProcedureAnyMode}, {"unchained", 0}};
        auto found = modes.find(mode);
        bool ownershipChain =
            mode == "dynamic ownership chain" || mode == "no dynamic ownership chain";
        if (found == modes.end() && !ownershipChain) {
            throw procedureError(7777, "The transaction mode '" + call.arg(1) +
                                           "' is not valid: use 'chained', 'unchained' or "
                                           "'anymode'.");
        }
        if (call.uid() != procedure->uid && call.uid() != 1) {
            throw procedureError(7777, "Only the owner of procedure '" + procedure->name +
                                           "' or the database owner may change its mode.");
        }
        if (found != modes.end()) {
            SqliteStatement update(call.db().handle(),
                                   "UPDATE " + call.sysTable("sysobjects") +
                                       " SET sysstat2 = (sysstat2 & ~?1) | ?2 WHERE id = ?3");
            update.bindAll({SqlValue::ofInt(kProcedureModeMask), SqlValue::ofInt(found->second),
                            SqlValue::ofInt(procedure->id)});
            update.step();
        }
        return;
    }
    call.runInternal("select \"procedure name\" = o.name, " + modeColumn +
                     " from sysobjects o where o.id = " + std::to_string(procedure->id));
}

// sp_changedbowner loginame [, true]: the login becomes the current database's dbo
// (sysdatabases.suid and the dbo row's suid); the old owner's aliases move with it when
// the second argument is true and are dropped otherwise.
void changeDatabaseOwner(SystemProcedureCall& call)
{
    std::string login = call.requireArg(0, "@loginame");
    bool transferAliases = toLower(call.arg(1)) == "true";
    constexpr int kSaRole = 0;
    if (!call.holdsRole(kSaRole))
        throw procedureError(7777,
                             "Only a System Administrator (sa_role) can change the owner "
                             "of a database.");
    if (Catalog::isSystemDatabase(call.database()))
        throw procedureError(17720,
                             "Can't change the owner of the master, model, tempdb, "
                             "sybsystemdb or sybsystemprocs database.");
    int suid = call.catalog().loginSuid(login);
    if (suid == 0)
        throw procedureError(17231, "No login with the specified name exists.");
    if (call.catalog().uidForSuid(call.database(), suid) >= 0)
        throw procedureError(17721,
                             "The proposed new db owner already is a user in the "
                             "database or owns the database.");
    if (call.db().queryInt(
            "SELECT count(*) FROM " + call.sysTable("sysalternates") + " WHERE suid = ?1",
            {SqlValue::ofInt(suid)}) > 0)
        throw procedureError(17722,
                             "The proposed new db owner already is aliased in the "
                             "database.");
    SqlValue oldOwner = SqlValue::ofInt(
        call.db().queryInt("SELECT suid FROM " + call.sysTable("sysusers") + " WHERE uid = 1"));
    SqlValue newOwner = SqlValue::ofInt(suid);
    call.db().queryInt("UPDATE " + Catalog::systemTable("master", "sysdatabases") +
                           " SET suid = ?1 WHERE name = ?2",
                       {newOwner, SqlValue::ofText(call.database())});
    call.db().queryInt("UPDATE " + call.sysTable("sysusers") + " SET suid = ?1 WHERE uid = 1",
                       {newOwner});
    if (transferAliases)
        call.db().queryInt(
            "UPDATE " + call.sysTable("sysalternates") + " SET altsuid = ?1 WHERE altsuid = ?2",
            {newOwner, oldOwner});
    else
        call.db().queryInt("DELETE FROM " + call.sysTable("sysalternates") + " WHERE altsuid = ?1",
                           {oldOwner});
    call.info("Database owner changed.");
}

// A system procedure: its implementation and how many parameters it declares.
struct SystemProcedure {
    void (*run)(SystemProcedureCall&);
    size_t parameters;
};

const std::map<std::string, SystemProcedure>& systemProcedures()
{
    static const std::map<std::string, SystemProcedure> table = {
        {"sp_tdsim_stats", {tdsimStats, 1}},
        {"sp_adduser", {addUser, 3}},
        {"sp_addgroup", {addGroup, 1}},
        {"sp_dropuser", {dropUserOrGroup, 1}},
        {"sp_dropgroup", {dropUserOrGroup, 1}},
        {"sp_changegroup", {changeGroup, 2}},
        {"sp_addtype", {addType, 3}},
        {"sp_droptype", {dropType, 1}},
        {"sp_bindrule", {bindOrUnbind, 3}},
        {"sp_bindefault", {bindOrUnbind, 3}},
        {"sp_unbindrule", {bindOrUnbind, 3}},
        {"sp_unbindefault", {bindOrUnbind, 2}},
        {"sp_placeobject", {placeObject, 2}},
        {"sp_helptext", {helpText, 5}},
        {"sp_help", {help, 1}},
        {"sp_helpindex", {help, 1}},
        {"sp_dboption", {dbOption, 4}},
        {"sp_addalias", {addAlias, 2}},
        {"sp_dropalias", {dropAlias, 2}},
        {"sp_addthreshold", {addThreshold, 4}},
        {"sp_hidetext", {hideText, 3}},
        {"sp_spaceused", {spaceUsed, 2}},
        {"sp_rename", {rename, 3}},
        {"sp_procxmode", {procedureMode, 2}},
        {"sp_changedbowner", {changeDatabaseOwner, 2}},
    };
    return table;
}

}  // namespace

std::string SystemProcedureCall::arg(size_t index) const
{
    if (index >= args.size() || args[index].kind == SqlValue::Kind::Null)
        return "";
    return rtrimBlanks(valueAsText(args[index]));
}

std::string SystemProcedureCall::requireArg(size_t index, const char* what) const
{
    std::string value = arg(index);
    if (value.empty()) {
        throw procedureError(
            201, "Procedure " + name + " expects parameter " + what + ", which was not supplied.");
    }
    return value;
}

void SystemProcedureCall::info(const std::string& text)
{
    session_.addMessage(status, 0, 10, text);
}

void SessionImpl::runInternal(const std::string& sql, Results& out)
{
    for (const StatementPtr& statement : parseBatch(sql, false)) {
        run(*statement, out);
    }
}

bool SessionImpl::isSystemProcedure(const std::string& name)
{
    return systemProcedures().count(name) > 0 || serverProcedures().count(name) > 0;
}

bool SessionImpl::runSystemProcedure(const std::string& name, const std::vector<SqlValue>& args,
                                     StatementResult& status, Results& out)
{
    SystemProcedure procedure{};
    if (auto local = systemProcedures().find(name); local != systemProcedures().end())
        procedure = local->second;
    else if (auto server = serverProcedures().find(name); server != serverProcedures().end())
        procedure = {server->second.run, server->second.parameters};
    else
        return false;
    std::string previousProc = procName_;
    procName_ = name;
    struct Restore {
        std::string& target;
        std::string value;
        ~Restore() { target = value; }
    } restore{procName_, previousProc};
    if (args.size() > procedure.parameters)
        throw procedureError(8144, "Procedure " + name + " has too many arguments specified.");
    SystemProcedureCall call{*this, name, args, status, out};
    procedure.run(call);
    return true;
}

}  // namespace tdsim
