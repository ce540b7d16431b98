#include "SchemaCompare.h"

#include "CTLibObjInfo.h"
#include "CatalogStatements.h"
#include "Identifier.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <vector>

using CatalogStatements::singleQuoted;

namespace {
const QRegularExpression& lineBreak()
{
    static const QRegularExpression pattern(QStringLiteral("\r\n|\n|\r"));
    return pattern;
}

// A file's lines without its USE batch.
QStringList withoutUse(QStringList lines)
{
    if (lines.size() >= 2 && lines[0].startsWith(QLatin1String("USE ")) &&
        lines[1] == QLatin1String("GO"))
        lines.remove(0, 2);
    return lines;
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList manifest(const QString& directory)
{
    return readAll(QDir(directory).filePath(QLatin1String(TScriptGenerator::ReplayOrderFileName)))
        .split(lineBreak(), Qt::SkipEmptyParts);
}

// A file's name within its database's folder, or empty when it lies elsewhere.
QString withinFolder(const QString& name, const QString& folder)
{
    const QString prefix = folder + QLatin1Char('/');
    return name.startsWith(prefix) ? name.mid(prefix.size()) : QString();
}
}  // namespace

QString TSchemaTextSet::nameFor(const TMarkedObject& object, bool runsOwn)
{
    const QString name = m_names.nameFor(object, runsOwn);
    if (!runsOwn)
        m_objects.insert(name.mid(name.indexOf(QLatin1Char('/')) + 1), object);
    return name;
}

void TSchemaTextSet::write(const QString& name, const QStringList& lines)
{
    const int slash = int(name.indexOf(QLatin1Char('/')));
    m_texts.insert(name.mid(slash + 1), withoutUse(scriptTextLines(lines)));
}

QStringList repositoryDatabases(const QString& directory)
{
    QStringList databases;
    for (const QString& name : manifest(directory)) {
        const QString folder = name.section(QLatin1Char('/'), 0, 0);
        if (folder != QLatin1String(TRepositoryFileSet::ServerFolder) &&
            !databases.contains(folder))
            databases << folder;
    }
    return databases;
}

TSchemaTexts repositoryTexts(const QString& directory, const QString& database)
{
    TSchemaTexts texts;
    const QString folder = safeFileNamePart(database);
    for (const QString& name : manifest(directory)) {
        const QString inside = withinFolder(name, folder);
        if (inside.isEmpty())
            continue;
        QStringList lines = readAll(QDir(directory).filePath(name)).split(lineBreak());
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();  // the line end of the last line
        texts.insert(inside, withoutUse(lines));
    }
    return texts;
}

QString sideName(TSchemaDifference::Side side)
{
    switch (side) {
        case TSchemaDifference::Side::OnlyInSource:
            return QStringLiteral("only in source");
        case TSchemaDifference::Side::OnlyInTarget:
            return QStringLiteral("only in target");
        case TSchemaDifference::Side::Different:
            break;
    }
    return QStringLiteral("differs");
}

QList<TSchemaDifference> compareSchemas(const TSchemaTexts& source, const TSchemaTexts& target,
                                        const QString& sourceLabel, const QString& targetLabel)
{
    QList<TSchemaDifference> differences;
    for (auto it = source.cbegin(); it != source.cend(); ++it) {
        const auto other = target.constFind(it.key());
        if (other == target.cend()) {
            differences << TSchemaDifference{TSchemaDifference::Side::OnlyInSource, it.key(), {}};
        } else if (*other != *it) {
            differences << TSchemaDifference{
                TSchemaDifference::Side::Different, it.key(),
                unifiedDiff(*other, *it, targetLabel + QLatin1Char('/') + it.key(),
                            sourceLabel + QLatin1Char('/') + it.key())};
        }
    }
    for (auto it = target.cbegin(); it != target.cend(); ++it) {
        if (!source.contains(it.key()))
            differences << TSchemaDifference{TSchemaDifference::Side::OnlyInTarget, it.key(), {}};
    }
    return differences;
}

namespace {
// One line of an edit script: kept (' '), taken out ('-') or put in ('+').
struct Edit {
    char op;
    int from;  // line in `from` (for ' ' and '-')
    int to;    // line in `to` (for ' ' and '+')
};

// The edit script of a longest common subsequence; schema texts are a few hundred lines,
// so the quadratic table is small.
std::vector<Edit> editScript(const QStringList& from, const QStringList& to)
{
    const int n = int(from.size()), m = int(to.size());
    std::vector<std::vector<int>> common(size_t(n + 1), std::vector<int>(size_t(m + 1), 0));
    for (int i = n - 1; i >= 0; --i) {
        for (int j = m - 1; j >= 0; --j) {
            common[size_t(i)][size_t(j)] =
                from[i] == to[j]
                    ? common[size_t(i + 1)][size_t(j + 1)] + 1
                    : std::max(common[size_t(i + 1)][size_t(j)], common[size_t(i)][size_t(j + 1)]);
        }
    }
    std::vector<Edit> edits;
    int i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && from[i] == to[j]) {
            edits.push_back({' ', i++, j++});
        } else if (i < n && (j == m || common[size_t(i + 1)][size_t(j)] >=
                                           common[size_t(i)][size_t(j + 1)])) {
            edits.push_back({'-', i++, j});
        } else {
            edits.push_back({'+', i, j++});
        }
    }
    return edits;
}
}  // namespace

