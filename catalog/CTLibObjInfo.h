// TCTLibObjInfo reads the system tables of one database through the query component
// and turns them into records and the text of definition statements.
#pragma once

#include "CTLibBase.h"
#include "CTLibObjRecords.h"
#include "TableColumns.h"

#include <QPair>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TCTLibDatabase;
class TCatalogMemo;
class TCatalogSnapshot;

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
    // Names passed in are trimmed at both ends unless they are exactly as the catalog holds
    // them: then only trailing blanks are dropped (the server ignores those), so that a
    // quoted name with leading blanks is found. The script generator passes exact names.
    bool ExactNames = false;

    // Keyed catalog reads answered from reads of the whole database (Adaptive Server only):
    // each kind of read is sent once for a database and its rows are kept until the
    // database changes or this is turned off. Off by default: a few objects cost less
    // read one by one.
    void setWholeDatabaseReads(bool on);
    // The same for a selection: each kind of read is sent once for the objects named (and
    // what their rows bring in: ids, triggers); reads of other keys go one by one. Off with
    // setWholeDatabaseReads(false).
    void setSelectionReads(const QSet<QString>& names);
    // How many objects SelectDb holds, its system tables aside.
    int GetObjectCount();
    // What answers the keyed reads of SelectDb; none when they are read per object.
    TCatalogSnapshot* snapshot();
    // Keyed reads made object by object are kept and answered again from memory until
    // ForgetReads(); off by default. The script generator turns it on and forgets at each
    // object, so that the reads of one object's sections reach the server once.
    void setRemembersReads(bool on);
    void ForgetReads();
    TCatalogMemo* memo() { return m_memo.get(); }

    // Asked before each catalog request; when it answers true the read raises ECancelled
    // instead of sending anything. The script generator sets it for its runs.
    std::function<bool()> StopRequested;

    // A blank SelectDb becomes the connection's current database.
    void CheckSelectDb();

    QString GetObjectOwner(const QString& objectName);
    // The same, or dbo when no owner is found: whose a table named without one is.
    QString GetObjectOwnerOrDbo(const QString& objectName);
    // With an owner, that owner's object; without, the last one of that name.
    std::optional<TCTObject> GetObjectInfo(const QString& objectName, bool withColumns,
                                           bool withProtects, const QString& owner = QString());
    std::optional<TCTColumnList> GetColumns(const QString& qualifiedName, const QString& objType);

    // Lines of the CREATE TABLE statement (or "/* Data not available */"): columns with
    // their declared defaults and checks, primary key, unique and table checks, the lock
    // scheme and the storage options. Without an owner, the table's owner is looked up.
    QStringList GetTableScript(const QString& tableName, const QString& owner = QString());
    // Whether the last CREATE TABLE names something that only quoted identifiers allow
    // (a blank, a reserved word...): it must then run under "set quoted_identifier on".
    bool LastScriptQuotesNames() const { return m_namesQuoted; }
    // Why the last CREATE TABLE or CREATE INDEX came back as "/* Data not available */" for
    // an object that exists: a catalog row it refers to is missing. Empty otherwise.
    const QString& LastScriptFault() const { return m_scriptFault; }
    std::optional<TCTTableStorage> GetTableStorage(int tableId);
    // Primary key, unique and check constraints; foreign keys are read on their own,
    // as scripts add them after every table.
    TCTConstraintList GetTableConstraints(int tableId);
    TCTConstraintList GetForeignKeys(int tableId);
    QList<TCTReference> GetReferencingForeignKeys(int tableId);
    // Defaults and rules bound to the table's columns, other than its datatypes' own.
    QList<TCTColumnBinding> GetColumnBindings(int tableId);
    // The default and rule bound to a user datatype (Column left empty).
    QList<TCTColumnBinding> GetTypeBindings(const QString& typeName);
    // The datatypes, then the columns, that the rule or default owner.name is bound to; a
    // column bound through its datatype counts as the datatype's.
    QList<TCTBoundTarget> GetBoundTargets(const QString& name, const QString& owner);
    QList<TCTCompiledObject> GetCompiledObjects();
    // The users and groups of the database, by name (none on SQL Anywhere).
    QList<TCTPrincipal> GetPrincipals();
    // sysdepends: (object, object it refers to) pairs.
    QList<QPair<int, int>> GetDependencies();
    // The views, procedures and triggers that refer to an object dropped since.
    QList<int> GetDanglingDependents();
    // owner.name in SelectDb as sysobjects holds it, when it is an object of `type` (any when
    // empty); one request, also for per-object reads.
    std::optional<TCTObject> objectRow(const QString& owner, const QString& name,
                                       const QString& type = QString());
    // Its id.
    std::optional<int> objectId(const QString& owner, const QString& name,
                                const QString& type = QString());
    // Fills the column table from the catalog; ColumnCount() tells how many were read.
    void LoadColumns(const QString& tableName);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    // The line of column n (from 1) of the column table, before its separator comma.
    QString FormatColumn(int n) const;

    QStringList GetIndexNames(const QString& tableName, const QString& owner = QString());
    // Lines of the CREATE INDEX statement; the index name comes first.
    QStringList GetIndexScript(const QString& indexName, const QString& tableName,
                               const QString& owner = QString());
    std::optional<TCTIndex> GetIndexInfo(const QString& indexName, const QString& tableName,
                                         const QString& owner = QString());
    // Key columns in key order; the argument is table + "." + index.
    QStringList GetIndexColumns(const QString& qualifiedIndexName);

    // The stored text of a procedure, view, trigger, default or rule.
    QString GetObjectText(const QString& objectName, const QString& owner = QString());
    // The text exactly as stored, with the flags its rows carry (hidden, quoted
    // identifiers).
    TCTStoredText GetStoredText(const QString& objectName, const QString& owner = QString());

    QString GetUserScript(const QString& userName);
    // The logins that act as this user through sp_addalias.
    QStringList GetAliasLogins(const QString& userName);
    std::optional<TCTUser> GetUserInfo(const QString& userName);
    QString GetTypeScript(const QString& typeName);
    std::optional<TCTType> GetTypeInfo(const QString& typeName);
    // None when no privilege rows qualify.
    std::optional<TCTProtectList> GetProtects(TProtectFilter filter, const QString& filterValue,
                                              TProtectAction action);
    static void FreeProtectList(std::optional<TCTProtectList>& list, bool freeList);
    // The privilege rows on the system tables of `database` that `reference` has too, in
    // the server's order. Columns are named from the selected database's system tables,
    // whose ids and column ids are the same in every database.
    TCTProtectList GetSystemTableProtects(const QString& database, const QString& reference);
    // GRANT and REVOKE statements of a user's or group's statement permissions; codes
    // that have no statement are named in `unknown`.
    QStringList GetStatementPermissionScript(const QString& principal, QStringList& unknown);

    // Whether the connection is to SQL Anywhere, whose catalog has no owners' rows.
    bool isSqlAnywhere();

    // The columns of the table `owner`.`tableName` of SelectDb as its CREATE TABLE
    // declares them; none when it has no such table.
    std::vector<TCTColumnDef> GetTableColumns(const QString& tableName, const QString& owner);

