#include "ExplorerItemModel.h"

#include "ExplorerImages.h"

#include <QIcon>

namespace {
// A node's internal id names its parent: 0 for a top-level node (the server or a
// database); for a folder, 1 plus its node and kind; for an object, its folder's node and
// kind above kFolderIds.
constexpr quintptr kFolderIds = quintptr(1) << 24;

quintptr folderKey(int database, ObjectKind kind)
{
    return quintptr(database) * EveryKindCount + quintptr(static_cast<int>(kind));
}

int kindImage(ObjectKind kind)
{
    return static_cast<int>(kind) + 1;
}
}  // namespace

TExplorerItemModel::TExplorerItemModel(TExplorerModel& explorer, QObject* parent)
    : QAbstractItemModel(parent), m_explorer(explorer)
{
}

TExplorerItemModel::Level TExplorerItemModel::levelOf(const QModelIndex& index)
{
    if (index.internalId() == 0)
        return Level::Database;
    return index.internalId() < kFolderIds ? Level::Folder : Level::Object;
}

int TExplorerItemModel::databaseOf(const QModelIndex& index)
{
    switch (levelOf(index)) {
        case Level::Database:
            return index.row();
        case Level::Folder:
            return int((index.internalId() - 1) / EveryKindCount);
        case Level::Object:
            return int((index.internalId() - kFolderIds) / EveryKindCount);
    }
    return -1;
}

ObjectKind TExplorerItemModel::kindOf(const QModelIndex& index)
{
    const quintptr key =
        levelOf(index) == Level::Object ? index.internalId() - kFolderIds : index.internalId() - 1;
    return static_cast<ObjectKind>(key % EveryKindCount);
}

QModelIndex TExplorerItemModel::folderIndex(int database, ObjectKind kind) const
{
    const int row = int(m_explorer.folderKinds(database).indexOf(kind));
    return createIndex(row, 0, folderKey(database, kind) + 1);
}

QModelIndex TExplorerItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    if (levelOf(parent) == Level::Database) {
        const ObjectKind kind = m_explorer.folderKinds(parent.row()).at(row);
        return createIndex(row, column, folderKey(parent.row(), kind) + 1);
    }
    return createIndex(row, column, kFolderIds + folderKey(databaseOf(parent), kindOf(parent)));
}

QModelIndex TExplorerItemModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    switch (levelOf(child)) {
        case Level::Database:
            return {};
        case Level::Folder:
            return createIndex(databaseOf(child), 0, quintptr(0));
        case Level::Object:
            return folderIndex(databaseOf(child), kindOf(child));
    }
    return {};
}

int TExplorerItemModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_explorer.databases().size());
    if (parent.column() != 0)
        return 0;
    switch (levelOf(parent)) {
        case Level::Database:
            return int(m_explorer.folderKinds(parent.row()).size());
        case Level::Folder: {
            // An unopened folder holds one row without a caption, so that it can be opened.
            const TExplorerModel::Folder& folder =
                m_explorer.folder(databaseOf(parent), kindOf(parent));
            return folder.loaded ? int(folder.objects.size()) : 1;
        }
        case Level::Object:
            return 0;
    }
    return 0;
}

int TExplorerItemModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TExplorerItemModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant TExplorerItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int database = databaseOf(index);
    QString caption;
    int image = 0;
    switch (levelOf(index)) {
        case Level::Database:
            caption = m_explorer.databases().at(database).name;
            image = m_explorer.databases().at(database).server ? ExplorerImages::Server
                                                               : ExplorerImages::Database;
            break;
        case Level::Folder:
            caption = objectKindCaption(kindOf(index));
            image = kindImage(kindOf(index));
            break;
        case Level::Object: {
            const TExplorerModel::Folder& folder = m_explorer.folder(database, kindOf(index));
            image = kindImage(kindOf(index));
            if (folder.loaded && index.row() < folder.objects.size()) {
                const TExplorerModel::Object& object = folder.objects.at(index.row());
                caption = object.caption;
                if (object.marked)
                    image = ExplorerImages::Marked;
            }
            break;
        }
    }
    switch (role) {
        case Qt::DisplayRole:
            return caption;
        // The whole caption, however narrow the panel.
        case Qt::ToolTipRole:
            return caption.isEmpty() ? QVariant() : QVariant(caption);
        case Qt::DecorationRole:
            return ExplorerImages::icon(image);
        case ServerNodeRole:
            return levelOf(index) == Level::Database && m_explorer.databases().at(database).server;
        default:
            return {};
    }
}

void TExplorerItemModel::clear()
{
    beginResetModel();
    m_explorer.clear();
    endResetModel();
}

void TExplorerItemModel::setDatabases(const QStringList& names, const QString& server)
{
    beginResetModel();
    m_explorer.setDatabases(names, server);
    endResetModel();
}

void TExplorerItemModel::setObjects(const QModelIndex& folder, const QStringList& captions)
{
    const int database = databaseOf(folder);
    const ObjectKind kind = kindOf(folder);
    const int rows = rowCount(folder);
    if (rows > 0) {
        beginRemoveRows(folder, 0, rows - 1);
        m_explorer.setObjects(database, kind, {});
        endRemoveRows();
    } else {
        m_explorer.setObjects(database, kind, {});
    }
    if (captions.isEmpty())
        return;
    // The rows come in one step: a folder of 20,000 objects is one insertion.
    beginInsertRows(folder, 0, int(captions.size()) - 1);
    m_explorer.setObjects(database, kind, captions);
    endInsertRows();
}

int TExplorerItemModel::toggleMark(const QModelIndex& object)
{
    const int delta = m_explorer.toggleMark(databaseOf(object), kindOf(object), object.row());
    emit dataChanged(object, object, {Qt::DecorationRole});
    return delta;
}

int TExplorerItemModel::changeMarks(const QModelIndex& folder, TExplorerModel::MarkChange change)
{
    const int delta = m_explorer.changeMarks(databaseOf(folder), kindOf(folder), change);
    const int rows = rowCount(folder);
    if (rows > 0)
        emit dataChanged(index(0, 0, folder), index(rows - 1, 0, folder), {Qt::DecorationRole});
    return delta;
}
