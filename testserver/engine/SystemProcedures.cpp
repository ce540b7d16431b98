// System procedures: users, groups, types, bindings, help and tdsim's own counters.
#include <functional>

#include "engine/Parser.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

using Args = std::vector<SqlValue>;

std::string arg(const Args& args, size_t index)
{
    if (index >= args.size() || args[index].kind == SqlValue::Kind::Null)
        return "";
    return rtrimBlanks(valueAsText(args[index]));
}

EngineError procedureError(int number, const std::string& text)
{
    return {number, 16, text};
}

}  // namespace

void SessionImpl::runInternal(const std::string& sql, Results& out)
{
    for (const StatementPtr& statement : parseBatch(sql, false)) {
        run(*statement, out);
    }
}

bool SessionImpl::runSystemProcedure(const std::string& name, const Args& args,
                                     StatementResult& status, Results& out)
{
    auto info = [&](const std::string& text) { addMessage(status, 0, 10, text); };
    auto requireArg = [&](size_t index, const char* what) {
        std::string value = arg(args, index);
        if (value.empty()) {
            throw procedureError(201, "Procedure " + name + " expects parameter " + what +
                                          ", which was not supplied.");
        }
        return value;
    };
    std::string previousProc = procName_;
    procName_ = name;
    struct Restore {
        std::string& target;
        std::string value;
        ~Restore() { target = value; }
    } restore{procName_, previousProc};

    if (name == "sp_tdsim_stats") {
        ServerStats& stats = state_.stats;
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
        if (toLower(arg(args, 0)) == "reset")
            stats.reset();
        StatementResult result;
        result.resultSet = std::move(set);
        result.hasRowCount = true;
        result.rowCount = 1;
        out.push_back(std::move(result));
        return true;
    }
    if (name == "sp_addlogin") {
        std::string login = requireArg(0, "@loginame");
        std::string password = arg(args, 1);
        std::string database = arg(args, 2).empty() ? "master" : arg(args, 2);
        if (state_.catalog.loginSuid(login) != 0) {
            throw procedureError(17260, "A login with the specified name already exists.");
        }
        int suid = static_cast<int>(state_.db.queryInt(
            "SELECT max(suid) + 1 FROM " + Catalog::systemTable("master", "syslogins")));
        std::string now = currentDateTimeText();
        state_.catalog.insertRow(
            Catalog::systemTable("master", "syslogins"),
            {{"suid", SqlValue::ofInt(suid)},
             {"status", SqlValue::ofInt(0)},
             {"accdate", SqlValue::ofText(now)},
             {"totcpu", SqlValue::ofInt(0)},
             {"totio", SqlValue::ofInt(0)},
             {"spacelimit", SqlValue::ofInt(0)},
             {"timelimit", SqlValue::ofInt(0)},
             {"resultlimit", SqlValue::ofInt(0)},
             {"dbname", SqlValue::ofText(database)},
             {"name", SqlValue::ofText(login)},
             {"language", SqlValue::ofText(arg(args, 3).empty() ? "us_english" : arg(args, 3))},
             {"pwdate", SqlValue::ofText(now)},
             {"fullname",
              arg(args, 4).empty() ? SqlValue::null() : SqlValue::ofText(arg(args, 4))}});
        state_.passwords[login] = password;
        info("Password correctly set.");
        info("Account unlocked.");
        info("New login created.");
        return true;
    }
    if (name == "sp_addsegment") {
        std::string segment = requireArg(0, "@segname");
        if (state_.db.queryInt(
                "SELECT count(*) FROM " + sysTable("syssegments") + " WHERE name = ?1",
                {SqlValue::ofText(segment)}) > 0) {
            throw procedureError(17169, "There is already a segment named '" + segment + "'.");
        }
        int number = static_cast<int>(
            state_.db.queryInt("SELECT max(segment) + 1 FROM " + sysTable("syssegments")));
        state_.catalog.insertRow(sysTable("syssegments"), {{"segment", SqlValue::ofInt(number)},
                                                           {"name", SqlValue::ofText(segment)},
                                                           {"status", SqlValue::ofInt(0)}});
        info("Segment created.");
        return true;
    }
    if (name == "sp_adduser") {
        std::string login = requireArg(0, "@loginame");
        std::string user = arg(args, 1).empty() ? login : arg(args, 1);
        std::string group = arg(args, 2);
        if (state_.catalog.userUid(database_, user)) {
            throw procedureError(
                17331, "User or group '" + user + "' already exists in the current database.");
        }
        int suid, uid;
        if (login == "guest") {
            suid = -1;
            uid = 2;
        } else {
            suid = state_.catalog.loginSuid(login);
            if (suid == 0)
                throw procedureError(17232, "No such login -- '" + login + "'.");
            if (state_.catalog.uidForSuid(database_, suid) >= 0) {
                throw procedureError(
                    17330, "The login '" + login + "' already has a user in this database.");
            }
            uid = static_cast<int>(state_.db.queryInt("SELECT max(uid) + 1 FROM " +
                                                          sysTable("sysusers") +
                                                          " WHERE uid BETWEEN 3 AND 16383",
                                                      {}, 3));
            if (uid < 3)
                uid = 3;
        }
        int gid = 0;
        if (!group.empty()) {
            auto groupUid = state_.catalog.userUid(database_, group);
            bool isGroup =
                groupUid && state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysusers") +
                                                   " WHERE uid = ?1 AND gid = uid",
                                               {SqlValue::ofInt(*groupUid)}) > 0;
            if (!isGroup)
                throw procedureError(17333, "No group with the specified name exists.");
            gid = *groupUid;
        }
        state_.catalog.insertRow(sysTable("sysusers"), {{"suid", SqlValue::ofInt(suid)},
                                                        {"uid", SqlValue::ofInt(uid)},
                                                        {"gid", SqlValue::ofInt(gid)},
                                                        {"name", SqlValue::ofText(user)}});
        info("New user added.");
        return true;
    }
    if (name == "sp_addgroup") {
        std::string group = requireArg(0, "@grpname");
        if (state_.catalog.userUid(database_, group)) {
            throw procedureError(17331,
                                 "A user or group with the name '" + group + "' already exists.");
        }
        int uid = static_cast<int>(state_.db.queryInt(
            "SELECT max(uid) + 1 FROM " + sysTable("sysusers") + " WHERE uid >= 16384", {}, 16384));
        state_.catalog.insertRow(sysTable("sysusers"), {{"suid", SqlValue::ofInt(-2)},
                                                        {"uid", SqlValue::ofInt(uid)},
                                                        {"gid", SqlValue::ofInt(uid)},
                                                        {"name", SqlValue::ofText(group)}});
        info("New group added.");
        return true;
    }
    if (name == "sp_dropuser" || name == "sp_dropgroup") {
        std::string user = requireArg(0, name == "sp_dropuser" ? "@name_in_db" : "@grpname");
        auto uid = state_.catalog.userUid(database_, user);
        if (!uid || *uid == 1 || *uid == 0) {
            throw procedureError(17232,
                                 "No " + std::string(name == "sp_dropuser" ? "user" : "group") +
                                     " with the specified name exists in the current database.");
        }
        std::string id = std::to_string(*uid);
        if (name == "sp_dropgroup" &&
            state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysusers") +
                               " WHERE gid = " + id + " AND uid <> gid") > 0) {
            throw procedureError(17290,
                                 "Group has members. It must be empty before it can be dropped.");
        }
        if (state_.db.queryInt("SELECT count(*) FROM " + sysTable("sysobjects") +
                               " WHERE uid = " + id) > 0) {
            throw procedureError(17289, "You cannot drop user because user '" + user +
                                            "' owns objects in database.");
        }
        state_.db.exec("DELETE FROM " + sysTable("sysprotects") + " WHERE uid = " + id);
        state_.db.exec("DELETE FROM " + sysTable("sysusers") + " WHERE uid = " + id);
        info(name == "sp_dropuser" ? "User has been dropped from current database."
                                   : "Group has been dropped.");
        return true;
    }
    if (name == "sp_changegroup") {
        std::string group = requireArg(0, "@grpname");
        std::string user = requireArg(1, "@username");
        auto gid =
            group == "public" ? std::optional<int>(0) : state_.catalog.userUid(database_, group);
        auto uid = state_.catalog.userUid(database_, user);
        if (!gid)
            throw procedureError(17333, "No group with the specified name exists.");
        if (!uid)
            throw procedureError(17232,
                                 "No user with the specified name exists in the current database.");
        state_.db.exec("UPDATE " + sysTable("sysusers") + " SET gid = " + std::to_string(*gid) +
                       " WHERE uid = " + std::to_string(*uid));
        info("Group changed.");
        return true;
    }
    if (name == "sp_addtype") {
        std::string typeName = requireArg(0, "@typename");
        TypeSpec typeSpec = parseTypeSpec(requireArg(1, "@phystype"));
        // The null type is the third argument; a call that passes NULL there and the
        // null type fourth (as Skelder's generated scripts do) is taken the same way.
        std::string option = toLower(arg(args, 2));
        if (option.empty() && args.size() > 3)
            option = toLower(arg(args, 3));
        if (findBuiltinType(typeName) ||
            state_.db.queryInt("SELECT count(*) FROM " + sysTable("systypes") + " WHERE name = ?1",
                               {SqlValue::ofText(typeName)}) > 0) {
            throw procedureError(17368, "A type with the specified name already exists.");
        }
        const BuiltinType* base = findBuiltinType(typeSpec.name);
        if (!base || base->usertype == 80) {
            throw procedureError(
                17369, "Physical datatype does not exist or may not be used for a user type.");
        }
        bool identity = option == "identity";
        bool allowNulls = option == "null";
        if (!option.empty() && !identity && option != "null" && option != "nonull" &&
            option != "not null") {
            throw procedureError(
                17370, "Illegal third parameter: use 'null', 'nonull', 'not null' or 'identity'.");
        }
        ColumnStorage storage;
        std::string error;
        if (!storageForBuiltin(typeSpec, false, storage, error))
            throw procedureError(17371, error);
        if (identity &&
            !((storage.type == TypeCode::Numeric || storage.type == TypeCode::Decimal) &&
              storage.scale == 0)) {
            throw procedureError(17372, "Identity types must be numeric with scale 0.");
        }
        int usertype = static_cast<int>(state_.db.queryInt(
            "SELECT max(usertype) + 1 FROM " + sysTable("systypes") + " WHERE usertype >= 100", {},
            100));
        state_.catalog.insertRow(
            sysTable("systypes"),
            {{"uid", SqlValue::ofInt(uid_)},
             {"usertype", SqlValue::ofInt(usertype)},
             {"variable", SqlValue::ofInt(base->variable)},
             {"allownulls", SqlValue::ofInt(allowNulls)},
             {"type", SqlValue::ofInt(storage.type)},
             {"length", SqlValue::ofInt(storage.length)},
             {"tdefault", SqlValue::ofInt(0)},
             {"domain", SqlValue::ofInt(0)},
             {"name", SqlValue::ofText(typeName)},
             {"prec",
              storage.precision >= 0 ? SqlValue::ofInt(storage.precision) : SqlValue::null()},
             {"scale", storage.scale >= 0 ? SqlValue::ofInt(storage.scale) : SqlValue::null()},
             {"ident", SqlValue::ofInt(identity ? 1 : 0)},
             {"hierarchy", SqlValue::ofInt(base->hierarchy)}});
        info("Type added.");
        return true;
    }
    if (name == "sp_droptype") {
        std::string typeName = requireArg(0, "@typename");
        int64_t usertype = state_.db.queryInt(
            "SELECT usertype FROM " + sysTable("systypes") + " WHERE name = ?1 AND usertype >= 100",
            {SqlValue::ofText(typeName)}, -1);
        if (usertype < 0)
            throw procedureError(17461, "The type doesn't exist or you don't own it.");
        if (state_.db.queryInt("SELECT count(*) FROM " + sysTable("syscolumns") +
                               " WHERE usertype = " + std::to_string(usertype)) > 0) {
            throw procedureError(17462, "Type is being used. You cannot drop it.");
        }
        state_.db.exec("DELETE FROM " + sysTable("systypes") +
                       " WHERE usertype = " + std::to_string(usertype));
        info("Type has been dropped.");
        return true;
    }
    bool bindRule = name == "sp_bindrule", bindDefault = name == "sp_bindefault";
    bool unbindRule = name == "sp_unbindrule", unbindDefault = name == "sp_unbindefault";
    if (bindRule || bindDefault || unbindRule || unbindDefault) {
        bool rule = bindRule || unbindRule;
        bool binding = bindRule || bindDefault;
        int objectId = 0;
        size_t targetIndex = binding ? 1 : 0;
        if (binding) {
            std::string objectName = requireArg(0, rule ? "@rulename" : "@defname");
            auto object = state_.catalog.findObject(database_, "", objectName, uid_);
            if (!object || object->type != (rule ? "R" : "D")) {
                throw procedureError(rule ? 15016 : 15017, std::string("No such ") +
                                                               (rule ? "rule" : "default") +
                                                               " exists. Check sysobjects.");
            }
            objectId = object->id;
        }
        std::string target = requireArg(targetIndex, "@objname");
        bool futureOnly = toLower(arg(args, targetIndex + 1)) == "futureonly";
        const char* columnField = rule ? "domain" : "cdefault";
        const char* typeField = rule ? "domain" : "tdefault";
        size_t dot = target.rfind('.');
        if (dot != std::string::npos) {
            ObjectName tableName;
            tableName.name = target.substr(0, dot);
            size_t ownerDot = tableName.name.find('.');
            if (ownerDot != std::string::npos) {
                tableName.owner = tableName.name.substr(0, ownerDot);
                tableName.name = tableName.name.substr(ownerDot + 1);
            }
            std::string column = target.substr(dot + 1);
            SqlRenderer renderer(*this);
            TableBinding table = renderer.bindTable(tableName, false);
            SqliteStatement update(state_.db.handle(),
                                   "UPDATE " + sysTable("syscolumns") + " SET " + columnField +
                                       " = ?1 WHERE id = ?2 AND name = ?3 AND number = 0");
            update.bindAll({SqlValue::ofInt(objectId), SqlValue::ofInt(table.object.id),
                            SqlValue::ofText(column)});
            update.step();
            if (state_.db.changes() == 0)
                throw procedureError(
                    15102, "You can't bind a rule or default to a column that doesn't exist.");
            state_.db.exec(
                "UPDATE " + sysTable("sysobjects") +
                " SET schemacnt = schemacnt + 1 WHERE id = " + std::to_string(table.object.id));
            info(std::string(rule ? "Rule " : "Default ") +
                 (binding ? "bound to table column." : "unbound from table column."));
            return true;
        }
        int64_t usertype = state_.db.queryInt(
            "SELECT usertype FROM " + sysTable("systypes") + " WHERE name = ?1 AND usertype >= 100",
            {SqlValue::ofText(target)}, -1);
        if (usertype < 0)
            throw procedureError(15101,
                                 "You can't bind a rule or default to a type that doesn't exist.");
        int64_t previous = state_.db.queryInt("SELECT " + std::string(typeField) + " FROM " +
                                              sysTable("systypes") +
                                              " WHERE usertype = " + std::to_string(usertype));
        state_.db.exec("UPDATE " + sysTable("systypes") + " SET " + typeField + " = " +
                       std::to_string(objectId) + " WHERE usertype = " + std::to_string(usertype));
        if (!futureOnly) {
            // Columns of the type that still carry the type's previous binding follow it.
            state_.db.exec("UPDATE " + sysTable("syscolumns") + " SET " + columnField + " = " +
                           std::to_string(objectId) +
                           " WHERE usertype = " + std::to_string(usertype) + " AND " + columnField +
                           " = " + std::to_string(previous));
        }
        info(std::string(rule ? "Rule " : "Default ") +
             (binding ? "bound to datatype." : "unbound from datatype."));
        return true;
    }
    if (name == "sp_helptext") {
        std::string objectName = requireArg(0, "@objname");
        SqlRenderer renderer(*this);
        size_t dot = objectName.find('.');
        auto object = state_.catalog.findObject(
            database_, dot == std::string::npos ? "" : objectName.substr(0, dot),
            dot == std::string::npos ? objectName : objectName.substr(dot + 1), uid_);
        if (!object) {
            throw procedureError(17461, "Object does not exist in this database.");
        }
        std::string id = std::to_string(object->id);
        runInternal("select \"# Lines of Text\" = count(*) from syscomments where id = " + id +
                        "\nselect text from syscomments where id = " + id +
                        " order by number, colid2, colid",
                    out);
        return true;
    }
    if (name == "sp_help" || name == "sp_helpindex") {
        std::string objectName = arg(args, 0);
        static const char* const kindText =
            "case rtrim(o.type) when 'U' then 'user table' when 'S' then 'system table' when 'V' "
            "then 'view' "
            "when 'P' then 'stored procedure' when 'TR' then 'trigger' when 'R' then 'rule' when "
            "'D' then "
            "'default' else 'object' end";
        if (objectName.empty()) {
            runInternal(
                std::string("select Name = o.name, Owner = user_name(o.uid), Object_type = ") +
                    kindText + " from sysobjects o order by 3, 1",
                out);
            return true;
        }
        size_t dot = objectName.find('.');
        auto object = state_.catalog.findObject(
            database_, dot == std::string::npos ? "" : objectName.substr(0, dot),
            dot == std::string::npos ? objectName : objectName.substr(dot + 1), uid_);
        if (!object) {
            throw procedureError(17460, "Object does not exist in this database.");
        }
        std::string id = std::to_string(object->id);
        if (name == "sp_help") {
            runInternal(
                std::string("select Name = o.name, Owner = user_name(o.uid), Object_type = ") +
                    kindText + ", Create_date = o.crdate from sysobjects o where o.id = " + id,
                out);
            if (object->type == "U" || object->type == "S" || object->type == "V") {
                runInternal(
                    "select Column_name = c.name, Type = t.name, Length = c.length, "
                    "Prec = convert(char(5), c.prec), Scale = convert(char(5), c.scale), "
                    "Nulls = convert(int, (c.status & 8) / 8), Default_name = "
                    "object_name(c.cdefault), "
                    "Rule_name = object_name(c.domain), Access_Rule_name = convert(varchar(30), "
                    "null), "
                    "Computed_Column_object = convert(varchar(30), null), "
                    "\"Identity\" = convert(int, (c.status & 128) / 128) "
                    "from syscolumns c, systypes t where c.id = " +
                        id + " and c.number = 0 and c.usertype = t.usertype order by c.colid",
                    out);
            } else if (object->type == "P") {
                runInternal(
                    "select Parameter_name = c.name, Type = t.name, Length = c.length, "
                    "Prec = convert(char(5), c.prec), Scale = convert(char(5), c.scale), "
                    "Param_order = c.colid, Mode = case when c.status & 64 = 64 then 'output' else "
                    "'in' end "
                    "from syscolumns c, systypes t where c.id = " +
                        id + " and c.usertype = t.usertype order by c.number, c.colid",
                    out);
            }
        }
        if (object->type == "U" || object->type == "S") {
            std::vector<StoredColumn> columns = state_.catalog.columns(database_, *object);
            ResultSet set;
            for (const char* column : {"index_name", "index_description", "index_keys"}) {
                ColumnInfo info = makeColumnInfo(ColumnType::VarChar, 255, false);
                info.name = column;
                set.columns.push_back(info);
            }
            for (const IndexRef& index : state_.catalog.indexes(database_, object->id)) {
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
                set.rows.push_back({Value::ofString(index.name), Value::ofString(description),
                                    Value::ofString(keys)});
            }
            if (!set.rows.empty()) {
                StatementResult result;
                result.hasRowCount = true;
                result.rowCount = static_cast<int>(set.rows.size());
                result.resultSet = std::move(set);
                out.push_back(std::move(result));
            } else {
                info("Object does not have any indexes.");
            }
        }
        return true;
    }
    if (name == "sp_dboption" || name == "sp_configure" || name == "sp_procxmode") {
        return true;  // accepted; options are not modelled
    }
    return false;
}

}  // namespace tdsim
