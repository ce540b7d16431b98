#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class QFileDevice;

// A file written piece by piece. A regular file is written beside its final name and put
// in place by commit() only when every write, the flush and the sync succeeded: until then,
// and whenever anything fails, the earlier file stays as it was. An existing FIFO or
// character device (a pipe, /dev/stdout) is written as a stream, and so is a file opened
// for appending; anything else that is not a regular file is refused. Every failure
// throws EFileError naming the file.
class TFileWriter {
public:
    explicit TFileWriter(const QString& path, bool append = false);
    ~TFileWriter();
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;

    void write(const QByteArray& bytes);
    // Each line followed by CR LF, in UTF-8 (the client character set).
    void writeLines(const QStringList& lines);
    void commit();

private:
    QString m_path;
    std::unique_ptr<QFileDevice> m_file;
    bool m_replaces = false;  // written beside the file, renamed over it at commit()
};

// Files that belong together, written first into a hidden directory inside their target
// directory and moved into place by commit() only when all of them are written: a run that
// stops or fails before leaves every earlier file of the target as it was, and the hidden
// directory is removed with this object.
class TStagedFiles {
public:
    explicit TStagedFiles(const QString& targetDirectory);
    TStagedFiles(const TStagedFiles&) = delete;
    TStagedFiles& operator=(const TStagedFiles&) = delete;

    // Where the file of that name is written until commit().
    QString stagingPath(const QString& fileName) const;
    // Where the file of that name ends up.
    QString targetPath(const QString& fileName) const;
    // Moves each file named, in that order, over its target's earlier file.
    void commit(const QStringList& fileNames);

private:
    QDir m_target;
    QTemporaryDir m_staging;
};

// Writes `bytes` as the whole content of the file at `path`. A regular file is written
// beside its final name and renamed over it only when every write, the flush and the sync
// succeeded, so any failure leaves the earlier file as it was. An existing FIFO or
// character device (a pipe, /dev/stdout) is written as a stream; anything else that is not
// a regular file is refused. Throws EFileError naming the file.
void writeFileBytes(const QString& path, const QByteArray& bytes);

// Writes `lines` to `path`, replacing the file as writeFileBytes does or appending to it,
// each line followed by CR LF, in UTF-8 (the client character set). Throws EFileError when
// the file cannot be written.
void writeTextLines(const QString& path, const QStringList& lines, bool append = false);

// The lines as UTF-8 text, each followed by CR LF.
QByteArray crlfTextBytes(const QStringList& lines);
