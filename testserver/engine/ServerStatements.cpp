// Database devices and the space of databases: DISK INIT / DISK RESIZE, the device
// clauses of CREATE DATABASE and ALTER DATABASE, and the last-chance threshold.
#include <algorithm>
#include <cstdio>

#include "engine/Principals.h"
#include "engine/SessionImpl.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

std::string megabytes(int pages)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", pages / static_cast<double>(kPagesPerMegabyte));
    return text;
}

bool truth(const std::string& value)
{
    std::string lower = toLower(value);
    if (lower == "true" || lower == "1")
        return true;
    if (lower == "false" || lower == "0")
        return false;
    throw EngineError{102, 15, "Incorrect syntax near '" + value + "'."};
}

const std::string& requiredOption(const DiskStatement& statement, const char* name)
{
    auto found = statement.options.find(name);
    if (found == statement.options.end() || found->second.empty())
        throw EngineError{
            5110, 16, std::string("disk ") + statement.verb + " needs the '" + name + "' option."};
    return found->second;
}

// The threshold's free space: the server derives it from the log's size (and the user
// log caches); this formula is tdsim's.
int lastChanceFreeSpace(int logPages)
{
    return std::max(16, logPages / 16);
}

constexpr int kLogSegment = 2;
constexpr int kLastChanceStatus = 0x1;

}  // namespace

void SessionImpl::allocateDatabaseSpace(const DatabaseSpaceStatement& statement, int dbid,
                                        bool creating, StatementResult& result)
{
    const ConfigParameter* sizeParameter = ServerConfiguration::find("default database size");
    int defaultPages =
        creating ? state_.configuration.configuredValue(*sizeParameter) * kPagesPerMegabyte
                 : kPagesPerMegabyte;
    std::vector<FragmentRequest> requests;
    auto add = [&](const std::vector<DatabaseDeviceClause>& clauses, bool log) {
        for (const DatabaseDeviceClause& clause : clauses) {
            int pages =
                clause.size.empty() ? defaultPages : pagesOfSize(clause.size, kPagesPerMegabyte);
            requests.push_back({clause.device, pages, log});
        }
    };
    add(statement.data, false);
    if (statement.data.empty() && (creating || statement.log.empty()))
        requests.push_back({"", defaultPages, false});
    add(statement.log, true);
    bool mixedLog = creating && statement.log.empty();
    for (const Fragment& fragment : state_.disk.allocate(dbid, requests, mixedLog)) {
        if (creating)
            addMessage(result, 0, 0,
                       "CREATE DATABASE: allocating " + std::to_string(fragment.pages) +
                           " logical pages (" + megabytes(fragment.pages) +
                           " megabytes) on disk '" + fragment.device + "'.");
        else
            addMessage(result, 0, 0,
                       "Extending database by " + std::to_string(fragment.pages) + " pages (" +
                           megabytes(fragment.pages) + " megabytes) on disk " + fragment.device);
    }
    if (!statement.log.empty())
        updateLastChanceThreshold(statement.name, dbid);
}

void SessionImpl::updateLastChanceThreshold(const std::string& database, int dbid)
{
    int logPages = state_.disk.logOnlyPages(dbid);
    if (logPages == 0)
        return;
    const std::string thresholds = Catalog::systemTable(database, "systhresholds");
    std::vector<SqlValue> key = {SqlValue::ofInt(kLogSegment), SqlValue::ofInt(kLastChanceStatus)};
    state_.db.queryInt("DELETE FROM " + thresholds + " WHERE segment = ?1 AND status & ?2 <> 0",
                       key);
    int owner = static_cast<int>(state_.db.queryInt(
        "SELECT suid FROM " + Catalog::systemTable("master", "sysdatabases") + " WHERE dbid = ?1",
        {SqlValue::ofInt(dbid)}, 1));
    state_.catalog.insertRow(thresholds,
                             {{"segment", SqlValue::ofInt(kLogSegment)},
                              {"free_space", SqlValue::ofInt(lastChanceFreeSpace(logPages))},
                              {"status", SqlValue::ofInt(kLastChanceStatus)},
                              {"proc_name", SqlValue::ofText("sp_thresholdaction")},
                              {"suid", SqlValue::ofInt(owner)}});
}

void SessionImpl::alterDatabase(const AlterDatabaseStatement& statement, Results& out)
{
    int dbid = state_.catalog.databaseId(statement.name);
    if (dbid == 0)
        throw unknownDatabase(statement.name);
    if (!holdsRole(kSaRoleId) &&
        state_.db.queryInt("SELECT suid FROM " + Catalog::systemTable("master", "sysdatabases") +
                               " WHERE dbid = ?1",
                           {SqlValue::ofInt(dbid)}) != suid_)
        throw EngineError{
            262, 14,
            "ALTER DATABASE permission denied, database " + statement.name + ", owner dbo"};
    allocateDatabaseSpace(statement, dbid, false, newResult(out));
}

void SessionImpl::diskStatement(const DiskStatement& statement, Results& out)
{
    if (!holdsRole(kSaRoleId))
        missingRole("sa_role");
    const std::string& name = requiredOption(statement, "name");
    const std::string& size = requiredOption(statement, "size");
    if (statement.verb == "resize") {
        int pages = pagesOfSize(size, 1);
        SqliteStatement update(state_.db.handle(),
                               "UPDATE " + Catalog::systemTable("master", "sysdevices") +
                                   " SET high = high + ?2, resizedate = ?3 WHERE name = ?1 AND "
                                   "cntrltype = 0");
        update.bindAll({SqlValue::ofText(name), SqlValue::ofInt(pages),
                        SqlValue::ofText(currentDateTimeText())});
        update.step();
        if (state_.db.changes() == 0)
            throw EngineError{17871, 16,
                              "No such device exists -- run sp_helpdevice to list "
                              "the devices on this server."};
        newResult(out);
        return;
    }
    DeviceDefinition device;
    device.name = name;
    device.physicalName = requiredOption(statement, "physname");
    device.pages = pagesOfSize(size, 1);
    for (const auto& [option, value] : statement.options) {
        if (option == "vdevno")
            device.vdevno = integerOf(value);
        else if (option == "dsync")
            device.dsync = truth(value);
        else if (option == "directio")
            device.directio = truth(value);
        else if (option != "name" && option != "physname" && option != "size" &&
                 option != "vstart" && option != "cntrltype" && option != "contiguous" &&
                 option != "skip_alloc" && option != "instance")
            throw EngineError{102, 15, "Incorrect syntax near '" + option + "'."};
    }
    // dsync and directio exclude each other: directio wins, as the manual describes.
    if (device.directio)
        device.dsync = false;
    const ConfigParameter* devices = ServerConfiguration::find("number of devices");
    state_.disk.addDevice(device, state_.configuration.configuredValue(*devices));
    newResult(out);
}

}  // namespace tdsim
