#include "BoundObjectScript.h"

#include "CatalogStatements.h"

using CatalogStatements::singleQuoted;

namespace {

// The catalog columns and procedures of one kind of object.
struct BindingKind {
    const char* columnField;
    const char* typeField;
    const char* bind;
    const char* unbind;
    const char* drop;
};

BindingKind bindingKind(const TBoundObject& object)
{
    if (object.Rule)
        return {"domain", "domain", "sp_bindrule", "sp_unbindrule", "RULE"};
    return {"cdefault", "tdefault", "sp_bindefault", "sp_unbindefault", "DEFAULT"};
}

QString table(const TBoundObject& object, const char* name)
{
    return object.DbPrefix + QStringLiteral("dbo.") + QLatin1String(name);
}

// The condition on sysobjects `o` that finds the object: check constraints are rules and
// declared defaults are defaults as well, and the script leaves both alone.
QString objectCondition(const TBoundObject& object)
{
    return QStringLiteral("o.name = ") + singleQuoted(object.Name) +
           QStringLiteral(" AND o.type = ") +
           (object.Rule ? QStringLiteral("'R'") : QStringLiteral("'D'")) +
           QStringLiteral(" AND o.uid = user_id(") + singleQuoted(object.Owner) +
           QStringLiteral(") AND NOT EXISTS(SELECT 1 FROM ") + table(object, "sysconstraints") +
           QStringLiteral(" k WHERE k.constrid = o.id) AND NOT EXISTS(SELECT 1 FROM ") +
           table(object, "sysprocedures") +
           QStringLiteral(" p WHERE p.id = o.id AND p.status & 4096 = 4096)");
}

// A loop that unbinds the object from each `name` of `from` meeting `condition`, in
// ascending order of name (each at most once, whether or not the unbinding succeeds).
QStringList unbindLoop(const BindingKind& kind, const QString& name, const QString& from,
                       const QString& condition)
{
    const QString select = QStringLiteral("    SELECT @bound = min(") + name +
                           QStringLiteral(") FROM ") + from + QStringLiteral(" WHERE ") + condition;
    return {
        select,
        QStringLiteral("    WHILE @bound IS NOT NULL"),
        QStringLiteral("    BEGIN"),
        QStringLiteral("        EXECUTE ") + QLatin1String(kind.unbind) + QStringLiteral(" @bound"),
        QStringLiteral("    ") + select + QStringLiteral(" AND ") + name +
            QStringLiteral(" > @bound"),
        QStringLiteral("    END")};
}

}  // namespace

QString TBoundObject::qualifiedName() const
{
    return Owner + QLatin1Char('.') + Name;
}

namespace BoundObjectScript {

QStringList unbindBatch(const TBoundObject& object, bool withDatatypes)
{
    const BindingKind kind = bindingKind(object);
    QStringList lines{QStringLiteral("DECLARE @object int, @bound varchar(767)"),
                      QStringLiteral("SELECT @object = o.id FROM ") + table(object, "sysobjects") +
                          QStringLiteral(" o WHERE ") + objectCondition(object),
                      QStringLiteral("IF @object IS NOT NULL"), QStringLiteral("BEGIN")};
    if (withDatatypes) {
        lines += unbindLoop(kind, QStringLiteral("name"), table(object, "systypes"),
                            QLatin1String(kind.typeField) + QStringLiteral(" = @object"));
    }
    // Unbinding a datatype has unbound the columns that had the object through it.
    lines += unbindLoop(
        kind, QStringLiteral("t.name + '.' + c.name"),
        table(object, "syscolumns") + QStringLiteral(" c, ") + table(object, "sysobjects") +
            QStringLiteral(" t"),
        QStringLiteral("c.") + QLatin1String(kind.columnField) +
            QStringLiteral(" = @object AND c.number = 0 AND t.id = c.id AND t.type = 'U' AND "
                           "t.uid = user_id()"));
    lines << QStringLiteral("END");
    return lines;
}

QStringList dropStatements(const TBoundObject& object, const QString& dropName)
{
    return {QStringLiteral("IF EXISTS(SELECT * FROM ") + table(object, "sysobjects") +
                QStringLiteral(" o WHERE ") + objectCondition(object) + QLatin1Char(')'),
            QStringLiteral("  DROP ") + QLatin1String(bindingKind(object).drop) + QLatin1Char(' ') +
                dropName};
}

QStringList bindStatements(const TBoundObject& object, const QList<TCTBoundTarget>& targets)
{
    const BindingKind kind = bindingKind(object);
    QStringList lines;
    for (const TCTBoundTarget& target : targets) {
        QString exists;
        QString bindTo;
        if (target.isDatatype()) {
            exists = QStringLiteral("SELECT * FROM ") + table(object, "systypes") +
                     QStringLiteral(" WHERE name = ") + singleQuoted(target.Table) +
                     QStringLiteral(" AND usertype >= 100");
            bindTo = target.Table;
        } else {
            exists = QStringLiteral("SELECT * FROM ") + table(object, "syscolumns") +
                     QStringLiteral(" c, ") + table(object, "sysobjects") +
                     QStringLiteral(" t WHERE t.name = ") + singleQuoted(target.Table) +
                     QStringLiteral(
                         " AND t.type = 'U' AND t.uid = user_id() AND c.id = t.id "
                         "AND c.name = ") +
                     singleQuoted(target.Column) + QStringLiteral(" AND c.number = 0");
            // A column with a declared default takes no bound one.
            if (!object.Rule) {
                exists += QStringLiteral(" AND NOT EXISTS(SELECT 1 FROM ") +
                          table(object, "sysprocedures") +
                          QStringLiteral(" p WHERE p.id = c.cdefault AND p.status & 4096 = 4096)");
            }
            bindTo = target.Table + QLatin1Char('.') + target.Column;
        }
        lines << QStringLiteral("IF EXISTS(") + exists + QLatin1Char(')')
              << QStringLiteral("  EXECUTE ") + QLatin1String(kind.bind) + QLatin1Char(' ') +
                     singleQuoted(object.qualifiedName()) + QStringLiteral(", ") +
                     singleQuoted(bindTo);
    }
    return lines;
}

bool splitByBindProcedures(const TCTBoundTarget& target)
{
    return target.Table.contains(QLatin1Char('.')) || target.Column.contains(QLatin1Char('.'));
}

}  // namespace BoundObjectScript