private:
    // Checks the connection name and SelectDb, and returns the connection.
    TCTLibDatabase& prepareRead();
    bool isSybase();
    // Key columns of an index of an Adaptive Server table, in key order.
    QStringList indexKeys(int tableId, const QString& indexName);
    QString objectType(const QString& owner, const QString& name);
    QString ownerOfTable(const QString& name);
    QString tablePrefix() const;
    std::vector<TCTColumnDef> readColumns(int tableId);
    void readComputedExpressions(int tableId, std::vector<TCTColumnDef>& columns);
    QStringList sqlAnywhereTableScript(const QString& tableName);
    // The server's bytes per national character, read once.
    int ncharSize();
    QString nationalCharNote(const TCTType& type);

    QString m_selectDb;
    bool m_wholeDatabaseReads = false;
    std::unique_ptr<TCatalogSnapshot> m_snapshot;
    std::optional<QSet<QString>> m_selection;  // the names of selection reads, when on
    std::unique_ptr<TCatalogMemo> m_memo;
    std::vector<TCTColumnDef> m_columns;  // column n is m_columns[n - 1]
    int m_ncharSize = 0;
    bool m_namesQuoted = false;
    QString m_scriptFault;
    // scriptName(), noting when it quotes.
    QString nameInScript(const QString& name);
    QString nameArgument(const QString& name) const;
};

// A constraint as a CREATE TABLE element or ALTER TABLE ADD clause.
QString constraintClause(const TCTConstraint& constraint);
