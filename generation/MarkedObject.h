#pragma once

#include "ObjectKind.h"

#include <QList>
#include <QString>

// One object to script: its database, its kind and its caption as the explorer lists
// it (owner.name, table.index, or the bare name of users, groups and datatypes).
struct TMarkedObject {
    QString Database;
    ObjectKind Kind = ObjectKind::Tables;
    QString Caption;
    // The owner of an owned object, when the listing gave it: the caption alone cannot tell
    // owner "a.b" with table "c" from owner "a" with table "b.c". Empty otherwise.
    QString Owner{};

    bool operator==(const TMarkedObject& other) const
    {
        return Database == other.Database && Kind == other.Kind && Caption == other.Caption &&
               Owner == other.Owner;
    }
};

using TMarkedObjectList = QList<TMarkedObject>;

// The text after the first "." of a caption; the whole caption when it has none.
QString ObjectNamePart(const QString& caption);
// The text before the first "."; empty when there is none.
QString QualifierPart(const QString& caption);
// The object's name and its qualifier (owner or table): split after its owner when that
// is known, otherwise at the caption's first "."; users, groups and datatypes have their
// whole caption as their name.
QString ObjectNamePart(const TMarkedObject& object);
QString QualifierPart(const TMarkedObject& object);

// The objects in the order their sections are written: the server's own objects first
// (configuration, devices, databases, logins, roles, remote servers), then databases in
// the order given,
// and within a database groups, users, rules, user datatypes, tables, indexes, then
// views, procedures and triggers (which the generator orders by their dependencies), so
// that every object's prerequisites come first.
TMarkedObjectList inReplayOrder(const TMarkedObjectList& objects);

// The place of a kind in that order within a database; views, procedures and triggers
// share the last one.
int replayRank(ObjectKind kind);
// The place of a server kind among the server's objects.
int serverReplayRank(ObjectKind kind);
constexpr int kCompiledObjectsRank = 6;