QString unifiedDiff(const QStringList& from, const QStringList& to, const QString& fromLabel,
                    const QString& toLabel)
{
    constexpr int kContext = 3;
    const std::vector<Edit> edits = editScript(from, to);
    std::vector<int> changes;
    for (int k = 0; k < int(edits.size()); ++k) {
        if (edits[size_t(k)].op != ' ')
            changes.push_back(k);
    }
    QString diff = QStringLiteral("--- %1\n+++ %2\n").arg(fromLabel, toLabel);
    // Changes less than twice the context apart share a hunk.
    for (size_t first = 0; first < changes.size();) {
        size_t last = first;
        while (last + 1 < changes.size() && changes[last + 1] - changes[last] <= 2 * kContext + 1)
            ++last;
        const int start = std::max(0, changes[first] - kContext);
        const int end = std::min(int(edits.size()), changes[last] + kContext + 1);
        int fromCount = 0, toCount = 0;
        for (int k = start; k < end; ++k) {
            fromCount += edits[size_t(k)].op != '+';
            toCount += edits[size_t(k)].op != '-';
        }
        diff += QStringLiteral("@@ -%1,%2 +%3,%4 @@\n")
                    .arg(edits[size_t(start)].from + (fromCount ? 1 : 0))
                    .arg(fromCount)
                    .arg(edits[size_t(start)].to + (toCount ? 1 : 0))
                    .arg(toCount);
        for (int k = start; k < end; ++k) {
            const Edit& edit = edits[size_t(k)];
            diff += QLatin1Char(edit.op) + (edit.op == '+' ? to[edit.to] : from[edit.from]) +
                    QLatin1Char('\n');
        }
        first = last + 1;
    }
    return diff;
}

namespace {
// Kinds whose section replaces an object whole (drop guard, then create).
bool replacedWhole(ObjectKind kind)
{
    return kind == ObjectKind::Views || kind == ObjectKind::Procedures ||
           kind == ObjectKind::Triggers || kind == ObjectKind::Indexes || kind == ObjectKind::Rules;
}
}  // namespace

