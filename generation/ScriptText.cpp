#include "ScriptText.h"

#include "CatalogStatements.h"
#include "Identifier.h"
#include "PrintableText.h"

#include <QRegularExpression>
#include <algorithm>

using CatalogStatements::singleQuoted;

QString quoted(const QString& name)
{
    return QLatin1Char('"') + CatalogStatements::inLiteral(name, '"') + QLatin1Char('"');
}

QString commentText(const QString& text)
{
    QString safe = printableText(text);
    safe.replace(QLatin1String("*/"), QLatin1String("* /"));
    safe.replace(QLatin1String("/*"), QLatin1String("/ *"));
    return safe;
}

QString banner(const QString& name)
{
    return QStringLiteral("/************ ") + commentText(name) + QStringLiteral(" ************/");
}

// A line that a tool replaying the script takes for a command of its own rather than
// SQL: whatever follows it would run outside its batch. isql, fisql and tsql end a batch
// at a line whose first word is "go" in any case, alone or followed by a blank and
// anything ("go 2", "go x", "go -- c"); bsqldb at "go" alone. isql and fisql clear the
// batch at "reset", stop at "exit" or "quit", open an editor at "vi", read the file named
// after ":r" and run the shell command after "!!"; tsql clears at "reset", stops at
// "exit", "quit" or "bye" and reads a file at ":r". Leading blanks are allowed, as bsqldb
// and tsql allow them. (tsql also clears the batch at a line whose first word is
// "version", a common column name: that one is left to tsql's users.)
bool readsAsBatchEnd(const QString& line)
{
    static const QRegularExpression command(
        QStringLiteral("^\\s*(go|reset|exit|quit|bye|vi)(\\s.*)?$|^\\s*(:r|!!)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return command.match(line).hasMatch();
}

// Whether a name or text in `lines` (the script's own "GO" lines aside) holds a line that
// would end its batch early. No quoting prevents that: isql splits the script before the
// server reads a quote, and the rest of the name or text would run as a batch of its own.
bool holdsBatchEnd(const QStringList& lines)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    for (const QString& element : lines) {
        if (element == QLatin1String("GO"))
            continue;
        const QStringList parts = element.split(lineBreak);
        if (std::any_of(parts.begin(), parts.end(), readsAsBatchEnd))
            return true;
    }
    return false;
}

QString procedureArgument(const QString& name)
{
    return isRegularIdentifier(name) ? name : singleQuoted(name);
}

QStringList quotedIdentifiers(bool on)
{
    return {on ? QStringLiteral("SET QUOTED_IDENTIFIER ON")
               : QStringLiteral("SET QUOTED_IDENTIFIER OFF"),
            QStringLiteral("GO")};
}
