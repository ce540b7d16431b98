#include "ExplorerModel.h"

void TExplorerModel::setDatabases(const QStringList& names, const QString& server)
{
    m_databases.clear();
    if (!server.isEmpty()) {
        Database node;
        node.name = server;
        node.server = true;
        m_databases.append(node);
    }
    for (const QString& name : names) {
        Database database;
        database.name = name;
        m_databases.append(database);
    }
}

QList<ObjectKind> TExplorerModel::folderKinds(int database) const
{
    if (m_databases.at(database).server)
        return QList<ObjectKind>(AllServerKinds.begin(), AllServerKinds.end());
    return QList<ObjectKind>(AllObjectKinds.begin(), AllObjectKinds.end());
}

const TExplorerModel::Folder& TExplorerModel::folder(int database, ObjectKind kind) const
{
    return m_databases.at(database).folders[static_cast<size_t>(kind)];
}

TExplorerModel::Folder& TExplorerModel::folderOf(int database, ObjectKind kind)
{
    return m_databases[database].folders[static_cast<size_t>(kind)];
}

void TExplorerModel::setObjects(int database, ObjectKind kind, const QStringList& captions)
{
    Folder& folder = folderOf(database, kind);
    folder.objects.clear();
    for (const QString& caption : captions)
        folder.objects.append({caption, QualifierPart(caption), ObjectNamePart(caption), false});
    folder.loaded = true;
}

int TExplorerModel::toggleMark(int database, ObjectKind kind, int object)
{
    Object& marked = folderOf(database, kind).objects[object];
    marked.marked = !marked.marked;
    return marked.marked ? 1 : -1;
}

int TExplorerModel::changeMarks(int database, ObjectKind kind, MarkChange change)
{
    int delta = 0;
    for (Object& object : folderOf(database, kind).objects) {
        if (object.caption.isEmpty())
            continue;  // a row without a name is nothing to script
        const bool mark =
            change == MarkChange::Mark || (change == MarkChange::Invert && !object.marked);
        if (mark != object.marked) {
            object.marked = mark;
            delta += mark ? 1 : -1;
        }
    }
    return delta;
}

QHash<QString, int> TExplorerModel::listedObjectCounts() const
{
    QHash<QString, int> counts;
    for (int node = 0; node < m_databases.size(); ++node) {
        if (m_databases[node].server)
            continue;
        for (ObjectKind kind : folderKinds(node))
            counts[m_databases[node].name] +=
                int(m_databases[node].folders[static_cast<size_t>(kind)].objects.size());
    }
    return counts;
}

int TExplorerModel::markedCount() const
{
    return int(markedObjects().size());
}

TMarkedObjectList TExplorerModel::markedObjects() const
{
    TMarkedObjectList marked;
    for (int node = 0; node < m_databases.size(); ++node) {
        const Database& database = m_databases[node];
        // The server's own objects belong to no database.
        const QString databaseName = database.server ? QString() : database.name;
        for (ObjectKind kind : folderKinds(node)) {
            for (const Object& object : database.folders[static_cast<size_t>(kind)].objects) {
                if (object.marked && !object.caption.isEmpty())
                    marked.append({databaseName, kind, object.caption});
            }
        }
    }
    return marked;
}