TMigrationPlan migrationPlan(const QList<TSchemaDifference>& differences,
                             const QMap<QString, TMarkedObject>& sourceObjects,
                             const QMap<QString, TMarkedObject>& targetObjects,
                             const TMigrationChoices& choices)
{
    TMigrationPlan plan;
    for (const TSchemaDifference& difference : differences) {
        const auto source = sourceObjects.constFind(difference.name);
        const auto target = targetObjects.constFind(difference.name);
        switch (difference.side) {
            case TSchemaDifference::Side::OnlyInSource:
                if (source != sourceObjects.cend())
                    plan.Create << *source;
                else
                    plan.LeftOut << difference.name + QStringLiteral(": not an object's file");
                break;
            case TSchemaDifference::Side::Different:
                if (source != sourceObjects.cend() && replacedWhole(source->Kind))
                    plan.Create << *source;
                else if (source != sourceObjects.cend() && source->Kind == ObjectKind::Tables)
                    plan.Alter << *source;
                else
                    plan.LeftOut << difference.name + QStringLiteral(
                                                          ": differs; changing it in place is not "
                                                          "written");
                break;
            case TSchemaDifference::Side::OnlyInTarget:
                if (target == targetObjects.cend())
                    plan.LeftOut << difference.name + QStringLiteral(": not an object's file");
                else if (!choices.DropExtra)
                    plan.LeftOut << difference.name + QStringLiteral(
                                                          ": only in the target; kept (drop it "
                                                          "with --drop-extra)");
                else if (target->Kind == ObjectKind::Tables && !choices.AllowDataLoss)
                    plan.LeftOut << difference.name + QStringLiteral(
                                                          ": only in the target; a table is "
                                                          "dropped only with --allow-data-loss");
                else
                    plan.Drop << *target;
                break;
        }
    }
    // An index goes with its table: one of a table that stays is not dropped alone.
    QSet<QString> droppedTables, keptTables;
    for (auto it = targetObjects.cbegin(); it != targetObjects.cend(); ++it) {
        if (it->Kind == ObjectKind::Tables)
            (plan.Drop.contains(*it) ? droppedTables : keptTables) << ObjectNamePart(*it);
    }
    for (int n = int(plan.Drop.size()) - 1; n >= 0; --n) {
        const TMarkedObject& index = plan.Drop[n];
        if (index.Kind == ObjectKind::Indexes && keptTables.contains(QualifierPart(index)) &&
            !droppedTables.contains(QualifierPart(index))) {
            plan.LeftOut << QStringLiteral("indexes/") + index.Caption +
                                QStringLiteral(": only in the target; its table stays");
            plan.Drop.removeAt(n);
        }
    }
    return plan;
}

namespace {
QStringList dropBatch(const TMarkedObject& object)
{
    const QString name = ObjectNamePart(object);
    const QString qualifier = QualifierPart(object);
    const QString owned = qualifier.isEmpty()
                              ? scriptName(name)
                              : scriptName(qualifier) + QLatin1Char('.') + scriptName(name);
    const QString ownedTest = QStringLiteral("name = %1 AND uid = user_id(%2)")
                                  .arg(singleQuoted(name), singleQuoted(qualifier));
    const auto ifObject = [&](const QString& types, const QString& drop) {
        return QStringList{QStringLiteral("IF EXISTS(SELECT * FROM sysobjects WHERE %1 AND "
                                          "type IN (%2))")
                               .arg(ownedTest, types),
                           QStringLiteral("  ") + drop, QStringLiteral("GO")};
    };
    switch (object.Kind) {
        case ObjectKind::Tables:
            return ifObject(QStringLiteral("'U'"), QStringLiteral("DROP TABLE ") + owned);
        case ObjectKind::Views:
            return ifObject(QStringLiteral("'V'"), QStringLiteral("DROP VIEW ") + owned);
        case ObjectKind::Procedures:
            return ifObject(QStringLiteral("'P'"), QStringLiteral("DROP PROCEDURE ") + owned);
        case ObjectKind::Triggers:
            return ifObject(QStringLiteral("'TR'"), QStringLiteral("DROP TRIGGER ") + owned);
        case ObjectKind::Rules:
            return ifObject(QStringLiteral("'R'"), QStringLiteral("DROP RULE ") + owned) +
                   ifObject(QStringLiteral("'D'"), QStringLiteral("DROP DEFAULT ") + owned);
        case ObjectKind::Indexes:
            return {QStringLiteral("IF EXISTS(SELECT * FROM sysindexes WHERE name = %1 AND id = "
                                   "object_id(%2))")
                        .arg(singleQuoted(name), singleQuoted(qualifier)),
                    QStringLiteral("  DROP INDEX ") + scriptName(qualifier) + QLatin1Char('.') +
                        scriptName(name),
                    QStringLiteral("GO")};
        case ObjectKind::Users:
            return {QStringLiteral("EXECUTE sp_dropuser ") + singleQuoted(name),
                    QStringLiteral("GO")};
        case ObjectKind::Groups:
            return {QStringLiteral("EXECUTE sp_dropgroup ") + singleQuoted(name),
                    QStringLiteral("GO")};
        case ObjectKind::DataTypes:
            return {QStringLiteral("EXECUTE sp_droptype ") + singleQuoted(name),
                    QStringLiteral("GO")};
        default:
            return {};
    }
}
}  // namespace

