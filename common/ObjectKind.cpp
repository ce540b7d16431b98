#include "ObjectKind.h"

namespace {
struct KindNames {
    const char* caption;
    const char* extension;
};

constexpr std::array<KindNames, ObjectKindCount> kindNames = {{
    {"Users", "usr"},
    {"Groups", "grp"},
    {"User Tables", "tbl"},
    {"Views", "vew"},
    {"Indexes", "idx"},
    {"Triggers", "trg"},
    {"Procedures", "prc"},
    {"Rules", "rul"},
    {"User Datatypes", "udt"},
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
