#include "MarkedObject.h"

#include <algorithm>

QString ObjectNamePart(const QString& caption)
{
    const int dot = caption.indexOf(QLatin1Char('.'));
    return dot < 0 ? caption : caption.mid(dot + 1);
}

QString QualifierPart(const QString& caption)
{
    const int dot = caption.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : caption.left(dot);
}

namespace {
bool ownerLeadsCaption(const TMarkedObject& object)
{
    return !object.Owner.isEmpty() && object.Caption.startsWith(object.Owner + QLatin1Char('.'));
}

// Users, groups, datatypes and the server's objects are listed by their bare names, dots
// and all.
bool bareName(const TMarkedObject& object)
{
    return object.Kind == ObjectKind::Users || object.Kind == ObjectKind::Groups ||
           object.Kind == ObjectKind::DataTypes || isServerKind(object.Kind);
}
}  // namespace

QString ObjectNamePart(const TMarkedObject& object)
{
    if (bareName(object))
        return object.Caption;
    return ownerLeadsCaption(object) ? object.Caption.mid(object.Owner.size() + 1)
                                     : ObjectNamePart(object.Caption);
}

QString QualifierPart(const TMarkedObject& object)
{
    if (bareName(object))
        return QString();
    return ownerLeadsCaption(object) ? object.Owner : QualifierPart(object.Caption);
}

int replayRank(ObjectKind kind)
{
    switch (kind) {
        case ObjectKind::Groups:
            return 0;
        case ObjectKind::Users:
            return 1;
        case ObjectKind::Rules:
            return 2;
        case ObjectKind::DataTypes:
            return 3;
        case ObjectKind::Tables:
            return 4;
        case ObjectKind::Indexes:
            return 5;
        case ObjectKind::Views:
        case ObjectKind::Procedures:
        case ObjectKind::Triggers:
        default:
            break;
    }
    return kCompiledObjectsRank;
}

// Configuration first (the number of devices limits disk init), then devices, databases,
// the logins whose default databases they are, roles and remote servers.
int serverReplayRank(ObjectKind kind)
{
    switch (kind) {
        case ObjectKind::Configuration:
            return 0;
        case ObjectKind::Devices:
            return 1;
        case ObjectKind::Databases:
            return 2;
        case ObjectKind::Logins:
            return 3;
        case ObjectKind::Roles:
            return 4;
        default:
            break;
    }
    return 5;
}

TMarkedObjectList inReplayOrder(const TMarkedObjectList& objects)
{
    // Databases keep the order of their first appearance; within one, kinds are ranked
    // and objects of one kind keep their order.
    QStringList databases;
    for (const TMarkedObject& object : objects) {
        if (!databases.contains(object.Database))
            databases << object.Database;
    }
    TMarkedObjectList ordered = objects;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&databases](const TMarkedObject& a, const TMarkedObject& b) {
                         // The server's own objects come before every database.
                         if (isServerKind(a.Kind) || isServerKind(b.Kind)) {
                             if (isServerKind(a.Kind) != isServerKind(b.Kind))
                                 return isServerKind(a.Kind);
                             return serverReplayRank(a.Kind) < serverReplayRank(b.Kind);
                         }
                         const int dbA = databases.indexOf(a.Database);
                         const int dbB = databases.indexOf(b.Database);
                         if (dbA != dbB)
                             return dbA < dbB;
                         return replayRank(a.Kind) < replayRank(b.Kind);
                     });
    return ordered;
}
