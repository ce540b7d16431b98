#include "TextFile.h"

#include "Exceptions.h"

#include <QFile>

void writeTextLines(const QString& path, const QStringList& lines, bool append)
{
    QFile file(path);
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate);
    if (!file.open(mode))
        throw EFileError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw EFileError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(path, file.errorString()));
}
