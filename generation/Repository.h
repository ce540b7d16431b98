// A schema repository that a version-control system can hold: one file per object at
// <database>/<kind>/<owner>.<name>.sql (the bare name where an object has no owner, an
// index as <table>.<index>.sql, the server's own objects under @server/<kind>/), the
// run's own files (a database's foreign keys and system-table privileges, the server's
// role grants and late options) as <database>/<name>.sql, and replay-order.txt listing
// every file in the order to run them. No file holds a time stamp. A run rewrites only
// the files whose bytes changed and removes the files of objects gone, and only those
// that the earlier replay-order.txt lists: nothing else in the directory is touched.
#pragma once

#include "ScriptGenerator.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The names of a repository's files, each unique within its folder.
class TRepositoryNames {
public:
    QString nameFor(const TMarkedObject& object, bool runsOwn);

private:
    QHash<QString, QStringList> m_usedNames;  // by folder
};

class TRepositoryFileSet : public TFileSet {
public:
    enum class Change { Added, Changed, Removed, Unchanged };
    struct Difference {
        Change change;
        QString name;
    };

    // With `checkOnly`, nothing is written or removed: the differences are only counted.
    TRepositoryFileSet(const QString& directory, bool checkOnly);

    QString nameFor(const TMarkedObject& object, bool runsOwn) override;
    void write(const QString& name, const QStringList& lines) override;
    void finish(const QStringList& names) override;

    // Every file added, changed or removed, in the order met.
    const QList<Difference>& differences() const { return m_differences; }
    int count(Change change) const;
    // "added N, changed N, removed N, unchanged N".
    QString summary() const;

    // The folder of the server's own objects.
    static constexpr const char* ServerFolder = "@server";

private:
    QString m_directory;
    bool m_checkOnly;
    QStringList m_listedBefore;  // the earlier manifest's files
    TRepositoryNames m_names;
    QList<Difference> m_differences;
    int m_unchanged = 0;
};

// "added", "changed", "removed" or "unchanged".
QString changeName(TRepositoryFileSet::Change change);
