// Names as a script must write them: a regular identifier as it is, anything else (a
// blank, a reserved word, a leading digit...) in double quotes, which the server reads
// as a name under "set quoted_identifier on".
#pragma once

#include <QString>

bool isRegularIdentifier(const QString& name);
// The name, or the name in double quotes with its double quotes doubled.
QString scriptName(const QString& name);
// One part of an object name given as a string (object_id('owner.name')): delimited when
// it holds a dot, which would split it there.
QString namePartInString(const QString& name);
