#include "TextFile.h"

#include "Exceptions.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

QByteArray crlfTextBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

namespace {
[[noreturn]] void fail(const char* what, const QString& path, const QString& reason)
{
    throw EFileError(
        QStringLiteral("Cannot %1 file \"%2\". %3").arg(QLatin1String(what), path, reason));
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// /dev/stdout, /dev/fd/N and the like lead through symbolic links to /proc/PID/fd/N, an
// open descriptor, even when that descriptor leads on to a regular file: it is written in
// place, never replaced. Where the links lead decides, not the name: /dev/shm/x.sql is an
// ordinary file.
bool namesADescriptor(const QString& path)
{
    static const QRegularExpression descriptor(QStringLiteral("^/proc/\\d+(/task/\\d+)?/fd/\\d+$"));
    // As many links as the kernel follows (MAXSYMLINKS).
    constexpr int kMaxLinks = 40;
    QString step = QFileInfo(path).absoluteFilePath();
    for (int links = 0; links <= kMaxLinks; ++links) {
        const QFileInfo file(step);
        const QString directory = QFileInfo(file.absolutePath()).canonicalFilePath();
        if (directory.isEmpty())
            return false;
        if (descriptor.match(directory + QLatin1Char('/') + file.fileName()).hasMatch())
            return true;
        if (!file.isSymLink())
            return false;
        step = file.symLinkTarget();
    }
    return false;
}
}  // namespace

TFileWriter::TFileWriter(const QString& path, bool append) : m_path(path)
{
    struct stat status {};
    const bool exists = stat(QFile::encodeName(path).constData(), &status) == 0;
    QIODevice::OpenMode streamMode = QIODevice::WriteOnly | QIODevice::Truncate;
    if (exists && !S_ISREG(status.st_mode)) {
        if (!S_ISFIFO(status.st_mode) && !S_ISCHR(status.st_mode))
            fail("create", path, QStringLiteral("It is not a regular file."));
        streamMode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    } else if (append) {
        streamMode = QIODevice::WriteOnly | QIODevice::Append;
    } else if (!namesADescriptor(path)) {
        m_replaces = true;
    }
    if (m_replaces) {
        m_file = std::make_unique<QSaveFile>(path);
        if (!m_file->open(QIODevice::WriteOnly))
            fail("create", path, m_file->errorString());
        return;
    }
    m_file = std::make_unique<QFile>(path);
    if (!m_file->open(streamMode))
        fail("create", path, m_file->errorString());
}

TFileWriter::~TFileWriter() = default;

// A write that fills the disk takes part of the bytes and gives Qt no reason ("Unknown
// error"): the rest is written again, which the system refuses with its reason (ENOSPC's
// text). Only a flush that succeeds proves the bytes were taken.
void TFileWriter::write(const QByteArray& bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = m_file->write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            fail("write", m_path, m_file->errorString());
        done += written;
    }
    if (!m_file->flush() && !m_file->flush())
        fail("write", m_path, m_file->errorString());
}

void TFileWriter::writeLines(const QStringList& lines)
{
    write(crlfTextBytes(lines));
}

void TFileWriter::commit()
{
    if (!m_replaces) {
        m_file->close();
        if (m_file->error() != QFileDevice::NoError)
            fail("write", m_path, m_file->errorString());
        return;
    }
    auto& file = static_cast<QSaveFile&>(*m_file);
    // QSaveFile does not report a failed sync; data that never reaches the disk must not
    // replace the earlier file.
    if (fsync(file.handle()) != 0)
        fail("write", m_path, systemError());
    if (!file.commit())
        fail("write", m_path, file.errorString());
}

TStagedFiles::TStagedFiles(const QString& targetDirectory)
    : m_target(targetDirectory),
      m_staging(m_target.filePath(QStringLiteral(".skelder-staging-XXXXXX")))
{
    if (!m_staging.isValid())
        throw EFileError(QStringLiteral("Cannot write into directory \"%1\". %2")
                             .arg(targetDirectory, m_staging.errorString()));
}

QString TStagedFiles::stagingPath(const QString& fileName) const
{
    return m_staging.filePath(fileName);
}

QString TStagedFiles::targetPath(const QString& fileName) const
{
    return m_target.filePath(fileName);
}

void TStagedFiles::commit(const QStringList& fileNames)
{
    // rename() replaces the earlier file in one step; both lie on the same file system.
    for (const QString& name : fileNames) {
        if (::rename(QFile::encodeName(stagingPath(name)).constData(),
                     QFile::encodeName(targetPath(name)).constData()) != 0)
            fail("write", targetPath(name), systemError());
    }
}

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    TFileWriter file(path);
    file.write(bytes);
    file.commit();
}

void writeTextLines(const QString& path, const QStringList& lines, bool append)
{
    TFileWriter file(path, append);
    file.writeLines(lines);
    file.commit();
}
