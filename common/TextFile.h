#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes `lines` to `path`, replacing the file, each line followed by CR LF, in UTF-8
// (the client character set). Throws EFileError when the file cannot be written.
void writeTextLines(const QString& path, const QStringList& lines, bool append = false);

// The lines as UTF-8 text, each followed by CR LF.
QByteArray crlfTextBytes(const QStringList& lines);
