// Pieces of script text that every section writer needs: literals, banners and comments,
// and the lines that a tool replaying the script would take for a command of its own.
#pragma once

#include <QString>
#include <QStringList>

// A string literal of the script in double quotes (quoted identifiers off).
QString quoted(const QString& name);
// Text for inside a /* */ comment: "*/" would end the comment and "/*" would open one
// nested in it, so neither is written as it is; nor is a line break.
QString commentText(const QString& text);
// The comment line that opens an object's section.
QString banner(const QString& name);
// A line that a tool replaying the script takes for a command of its own rather than SQL.
bool readsAsBatchEnd(const QString& line);
// Whether a name or text in `lines` (the script's own "GO" lines aside) holds such a line.
bool holdsBatchEnd(const QStringList& lines);
// A name as an argument of a system procedure: as it is when it is a regular identifier,
// otherwise as a string.
QString procedureArgument(const QString& name);
// "SET QUOTED_IDENTIFIER ON" or OFF, as a batch of its own.
QStringList quotedIdentifiers(bool on);
