#include "GrantComposer.h"

#include "Identifier.h"

#include <QList>

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

}  // namespace

QStringList composeGrantStatements(const TCTProtectList& protects, const QString& objectName,
                                   bool withExecute)
{
    QList<GrantGroup> groups;
    for (const TCTProtect& row : protects) {
        const QString keyword = actionKeyword(row.Action, withExecute);
        if (keyword.isEmpty() || row.UserName.trimmed().isEmpty() ||
            row.ProtectType == TProtectType::ptNone)
            continue;
        auto group = std::find_if(groups.begin(), groups.end(), [&row](const GrantGroup& g) {
            return g.grantee == row.UserName && g.type == row.ProtectType &&
                   g.columns == row.ColumnNames;
        });
        if (group == groups.end()) {
            groups.append({row.UserName, row.ProtectType, row.ColumnNames, {}});
            group = groups.end() - 1;
        }
        if (!group->actions.contains(keyword))
            group->actions << keyword;
    }

    QStringList statements;
    for (const GrantGroup& group : groups)
        statements << statementOf(group, objectName);
    return statements;
}
