#include "ObjectKind.h"

namespace {
struct KindNames {
    const char* caption;
    const char* extension;
};

constexpr std::array<KindNames, EveryKindCount> kindNames = {{
    {"Users", "usr"},
    {"Groups", "grp"},
    {"User Tables", "tbl"},
    {"Views", "vew"},
    {"Indexes", "idx"},
    {"Triggers", "trg"},
    {"Procedures", "prc"},
    {"Rules", "rul"},
    {"User Datatypes", "udt"},
    {"Logins", "lgn"},
    {"Roles", "rol"},
    {"Databases", "dbs"},
    {"Devices", "dev"},
    {"Remote Servers", "srv"},
    {"Configuration", "cfg"},
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
