#include "CTLibEnhQuery.h"

#include "CTLibBase.h"
#include "CTLibDatabase.h"
#include "QueryEngine.h"

#include <QThread>

TCTLibCustomQuery::TCTLibCustomQuery(QObject* owner)
    : QObject(owner && owner->thread() == QThread::currentThread() ? owner : nullptr),
      m_state(std::make_unique<TQueryState>()),
      m_owner(owner)
{
}

TCTLibCustomQuery::~TCTLibCustomQuery()
{
    try {
        Close();
    } catch (...) {
        // Destruction goes on whatever the server says.
    }
    QObject::disconnect(m_state->closingConnection);
    // The commands must go before the connection they belong to.
    if (!m_state->commandDatabase)
        TQueryEngine(*this).releaseCommands();
}

void TCTLibCustomQuery::setMsgDialogs(TMsgDialogs dialogs)
{
    m_msgDialogs = dialogs;
}
void TCTLibCustomQuery::setShowDbMessages(TShowDbMessages shown)
{
    m_showDbMessages = shown;
}

void TCTLibCustomQuery::setAutoDb(bool on)
{
    m_autoDb = on;
    if (on)
        UseDbParams = true;
}

// ---------------------------------------------------------------- SQL text

QString TCTLibCustomQuery::sentText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void TCTLibCustomQuery::setSQL(const QStringList& lines)
{
    if (lines.join(QStringLiteral("\r\n")) == m_sql.join(QStringLiteral("\r\n")))
        return;
    m_sql = lines;
    reparse();
}

void TCTLibCustomQuery::AddSQL(const QString& line)
{
    m_sql << line;
    reparse();
}

void TCTLibCustomQuery::ClearSQL()
{
    m_sql.clear();
    reparse();
}

void TCTLibCustomQuery::reparse()
{
    const TParsedSql parsed = ParseSqlParams(m_sql.join(QStringLiteral("\r\n")));
    TParams fresh;
    for (const QString& name : parsed.names) {
        if (fresh.FindParam(name))
            continue;
        TParam param;
        param.Name = name;
        fresh.Add(param);
    }
    fresh.AssignValues(m_params);
    for (TParam& param : fresh)
        param.ParamType = ptInput;
    m_params = fresh;
    m_parsedText = parsed.text;
}

// ---------------------------------------------------------------- execution

void TCTLibCustomQuery::prepareAutoDb()
{
    if (!m_autoDb)
        return;
    if (!m_autoDatabase) {
        m_autoDatabase = std::make_unique<TCTLibDatabase>();
        m_autoDatabase->SetName(m_autoDatabase->GeneratedName());
        DbName = m_autoDatabase->objectName();
    }
    if (UseDbParams)
        m_autoDatabase->ApplyParams(&AutoDbParams);
}

int TCTLibCustomQuery::Open()
{
    prepareAutoDb();
    m_state->fetchAll = false;
    m_state->walk.stopAfterStatus = false;
    return TQueryEngine(*this).executeCore();
}

int TCTLibCustomQuery::ExecSQL()
{
    m_state->fetchAll = true;
    m_state->walk.stopAfterStatus = false;
    const int result = TQueryEngine(*this).executeCore();
    Cancel(kCancelAll);
    return result;
}

bool TCTLibCustomQuery::Next()
{
    return TQueryEngine(*this).next();
}

void TCTLibCustomQuery::Cancel(int kind)
{
    TQueryEngine(*this).cancel(kind);
}

void TCTLibCustomQuery::Close()
{
    TQueryEngine engine(*this);
    TCTLibDatabase* db = FindDatabase(DbName);
    if (db && db->connected())
        engine.cancel(kCancelAll);
}

void TCTLibCustomQuery::DescribeColumns()
{
    TQueryEngine(*this).describeColumns();
}

// ---------------------------------------------------------------- columns

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

QString TCTLibCustomQuery::ColumnValue(int column) const
{
    const auto& buffers = m_state->buffers;
    if (column < 1 || column >= int(buffers.size()))
        return QString();
    const QString& text = buffers[size_t(column)].text;
    return TrimResults ? trimBlanks(text) : text;
}

QByteArray TCTLibCustomQuery::ColumnBytes(int column) const
{
    const auto& buffers = m_state->buffers;
    if (column < 1 || column >= int(buffers.size()))
        return QByteArray();
    return buffers[size_t(column)].bytes;
}

int TCTLibCustomQuery::ColumnCount() const
{
    return m_state->columnCount;
}

namespace {
const TColumnDescription* description(const TQueryState& state, int column)
{
    if (column < 1 || column > 255 || column >= int(state.columns.size()))
        return nullptr;
    return &state.columns[size_t(column)];
}
}  // namespace

