#include "GrantComposer.h"

#include "Identifier.h"

#include <QList>
#include <QMap>

namespace {

// The privilege as GRANT writes it; empty for rows that do not belong in this statement:
// EXECUTE only for procedures, the table privileges only for tables and views ("grant
// all" gives references and the statistics and truncate privileges too; leaving any out
// would lose it).
QString actionKeyword(TProtectAction action, bool withExecute)
{
    switch (action) {
        case TProtectAction::paSelect:
            return QStringLiteral("SELECT");
        case TProtectAction::paInsert:
            return QStringLiteral("INSERT");
        case TProtectAction::paDelete:
            return QStringLiteral("DELETE");
        case TProtectAction::paUpdate:
            return QStringLiteral("UPDATE");
        case TProtectAction::paExecute:
            return withExecute ? QStringLiteral("EXECUTE") : QString();
        default:
            break;
    }
    if (withExecute)
        return QString();
    switch (action) {
        case TProtectAction::paReferences:
            return QStringLiteral("REFERENCES");
        case TProtectAction::paDeleteStatistics:
            return QStringLiteral("DELETE STATISTICS");
        case TProtectAction::paTruncateTable:
            return QStringLiteral("TRUNCATE TABLE");
        case TProtectAction::paUpdateStatistics:
            return QStringLiteral("UPDATE STATISTICS");
        case TProtectAction::paTransferTable:
            return QStringLiteral("TRANSFER TABLE");
        case TProtectAction::paDecrypt:
            return QStringLiteral("DECRYPT");
        default:
            return QString();
    }
}

// The rows granted or revoked together: one grantee, one kind of row, one set of
// columns (empty for the whole object).
struct GrantGroup {
    QString grantee;
    TProtectType type;
    QStringList columns;
    QStringList actions;
};

// A grantee as GRANT names it: "public" is a reserved word that the statement takes as the
// group of everyone, every other name is quoted where it must be.
QString granteeName(const QString& name)
{
    return name == QLatin1String("public") ? name : scriptName(name);
}

QString statementOf(const GrantGroup& group, const QString& object)
{
    const QString objectName = scriptName(object);
    const QString grantee = granteeName(group.grantee);
    QString actions = group.actions.join(QLatin1Char(','));
    if (!group.columns.isEmpty()) {
        QStringList columns;
        for (const QString& column : group.columns)
            columns << scriptName(column);
        actions += QStringLiteral(" (%1)").arg(columns.join(QLatin1Char(',')));
    }
    switch (group.type) {
        case TProtectType::ptRevoke:
            return QStringLiteral("REVOKE %1 ON %2 FROM %3").arg(actions, objectName, grantee);
        case TProtectType::ptGrantWithGrant:
            return QStringLiteral("GRANT %1 ON %2 TO %3 WITH GRANT OPTION")
                .arg(actions, objectName, grantee);
        default:
            return QStringLiteral("GRANT %1 ON %2 TO %3").arg(actions, objectName, grantee);
    }
}

// Adds `keyword` to the group of that grantee, kind of row and columns.
void addToGroup(QList<GrantGroup>& groups, const QString& grantee, TProtectType type,
                const QStringList& columns, const QString& keyword)
{
    auto group = std::find_if(groups.begin(), groups.end(), [&](const GrantGroup& g) {
        return g.grantee == grantee && g.type == type && g.columns == columns;
    });
    if (group == groups.end()) {
        groups.append({grantee, type, columns, {}});
        group = groups.end() - 1;
    }
    if (!group->actions.contains(keyword))
        group->actions << keyword;
}

// A privilege row as the server compares it: two sets of rows are the same privileges
// when these are.
QString rowKey(const TCTProtect& row)
{
    return QStringList{row.UserName,
                       QString::number(row.ActionCode),
                       QString::number(static_cast<int>(row.ProtectType)),
                       row.GrantorName,
                       row.ColumnNames.join(QLatin1Char(',')),
                       row.ExceptedColumns.join(QLatin1Char(','))}
        .join(QLatin1Char('|'));
}

QStringList rowKeysOf(const TCTProtectList& rows, int id)
{
    QStringList keys;
    for (const TCTProtect& row : rows) {
        if (row.Id == id)
            keys << rowKey(row);
    }
    keys.sort();
    return keys;
}

}  // namespace

QStringList composeGrantStatements(const TCTProtectList& protects, const QString& objectName,
                                   bool withExecute)
{
    QList<GrantGroup> groups;
    // Column-level revokes from a grant on the whole object: after every grant.
    QList<GrantGroup> exceptions;
    for (const TCTProtect& row : protects) {
        const QString keyword = actionKeyword(row.Action, withExecute);
        if (keyword.isEmpty() || row.UserName.trimmed().isEmpty() ||
            row.ProtectType == TProtectType::ptNone)
            continue;
        if (row.ExceptedColumns.isEmpty()) {
            addToGroup(groups, row.UserName, row.ProtectType, row.ColumnNames, keyword);
            continue;
        }
        addToGroup(groups, row.UserName, row.ProtectType, {}, keyword);
        addToGroup(exceptions, row.UserName, TProtectType::ptRevoke, row.ExceptedColumns, keyword);
    }

    QStringList statements;
    for (const GrantGroup& group : groups + exceptions)
        statements << statementOf(group, objectName);
    return statements;
}

QMap<int, QString> differingSystemTables(const TCTProtectList& database,
                                         const TCTProtectList& newDatabase)
{
    QMap<int, QString> tables;  // by id: the server's order
    for (const TCTProtect& row : database + newDatabase)
        tables.insert(row.Id, row.ObjectName);
    for (auto table = tables.begin(); table != tables.end();) {
        if (rowKeysOf(database, table.key()) == rowKeysOf(newDatabase, table.key()))
            table = tables.erase(table);
        else
            ++table;
    }
    return tables;
}

QStringList composeSystemTableStatements(const TCTProtectList& database,
                                         const TCTProtectList& newDatabase)
{
    const QMap<int, QString> tables = differingSystemTables(database, newDatabase);
    QStringList statements;
    for (auto table = tables.cbegin(); table != tables.cend(); ++table) {
        // What a new database grants goes first, so that the table holds no rows, as a
        // table just created holds none, before its own rows are granted.
        TCTProtectList withdrawn;
        TCTProtectList own;
        for (const TCTProtect& row : newDatabase) {
            if (row.Id != table.key() || row.ProtectType == TProtectType::ptRevoke)
                continue;
            TCTProtect revoke = row;
            revoke.ProtectType = TProtectType::ptRevoke;
            revoke.ColumnNames.clear();
            revoke.ExceptedColumns.clear();
            withdrawn << revoke;
        }
        for (const TCTProtect& row : database) {
            if (row.Id == table.key())
                own << row;
        }
        statements << composeGrantStatements(withdrawn, table.value(), false)
                   << composeGrantStatements(own, table.value(), false);
    }
    return statements;
}
