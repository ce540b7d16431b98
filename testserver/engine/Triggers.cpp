// Triggers: after INSERT, UPDATE and DELETE the table's trigger runs with the affected
// rows in the pseudo tables "inserted" and "deleted"; a view's instead-of trigger runs in
// place of the statement with the rows it would have inserted and deleted.
#include "engine/Parser.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

constexpr int kMaxTriggerNesting = 16;

}  // namespace

const TableBinding* SessionImpl::pseudoTable(const std::string& name) const
{
    if (triggerFrames_.empty())
        return nullptr;
    if (name == "inserted")
        return &triggerFrames_.back().inserted;
    if (name == "deleted")
        return &triggerFrames_.back().deleted;
    return nullptr;
}

namespace {

// The sysobjects column that links a table to its trigger for an action, and the
// table's sysstat2 bit that disables it.
struct TriggerAction {
    const char* column;
    int disabledBit;
};
constexpr TriggerAction kTriggerActions[] = {{"instrig", kInsertTriggerDisabled},
                                             {"updtrig", kUpdateTriggerDisabled},
                                             {"deltrig", kDeleteTriggerDisabled}};

int disabledBitOf(const std::string& column)
{
    for (const TriggerAction& action : kTriggerActions) {
        if (column == action.column)
            return action.disabledBit;
    }
    return 0;
}

}  // namespace

// The id of the table's insert/update/delete trigger (column instrig, updtrig, deltrig);
// 0 when there is none or it is disabled.
int SessionImpl::triggerFor(const TableBinding& table, const char* column)
{
    if (table.object.type != "U" && table.object.type != "V")
        return 0;
    return static_cast<int>(state_.db.queryInt(
        "SELECT CASE WHEN sysstat2 & " + std::to_string(disabledBitOf(column)) + " = 0 THEN " +
            column + " ELSE 0 END FROM " +
            Catalog::systemTable(table.object.database, "sysobjects") + " WHERE id = ?1",
        {SqlValue::ofInt(table.object.id)}));
}

void SessionImpl::enableTriggers(const ObjectRef& table, const std::string& name, bool enable)
{
    int triggerId = 0;
    if (!name.empty()) {
        auto trigger = state_.catalog.findObject(database_, "", name, uid_);
        bool ofTable =
            trigger && trigger->type == "TR" &&
            state_.db.queryInt("SELECT deltrig FROM " + sysTable("sysobjects") + " WHERE id = ?1",
                               {SqlValue::ofInt(trigger->id)}) == table.id;
        if (!ofTable) {
            throw EngineError{
                7777, 16, "Trigger '" + name + "' is not a trigger of table '" + table.name + "'."};
        }
        triggerId = trigger->id;
    }
    int bits = 0;
    for (const TriggerAction& action : kTriggerActions) {
        int linked =
            static_cast<int>(state_.db.queryInt("SELECT " + std::string(action.column) + " FROM " +
                                                    sysTable("sysobjects") + " WHERE id = ?1",
                                                {SqlValue::ofInt(table.id)}));
        if (linked != 0 && (triggerId == 0 || linked == triggerId))
            bits |= action.disabledBit;
    }
    if (enable)
        setSysstat2(table.id, 0, bits);
    else
        setSysstat2(table.id, bits);
}

std::string SessionImpl::snapshot(const TableBinding& table, const std::string& condition,
                                  const char* role, std::string columns)
{
    std::string name =
        "temp." + sqlName(std::string("tdsim_") + role + "_" + std::to_string(++snapshotCounter_));
    if (columns.empty()) {
        for (const StoredColumn& column : table.columns)
            columns += (columns.empty() ? "" : ", ") + sqlName(column.storageName);
    }
    state_.db.exec("CREATE TABLE " + name + " AS SELECT " + columns + " FROM " + table.physical +
                   " WHERE " + condition);
    return name;
}

