#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
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
