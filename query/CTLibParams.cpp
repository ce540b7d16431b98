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