void SessionImpl::runInsteadOf(int triggerId, const TableBinding& view, const std::string& inserted,
                               const std::string& deleted, Results& out)
{
    int64_t count = std::max(state_.db.queryInt("SELECT count(*) FROM " + inserted),
                             state_.db.queryInt("SELECT count(*) FROM " + deleted));
    fireTrigger(triggerId, view, inserted, deleted, out);
    lastRowCount_ = static_cast<int>(count);
    StatementResult& result = newResult(out);
    result.hasRowCount = !options_.noCount;
    result.rowCount = lastRowCount_;
}

void SessionImpl::fireTrigger(int triggerId, const TableBinding& table, const std::string& inserted,
                              const std::string& deleted, Results& out)
{
    struct DropSnapshots {
        SqliteDatabase& db;
        std::string inserted, deleted;
        ~DropSnapshots()
        {
            try {
                db.exec("DROP TABLE IF EXISTS " + inserted);
                db.exec("DROP TABLE IF EXISTS " + deleted);
            } catch (const SqliteError&) {
                // Already gone with a rolled-back savepoint.
            }
        }
    } dropSnapshots{state_.db, inserted, deleted};
    if (static_cast<int>(triggerFrames_.size()) >= kMaxTriggerNesting) {
        throw EngineError{217, 16,
                          "Maximum stored procedure nesting level exceeded (limit " +
                              std::to_string(kMaxTriggerNesting) + ")."};
    }
    std::optional<ObjectRef> trigger =
        state_.catalog.findObjectById(table.object.database, triggerId);
    if (!trigger)
        return;
    std::string text;
    bool quotedIdentifier = false;
    {
        SqliteStatement rows(state_.db.handle(),
                             "SELECT coalesce(tdsim_source, text), status FROM " +
                                 Catalog::systemTable(table.object.database, "syscomments") +
                                 " WHERE id = ?1 ORDER BY colid2, colid");
        rows.bind(1, SqlValue::ofInt(triggerId));
        while (rows.step()) {
            text += rows.textAt(0);
            quotedIdentifier = quotedIdentifier || (rows.intAt(1) & 4) != 0;
        }
    }
    auto parsed = parseBatch(text, quotedIdentifier);
    if (parsed.empty() || parsed[0]->kind != Statement::Kind::CreateTextObject)
        return;
    const auto& definition = static_cast<const CreateTextObjectStatement&>(*parsed[0]);

    TriggerFrame frame{table, table};
    frame.inserted.physical = inserted;
    frame.inserted.object.name = "inserted";
    frame.inserted.object.type = "S";
    frame.deleted.physical = deleted;
    frame.deleted.object.name = "deleted";
    frame.deleted.object.type = "S";

    // The body runs in its own variable scope, in the table's database, as the trigger.
    struct Scope {
        SessionImpl& session;
        std::string database, procName;
        int uid;
        ~Scope()
        {
            session.triggerFrames_.pop_back();
            session.cursorScopes_.pop_back();
            session.frames_.pop_back();
            session.database_ = database;
            session.procName_ = procName;
            session.uid_ = uid;
            --session.nestLevel_;
        }
    } scope{*this, database_, procName_, uid_};
    triggerFrames_.push_back(std::move(frame));
    frames_.emplace_back();
    cursorScopes_.emplace_back();
    database_ = table.object.database;
    procName_ = trigger->name;
    ++nestLevel_;
    Results produced;
    // Messages and result sets of the body reach the client also when a ROLLBACK in it
    // unwinds to the statement that fired the trigger.
    auto deliver = [&]() {
        for (StatementResult& result : produced) {
            if (!result.messages.empty() || result.resultSet) {
                result.isProcedure = true;
                out.push_back(std::move(result));
            }
        }
    };
    try {
        runStatementList(definition.body, produced, ListKind::Body);
    } catch (const ReturnSignal&) {
        // RETURN ends the trigger.
    } catch (const TriggerRollback&) {
        deliver();
        throw;
    }
    deliver();
}

}  // namespace tdsim
