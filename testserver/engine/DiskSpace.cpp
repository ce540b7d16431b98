#include "engine/DiskSpace.h"

#include <algorithm>
#include <cctype>

#include "engine/Catalog.h"
#include "engine/Errors.h"
#include "engine/Text.h"

namespace tdsim {
namespace {

const std::string& devicesTable()
{
    static const std::string table = Catalog::systemTable("master", "sysdevices");
    return table;
}

const std::string& usagesTable()
{
    static const std::string table = Catalog::systemTable("master", "sysusages");
    return table;
}

// The first pages of the master device hold the server's configuration block: the master
// database starts at virtual page 4, as the System Administration Guide's sysusages
// listing shows.
int firstUsablePage(int vdevno)
{
    return vdevno == 0 ? 4 : 0;
}

// Pages that the copy of model takes in a new database's first fragment; the rest of it
// is unreserved. The figure is not documented.
constexpr int kModelUsedPages = 360;

// A fresh installation. Sizes of the system databases on the master device follow the
// System Administration Guide's sysusages listing; the device sizes, the devices of
// sybsystemdb and sybsystemprocs and their sizes are the installer's choices (not
// documented): see README "Master catalog".
struct InstalledDevice {
    const char* name;
    const char* path;
    int vdevno;
    int pages;
    int status;
};
const InstalledDevice kInstalledDevices[] = {
    {"master", "master.dat", 0, 1024 * kPagesPerMegabyte,
     kDeviceDefault | kDevicePhysical | kDeviceDsync},
    {"sysprocsdev", "sysprocs.dat", 1, 172 * kPagesPerMegabyte, kDevicePhysical | kDeviceDsync},
    {"systemdbdev", "sybsysdb.dat", 2, 12 * kPagesPerMegabyte, kDevicePhysical | kDeviceDsync},
};

struct InstalledFragment {
    int dbid;
    int vdevno;
    int vstart;
    int pages;
};
const InstalledFragment kInstalledFragments[] = {
    {1, 0, 4, 6656},       // master
    {3, 0, 6660, 1536},    // model
    {2, 0, 8196, 2048},    // tempdb
    {31513, 2, 0, 6144},   // sybsystemdb
    {31514, 1, 0, 88064},  // sybsystemprocs
};

void insertFragment(SqliteDatabase& db, int dbid, const Fragment& fragment, int unreserved)
{
    SqliteStatement insert(db.handle(), "INSERT INTO " + usagesTable() +
                                            " (dbid, segmap, lstart, size, vstart, location, "
                                            "unreservedpgs, crdate, vdevno) VALUES (?1, ?2, ?3, "
                                            "?4, ?5, 0, ?6, ?7, ?8)");
    insert.bindAll({SqlValue::ofInt(dbid), SqlValue::ofInt(fragment.segmap),
                    SqlValue::ofInt(fragment.lstart), SqlValue::ofInt(fragment.pages),
                    SqlValue::ofInt(fragment.vstart), SqlValue::ofInt(unreserved),
                    SqlValue::ofText(fragment.created), SqlValue::ofInt(fragment.vdevno)});
    insert.step();
}

EngineError unknownDevices()
{
    return {1802, 16,
            "CREATE DATABASE failed. Some disk names listed in command were not found. Check "
            "that names exist and are spelled correctly before re-running."};
}

}  // namespace

int pagesOfSize(const std::string& text, int bareUnitPages)
{
    std::string trimmed = rtrimBlanks(text);
    size_t digits = 0;
    while (digits < trimmed.size() &&
           (std::isdigit(static_cast<unsigned char>(trimmed[digits])) || trimmed[digits] == '.'))
        ++digits;
    if (digits == 0 || digits > 12 || trimmed.find_first_of("0123456789") >= digits)
        throw EngineError{102, 15, "Incorrect syntax near '" + text + "'."};
    double amount = std::stod(trimmed.substr(0, digits));
    std::string unit = toLower(trimmed.substr(digits));
    double pages = 0;
    if (unit.empty())
        pages = amount * bareUnitPages;
    else if (unit == "k")
        pages = amount / 2;
    else if (unit == "m")
        pages = amount * kPagesPerMegabyte;
    else if (unit == "g")
        pages = amount * kPagesPerMegabyte * 1024;
    else if (unit == "p")
        pages = amount;
    else
        throw EngineError{102, 15, "Incorrect syntax near '" + text + "'."};
    if (pages < 1 || pages > 2147483647.0)
        throw EngineError{5123, 16, "Invalid size '" + text + "'."};
    return static_cast<int>(pages);
}

void DiskSpace::install()
{
    std::string now = currentDateTimeText();
    for (const InstalledDevice& device : kInstalledDevices) {
        SqliteStatement insert(db_.handle(), "INSERT INTO " + devicesTable() +
                                                 " (low, high, status, cntrltype, name, phyname, "
                                                 "vdevno, crdate, status2) VALUES (0, ?1, ?2, 0, "
                                                 "?3, ?4, ?5, ?6, 0)");
        insert.bindAll({SqlValue::ofInt(device.pages - 1), SqlValue::ofInt(device.status),
                        SqlValue::ofText(device.name), SqlValue::ofText(device.path),
                        SqlValue::ofInt(device.vdevno), SqlValue::ofText(now)});
        insert.step();
    }
    // The distribution media's dump devices.
    addDumpDevice("tapedump1", "/dev/nst0", kTapeController);
    addDumpDevice("tapedump2", "/dev/nst1", kTapeController + 1);
    for (const InstalledFragment& installed : kInstalledFragments) {
        Fragment fragment;
        fragment.segmap = kSegmapMixed;
        fragment.pages = installed.pages;
        fragment.vstart = installed.vstart;
        fragment.vdevno = installed.vdevno;
        fragment.created = now;
        insertFragment(db_, installed.dbid, fragment,
                       std::max(0, installed.pages - kModelUsedPages));
    }
}

void DiskSpace::addDevice(const DeviceDefinition& device, int maxDevices)
{
    if (db_.queryInt("SELECT count(*) FROM " + devicesTable() + " WHERE name = ?1",
                     {SqlValue::ofText(device.name)}) > 0)
        throw EngineError{5125, 16, "Device '" + device.name + "' already exists."};
    int vdevno = device.vdevno.value_or(static_cast<int>(
        db_.queryInt("SELECT min(vdevno) + 1 FROM " + devicesTable() +
                     " d WHERE cntrltype = 0 AND NOT EXISTS (SELECT 1 FROM " + devicesTable() +
                     " e WHERE e.cntrltype = 0 AND e.vdevno = d.vdevno + 1)")));
    if (db_.queryInt(
            "SELECT count(*) FROM " + devicesTable() + " WHERE cntrltype = 0 AND vdevno = ?1",
            {SqlValue::ofInt(vdevno)}) > 0)
        throw EngineError{
            5126, 16,
            "The virtual device number " + std::to_string(vdevno) + " is already in use."};
    if (vdevno < 1 || vdevno >= maxDevices)
        throw EngineError{5127, 16,
                          "The virtual device number " + std::to_string(vdevno) +
                              " must be between 1 and 'number of devices' - 1 (" +
                              std::to_string(maxDevices - 1) + ")."};
    int status = kDevicePhysical | (device.dsync ? kDeviceDsync : 0) |
                 (device.directio ? kDeviceDirectio : 0);
    SqliteStatement insert(db_.handle(), "INSERT INTO " + devicesTable() +
                                             " (low, high, status, cntrltype, name, phyname, "
                                             "vdevno, crdate, status2) VALUES (0, ?1, ?2, 0, ?3, "
                                             "?4, ?5, ?6, 0)");
    // status is a smallint: the directio bit 0x8000 reads back negative, as on the server.
    insert.bindAll({SqlValue::ofInt(device.pages - 1), SqlValue::ofInt(int16_t(status)),
                    SqlValue::ofText(device.name), SqlValue::ofText(device.physicalName),
                    SqlValue::ofInt(vdevno), SqlValue::ofText(currentDateTimeText())});
    insert.step();
}

void DiskSpace::addDumpDevice(const std::string& name, const std::string& path, int cntrltype)
{
    if (db_.queryInt("SELECT count(*) FROM " + devicesTable() + " WHERE name = ?1",
                     {SqlValue::ofText(name)}) > 0)
        throw EngineError{5125, 16, "Device '" + name + "' already exists."};
    SqliteStatement insert(db_.handle(), "INSERT INTO " + devicesTable() +
                                             " (low, high, status, cntrltype, name, phyname, "
                                             "vdevno, crdate, status2) VALUES (0, 20000, ?1, ?2, "
                                             "?3, ?4, 0, ?5, 0)");
    insert.bindAll({SqlValue::ofInt(kDeviceDump), SqlValue::ofInt(cntrltype),
                    SqlValue::ofText(name), SqlValue::ofText(path),
                    SqlValue::ofText(currentDateTimeText())});
    insert.step();
}

void DiskSpace::dropDevice(const std::string& name)
{
    int64_t vdevno =
        db_.queryInt("SELECT vdevno FROM " + devicesTable() + " WHERE name = ?1 AND cntrltype = 0",
                     {SqlValue::ofText(name)}, -1);
    if (vdevno >= 0 && db_.queryInt("SELECT count(*) FROM " + usagesTable() + " WHERE vdevno = ?1",
                                    {SqlValue::ofInt(vdevno)}) > 0)
        throw EngineError{17874, 16, "Device is being used by a database. You can't drop it."};
    SqliteStatement remove(db_.handle(), "DELETE FROM " + devicesTable() + " WHERE name = ?1");
    remove.bind(1, SqlValue::ofText(name));
    remove.step();
    if (db_.changes() == 0)
        throw EngineError{17871, 16,
                          "No such device exists -- run sp_helpdevice to list the "
                          "devices on this server."};
}

void DiskSpace::setDefault(const std::string& name, bool on)
{
    SqliteStatement update(db_.handle(), "UPDATE " + devicesTable() + " SET status = " +
                                             (on ? "status | 1" : "status & ~1") +
                                             " WHERE name = ?1 AND cntrltype = 0");
    update.bind(1, SqlValue::ofText(name));
    update.step();
    if (db_.changes() == 0)
        throw EngineError{17871, 16,
                          "No such device exists -- run sp_helpdevice to list the "
                          "devices on this server."};
}

std::string DiskSpace::defaultDevice()
{
    StatementLease row = db_.cached("SELECT name FROM " + devicesTable() +
                                    " WHERE cntrltype = 0 AND status & 1 <> 0 ORDER BY vdevno");
    if (!row->step())
        throw EngineError{1804, 16,
                          "CREATE DATABASE failed. Default devices are not available or are "
                          "full. Use sp_diskdefault to set default devices."};
    return row->textAt(0);
}

// The lowest virtual page from which `pages` free pages follow on the device; -1 when
// no gap is large enough.
int DiskSpace::freeStart(int vdevno, int devicePages, int pages)
{
    SqliteStatement used(db_.handle(), "SELECT vstart, size FROM " + usagesTable() +
                                           " WHERE vdevno = ?1 ORDER BY vstart");
    used.bind(1, SqlValue::ofInt(vdevno));
    int64_t start = firstUsablePage(vdevno);
    while (used.step()) {
        int64_t next = used.intAt(0);
        if (next - start >= pages)
            return static_cast<int>(start);
        start = std::max<int64_t>(start, next + used.intAt(1));
    }
    return devicePages - start >= pages ? static_cast<int>(start) : -1;
}

std::vector<Fragment> DiskSpace::allocate(int dbid, const std::vector<FragmentRequest>& requests,
                                          bool mixedLog)
{
    int lstart = static_cast<int>(
        db_.queryInt("SELECT max(lstart + size) FROM " + usagesTable() + " WHERE dbid = ?1",
                     {SqlValue::ofInt(dbid)}, 0));
    std::string now = currentDateTimeText();
    std::vector<Fragment> made;
    for (const FragmentRequest& request : requests) {
        Fragment fragment;
        fragment.device = request.device.empty() ? defaultDevice() : request.device;
        SqliteStatement device(db_.handle(), "SELECT vdevno, high - low + 1 FROM " +
                                                 devicesTable() +
                                                 " WHERE name = ?1 AND cntrltype = 0");
        device.bind(1, SqlValue::ofText(fragment.device));
        if (!device.step())
            throw unknownDevices();
        fragment.vdevno = static_cast<int>(device.intAt(0));
        fragment.vstart =
            freeStart(fragment.vdevno, static_cast<int>(device.intAt(1)), request.pages);
        if (fragment.vstart < 0)
            throw EngineError{1803, 16,
                              "CREATE DATABASE failed. Could not allocate enough disk space "
                              "for a new database on the disks named in the command: device '" +
                                  fragment.device + "' lacks " + std::to_string(request.pages) +
                                  " free pages."};
        fragment.segmap = request.log ? kSegmapLog : mixedLog ? kSegmapMixed : kSegmapData;
        if (!request.log) {
            // User segments already on the device take in the new space too.
            fragment.segmap |= static_cast<int>(
                db_.queryInt("SELECT coalesce(max(segmap & ~7), 0) FROM " + usagesTable() +
                                 " WHERE dbid = ?1 AND vdevno = ?2",
                             {SqlValue::ofInt(dbid), SqlValue::ofInt(fragment.vdevno)}));
        }
        fragment.lstart = lstart;
        fragment.pages = request.pages;
        fragment.created = now;
        int unreserved = lstart == 0 ? std::max(0, request.pages - kModelUsedPages) : request.pages;
        insertFragment(db_, dbid, fragment, unreserved);
        lstart += request.pages;
        made.push_back(fragment);
    }
    return made;
}

void DiskSpace::release(int dbid)
{
    db_.exec("DELETE FROM " + usagesTable() + " WHERE dbid = " + std::to_string(dbid));
}

std::vector<Fragment> DiskSpace::fragments(int dbid)
{
    SqliteStatement rows(db_.handle(),
                         "SELECT u.segmap, u.lstart, u.size, u.vstart, u.vdevno, "
                         "d.name, u.crdate FROM " +
                             usagesTable() + " u LEFT JOIN " + devicesTable() +
                             " d ON d.vdevno = u.vdevno AND d.cntrltype = 0 "
                             "WHERE u.dbid = ?1 ORDER BY u.lstart");
    rows.bind(1, SqlValue::ofInt(dbid));
    std::vector<Fragment> result;
    while (rows.step()) {
        Fragment fragment;
        fragment.segmap = static_cast<int>(rows.intAt(0));
        fragment.lstart = static_cast<int>(rows.intAt(1));
        fragment.pages = static_cast<int>(rows.intAt(2));
        fragment.vstart = static_cast<int>(rows.intAt(3));
        fragment.vdevno = static_cast<int>(rows.intAt(4));
        fragment.device = rows.textAt(5);
        fragment.created = rows.textAt(6);
        result.push_back(std::move(fragment));
    }
    return result;
}

int DiskSpace::setSegmentBit(int dbid, const std::string& device, int segment, bool on)
{
    std::string where = " WHERE dbid = ?1";
    std::vector<SqlValue> params = {SqlValue::ofInt(dbid)};
    if (!device.empty()) {
        where += " AND vdevno = (SELECT vdevno FROM " + devicesTable() +
                 " WHERE name = ?2 AND cntrltype = 0)";
        params.push_back(SqlValue::ofText(device));
    }
    if (db_.queryInt("SELECT count(*) FROM " + usagesTable() + where, params) == 0)
        return -1;
    std::string bit = std::to_string(1 << segment);
    SqliteStatement update(db_.handle(), "UPDATE " + usagesTable() + " SET segmap = " +
                                             (on ? "segmap | " + bit : "segmap & ~" + bit) + where);
    update.bindAll(params);
    update.step();
    return static_cast<int>(db_.changes());
}

int DiskSpace::logOnlyPages(int dbid)
{
    return static_cast<int>(db_.queryInt(
        "SELECT coalesce(sum(size), 0) FROM " + usagesTable() + " WHERE dbid = ?1 AND segmap = 4",
        {SqlValue::ofInt(dbid)}));
}

}  // namespace tdsim
