// The kinds of objects: the nine of a database, in the fixed order of the folders under a
// database, of the extension settings and of the listing within a database; then the six
// of the server itself, in the order of the folders under the server.
#pragma once

#include <QString>
#include <array>

enum class ObjectKind {
    Users = 0,
    Groups = 1,
    Tables = 2,
    Views = 3,
    Indexes = 4,
    Triggers = 5,
    Procedures = 6,
    Rules = 7,
    DataTypes = 8,
    Logins = 9,
    Roles = 10,
    Databases = 11,
    Devices = 12,
    RemoteServers = 13,
    Configuration = 14,
};

// The kinds of a database's folders.
constexpr int ObjectKindCount = 9;
// The kinds of the server's folders.
constexpr int ServerKindCount = 6;
constexpr int EveryKindCount = ObjectKindCount + ServerKindCount;

constexpr std::array<ObjectKind, ObjectKindCount> AllObjectKinds = {
    ObjectKind::Users,      ObjectKind::Groups,  ObjectKind::Tables,
    ObjectKind::Views,      ObjectKind::Indexes, ObjectKind::Triggers,
    ObjectKind::Procedures, ObjectKind::Rules,   ObjectKind::DataTypes,
};

constexpr std::array<ObjectKind, ServerKindCount> AllServerKinds = {
    ObjectKind::Logins,  ObjectKind::Roles,         ObjectKind::Databases,
    ObjectKind::Devices, ObjectKind::RemoteServers, ObjectKind::Configuration,
};

constexpr std::array<ObjectKind, EveryKindCount> EveryKind = {
    ObjectKind::Users,      ObjectKind::Groups,        ObjectKind::Tables,
    ObjectKind::Views,      ObjectKind::Indexes,       ObjectKind::Triggers,
    ObjectKind::Procedures, ObjectKind::Rules,         ObjectKind::DataTypes,
    ObjectKind::Logins,     ObjectKind::Roles,         ObjectKind::Databases,
    ObjectKind::Devices,    ObjectKind::RemoteServers, ObjectKind::Configuration,
};

// Whether objects of `kind` belong to the server rather than to one of its databases.
constexpr bool isServerKind(ObjectKind kind)
{
    return static_cast<int>(kind) >= ObjectKindCount;
}

// The folder caption of a kind ("User Tables").
QString objectKindCaption(ObjectKind kind);
// The default file extension of a kind ("tbl"), without the dot.
QString defaultExtension(ObjectKind kind);
// The kind's name on the command line and in a repository's folders ("tables").
QString objectKindKey(ObjectKind kind);