QString TCTLibCustomQuery::ColumnName(int column)
{
    if (!m_state->described)
        DescribeColumns();
    const TColumnDescription* d = description(*m_state, column);
    return d ? d->name : QString();
}

int TCTLibCustomQuery::ColumnLength(int column)
{
    if (!m_state->described)
        DescribeColumns();
    const TColumnDescription* d = description(*m_state, column);
    return d ? d->maxLength : 0;
}

int TCTLibCustomQuery::ColumnScale(int column)
{
    if (!m_state->described)
        DescribeColumns();
    const TColumnDescription* d = description(*m_state, column);
    return d ? d->scale : 0;
}

int TCTLibCustomQuery::ColumnPrecision(int column)
{
    if (!m_state->described)
        DescribeColumns();
    const TColumnDescription* d = description(*m_state, column);
    return d ? d->precision : 0;
}

QString TCTLibCustomQuery::ColumnTypeName(int column) const
{
    const TColumnDescription* d = description(*m_state, column);
    return d ? DataTypeName(d->dataType) : QStringLiteral("illegal");
}

int TCTLibCustomQuery::ColumnDataType(int column) const
{
    const TColumnDescription* d = description(*m_state, column);
    return d ? d->dataType : -1;
}

quint16 TCTLibCustomQuery::ColumnStatus(int column) const
{
    const TColumnDescription* d = description(*m_state, column);
    if (!d)
        return 0;
    const quint32 status = quint32(d->status);
    quint16 set = quint16(status & 0x7ff);  // bits 0..10
    for (int bit = 13; bit <= 15; ++bit) {
        if (status & (1u << bit))
            set |= quint16(1u << (bit - 2));
    }
    return set;
}

int TCTLibCustomQuery::ComputeColumnCount() const
{
    return m_state->computeColumnCount;
}

int TCTLibCustomQuery::ComputeCount() const
{
    return m_state->computeCount;
}

QString TCTLibCustomQuery::ComputeColumnValue(int column) const
{
    const auto& buffers = m_state->computeBuffers;
    if (column < 1 || column >= int(buffers.size()))
        return QString();
    return buffers[size_t(column)].text;
}

QString TCTLibCustomQuery::ComputeColumnName(int column) const
{
    const auto& computes = m_state->computeColumns;
    if (column < 1 || column >= int(computes.size()))
        return QString();
    const TColumnDescription* selected =
        description(*m_state, computes[size_t(column)].computeColumn);
    return selected ? selected->name : QString();
}

QString TCTLibCustomQuery::ComputeColumnTypeName(int column) const
{
    const auto& computes = m_state->computeColumns;
    if (column < 1 || column >= int(computes.size()))
        return QStringLiteral("illegal");
    return DataTypeName(computes[size_t(column)].dataType);
}

int TCTLibCustomQuery::ComputeOperator(int column) const
{
    const auto& computes = m_state->computeColumns;
    if (column < 1 || column >= int(computes.size()))
        return 0;
    return computes[size_t(column)].computeOperator;
}

int TCTLibCustomQuery::RowCount() const
{
    return m_state->rowCount;
}
int TCTLibCustomQuery::ReturnStatus() const
{
    return m_state->returnStatus;
}
int TCTLibCustomQuery::RowNumber() const
{
    return m_state->rowNumber;
}
int TCTLibCustomQuery::RowsFetched() const
{
    return m_state->rowsFetched;
}
QString TCTLibCustomQuery::CursorName() const
{
    return m_state->cursorName;
}
bool TCTLibCustomQuery::Prepared() const
{
    return m_state->prepared;
}
int TCTLibCustomQuery::CommandNumber() const
{
    return m_state->commandNumber;
}

// ---------------------------------------------------------------- messages

TMessageReporter* TCTLibCustomQuery::ownerReporter() const
{
    QObject* owner = m_owner;
    if (auto* database = qobject_cast<TCTLibDatabase*>(owner))
        return database;
    if (auto* bound = qobject_cast<TCTLibBase*>(owner))
        return bound;
    return nullptr;
}

void TCTLibCustomQuery::setLastError(const QString& text)
{
    TMessageReporter::setLastError(text);
    if (TMessageReporter* owner = ownerReporter())
        owner->setLastError(text);
}

void TCTLibCustomQuery::setLastMessage(const QString& text)
{
    TMessageReporter::setLastMessage(text);
    if (TMessageReporter* owner = ownerReporter())
        owner->setLastMessage(text);
}

void TCTLibCustomQuery::setLastServerMessage(const TServerMessage& message)
{
    TMessageReporter::setLastServerMessage(message);
    if (TMessageReporter* owner = ownerReporter())
        owner->setLastServerMessage(message);
}

QStringList TCTLibCustomQuery::ReturnParamValues() const
{
    return m_state->returnValues;
}
