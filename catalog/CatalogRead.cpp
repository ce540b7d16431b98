#include "CatalogRead.h"

#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "Exceptions.h"

namespace {
// Stored texts come in pieces that are joined as bytes (see GetStoredText); the other
// reads need only the texts.
bool joinedAsBytes(CatalogStatements::CatalogSet set)
{
    return set == CatalogStatements::CatalogSet::Texts;
}
}  // namespace

CatalogRead::CatalogRead(TCTLibObjInfo& reader, Mode mode, Results results)
    : m_reader(reader), m_mode(mode), m_results(results)
{
}

CatalogRead::~CatalogRead()
{
    if (!m_query)
        return;
    // A failed cancel must not hide the error that may be unwinding through here.
    try {
        m_query->Cancel(TCTLibEnhQuery::kCancelAll);
    } catch (...) {
    }
    m_query.reset();
}

// Made on first use only: reads answered from memory need no query and no wait cursor.
TCTLibEnhQuery& CatalogRead::query()
{
    if (m_query)
        return *m_query;
    m_cursor.emplace(m_reader.UseExecCursor);
    m_query = std::make_unique<TCTLibEnhQuery>(&m_reader);
    TCTLibEnhQuery& q = *m_query;
    q.IsCursor = m_mode == Mode::Cursor;
    q.ReadOnly = true;
    q.TrimResults = m_results == Results::Trimmed;
    q.setMsgDialogs(m_reader.MsgDialogs);
    q.setShowDbMessages(m_reader.ShowDbMessages);
    q.OnDbError = m_reader.OnDbError;
    q.AfterDbError = m_reader.AfterDbError;
    q.OnDbMessage = m_reader.OnDbMessage;
    q.AfterDbMessage = m_reader.AfterDbMessage;
    q.CurFetchRows = 50;
    q.DbName = m_reader.DbName;
    return q;
}

void CatalogRead::setStatement(const QStringList& lines)
{
    if (m_reader.StopRequested && m_reader.StopRequested())
        throw ECancelled();
    query().ClearSQL();
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
    Mode keyedMode = m_mode;
    if (TCatalogSnapshot* snapshot = m_reader.snapshot()) {
        // A selection's ids come with its Objects rows.
        if (snapshot->scoped() && !snapshot->holds(CatalogStatements::CatalogSet::Objects))
            storeInSnapshot(*snapshot, CatalogStatements::CatalogSet::Objects);
        if (snapshot->covers(set, key)) {
            if (!snapshot->holds(set))
                storeInSnapshot(*snapshot, set);
            return serve(snapshot->rows(set, key), snapshot->keyColumnCount(set));
        }
        // Outside a selection's scope: read for the key alone, as one batch too.
        keyedMode = Mode::LanguageCommand;
    }
    TCatalogMemo* memo = m_reader.memo();
    if (!memo)
        return open(CatalogStatements::forKey(set, m_reader.SelectDb(), key));
    const TCatalogMemo::Rows* rows = memo->find(set, key);
    if (!rows) {
        rows = &memo->store(set, key,
                            readRows(CatalogStatements::forKey(set, m_reader.SelectDb(), key),
                                     keyedMode, joinedAsBytes(set)));
    }
    QList<const TCatalogSnapshot::Row*> served;
    for (const TCatalogSnapshot::Row& row : *rows)
        served << &row;
    serve(served, 0);
}

// The rows of `set` for the snapshot's whole database or selection, as plain language
// batches whose rows are fetched as they come.
void CatalogRead::storeInSnapshot(TCatalogSnapshot& snapshot, CatalogStatements::CatalogSet set)
{
    if (!snapshot.scoped()) {
        snapshot.store(set, readRows(CatalogStatements::wholeDatabase(set, snapshot.database()),
                                     Mode::LanguageCommand, joinedAsBytes(set)));
        return;
    }
    const QStringList keys = snapshot.scopeKeys(set);
    snapshot.store(set, keys.isEmpty() ? std::vector<TCatalogSnapshot::Row>()
                                       : readRows(CatalogStatements::scopedRead(
                                                      set, snapshot.database(), keys),
                                                  Mode::LanguageCommand, joinedAsBytes(set)));
    // The tables' triggers in one more read, rather than one each.
    const QStringList triggers =
        set == CatalogStatements::CatalogSet::Objects ? snapshot.triggersToAdd() : QStringList();
    if (!triggers.isEmpty())
        snapshot.addObjects(
            readRows(CatalogStatements::scopedRead(set, snapshot.database(), triggers),
                     Mode::LanguageCommand, false));
}

void CatalogRead::serve(QList<const TCatalogSnapshot::Row*> rows, int keyColumns)
{
    m_fromMemory = true;
    m_rows = std::move(rows);
    m_row = -1;
    m_keyColumns = keyColumns;
}

std::vector<TCatalogSnapshot::Row> CatalogRead::readRows(const QStringList& lines, Mode mode,
                                                         bool keepBytes)
{
    CatalogRead read(m_reader, mode, Results::AsStored);
    read.open(lines);
    std::vector<TCatalogSnapshot::Row> rows;
    while (read.next()) {
        const int columns = read.query().ColumnCount();
        QStringList texts;
        QList<QByteArray> bytes;
        for (int column = 1; column <= columns; ++column) {
            texts << read.query().ColumnValue(column);
            if (keepBytes)
                bytes << read.query().ColumnBytes(column);
        }
        rows.emplace_back(texts, bytes);
    }
    return rows;
}

const TCatalogSnapshot::Row* CatalogRead::currentRow() const
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
    if (!m_fromMemory)
        return m_query && m_query->Next();
    if (m_row >= int(m_rows.size()))
        return false;
    return ++m_row < int(m_rows.size());
}

QString CatalogRead::text(int column) const
{
    if (!m_fromMemory)
        return m_query ? m_query->ColumnValue(column) : QString();
    const TCatalogSnapshot::Row* row = currentRow();
    const int at = m_keyColumns + column - 1;
    if (!row || column < 1)
        return QString();
    const QString value = row->text(at);
    return m_results == Results::Trimmed ? trimBlanks(value) : value;
}

QByteArray CatalogRead::bytes(int column) const
{
    if (!m_fromMemory)
        return m_query ? m_query->ColumnBytes(column) : QByteArray();
    const TCatalogSnapshot::Row* row = currentRow();
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

QByteArray binaryFromText(const QString& text)
{
    QString hex = trimBlanks(text);
    if (hex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        hex.remove(0, 2);
    return QByteArray::fromHex(hex.toLatin1());
}

QString nameWithoutPadding(const QString& name)
{
    qsizetype end = name.size();
    while (end > 0 && name.at(end - 1) == QLatin1Char(' '))
        --end;
    return name.left(end);
}