QStringList dropBatches(const TMarkedObjectList& objects)
{
    TMarkedObjectList ordered = inReplayOrder(objects);
    std::reverse(ordered.begin(), ordered.end());
    QStringList batches;
    for (const TMarkedObject& object : ordered)
        batches << dropBatch(object);
    return batches;
}

namespace {
bool sameDeclaration(const TCTColumnDef& a, const TCTColumnDef& b)
{
    return a.TypeName == b.TypeName && a.Length == b.Length && a.Prec == b.Prec &&
           a.Scale == b.Scale && a.Nullable == b.Nullable && a.Identity == b.Identity &&
           a.DefaultClause == b.DefaultClause && a.Computed == b.Computed &&
           a.ComputedExpression == b.ComputedExpression && a.Materialized == b.Materialized;
}

const TCTColumnDef* named(const std::vector<TCTColumnDef>& columns, const QString& name)
{
    for (const TCTColumnDef& column : columns) {
        if (column.Name == name)
            return &column;
    }
    return nullptr;
}
}  // namespace

QStringList addedColumns(const QString& table, const std::vector<TCTColumnDef>& source,
                         const std::vector<TCTColumnDef>& target, QStringList& leftOut)
{
    QStringList statements;
    for (const TCTColumnDef& column : source) {
        const TCTColumnDef* other = named(target, column.Name);
        if (other) {
            if (!sameDeclaration(column, *other))
                leftOut << QStringLiteral("%1: column %2 differs; changing it is not written")
                               .arg(table, column.Name);
            continue;
        }
        if (!column.Nullable && column.DefaultClause.isEmpty() && !column.Identity &&
            !column.Computed) {
            leftOut << QStringLiteral(
                           "%1: column %2 is NOT NULL without a default; the rows "
                           "there need a value")
                           .arg(table, column.Name);
            continue;
        }
        statements << QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD ") +
                          formatColumnLine(column).trimmed()
                   << QStringLiteral("GO");
    }
    for (const TCTColumnDef& column : target) {
        if (!named(source, column.Name))
            leftOut << QStringLiteral(
                           "%1: column %2 is only in the target; dropping it is not "
                           "written")
                           .arg(table, column.Name);
    }
    return statements;
}

TMigrationNotes writeMigration(const TMigrationSides& sides, TMigrationPlan& plan,
                               const TScriptOptions& options, TScriptSink& script,
                               ProgressReporter& progress)
{
    script.appendLines(
        QStringList{QStringLiteral("USE ") + sides.targetDatabase, QStringLiteral("GO")} +
        dropBatches(plan.Drop));
    // Columns the target's tables lack, before the objects that may use them.
    for (const TMarkedObject& table : plan.Alter) {
        const QString owner = QualifierPart(table), name = ObjectNamePart(table);
        sides.source.setSelectDb(sides.sourceDatabase);
        const std::vector<TCTColumnDef> sourceColumns = sides.source.GetTableColumns(name, owner);
        sides.target.setSelectDb(sides.targetDatabase);
        const std::vector<TCTColumnDef> targetColumns = sides.target.GetTableColumns(name, owner);
        script.appendLines(addedColumns(scriptName(owner) + QLatin1Char('.') + scriptName(name),
                                        sourceColumns, targetColumns, plan.LeftOut));
    }
    TScriptOptions replacing = options;
    replacing.AddDrop = true;
    TScriptGenerator generator(sides.source, replacing);
    generator.UseNames.insert(sides.sourceDatabase, sides.targetDatabase);
    generator.WriteScript(plan.Create, {}, script, true, nullptr, progress, false);
    return {generator.Unscripted, generator.Warnings};
}
