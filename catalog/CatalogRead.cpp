#include "CatalogRead.h"

#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "Exceptions.h"

CatalogRead::CatalogRead(TCTLibObjInfo& reader, Mode mode, Results results)
    : m_cursor(reader.UseExecCursor), m_query(std::make_unique<TCTLibEnhQuery>(&reader))
{
    TCTLibEnhQuery& q = *m_query;
    q.IsCursor = mode == Mode::Cursor;
    q.ReadOnly = true;
    q.TrimResults = results == Results::Trimmed;
    q.setMsgDialogs(reader.MsgDialogs);
    q.setShowDbMessages(reader.ShowDbMessages);
    q.OnDbError = reader.OnDbError;
    q.AfterDbError = reader.AfterDbError;
    q.OnDbMessage = reader.OnDbMessage;
    q.AfterDbMessage = reader.AfterDbMessage;
    q.CurFetchRows = 50;
    q.DbName = reader.DbName;
}

CatalogRead::~CatalogRead()
{
    // A failed cancel must not hide the error that may be unwinding through here.
    try {
        m_query->Cancel(TCTLibEnhQuery::kCancelAll);
    } catch (...) {
    }
    m_query.reset();
}

void CatalogRead::setStatement(const QStringList& lines)
{
    m_query->ClearSQL();
    for (const QString& line : lines)
        m_query->AddSQL(line);
}

void CatalogRead::open(const QStringList& lines)
{
    setStatement(lines);
    m_query->Open();
}

void CatalogRead::describe(const QStringList& lines)
{
    setStatement(lines);
    m_query->DescribeColumns();
}

bool CatalogRead::next()
{
    return m_query->Next();
}

QString CatalogRead::text(int column) const
{
    return m_query->ColumnValue(column);
}

QByteArray CatalogRead::bytes(int column) const
{
    return m_query->ColumnBytes(column);
}

int CatalogRead::integer(int column) const
{
    return integerFromText(text(column));
}

int integerFromText(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw ESkelderError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString nameWithoutPadding(const QString& name)
{
    qsizetype end = name.size();
    while (end > 0 && name.at(end - 1) == QLatin1Char(' '))
        --end;
    return name.left(end);
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}
