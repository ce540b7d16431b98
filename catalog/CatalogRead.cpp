#include "CatalogRead.h"

#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "Exceptions.h"

CatalogRead::CatalogRead(TCTLibObjInfo& reader, Mode mode, Results results)
    : m_reader(reader),
      m_results(results),
      m_cursor(reader.UseExecCursor),
      m_query(std::make_unique<TCTLibEnhQuery>(&reader))
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

void CatalogRead::open(CatalogStatements::CatalogSet set, const QStringList& key)
{
    TCatalogSnapshot* snapshot = m_reader.snapshot();
    if (!snapshot)
        return open(CatalogStatements::forKey(set, m_reader.SelectDb(), key));
    if (!snapshot->holds(set))
        load(*snapshot, set);
    m_fromSnapshot = true;
    m_rows = snapshot->rows(set, key);
    m_row = -1;
    m_keyColumns = CatalogStatements::keyColumnCount(set);
}

void CatalogRead::load(TCatalogSnapshot& snapshot, CatalogStatements::CatalogSet set)
{
    // Stored texts are joined as bytes (see GetStoredText); other reads need only texts.
    const bool keepBytes = set == CatalogStatements::CatalogSet::Texts;
    CatalogRead read(m_reader, Mode::LanguageCommand, Results::AsStored);
    read.open(CatalogStatements::wholeDatabase(set, snapshot.database()));
    std::vector<TCatalogSnapshot::Row> rows;
    while (read.next()) {
        const int columns = read.m_query->ColumnCount();
        QStringList texts;
        QList<QByteArray> bytes;
        for (int column = 1; column <= columns; ++column) {
            texts << read.m_query->ColumnValue(column);
            if (keepBytes)
                bytes << read.m_query->ColumnBytes(column);
        }
        rows.emplace_back(texts, bytes);
    }
    snapshot.store(set, std::move(rows));
}

const TCatalogSnapshot::Row* CatalogRead::snapshotRow() const
{
    if (m_rows.isEmpty())
        return nullptr;
    return m_rows.at(qBound(0, m_row, int(m_rows.size()) - 1));
}

void CatalogRead::describe(const QStringList& lines)
{
    setStatement(lines);
    m_query->DescribeColumns();
}

bool CatalogRead::next()
{
    if (!m_fromSnapshot)
        return m_query->Next();
    if (m_row >= int(m_rows.size()))
        return false;
    return ++m_row < int(m_rows.size());
}

QString CatalogRead::text(int column) const
{
    if (!m_fromSnapshot)
        return m_query->ColumnValue(column);
    const TCatalogSnapshot::Row* row = snapshotRow();
    const int at = m_keyColumns + column - 1;
    if (!row || column < 1)
        return QString();
    const QString value = row->text(at);
    return m_results == Results::Trimmed ? trimBlanks(value) : value;
}

QByteArray CatalogRead::bytes(int column) const
{
    if (!m_fromSnapshot)
        return m_query->ColumnBytes(column);
    const TCatalogSnapshot::Row* row = snapshotRow();
    const int at = m_keyColumns + column - 1;
    if (!row || column < 1)
        return QByteArray();
    return row->bytes(at);
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
