// Database devices and the fragments of databases on them: master..sysdevices and
// master..sysusages. No file is ever made; the rows are the whole of a device.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Sqlite.h"

namespace tdsim {

// Logical pages of @@maxpagesize (2048) and 2K virtual pages are the same size here.
constexpr int kPagesPerMegabyte = 512;

// sysusages.segmap bits: one per segment number (system 0, default 1, logsegment 2).
constexpr int kSegmapData = 0x3;  // system and default
constexpr int kSegmapLog = 0x4;
constexpr int kSegmapMixed = kSegmapData | kSegmapLog;

// sysdevices.status bits.
constexpr int kDeviceDefault = 0x1;
constexpr int kDevicePhysical = 0x2;
constexpr int kDeviceDump = 0x10;
constexpr int kDeviceDsync = 0x4000;
constexpr int kDeviceDirectio = 0x8000;

// sysdevices.cntrltype of dump devices: a disk, and the first tape controller (3-8).
constexpr int kDiskDumpController = 2;
constexpr int kTapeController = 3;

// A size as disk init, create database and alter database take it: a bare number counts
// `bareUnitPages` pages (1 for disk init, a megabyte for the database statements), or a
// string with a unit K, M, G or P (pages). Throws EngineError for anything else.
int pagesOfSize(const std::string& text, int bareUnitPages);

struct DeviceDefinition {
    std::string name;
    std::string physicalName;
    int pages = 0;
    std::optional<int> vdevno;  // the lowest free number when absent
    bool dsync = true;
    bool directio = false;
};

// One device clause of CREATE/ALTER DATABASE: an empty device means a default device.
struct FragmentRequest {
    std::string device;
    int pages = 0;
    bool log = false;
};

// A fragment as sysusages records it, with its device's name.
struct Fragment {
    int segmap = 0;
    int lstart = 0;
    int pages = 0;
    int vstart = 0;
    int vdevno = 0;
    std::string device;
    std::string created;
};

class DiskSpace {
public:
    explicit DiskSpace(SqliteDatabase& db) : db_(db) {}

    // The devices of a fresh 15.7 installation and the system databases' fragments.
    void install();

    // disk init. `maxDevices` is the `number of devices` parameter: vdevnos stay below it.
    void addDevice(const DeviceDefinition& device, int maxDevices);
    void addDumpDevice(const std::string& name, const std::string& path, int cntrltype);
    void dropDevice(const std::string& name);
    void setDefault(const std::string& name, bool on);

    // Lays out fragments for a database after its last page, in the order requested: a
    // log request gets segmap 4, data 3, and data also holds the log when `mixedLog`.
    // A data fragment also joins the user segments the database already maps to its
    // device. Throws 1802 for an unknown device, 1803 when one lacks room.
    std::vector<Fragment> allocate(int dbid, const std::vector<FragmentRequest>& requests,
                                   bool mixedLog);
    // Frees the fragments of a dropped database.
    void release(int dbid);
    std::vector<Fragment> fragments(int dbid);

    // Segment bits on the fragments of `dbid` that lie on `device` (all when empty).
    // Returns how many fragments changed; -1 when no fragment of the database is there.
    int setSegmentBit(int dbid, const std::string& device, int segment, bool on);

    // The pages of a database's log-only fragments (segmap 4).
    int logOnlyPages(int dbid);

private:
    std::string defaultDevice();
    int freeStart(int vdevno, int devicePages, int pages);

    SqliteDatabase& db_;
};

}  // namespace tdsim
