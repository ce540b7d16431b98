#include "Repository.h"

#include "Exceptions.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {
QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

TRepositoryFileSet::TRepositoryFileSet(const QString& directory, bool checkOnly)
    : m_directory(directory), m_checkOnly(checkOnly)
{
    const QString manifest =
        QDir(directory).filePath(QLatin1String(TScriptGenerator::ReplayOrderFileName));
    m_listedBefore = QString::fromUtf8(fileBytes(manifest))
                         .split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
}

QString TRepositoryFileSet::nameFor(const TMarkedObject& object, bool runsOwn)
{
    return m_names.nameFor(object, runsOwn);
}

QString TRepositoryNames::nameFor(const TMarkedObject& object, bool runsOwn)
{
    const QString database = isServerKind(object.Kind) || object.Database.isEmpty()
                                 ? QLatin1String(TRepositoryFileSet::ServerFolder)
                                 : safeFileNamePart(object.Database);
    QString folder = database;
    QString stem = safeFileNamePart(object.Caption);
    if (!runsOwn) {
        folder += QLatin1Char('/') + objectKindKey(object.Kind);
        const QString qualifier = QualifierPart(object);
        stem = safeFileNamePart(qualifier.isEmpty()
                                    ? ObjectNamePart(object)
                                    : qualifier + QLatin1Char('.') + ObjectNamePart(object));
    }
    return folder + QLatin1Char('/') +
           uniqueFileName({stem}, QStringLiteral(".sql"), m_usedNames[folder]);
}

void TRepositoryFileSet::write(const QString& name, const QStringList& lines)
{
    const QString path = QDir(m_directory).filePath(name);
    const QByteArray bytes = crlfTextBytes(scriptTextLines(lines));
    const bool exists = QFileInfo::exists(path);
    if (exists && fileBytes(path) == bytes) {
        ++m_unchanged;
        return;
    }
    m_differences << Difference{exists ? Change::Changed : Change::Added, name};
    if (m_checkOnly)
        return;
    if (!QDir().mkpath(QFileInfo(path).path()))
        throw EFileError(
            QStringLiteral("Cannot create directory \"%1\"").arg(QFileInfo(path).path()));
    writeFileBytes(path, bytes);
}

void TRepositoryFileSet::finish(const QStringList& names)
{
    const QSet<QString> current(names.begin(), names.end());
    for (const QString& name : m_listedBefore) {
        if (current.contains(name))
            continue;
        m_differences << Difference{Change::Removed, name};
        if (!m_checkOnly)
            QFile::remove(QDir(m_directory).filePath(name));
    }
    const QString manifest =
        QDir(m_directory).filePath(QLatin1String(TScriptGenerator::ReplayOrderFileName));
    const QByteArray bytes = crlfTextBytes(names);
    if (!m_checkOnly && fileBytes(manifest) != bytes)
        writeFileBytes(manifest, bytes);
}

int TRepositoryFileSet::count(Change change) const
{
    if (change == Change::Unchanged)
        return m_unchanged;
    return int(std::count_if(m_differences.begin(), m_differences.end(),
                             [change](const Difference& d) { return d.change == change; }));
}

QString TRepositoryFileSet::summary() const
{
    return QStringLiteral("added %1, changed %2, removed %3, unchanged %4")
        .arg(count(Change::Added))
        .arg(count(Change::Changed))
        .arg(count(Change::Removed))
        .arg(count(Change::Unchanged));
}

QString changeName(TRepositoryFileSet::Change change)
{
    switch (change) {
        case TRepositoryFileSet::Change::Added:
            return QStringLiteral("added");
        case TRepositoryFileSet::Change::Changed:
            return QStringLiteral("changed");
        case TRepositoryFileSet::Change::Removed:
            return QStringLiteral("removed");
        case TRepositoryFileSet::Change::Unchanged:
            break;
    }
    return QStringLiteral("unchanged");
}
