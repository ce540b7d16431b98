#include "TextFile.h"

#include "Exceptions.h"

#include <QFile>
#include <QSaveFile>

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
}  // namespace

void writeTextLines(const QString& path, const QStringList& lines, bool append)
{
    const QByteArray bytes = crlfTextBytes(lines);
    if (append) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            fail("create", path, file.errorString());
        if (file.write(bytes) != bytes.size() || !file.flush())
            fail("write", path, file.errorString());
        return;
    }
    // A replaced file is written beside its final name and renamed when complete, so a
    // failure never leaves a partial script under that name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail("create", path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        fail("write", path, file.errorString());
}
