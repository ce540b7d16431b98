#include "ObjectKind.h"

namespace {
struct KindNames {
    const char* caption;
    const char* extension;
    const char* key;
};

constexpr std::array<KindNames, EveryKindCount> kindNames = {{
    {"Users", "usr", "users"},
    {"Groups", "grp", "groups"},
    {"User Tables", "tbl", "tables"},
    {"Views", "vew", "views"},
    {"Indexes", "idx", "indexes"},
    {"Triggers", "trg", "triggers"},
    {"Procedures", "prc", "procedures"},
    {"Rules", "rul", "rules"},
    {"User Datatypes", "udt", "datatypes"},
    {"Logins", "lgn", "logins"},
    {"Roles", "rol", "roles"},
    {"Databases", "dbs", "databases"},
    {"Devices", "dev", "devices"},
    {"Remote Servers", "srv", "remote-servers"},
    {"Configuration", "cfg", "configuration"},
}};
}  // namespace

QString objectKindCaption(ObjectKind kind)
{
    return QString::fromLatin1(kindNames[static_cast<int>(kind)].caption);
}

QString defaultExtension(ObjectKind kind)
{
    return QString::fromLatin1(kindNames[static_cast<int>(kind)].extension);
}

QString objectKindKey(ObjectKind kind)
{
    return QString::fromLatin1(kindNames[static_cast<int>(kind)].key);
}
