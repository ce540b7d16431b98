// The generation workers: one script for the view or a single file, or one file per
// object. They report progress and learn of Cancel through a ProgressReporter, so the
// GUI's progress window and the command-line front end drive the very same code.
#pragma once

#include "AppSettings.h"
#include "MarkedObject.h"

#include <QStringList>

class ProgressReporter;
class TCTLibObjInfo;
class TScriptSink;

// What the header comment names: the server, its version and the time of generation.
struct TScriptHeader {
    QString ServerName;
    QString ServerVersion;
    QString GeneratedOn;

    QStringList lines() const;
};

class TScriptGenerator {
public:
    TScriptGenerator(TCTLibObjInfo& info, const TScriptOptions& options);

    // The last database an object was written for, and its DROP-guard prefix.
    QString CurDb;
    QString DbPrefix;

    // The script of `objects`: the header (unless `withHeader` is off), a "USE" batch
    // whenever the database changes, and each object's section. With `toFile` off every
    // line also goes to `view`. Stops before the next object when the user cancels;
    // the lines written so far are returned.
    QStringList BuildScript(const TMarkedObjectList& objects, const TScriptHeader& header,
                            bool toFile, TScriptSink* view, ProgressReporter& progress,
                            bool withHeader = true);

    // One file per object under `targetPath`, each starting with a "USE" batch. Returns
    // the paths written, in order.
    QStringList BuildSeparateFiles(const TMarkedObjectList& objects, const QString& targetPath,
                                   ProgressReporter& progress);

    // The file name of an object: its name part and its kind's extension. Names already
    // used in this run get the qualifier in front, then a number; characters that cannot
    // stand in a file name are replaced.
    static QString fileNameFor(const TMarkedObject& object, const TScriptOptions& options,
                               QStringList& usedNames);

private:
    void selectDatabase(const QString& database);

    TCTLibObjInfo& m_info;
    const TScriptOptions& m_options;
};

// The text lines of script entries: an entry holding line breaks (stored source) becomes
// several lines.
QStringList scriptTextLines(const QStringList& entries);

// Writes script lines to a file, one text line per line (entries holding line breaks
// become several lines), each followed by CR LF. Throws EFileError on failure.
void saveScriptLines(const QString& path, const QStringList& lines, bool append = false);
