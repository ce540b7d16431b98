// What the object explorer shows: the server itself with a folder per kind of its own
// objects (logins, roles, databases, devices, remote servers, configuration), then the
// server's databases, each with one folder per object kind, and the objects of the
// folders opened so far with their marks. The tree view draws it; the commands and the
// tests work on it, without widgets.
#pragma once

#include "MarkedObject.h"
#include "ObjectKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class TExplorerModel {
public:
    struct Object {
        QString caption;    // as the listing gives it: owner.name, table.index or a name
        QString qualifier;  // the owner, or the table of an index; empty for bare names
        QString name;
        bool marked = false;
    };
    struct Folder {
        bool loaded = false;
        QList<Object> objects;
    };
    // A node of the tree's top level: a database, or the server itself.
    struct Database {
        QString name;
        bool server = false;
        std::array<Folder, EveryKindCount> folders;  // by kind; only the node's kinds are used
    };
    enum class MarkChange { Mark, Unmark, Invert };

    void clear() { m_databases.clear(); }
    // The databases in the order shown, every folder unopened; with a server name, the
    // server's node comes first.
    void setDatabases(const QStringList& names, const QString& server = QString());
    // The kinds of a node's folders, in the order shown.
    QList<ObjectKind> folderKinds(int database) const;
    const QList<Database>& databases() const { return m_databases; }
    const Folder& folder(int database, ObjectKind kind) const;

    // The objects of a folder as listed; the folder counts as opened from then on.
    void setObjects(int database, ObjectKind kind, const QStringList& captions);

    // Each returns by how much the number of marked objects changed.
    int toggleMark(int database, ObjectKind kind, int object);
    int changeMarks(int database, ObjectKind kind, MarkChange change);

    // By database, how many objects its opened folders list: at least that many objects
    // it holds, which tells a script whether a selection is a small part of it.
    QHash<QString, int> listedObjectCounts() const;

    int markedCount() const;
    // The marked objects in the order shown: databases, folders, objects.
    TMarkedObjectList markedObjects() const;

private:
    Folder& folderOf(int database, ObjectKind kind);

    QList<Database> m_databases;
};
