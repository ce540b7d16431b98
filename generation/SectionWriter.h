// The section writers: for one object, its banner, the optional guarded DROP batch,
// the CREATE text from the catalog reader, "GO", and for tables and text objects the
// optional GRANT batch. A table section also pulls in its triggers and indexes, the
// bindings of its columns and the default objects they need. Objects of an owner other
// than dbo are written inside "SETUSER 'owner'" ... "SETUSER".
#pragma once

#include "AppSettings.h"
#include "CTLibObjRecords.h"

#include <QHash>
#include <QSet>
#include <QStringList>

class TCTLibObjInfo;
class TScriptSink;
struct TBoundObject;

// The kinds of text objects, with the codes the text-object writer takes.
enum class TTextObjectKind { View = 1, Procedure = 2, Rule = 3, Trigger = 4 };

// What one run of the writers shares: the sections already written (an object selected
// twice, as a kind and through a table, is written once), the default objects already
// created, the foreign keys waiting for every table, and the objects that could not be
// scripted.
struct TScriptState {
    QSet<QString> WrittenSections;
    QSet<QString> WrittenDefaults;
    QStringList PendingForeignKeys;  // script lines: ALTER TABLE ... ADD CONSTRAINT, GO
    QStringList Unscripted;          // "database: kind name: reason"
    QStringList Warnings;            // what was written without something unknown
    // By database: the objects that refer to an object dropped since (read once).
    QHash<QString, QList<int>> DanglingDependents;
    // By database: its users and groups (read once).
    QHash<QString, QList<TCTPrincipal>> Principals;
    // What the server's objects leave for later: batches that need every login and role,
    // and batches for the end of the script.
    QStringList ServerAfterLogins;
    QStringList ServerAtEnd;
    // What a new database carries on its system tables: model's privileges (read once).
    std::optional<TCTProtectList> NewDatabaseSystemTableProtects;

    // The users and groups of the database `info` reads, read on first use.
    const QList<TCTPrincipal>& principalsOf(TCTLibObjInfo& info);
};

class TSectionWriter {
public:
    // `info` must already point at the object's database (SelectDb). `view`, when not
    // null, receives every line that goes into the script unless a writer is called
    // with toFile.
    TSectionWriter(TCTLibObjInfo& info, const TScriptOptions& options, QStringList& scriptLines,
                   TScriptSink* view, TScriptState& state);

    // The object being written and the database prefix of the DROP guards.
    QString ObjName;
    QString ObjQualifier;
    // The owner of an index's table when known (the index caption names only the table).
    QString IndexTableOwner;
    QString DbPrefix;
    // The section of the one object being written.
    QStringList SectionLines;

    void WriteUserSection(bool toFile);
    void WriteGroupSection(bool toFile);
    void WriteTableSection(bool toFile);
    void WriteTextObjectSection(bool toFile, TTextObjectKind kind);
    void WriteIndexSection(bool toFile);
    void WriteDatatypeSection(bool toFile);

    // Calls the writer of `kind` for the object named by ObjName (and ObjQualifier).
    void WriteSection(ObjectKind kind, bool toFile);
    // The foreign keys gathered from the tables written so far, then forgotten.
    void WritePendingForeignKeys(bool toFile);
    // The privileges on the selected database's system tables where they differ from what
    // a new database carries; nothing when they do not, or privileges are not scripted.
    void WriteSystemTablePermissions(bool toFile);

private:
    void writeNote(const QString& note, bool toFile);
    void writeStatementPermissions(bool toFile);
    void writeAliases(bool toFile);
    void writeCreateWhenMissing(const QString& kind, const QString& catalogTable,
                                const QString& body, bool toFile);
    void writeRuleOrDefault(const QString& owner, const QString& name, const QString& type,
                            const TCTStoredText& stored, bool toFile);
    void writeReplacedRuleOrDefault(const QString& owner, const QString& name, bool rule,
                                    const TCTStoredText& stored, bool toFile);
    QList<TCTBoundTarget> bindableTargets(const TBoundObject& object, QStringList& notes);
    QStringList bindingOwners(const TBoundObject& object, const QList<TCTBoundTarget>& targets);
    void writeDefaultObject(const QString& qualifiedName, bool toFile);
    void writeUnscripted(const QString& kind, const QString& reason, bool toFile);
    bool refusedForMissingOwner(const QString& kind, bool toFile);
    void beginSection(const QString& guard, const QString& drop, bool blankAfterDrop = true);
    bool refusedForBatchEnd(const QString& kind, bool toFile);
    bool refusedForLineBreak(const QString& kind, bool toFile);
    bool refusedBatch(const QStringList& statements);
    void flushSection(bool toFile);
    void appendBatch(const QStringList& statements, bool toFile);
    void appendSectionBatch(const QStringList& statements, bool toFile);
    void warnUnknownActions(const TCTProtectList& protects, const QString& object);
    void toView(const QStringList& lines, bool toFile);
    void beginOwner(const QString& owner);
    void endOwner(const QString& owner);
    bool alreadyWritten(const QString& kind, const QString& owner, const QString& name);
    QString guard(const QString& tableAndCondition) const;
    bool ownedByOtherUser() const;
    QString objectOwner() const;
    QString ownedName() const;
    QString ownedScriptName() const;
    bool nameNeedsQuotes() const;
    QString ownerCondition() const;
    void writeIndexesOf(const QString& table, const QString& owner, bool toFile);
    void resolveIndexCaption();
    void writeTriggersOf(const QString& table, const QString& owner, bool toFile);

    TCTLibObjInfo& m_info;
    const TScriptOptions& m_options;
    QStringList& m_scriptLines;
    TScriptSink* m_view;
    TScriptState& m_state;
    // The section names what only quoted identifiers allow: it runs under them, and its
    // string literals take single quotes.
    bool m_quotedNames = false;
    QString nameLiteral(const QString& name) const;
    QStringList transactionModeStatements(const TCTObject& procedure) const;
    QStringList disableTriggerStatements(const TCTObject& trigger) const;
};

// The default object's name and owner of "owner.name".
QString qualifiedObjectOwner(const QString& qualifiedName);
QString qualifiedObjectName(const QString& qualifiedName);
