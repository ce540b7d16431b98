#include "TextFile.h"

#include "Exceptions.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
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

// Writes through QFile's buffer: only a flush that succeeds proves the bytes were taken.
void writeAll(QFileDevice& file, const QString& path, const QByteArray& bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        fail("write", path, file.errorString());
}

void writeStream(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    if (!file.open(mode))
        fail("create", path, file.errorString());
    writeAll(file, path, bytes);
    file.close();
    if (file.error() != QFileDevice::NoError)
        fail("write", path, file.errorString());
}

// /dev/stdout and the like name an open descriptor, even when it leads to a regular file:
// they are written in place, never replaced.
bool namesADescriptor(const QString& path)
{
    return path.startsWith(QLatin1String("/dev/")) || path.startsWith(QLatin1String("/proc/"));
}
}  // namespace

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    struct stat status {};
    if (stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode))
            return writeStream(path, bytes, QIODevice::WriteOnly | QIODevice::Unbuffered);
        fail("create", path, QStringLiteral("It is not a regular file."));
    }
    if (namesADescriptor(path))
        return writeStream(path, bytes, QIODevice::WriteOnly | QIODevice::Truncate);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail("create", path, file.errorString());
    writeAll(file, path, bytes);
    // QSaveFile does not report a failed sync; data that never reaches the disk must not
    // replace the earlier file.
    if (fsync(file.handle()) != 0)
        fail("write", path, systemError());
    if (!file.commit())
        fail("write", path, file.errorString());
}

void writeTextLines(const QString& path, const QStringList& lines, bool append)
{
    const QByteArray bytes = crlfTextBytes(lines);
    if (append)
        return writeStream(path, bytes, QIODevice::WriteOnly | QIODevice::Append);
    writeFileBytes(path, bytes);
}
