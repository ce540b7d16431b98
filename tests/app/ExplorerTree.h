// Reads and drives the main window's explorer tree by captions, as a user would.
#pragma once

#include "ExplorerItemModel.h"
#include "u_main.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QIcon>
#include <QStringList>
#include <QTreeView>

inline QModelIndex childAt(const QModelIndex& node, int row)
{
    return node.model()->index(row, 0, node);
}

inline int childCount(const QModelIndex& node)
{
    return node.model()->rowCount(node);
}

inline QStringList childCaptions(const QModelIndex& node)
{
    QStringList captions;
    for (int row = 0; row < childCount(node); ++row)
        captions << childAt(node, row).data().toString();
    return captions;
}

inline bool isServerNode(const QModelIndex& node)
{
    return node.data(TExplorerItemModel::ServerNodeRole).toBool();
}

inline QStringList databaseNames(const Tf_main& window)
{
    const QAbstractItemModel* model = window.tv_main->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (!isServerNode(model->index(row, 0)))
            names << model->index(row, 0).data().toString();
    }
    return names;
}

// The database of that name; invalid when it is not listed.
inline QModelIndex databaseNode(const Tf_main& window, const QString& name)
{
    const QAbstractItemModel* model = window.tv_main->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex node = model->index(row, 0);
        if (!isServerNode(node) && node.data().toString() == name)
            return node;
    }
    return {};
}

// The server's own node; invalid when the tree has none.
inline QModelIndex serverNode(const Tf_main& window)
{
    const QModelIndex first = window.tv_main->model()->index(0, 0);
    return isServerNode(first) ? first : QModelIndex();
}

// A database's folder of `kind`, opened (its objects listed) when `open` is on.
inline QModelIndex folderNode(Tf_main& window, const QString& database, ObjectKind kind,
                              bool open = true)
{
    const QModelIndex node = databaseNode(window, database);
    if (!node.isValid())
        return {};
    const QModelIndex folder = childAt(node, static_cast<int>(kind));
    if (open)
        window.tv_main->expand(folder);
    return folder;
}

inline QIcon iconOf(const QModelIndex& node)
{
    return node.data(Qt::DecorationRole).value<QIcon>();
}

// Marks every object of an opened folder, as the tree popup's Select All does.
inline void markAll(Tf_main& window, const QModelIndex& folder)
{
    window.tv_main->setCurrentIndex(folder);
    window.pum_explorerPopup();  // the popup enables the folder commands
    window.a_select_all->trigger();
}
