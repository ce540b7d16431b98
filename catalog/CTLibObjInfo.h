// TCTLibObjInfo reads the system tables of one database through the query component
// and turns them into records and the text of definition statements.
#pragma once

#include "CTLibBase.h"
#include "CTLibObjRecords.h"
#include "TableColumns.h"

#include <QStringList>
#include <optional>
#include <vector>

class TCTLibDatabase;

class TCTLibObjInfo : public TCTLibBase {
    Q_OBJECT
    Q_PROPERTY(QString SelectDb READ SelectDb WRITE setSelectDb)
    Q_PROPERTY(bool PrefixWithDbName MEMBER PrefixWithDbName)
    Q_PROPERTY(QString PrefixDbName MEMBER PrefixDbName)

public:
    explicit TCTLibObjInfo(QObject* owner = nullptr);
    ~TCTLibObjInfo() override;

    // The database whose system tables are read.
    QString SelectDb() const { return m_selectDb; }
    void setSelectDb(const QString& database) { m_selectDb = database; }
    bool PrefixWithDbName = false;
    QString PrefixDbName;

    // A blank SelectDb becomes the connection's current database.
    void CheckSelectDb();

    QString GetObjectOwner(const QString& objectName);
    std::optional<TCTObject> GetObjectInfo(const QString& objectName, bool withColumns,
                                           bool withProtects);
    std::optional<TCTColumnList> GetColumns(const QString& qualifiedName, const QString& objType);

    // Lines of the CREATE TABLE statement (or "/* Data not available */").
    QStringList GetTableScript(const QString& tableName);
    // Fills the column table from the catalog; ColumnCount() tells how many were read.
    void LoadColumns(const QString& tableName);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    // The line of column n (from 1) of the column table, before its separator comma.
    QString FormatColumn(int n) const;

    QStringList GetIndexNames(const QString& tableName);
    // Lines of the CREATE INDEX statement; the index name comes first.
    QStringList GetIndexScript(const QString& indexName, const QString& tableName);
    std::optional<TCTIndex> GetIndexInfo(const QString& indexName, const QString& tableName);
    // Key columns in key order; the argument is table + "." + index.
    QStringList GetIndexColumns(const QString& qualifiedIndexName);

    // The stored text of a procedure, view, trigger, default or rule.
    QString GetObjectText(const QString& objectName);

    QString GetUserScript(const QString& userName);
    std::optional<TCTUser> GetUserInfo(const QString& userName);
    QString GetTypeScript(const QString& typeName);
    std::optional<TCTType> GetTypeInfo(const QString& typeName);
    // None when no privilege rows qualify.
    std::optional<TCTProtectList> GetProtects(TProtectFilter filter, const QString& filterValue,
                                              TProtectAction action);
    static void FreeProtectList(std::optional<TCTProtectList>& list, bool freeList);

private:
    // Checks the connection name and SelectDb, and returns the connection.
    TCTLibDatabase& prepareRead();
    bool isSqlAnywhere();
    bool isSybase();
    QStringList indexColumns(const QString& owner, const QString& tableDotIndex);
    QString keyOwner(const QString& tableName);
    QString tablePrefix() const;

    QString m_selectDb;
    std::vector<TCTColumnDef> m_columns;  // column n is m_columns[n - 1]
};
