// The object explorer as Qt's tree views read it: the server and the databases, their folders and
// the objects of the folders opened, with their captions, images and marks, over the
// explorer model that holds them. Changes go through here so that the view hears of them.
#pragma once

#include "ExplorerModel.h"

#include <QAbstractItemModel>

class TExplorerItemModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum class Level { Database = 0, Folder = 1, Object = 2 };
    // data() of this role is true for the server's own node.
    static constexpr int ServerNodeRole = Qt::UserRole + 1;

    explicit TExplorerItemModel(TExplorerModel& explorer, QObject* parent = nullptr);

    void clear();
    // The databases, after the server's own node when `server` names it.
    void setDatabases(const QStringList& names, const QString& server = QString());
    // The objects of a folder as listed; its placeholder row goes.
    void setObjects(const QModelIndex& folder, const QStringList& captions);
    // Each returns by how much the number of marked objects changed.
    int toggleMark(const QModelIndex& object);
    int changeMarks(const QModelIndex& folder, TExplorerModel::MarkChange change);

    static Level levelOf(const QModelIndex& index);
    // The top-level row (the server or a database) of any node.
    static int databaseOf(const QModelIndex& index);
    // The kind of a folder, or of an object through its folder.
    static ObjectKind kindOf(const QModelIndex& index);
    QModelIndex folderIndex(int database, ObjectKind kind) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

private:
    TExplorerModel& m_explorer;
};
