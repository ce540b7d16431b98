// What the master database (and each database's segments and thresholds) holds of the
// server beyond the databases' objects, as typed values: devices, databases with their
// fragments, options and owners, logins, roles, remote servers and configuration values.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A database device (disk init) or a dump device (sp_addumpdevice).
struct TServerDevice {
    enum class Use { Database, DumpDisk, DumpTape };
    QString Name;
    QString PhysicalName;
    Use Usage = Use::Database;
    int VDevNo = 0;
    qint64 Pages2K = 0;  // the size in 2 KB pages, disk init's unit
    bool DefaultDisk = false;
    bool DSync = false;
    bool DirectIO = false;
};

// One sysusages row: a piece of a database on a device.
struct TDatabaseFragment {
    QString Device;
    qint64 Kilobytes = 0;
    int SegmentMap = 0;  // bit n: segment n lies on the fragment
};

// A segment of a database, by its number: 0 system, 1 default, 2 logsegment, then the
// segments added with sp_addsegment.
struct TDatabaseSegment {
    int Number = 0;
    QString Name;
};

// A free-space threshold added with sp_addthreshold (the last-chance threshold is the
// server's own).
struct TDatabaseThreshold {
    QString Segment;
    qint64 FreePages = 0;
    QString Procedure;
};

struct TServerDatabase {
    QString Name;
    QString Owner;                       // the owner's login; empty when it has none
    QList<TDatabaseFragment> Fragments;  // in the order of their logical pages
    QStringList Options;                 // the sp_dboption names set
    QList<TDatabaseSegment> Segments;
    QList<TDatabaseThreshold> Thresholds;
};

struct TServerLogin {
    QString Name;
    int Suid = 0;
    QString PasswordHash;  // "0x..." as stored; empty when it cannot be read
    QString DefaultDatabase;
    QString Language;
    QString FullName;
    bool Locked = false;
    QString LoginScript;       // the procedure run at login, in the default database
    QStringList Roles;         // the roles granted to the login
    QStringList DefaultRoles;  // those of them activated at login
};

// A user-defined role and the roles granted to it.
struct TServerRole {
    QString Name;
    bool HasPassword = false;
    QStringList GrantedRoles;
};

struct TRemoteServer {
    QString Name;
    QString NetworkName;
    QString ServerClass;                  // sp_addserver's class ("ASEnterprise", "sql_server" ...)
    QList<QPair<QString, bool>> Options;  // the sp_serveroption options not at their default
};

// A configuration parameter whose configured value is not its default.
struct TConfigurationValue {
    QString Name;
    QString Value;
    QString DefaultValue;
    bool Text = false;  // a character value (sp_configure's third argument)
};
