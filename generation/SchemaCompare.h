// Two schemas compared as their repository files: each database's objects written as
// one text per object, keyed by the file's name within the database's folder
// ("views/dbo.v_customers.sql"), then the names found on one side only and the texts
// that differ, with a unified diff of each.
#pragma once

#include "Repository.h"
#include "ScriptSink.h"
#include "TableColumns.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// A schema's texts by name within its database's folder, without the USE batch that
// starts each file (which names the database).
using TSchemaTexts = QMap<QString, QStringList>;

// Keeps a run's files in memory as schema texts.
class TSchemaTextSet : public TFileSet {
public:
    QString nameFor(const TMarkedObject& object, bool runsOwn) override;
    void write(const QString& name, const QStringList& lines) override;
    void finish(const QStringList&) override {}
    const TSchemaTexts& texts() const { return m_texts; }
    // The object each text holds, by the text's name; the run's own files have none.
    const QMap<QString, TMarkedObject>& objects() const { return m_objects; }

private:
    TRepositoryNames m_names;
    TSchemaTexts m_texts;
    QMap<QString, TMarkedObject> m_objects;
};

// The schema texts of `database` in the repository `directory`: the files its
// replay-order.txt lists under the database's folder.
TSchemaTexts repositoryTexts(const QString& directory, const QString& database);
// The databases a repository holds: the folders its files are listed under.
QStringList repositoryDatabases(const QString& directory);

struct TSchemaDifference {
    enum class Side { OnlyInSource, OnlyInTarget, Different };
    Side side;
    QString name;
    QString diff;  // for texts that differ: a unified diff, target to source
};

// "only in source", "only in target" or "differs".
QString sideName(TSchemaDifference::Side side);

QList<TSchemaDifference> compareSchemas(const TSchemaTexts& source, const TSchemaTexts& target,
                                        const QString& sourceLabel, const QString& targetLabel);

// A unified diff that turns `from` into `to`, with three lines of context.
QString unifiedDiff(const QStringList& from, const QStringList& to, const QString& fromLabel,
                    const QString& toLabel);

// What a migration does with the objects compared: those it (re-)creates from the source,
// those of the target it drops, and what it leaves out with the reason.
struct TMigrationPlan {
    TMarkedObjectList Create;  // source objects, created or replaced from their sections
    TMarkedObjectList Drop;    // target objects
    TMarkedObjectList Alter;   // source tables that the target has otherwise
    QStringList LeftOut;       // "kind/owner.name.sql: reason"
};

struct TMigrationChoices {
    bool DropExtra = false;      // drop what only the target has
    bool AllowDataLoss = false;  // drop tables too
};

// Views, procedures, triggers, indexes, rules and defaults are replaced whole; a table,
// user, group or datatype that differs is left out (changing one in place is not written).
TMigrationPlan migrationPlan(const QList<TSchemaDifference>& differences,
                             const QMap<QString, TMarkedObject>& sourceObjects,
                             const QMap<QString, TMarkedObject>& targetObjects,
                             const TMigrationChoices& choices);

// The batches that drop `objects` of the current database where they exist, in the
// reverse of the order they are created in.
QStringList dropBatches(const TMarkedObjectList& objects);

// The ALTER TABLE statements that give the target's `table` the columns only the source
// has: those that allow nulls or have a default (or are computed), which existing rows
// can take. Columns removed, changed, or that need a value are named in `leftOut`.
QStringList addedColumns(const QString& table, const std::vector<TCTColumnDef>& source,
                         const std::vector<TCTColumnDef>& target, QStringList& leftOut);

class ProgressReporter;
class TCTLibObjInfo;

// Where a migration reads each side: the source's objects and columns through `source`,
// the target's columns through `target` (the same reader when both are on one server).
struct TMigrationSides {
    TCTLibObjInfo& source;
    QString sourceDatabase;
    TCTLibObjInfo& target;
    QString targetDatabase;
};

// What the sections of a migration could not write.
struct TMigrationNotes {
    QStringList Unscripted;
    QStringList Warnings;
};

// Writes the migration of `plan` to `script`: in the target database, the drops, the
// columns its tables lack, then the objects to make, as a script of them orders them
// (drop guards on, so that a changed object replaces the target's). `plan.LeftOut` gets
// what the columns' comparison leaves out.
TMigrationNotes writeMigration(const TMigrationSides& sides, TMigrationPlan& plan,
                               const TScriptOptions& options, TScriptSink& script,
                               ProgressReporter& progress);
