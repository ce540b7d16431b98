// The nine kinds of objects, in the fixed order of the folders under a database, of
// the extension settings and of the listing within a database.
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
};

constexpr int ObjectKindCount = 9;

constexpr std::array<ObjectKind, ObjectKindCount> AllObjectKinds = {
    ObjectKind::Users,      ObjectKind::Groups,  ObjectKind::Tables,
    ObjectKind::Views,      ObjectKind::Indexes, ObjectKind::Triggers,
    ObjectKind::Procedures, ObjectKind::Rules,   ObjectKind::DataTypes,
};

// The folder caption of a kind ("User Tables").
QString objectKindCaption(ObjectKind kind);
// The default file extension of a kind ("tbl"), without the dot.
QString defaultExtension(ObjectKind kind);
