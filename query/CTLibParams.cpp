#include "CTLibParams.h"

#include "CTLibException.h"

TParam* TParams::FindParam(const QString& name)
{
    for (TParam& param : m_items) {
        if (param.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &param;
    }
    return nullptr;
}

TParam& TParams::ParamByName(const QString& name)
{
    if (TParam* param = FindParam(name))
        return *param;
    throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void TParams::AssignValues(const TParams& other)
{
    for (TParam& param : m_items) {
        for (const TParam& source : other.m_items) {
            if (source.Name.compare(param.Name, Qt::CaseInsensitive) == 0) {
                param.Value = source.Value;
                param.DataType = source.DataType;
                if (source.ParamType != ptUnknown)
                    param.ParamType = source.ParamType;
                break;
            }
        }
    }
}

namespace {
bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool startsWithAt(const QString& sql, int at, const char* text)
{
    return QStringView(sql).mid(at).startsWith(QLatin1String(text));
}

// The position just past a comment that starts at `at`, or `at` when none does: "--" runs
// to the end of its line, and "/* */" comments nest as the server reads them.
int endOfComment(const QString& sql, int at)
{
    if (startsWithAt(sql, at, "--")) {
        const int lineEnd = sql.indexOf(QLatin1Char('\n'), at);
        return lineEnd < 0 ? int(sql.size()) : lineEnd;
    }
    if (!startsWithAt(sql, at, "/*"))
        return at;
    int depth = 0;
    for (int i = at; i < sql.size(); ++i) {
        if (startsWithAt(sql, i, "/*")) {
            ++depth;
            ++i;
        } else if (startsWithAt(sql, i, "*/")) {
            ++i;
            if (--depth == 0)
                return i + 1;
        }
    }
    return int(sql.size());
}
}  // namespace

TParsedSql ParseSqlParams(const QString& sql)
{
    TParsedSql parsed;
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            parsed.text += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            parsed.text += c;
            continue;
        }
        if (const int end = endOfComment(sql, i); end > i) {
            parsed.text += sql.mid(i, end - i);
            i = end - 1;
            continue;
        }
        if (c != QLatin1Char(':')) {
            parsed.text += c;
            continue;
        }
        if (i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char(':')) {
            parsed.text += c;  // "::" is a literal colon
            ++i;
            continue;
        }
        int end = i + 1;
        while (end < sql.size() && isNameCharacter(sql.at(end)))
            ++end;
        if (end == i + 1) {
            parsed.text += c;
            continue;
        }
        parsed.names << sql.mid(i + 1, end - i - 1);
        parsed.text += QLatin1Char('?');
        i = end - 1;
    }
    return parsed;
}
