// The section writers: for one object, its banner, the optional guarded DROP batch,
// the CREATE text from the catalog reader, "GO", and for tables and text objects the
// optional GRANT batch. A table section also pulls in its triggers and indexes.
#pragma once

#include "AppSettings.h"

#include <QStringList>

class TCTLibObjInfo;
class TScriptSink;

// The kinds of text objects, with the codes the text-object writer takes.
enum class TTextObjectKind { View = 1, Procedure = 2, Rule = 3, Trigger = 4 };

class TSectionWriter {
public:
    // `info` must already point at the object's database (SelectDb). `view`, when not
    // null, receives every line that goes into the script unless a writer is called
    // with toFile.
    TSectionWriter(TCTLibObjInfo& info, const TScriptOptions& options, QStringList& scriptLines,
                   TScriptSink* view);

    // The object being written and the database prefix of the DROP guards.
    QString ObjName;
    QString ObjQualifier;
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

private:
    void writeNote(const QString& note, bool toFile);
    void writeCreateWhenMissing(const QString& catalogTable, const QString& body, bool toFile);
    void beginSection(const QString& guard, const QString& drop, bool blankAfterDrop = true);
    void endSection(bool toFile);
    void appendGrantBatch(const QStringList& statements, bool toFile);
    void toView(const QStringList& lines, bool toFile);
    QString guard(const QString& tableAndCondition) const;
    bool ownedByOtherUser() const;
    QString ownedName() const;
    QString ownerCondition() const;

    TCTLibObjInfo& m_info;
    const TScriptOptions& m_options;
    QStringList& m_scriptLines;
    TScriptSink* m_view;
};
