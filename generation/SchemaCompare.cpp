#include "SchemaCompare.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <vector>

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
    return m_names.nameFor(object, runsOwn);
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
