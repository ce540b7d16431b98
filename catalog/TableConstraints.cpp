// The declared constraints of a table and the bindings of its columns.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"
#include "Identifier.h"
#include "TextPieces.h"

namespace Sql = CatalogStatements;
using Sql::CatalogSet;
using Sql::kMaxIndexKeys;
using Sql::kMaxReferenceKeys;

namespace {

constexpr int kIndexClustered = 0x10;
constexpr int kIndexPrimaryKey = 0x800;
constexpr int kIndex2GeneratedName = 0x8;
constexpr int kIndex2DataOnlyClustered = 0x200;
constexpr int kReferenceMatchFull = 0x2;

// Whether `text` begins with `word`, in any case. A check's stored text begins with
// "check", or with "constraint" when the server kept the name it was declared with.
bool startsWithWord(const QString& text, QLatin1String word)
{
    if (!text.startsWith(word, Qt::CaseInsensitive) || text.size() == word.size())
        return false;
    const QChar next = text.at(word.size());
    return next.isSpace() || next == QLatin1Char('(');
}

QString owned(const QString& owner, const QString& name)
{
    return owner.isEmpty() ? name : owner + QLatin1Char('.') + name;
}

}  // namespace

QString constraintClause(const TCTConstraint& constraint)
{
    using Kind = TCTConstraint::Kind;
    QString clause = constraint.Name.isEmpty() ? QString()
                                               : QStringLiteral("CONSTRAINT ") +
                                                     scriptName(constraint.Name) + QLatin1Char(' ');
    switch (constraint.ConstraintKind) {
        case Kind::Check:
            // Written as stored, so that the server stores the very same text again.
            if (startsWithWord(constraint.CheckText, QLatin1String("constraint")))
                return constraint.CheckText;
            if (startsWithWord(constraint.CheckText, QLatin1String("check")))
                return clause + constraint.CheckText;
            return clause + QStringLiteral("CHECK ") + constraint.CheckText;
        case Kind::ForeignKey:
            clause += QStringLiteral("FOREIGN KEY (") + constraint.Keys.join(", ") +
                      QStringLiteral(") REFERENCES ") + constraint.ReferencedTable + " (" +
                      constraint.ReferencedKeys.join(", ") + ")";
            return constraint.MatchFull ? clause + QStringLiteral(" MATCH FULL") : clause;
        case Kind::PrimaryKey:
        case Kind::Unique:
            break;
    }
    clause += constraint.ConstraintKind == Kind::PrimaryKey ? QStringLiteral("PRIMARY KEY ")
                                                            : QStringLiteral("UNIQUE ");
    clause += constraint.Clustered ? QStringLiteral("CLUSTERED") : QStringLiteral("NONCLUSTERED");
    clause += QStringLiteral(" (") + constraint.Keys.join(", ") + ")";
    if (!constraint.Options.isEmpty())
        clause += QStringLiteral(" WITH ") + constraint.Options.join(", ");
    return clause + QStringLiteral(" ON '") + Sql::inLiteral(constraint.SegmentName, '\'') + "'";
}

TCTConstraintList TCTLibObjInfo::GetTableConstraints(int tableId)
{
    prepareRead();
    TCTConstraintList constraints;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(CatalogSet::KeyConstraints, {QString::number(tableId)});
        while (read.next()) {
            TCTConstraint key;
            const int indid = read.integer(2);
            key.IndexId = static_cast<int16_t>(indid);
            key.IndexName = read.text(1);
            const int status = read.integer(3);
            const int status2 = read.integer(4);
            key.ConstraintKind = (status & kIndexPrimaryKey) ? TCTConstraint::Kind::PrimaryKey
                                                             : TCTConstraint::Kind::Unique;
            if (!(status2 & kIndex2GeneratedName))
                key.Name = read.text(1);
            key.Clustered =
                indid == 1 || (status & kIndexClustered) || (status2 & kIndex2DataOnlyClustered);
            if (const int fill = read.integer(5); fill > 0)
                key.Options << QStringLiteral("fillfactor = %1").arg(fill);
            if (const int rows = read.integer(6); rows > 0)
                key.Options << QStringLiteral("max_rows_per_page = %1").arg(rows);
            if (const int gap = read.integer(7); gap > 0)
                key.Options << QStringLiteral("reservepagegap = %1").arg(gap);
            key.SegmentName = read.text(8);
            for (int k = 0; k < kMaxIndexKeys; ++k) {
                const QString column = read.text(9 + 2 * k);
                if (column.isEmpty())
                    break;
                const bool descending = read.text(10 + 2 * k) == QLatin1String("DESC");
                const QString written = nameInScript(column);
                key.Keys << (descending ? written + QStringLiteral(" DESC") : written);
            }
            constraints << key;
        }
    }
    // The pieces of a check's text are joined as stored.
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand, CatalogRead::Results::AsStored);
    read.open(CatalogSet::CheckConstraints, {QString::number(tableId)});
    QString lastName;
    TTextPieces pieces;
    while (read.next()) {
        const QString name = trimBlanks(read.text(1));
        if (constraints.isEmpty() || name != lastName ||
            constraints.last().ConstraintKind != TCTConstraint::Kind::Check) {
            TCTConstraint check;
            check.Name = name;
            check.ColumnId = read.integer(2);
            constraints << check;
            lastName = name;
            pieces = TTextPieces();
        }
        constraints.last().CheckText += read.text(3);
        pieces.add(read.integer(4), read.integer(5));
        constraints.last().CheckTextRowMissing = pieces.gap();
    }
    for (TCTConstraint& constraint : constraints) {
        if (constraint.ConstraintKind == TCTConstraint::Kind::Check)
            constraint.CheckText = trimBlanks(constraint.CheckText);
    }
    return constraints;
}

