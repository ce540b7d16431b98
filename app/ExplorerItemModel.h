// The object explorer as Qt's tree views read it: the databases, their nine folders and
// the objects of the folders opened, with their captions, images and marks, over the
// explorer model that holds them. Changes go through here so that the view hears of them.
#pragma once

#include "ExplorerModel.h"

#include <QAbstractItemModel>

class TExplorerItemModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum class Level { Database = 0, Folder = 1, Object = 2 };

    explicit TExplorerItemModel(TExplorerModel& explorer, QObject* parent = nullptr);

    void clear();
    void setDatabases(const QStringList& names);
    // The objects of a folder as listed; its placeholder row goes.
    void setObjects(const QModelIndex& folder, const QStringList& captions);
    // Each returns by how much the number of marked objects changed.
    int toggleMark(const QModelIndex& object);
    int changeMarks(const QModelIndex& folder, TExplorerModel::MarkChange change);

    static Level levelOf(const QModelIndex& index);
    // The database row of any node.
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
