// The generation workers: one script for the view or a single file, or one file per
// object. They report progress and learn of Cancel through a ProgressReporter, so the
// GUI's progress window and the command-line front end drive the very same code.
#pragma once

#include "AppSettings.h"
#include "MarkedObject.h"
#include "ScriptSink.h"
#include "SectionWriter.h"
#include "TextFile.h"

#include <QHash>
#include <QSet>
#include <QStringList>

class ProgressReporter;
class TCTLibObjInfo;
class TFileWriter;
class TServerCatalog;

// What the header comment names: the server, its version and the time of generation.
struct TScriptHeader {
    QString ServerName;
    QString ServerVersion;
    QString GeneratedOn;
    QStringList Notes;  // lines of the comment after the generator's own

    QStringList lines() const;
};

// Where a run of one file per object puts its files, and what it calls them.
class TFileSet {
public:
    virtual ~TFileSet() = default;
    // The name of `object`'s file; with `runsOwn`, of a file of the run's own (a
    // database's foreign keys ...) named by the object's caption.
    virtual QString nameFor(const TMarkedObject& object, bool runsOwn) = 0;
    virtual void write(const QString& name, const QStringList& lines) = 0;
    // After the last file of a run that was not cancelled: the names in the order to run
    // the files.
    virtual void finish(const QStringList& names) = 0;
};

class TScriptGenerator {
public:
    static constexpr const char* ReplayOrderFileName = "replay-order.txt";

    TScriptGenerator(TCTLibObjInfo& info, const TScriptOptions& options);

    // The last database an object was written for, and its DROP-guard prefix.
    QString CurDb;
    QString DbPrefix;
    // After a run: the objects that could not be scripted (their place in the script
    // holds a comment), and warnings such as a dependency cycle.
    QStringList Unscripted;
    QStringList Warnings;
    // After a run: whether the user cancelled it. A cancelled script lacks the objects not
    // reached; a cancelled run of separate files has written none of them.
    bool Cancelled = false;
    // Reads the catalog object by object whatever the number of objects.
    bool PerObjectReads = false;
    // By database, how many objects its listing holds, when the caller knows: every
    // object of the database when ListedEveryKind, otherwise at least that many. Where that
    // does not settle it, the database's objects are counted on the server. A selection's
    // catalog is read whole when it is a large part of its database, otherwise for the
    // selection alone (one request per kind of read either way).
    QHash<QString, int> ListedObjectCounts;
    bool ListedEveryKind = false;
    // The name a database's USE lines give it, where it is not its own: a migration read
    // from one database runs in another.
    QHash<QString, QString> UseNames;
    // The server's own objects come from this catalog when set (one that listed them
    // already); otherwise each run reads them afresh.
    TServerCatalog* ServerCatalog = nullptr;

    // The script of `objects`: the header (unless `withHeader` is off), a "USE" batch
    // whenever the database changes, and each object's section, handed to `script` as
    // each object is done, so that nothing of it is kept. With `toFile` off every line
    // also goes to `view`. Stops before the next object when the user cancels.
    void WriteScript(const TMarkedObjectList& objects, const TScriptHeader& header,
                     TScriptSink& script, bool toFile, TScriptSink* view,
                     ProgressReporter& progress, bool withHeader = true);
    // The same script as lines; those written before a cancel are returned.
    QStringList BuildScript(const TMarkedObjectList& objects, const TScriptHeader& header,
                            bool toFile, TScriptSink* view, ProgressReporter& progress,
                            bool withHeader = true);

    // One file per object under `targetPath`, each starting with a "USE" batch, then one
    // file of each database's foreign keys, and ReplayOrderFileName listing the files in
    // the order to run them. Returns the script paths written, in that order. The files
    // replace the earlier ones only once all are written: a cancelled or failed run
    // changes none of them.
    QStringList BuildSeparateFiles(const TMarkedObjectList& objects, const QString& targetPath,
                                   ProgressReporter& progress);
    // The same files into any file set.
    void WriteFileSet(const TMarkedObjectList& objects, TFileSet& files,
                      ProgressReporter& progress);

    // The file name of an object: its name part and its kind's extension. Names already
    // used in this run get the qualifier in front, then a number; characters that cannot
    // stand in a file name are replaced.
    static QString fileNameFor(const TMarkedObject& object, const TScriptOptions& options,
                               QStringList& usedNames);

private:
    // Makes `database` the one read, whole or object by object.
    void selectDatabase(const QString& database);
    // Counts the objects of each database for selectDatabase(), has the reader remember
    // the reads of each object and stop sending once the user has cancelled; the reads go
    // back to per object, and the rows held are released, when the returned guard ends.
    class ReaderRunScope;
    ReaderRunScope prepareReader(const TMarkedObjectList& work, const ProgressReporter& progress);
    // The work list: replay order, users and groups of each database by id, and views,
    // procedures and triggers after what they depend on (sysdepends), then by creation
    // date and name.
    TMarkedObjectList workList(const TMarkedObjectList& objects, TScriptState& state);
    // Chooses, database by database, between whole and selection reads.
    void chooseReads(const TMarkedObjectList& work);
    TMarkedObjectList inDependencyOrder(const TMarkedObjectList& compiled);
    TMarkedObjectList inIdOrder(const TMarkedObjectList& principals, TScriptState& state);
    QStringList serverSectionLines(const TMarkedObject& object, TServerCatalog& catalog,
                                   TScriptState& state);

    TCTLibObjInfo& m_info;
    const TScriptOptions& m_options;
    // By database: the names its selection reads are restricted to; a database absent
    // here is read whole (unless PerObjectReads).
    QHash<QString, QSet<QString>> m_selectionNames;
    QString m_readsSetFor;  // the database the reader's read mode was last set for
};

// The files of one directory, named by fileNameFor() and ReplayOrderFileName, written
// beside it and moved into place only once the run is whole.
class TDirectoryFileSet : public TFileSet {
public:
    TDirectoryFileSet(const QString& directory, const TScriptOptions& options);
    QString nameFor(const TMarkedObject& object, bool runsOwn) override;
    void write(const QString& name, const QStringList& lines) override;
    void finish(const QStringList& names) override;
    // The script paths in place after finish(), in the order to run them.
    const QStringList& written() const { return m_written; }

private:
    TStagedFiles m_files;
    const TScriptOptions& m_options;
    // The list of files is written last: no object's file may take its name.
    QStringList m_usedNames{QLatin1String(TScriptGenerator::ReplayOrderFileName)};
    QStringList m_written;
};

// A name as one part of a file's path: path separators and control characters, which
// would put the file elsewhere or nowhere, become "_", and so do the dots of "." and "..".
QString safeFileNamePart(QString text);
// The first of `stems` + `extension` that `usedNames` lacks (case-insensitively), else
// the last stem with a number; cut to 255 bytes; added to `usedNames`.
QString uniqueFileName(const QStringList& stems, const QString& extension, QStringList& usedNames);

// The text lines of script entries: an entry holding line breaks (stored source) becomes
// several lines.
QStringList scriptTextLines(const QStringList& entries);

// Script lines into a file being written: each entry holding line breaks becomes several
// lines, each followed by CR LF.
class TFileScriptSink : public TScriptSink {
public:
    explicit TFileScriptSink(TFileWriter& file) : m_file(file) {}
    void appendLines(const QStringList& lines) override;

private:
    TFileWriter& m_file;
};

// Writes script lines to a file, one text line per line (entries holding line breaks
// become several lines), each followed by CR LF. Throws EFileError on failure.
void saveScriptLines(const QString& path, const QStringList& lines, bool append = false);