TCTConstraintList TCTLibObjInfo::GetForeignKeys(int tableId)
{
    prepareRead();
    TCTConstraintList keys;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(CatalogSet::ForeignKeys, {QString::number(tableId)});
        while (read.next()) {
            TCTConstraint key;
            key.ConstraintKind = TCTConstraint::Kind::ForeignKey;
            key.Name = read.text(1);
            // The owner of a table of another database is read below.
            key.ReferencedTable = read.text(2).isEmpty()
                                      ? scriptName(read.text(3))
                                      : owned(scriptName(read.text(2)), scriptName(read.text(3)));
            const int count = read.integer(4);
            key.MatchFull = read.integer(5) & kReferenceMatchFull;
            for (int k = 0; k < count && k < kMaxReferenceKeys; ++k) {
                key.Keys << scriptName(read.text(6 + 2 * k));
                key.ReferencedKeys << scriptName(read.text(7 + 2 * k));
            }
            const int after = 6 + 2 * kMaxReferenceKeys;
            key.ReferencedDatabase = read.text(after);
            key.ReferencedTableId = read.integer(after + 1);
            keys << key;
        }
    }
    // A table of another database is named with its database and owner.
    for (TCTConstraint& key : keys) {
        if (key.ReferencedDatabase.isEmpty())
            continue;
        CatalogRead owner(*this, CatalogRead::Mode::LanguageCommand);
        owner.open(Sql::ownerInDatabase(key.ReferencedDatabase, key.ReferencedTableId));
        key.ReferencedTable = scriptName(key.ReferencedDatabase) + QLatin1Char('.') +
                              (owner.next() ? scriptName(owner.text(1)) : QString()) +
                              QLatin1Char('.') + key.ReferencedTable;
    }
    return keys;
}

QList<TCTReference> TCTLibObjInfo::GetReferencingForeignKeys(int tableId)
{
    prepareRead();
    QList<TCTReference> references;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::ReferencingForeignKeys, {QString::number(tableId)});
    while (read.next())
        references << TCTReference{read.text(1),
                                   owned(scriptName(read.text(2)), scriptName(read.text(3)))};
    return references;
}

QList<TCTColumnBinding> TCTLibObjInfo::GetColumnBindings(int tableId)
{
    prepareRead();
    QList<TCTColumnBinding> bindings;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::ColumnDefinitions, {QString::number(tableId)});
    while (read.next()) {
        const QString column = read.text(2);
        const int cdefault = read.integer(9), typeDefault = read.integer(10);
        const int domain = read.integer(11), typeDomain = read.integer(12);
        // A binding that came with the column's datatype is the datatype's.
        const bool declaredDefault = read.integer(15) > 0;
        if (cdefault != 0 && cdefault != typeDefault && !declaredDefault)
            bindings << TCTColumnBinding{column, owned(read.text(13), read.text(14)), false};
        const bool checkConstraint = read.integer(18) > 0;
        if (domain != 0 && domain != typeDomain && !checkConstraint)
            bindings << TCTColumnBinding{column, owned(read.text(16), read.text(17)), true};
    }
    return bindings;
}

QList<TCTColumnBinding> TCTLibObjInfo::GetTypeBindings(const QString& typeName)
{
    prepareRead();
    QList<TCTColumnBinding> bindings;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::TypeBindings, {nameArgument(typeName)});
    if (read.next()) {
        if (!read.text(2).isEmpty())
            bindings << TCTColumnBinding{QString(), owned(read.text(1), read.text(2)), false};
        if (!read.text(4).isEmpty())
            bindings << TCTColumnBinding{QString(), owned(read.text(3), read.text(4)), true};
    }
    return bindings;
}

QList<TCTBoundTarget> TCTLibObjInfo::GetBoundTargets(const QString& name, const QString& owner)
{
    prepareRead();
    QList<TCTBoundTarget> targets;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(CatalogSet::TypesBoundTo, {name, owner});
        while (read.next())
            targets << TCTBoundTarget{QString(), read.text(1), QString()};
    }
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::ColumnsBoundTo, {name, owner});
    while (read.next())
        targets << TCTBoundTarget{read.text(1), read.text(2), read.text(3)};
    return targets;
}

QList<TCTCompiledObject> TCTLibObjInfo::GetCompiledObjects()
{
    prepareRead();
    QList<TCTCompiledObject> objects;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(Sql::compiledObjects(m_selectDb));
    while (read.next())
        objects << TCTCompiledObject{read.integer(1), read.text(2), read.text(3), read.text(4)};
    return objects;
}

QList<QPair<int, int>> TCTLibObjInfo::GetDependencies()
{
    prepareRead();
    QList<QPair<int, int>> pairs;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::Dependencies, {});
    while (read.next())
        pairs << qMakePair(read.integer(1), read.integer(2));
    return pairs;
}

QList<int> TCTLibObjInfo::GetDanglingDependents()
{
    prepareRead();
    QList<int> ids;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::Dependencies, {});
    // The rows come by object id: an object's repeats follow each other.
    while (read.next()) {
        const int id = read.integer(1);
        if (read.integer(3) == 0 && (ids.isEmpty() || ids.last() != id))
            ids << id;
    }
    return ids;
}
