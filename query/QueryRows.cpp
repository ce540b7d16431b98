// Rows of a query: describing and binding columns, fetching, turning values into texts,
// compute rows, return parameters and the description run.
#include "QueryEngine.h"

#include "CTLibDatabase.h"
#include "CTLibException.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <cstring>

namespace {
QString describedName(const CS_DATAFMT& fmt)
{
    const size_t length = strnlen(fmt.name, sizeof fmt.name);
    return QString::fromUtf8(fmt.name, int(length)).left(30);
}

void fillDescription(TColumnDescription& d, const CS_DATAFMT& fmt, bool withStatus)
{
    d.name = describedName(fmt);
    d.nameLength = int(fmt.namelen);
    d.scale = int(fmt.scale);
    d.precision = int(fmt.precision);
    d.format = int(fmt.format);
    d.userType = int(fmt.usertype);
    if (withStatus)
        d.status = int(fmt.status);
}

bool isTextOrImage(CS_INT type)
{
    return type == CS_TEXT_TYPE || type == CS_IMAGE_TYPE;
}
}  // namespace

int DisplayLength(const CS_DATAFMT& fmt)
{
    const int m = int(fmt.maxlength);
    int d = 12;
    switch (fmt.datatype) {
        case CS_CHAR_TYPE:
        case CS_TEXT_TYPE:
        case CS_IMAGE_TYPE:
        case CS_VARCHAR_TYPE:
            d = m;
            break;
        case CS_BINARY_TYPE:
        case CS_VARBINARY_TYPE:
            d = std::min(2 * m + 2, std::max(m, 1024));
            break;
        case CS_TINYINT_TYPE:
        case CS_BIT_TYPE:
            d = 3;
            break;
        case CS_SMALLINT_TYPE:
            d = 6;
            break;
        case CS_INT_TYPE:
            d = 11;
            break;
        case CS_REAL_TYPE:
        case CS_FLOAT_TYPE:
        case CS_MONEY_TYPE:
        case CS_MONEY4_TYPE:
            d = 24;
            break;
        case CS_DATETIME_TYPE:
        case CS_DATETIME4_TYPE:
            d = 30;
            break;
        case CS_NUMERIC_TYPE:
        case CS_DECIMAL_TYPE:
            d = 79;
            break;
        default:
            break;
    }
    return std::max(d, int(fmt.namelen));
}

QString DataTypeName(int dataType)
{
    static const char* const names[] = {
        "char",
        "binary",
        "char",
        "binary",
        "text",
        "image",
        "tinyint",
        "smallint",
        "int",
        "real",
        "float",
        "bit",
        "datetime",
        "smalldatetime",
        "money",
        "smallmoney",
        "numeric",
        "decimal",
        "varchar",
        "varbinary",
        "int",
        "sensitivity",
        "sensitivity_boundry",
    };
    if (dataType == -1)
        return QStringLiteral("illegal");
    if (dataType >= 0 && dataType < int(sizeof names / sizeof names[0]))
        return QString::fromLatin1(names[dataType]);
    return QStringLiteral("unknown");
}

// ---------------------------------------------------------------- binding

bool TQueryEngine::bindCharColumn(int item, TColumnDescription& d, TColumnBuffer& b, int rows)
{
    CS_DATAFMT fmt;
    std::memset(&fmt, 0, sizeof fmt);
    if (ct_describe(m_state.command.get(), item, &fmt) != CS_SUCCEED)
        return false;
    d.maxLength = int(fmt.maxlength);
    int width;
    if (isTextOrImage(fmt.datatype)) {
        width = int(fmt.maxlength);
        b.capacity = int(fmt.maxlength) - 1;
    } else {
        const int w1 = DisplayLength(fmt) + 1;
        fmt.maxlength = w1;
        width = DisplayLength(fmt) + 1;
        b.capacity = w1 - 1;
    }
    d.dataType = int(fmt.datatype);
    fmt.datatype = CS_CHAR_TYPE;
    fmt.format = CS_FMT_NULLTERM;
    fmt.count = rows;
    fmt.maxlength = width + 1;
    b.width = width + 1;
    b.data.assign(size_t(b.width) * size_t(rows), '\0');
    b.copied.assign(size_t(rows), 0);
    b.indicators.assign(size_t(rows), 0);
    fillDescription(d, fmt, m_query.IsCursor);
    d.format = CS_FMT_NULLTERM;
    return ct_bind(m_state.command.get(), item, &fmt, b.data.data(), b.copied.data(),
                   b.indicators.data()) == CS_SUCCEED;
}

int TQueryEngine::bindColumns()
{
    const int count = m_state.columnCount;
    m_state.columns.assign(size_t(count + 1), TColumnDescription());
    m_state.buffers.assign(size_t(count + 1), TColumnBuffer());
    m_state.described = true;
    bool bound = true;
    for (int i = 1; i <= count; ++i) {
        trace(QStringLiteral("Open-Client: ct_bind - Column Name : ") +
              m_state.columns[size_t(i)].name);
        bound = bindCharColumn(i, m_state.columns[size_t(i)], m_state.buffers[size_t(i)],
                               m_state.rowsPerFetch);
        if (!bound && m_state.buffers[size_t(i)].data.empty())
            return 0;  // ct_describe failed: the columns after it stay without buffers
    }
    fire(m_query.OnHeader);
    return bound ? 1 : 0;
}

void TQueryEngine::releaseBufferData()
{
    for (TColumnBuffer& b : m_state.buffers) {
        std::vector<char>().swap(b.data);
        b.copied.clear();
        b.indicators.clear();
    }
    m_state.batchRows = m_state.batchIndex = 0;
}

void TQueryEngine::releaseBuffers()
{
    releaseBufferData();
    for (TColumnBuffer& b : m_state.buffers)
        b.stream.clear();
}

// ---------------------------------------------------------------- fetching

void TQueryEngine::copyRowTexts(int row, bool rowFailed)
{
    for (size_t i = 1; i < m_state.buffers.size(); ++i) {
        TColumnBuffer& b = m_state.buffers[i];
        if (b.data.empty() || row >= int(b.indicators.size()))
            continue;
        // FreeTDS leaves the buffer of a NULL untouched: the indicator decides.
        if (b.indicators[size_t(row)] == -1) {
            b.text.clear();
            b.bytes.clear();
            b.copiedLength = 0;
            continue;
        }
        char* value = b.data.data() + size_t(row) * size_t(b.width);
        if (rowFailed)
            value[b.width - 1] = '\0';  // a truncated value arrives without terminator
        b.bytes = QByteArray(value, int(strnlen(value, size_t(b.width))));
        b.text = QString::fromUtf8(b.bytes);
        b.copiedLength = int(b.copied[size_t(row)]);
    }
}

// FreeTDS writes nothing for a value it fails to convert; emptied buffers keep such a
// value from showing the previous row's text.
void TQueryEngine::clearRowBuffers()
{
    for (size_t i = 1; i < m_state.buffers.size(); ++i) {
        TColumnBuffer& b = m_state.buffers[i];
        if (b.width <= 0)
            continue;
        for (size_t offset = 0; offset < b.data.size(); offset += size_t(b.width))
            b.data[offset] = '\0';
    }
}

int TQueryEngine::fetchRow()
{
    if (m_state.batchIndex + 1 < m_state.batchRows) {
        ++m_state.batchIndex;
        copyRowTexts(m_state.batchIndex, false);
        return deliverRow();
    }
    trace(QStringLiteral("Open-Client: ct_fetch"));
    clearRowBuffers();
    CS_INT rows = 0;
    const CS_RETCODE ret = ct_fetch(m_state.command.get(), CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows);
    if (!m_query.TextImage && (ret == CS_SUCCEED || ret == CS_ROW_FAIL))
        copyRowTexts(0, ret == CS_ROW_FAIL);
    switch (ret) {
        case CS_SUCCEED:
            m_state.batchRows = std::max(1, int(rows));
            m_state.batchIndex = 0;
            return deliverRow();
        case CS_END_DATA:
            trace(QStringLiteral("CS_END_DATA"));
            m_state.walk.rowPending = false;
            m_state.batchRows = m_state.batchIndex = 0;
            m_state.walk.afterEndOfData = true;
            try {
                readResults();
            } catch (...) {
                m_state.walk.afterEndOfData = false;
                throw;
            }
            m_state.walk.afterEndOfData = false;
            return 0;
        case CS_ROW_FAIL:
            // The rows after it are still to be fetched, not the next result.
            m_state.walk.rowHandedOut();
            m_state.batchRows = m_state.batchIndex = 0;
            return 1;
        case CS_FAIL:
            // After a cancel the fetch is expected to fail.
            if (m_state.walk.commandBusy)
                raiseFailedCall("ct_fetch");
            return 0;
        case CS_CANCELED:
            if (!m_state.walk.attentionSent)
                raiseUnaskedCancel();
            m_state.walk.commandEnded();
            return 0;
        default:
            return 0;
    }
}

int TQueryEngine::deliverRow()
{
    CS_INT columns = m_state.columnCount;
    ct_res_info(m_state.command.get(), CS_NUMDATA, &columns, CS_UNUSED, nullptr);
    m_state.columnCount = int(columns);
    if (m_query.TextImage)
        readRowWithGetData();
    if (m_query.LocalDtFmt)
        applyLocalDateFormat();
    if (m_query.KeepHistory) {
        QStringList row;
        for (size_t i = 1; i < m_state.buffers.size(); ++i)
            row << m_state.buffers[i].text;
        m_state.history.push_back(row);
    }
    if (m_query.Monitor)
        traceRow();
    if (m_query.IsCursor)
        ++m_state.rowCount;
    m_state.walk.rowHandedOut();
    int result = 1;
    bool limitReached = false;
    if (m_query.MaxRows > 0 && m_state.rowNumber >= m_query.MaxRows) {
        fire(m_query.OnMaxRows);
        m_state.walk.finished();
        limitReached = true;
        result = 0;
    }
    ++m_state.rowNumber;
    ++m_state.rowsFetched;
    fire(m_query.OnResultRow);
    // Unread rows would keep every other command of the connection waiting.
    if (limitReached)
        cancel(TCTLibCustomQuery::kCancelAll);
    if (m_state.walk.stopAfterStatus) {
        cancel(TCTLibCustomQuery::kCancelAll);
        result = 0;
    }
    return result;
}

void TQueryEngine::traceRow() const
{
    for (size_t i = 1; i < m_state.columns.size(); ++i) {
        const TColumnDescription& d = m_state.columns[i];
        const QString type = DataTypeName(d.dataType);
        QString line = QStringLiteral("SQL Data Out: Column = ") + QString::number(i) +
                       QStringLiteral(", Name = ") + d.name + QStringLiteral(", Type = ") + type +
                       QStringLiteral(", Precision = ") + QString::number(d.precision) +
                       QStringLiteral(", Scale = ") + QString::number(d.scale);
        if (type == QLatin1String("text") || type == QLatin1String("image"))
            line += QStringLiteral(", Data = <") + type + QLatin1Char('>');
        else
            line += QStringLiteral(", Data = ") + m_query.ColumnValue(int(i));
        trace(line);
    }
}

QString TQueryEngine::convertToText(const CS_DATAFMT& source, const void* data, CS_INT length) const
{
    CS_DATAFMT from = source;
    from.maxlength = length;
    CS_DATAFMT to;
    std::memset(&to, 0, sizeof to);
    to.datatype = CS_CHAR_TYPE;
    to.format = CS_FMT_NULLTERM;
    to.maxlength = 1024;
    char buffer[1024] = {};
    CS_INT outlen = 0;
    cs_convert(m_state.context, &from, const_cast<void*>(data), &to, buffer, &outlen);
    return QString::fromUtf8(buffer, int(strnlen(buffer, sizeof buffer)));
}

void TQueryEngine::applyLocalDateFormat()
{
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    for (size_t i = 1; i < m_state.buffers.size() && i < m_state.columns.size(); ++i) {
        const QString type = DataTypeName(m_state.columns[i].dataType);
        TColumnBuffer& b = m_state.buffers[i];
        if ((type != QLatin1String("datetime") && type != QLatin1String("smalldatetime")) ||
            b.text.trimmed().isEmpty())
            continue;
        QByteArray text = b.text.toUtf8();
        CS_DATAFMT from;
        std::memset(&from, 0, sizeof from);
        from.datatype = CS_CHAR_TYPE;
        from.maxlength = CS_INT(text.size());
        CS_DATAFMT to;
        std::memset(&to, 0, sizeof to);
        to.datatype = CS_DATETIME_TYPE;
        to.maxlength = sizeof(CS_DATETIME);
        CS_DATETIME value{0, 0};
        CS_INT outlen = 0;
        if (cs_convert(m_state.context, &from, text.data(), &to, &value, &outlen) != CS_SUCCEED)
            continue;
        const QDateTime local(QDate(1900, 1, 1).addDays(value.dtdays),
                              QTime(0, 0).addSecs(int(value.dttime / 300)));
        QString formatted = locale.toString(local.date(), QLocale::ShortFormat);
        if (local.time() != QTime(0, 0))
            formatted += QLatin1Char(' ') + locale.toString(local.time(), timeFormat);
        b.text = formatted;
    }
}

// ---------------------------------------------------------------- ct_get_data mode

void TQueryEngine::readRowWithGetData()
{
    const int count = m_state.columnCount;
    m_state.columns.assign(size_t(count + 1), TColumnDescription());
    m_state.buffers.assign(size_t(count + 1), TColumnBuffer());
    m_state.described = true;
    for (int i = 1; i <= count; ++i) {
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        if (ct_describe(m_state.command.get(), i, &fmt) != CS_SUCCEED)
            break;
        TColumnDescription& d = m_state.columns[size_t(i)];
        fillDescription(d, fmt, m_query.IsCursor);
        d.maxLength = int(fmt.maxlength);
        d.dataType = int(fmt.datatype);
        m_state.buffers[size_t(i)].capacity = DisplayLength(fmt);
        m_state.buffers[size_t(i)].text = readColumnWithGetData(i, fmt);
    }
}

QString TQueryEngine::readColumnWithGetData(int column, const CS_DATAFMT& fmt)
{
    CS_COMMAND* command = m_state.command.get();
    TColumnBuffer& b = m_state.buffers[size_t(column)];
    b.stream.clear();
    const CS_INT type = fmt.datatype;
    if (type >= CS_CHAR_TYPE && type <= CS_IMAGE_TYPE) {
        char chunk[1024];
        for (;;) {
            CS_INT outlen = 0;
            const CS_RETCODE ret = ct_get_data(command, column, chunk, sizeof chunk, &outlen);
            if (outlen > 0)
                b.stream.append(chunk, outlen);
            if (ret != CS_SUCCEED && ret != CS_ROW_FAIL)
                break;
        }
        b.copiedLength = int(b.stream.size()) + 1;
        const bool isBinary =
            type == CS_BINARY_TYPE || type == CS_LONGBINARY_TYPE || type == CS_IMAGE_TYPE;
        b.bytes = b.stream;
        return isBinary ? QString::fromLatin1(b.stream) : QString::fromUtf8(b.stream);
    }
    int size = 0;
    switch (type) {
        case CS_TINYINT_TYPE:
        case CS_BIT_TYPE:
            size = 1;
            break;
        case CS_SMALLINT_TYPE:
        case CS_USHORT_TYPE:
            size = 2;
            break;
        case CS_INT_TYPE:
        case CS_LONG_TYPE:
        case CS_REAL_TYPE:
        case CS_DATETIME4_TYPE:
        case CS_MONEY4_TYPE:
            size = 4;
            break;
        case CS_FLOAT_TYPE:
        case CS_DATETIME_TYPE:
        case CS_MONEY_TYPE:
            size = 8;
            break;
        case CS_NUMERIC_TYPE:
        case CS_DECIMAL_TYPE:
            size = sizeof(CS_NUMERIC);
            break;
        default:
            return QString();
    }
    alignas(8) unsigned char data[sizeof(CS_NUMERIC) + 8] = {};
    CS_INT outlen = 0;
    ct_get_data(command, column, data, size, &outlen);
    if (outlen <= 0)
        return QString();  // NULL
    switch (type) {
        case CS_TINYINT_TYPE:
        case CS_BIT_TYPE:
            return QString::number(data[0]);
        case CS_SMALLINT_TYPE: {
            CS_SMALLINT v;
            std::memcpy(&v, data, sizeof v);
            return QString::number(v);
        }
        case CS_USHORT_TYPE: {
            CS_USHORT v;
            std::memcpy(&v, data, sizeof v);
            return QString::number(v);
        }
        case CS_INT_TYPE:
        case CS_LONG_TYPE: {
            CS_INT v;
            std::memcpy(&v, data, sizeof v);
            return QString::number(v);
        }
        case CS_NUMERIC_TYPE:
        case CS_DECIMAL_TYPE: {
            m_state.columns[size_t(column)].precision = data[0];
            m_state.columns[size_t(column)].scale = data[1];
            CS_DATAFMT source = fmt;
            source.precision = data[0];
            source.scale = data[1];
            return convertToText(source, data, outlen);
        }
        default:
            return convertToText(fmt, data, outlen);
    }
}

// ---------------------------------------------------------------- compute rows

void TQueryEngine::readComputeRow()
{
    CS_COMMAND* command = m_state.command.get();
    // FreeTDS refuses CS_NUM_COMPUTES; the compute results seen so far are the count.
    ++m_state.computeCount;
    trace(QStringLiteral("Open-Client: ct_res_info(CS_NUM_COMPUTES) - Number of Computes : ") +
          QString::number(m_state.computeCount));
    CS_INT count = 0;
    ct_res_info(command, CS_NUMDATA, &count, CS_UNUSED, nullptr);
    m_state.computeColumnCount = int(count);
    trace(QStringLiteral("Open-Client: ct_res_info(CS_NUMDATA) - Number of columns in Compute : ") +
          QString::number(count));
    m_state.computeColumns.assign(size_t(count + 1), TColumnDescription());
    m_state.computeBuffers.assign(size_t(count + 1), TColumnBuffer());
    bool bound = true;
    for (int i = 1; i <= count; ++i) {
        trace(QStringLiteral("Open-Client: ct_bind (Compute) - Column Name : ") +
              m_state.computeColumns[size_t(i)].name);
        bound = bindCharColumn(i, m_state.computeColumns[size_t(i)],
                               m_state.computeBuffers[size_t(i)], 1);
    }
    if (!bound) {
        m_state.computeBuffers.assign(size_t(count + 1), TColumnBuffer());
        return;
    }
    for (int i = 1; i <= count; ++i) {
        CS_INT op = 0, colid = 0, outlen = 0;
        ct_compute_info(command, CS_COMP_OP, i, &op, sizeof op, &outlen);
        ct_compute_info(command, CS_COMP_COLID, i, &colid, sizeof colid, &outlen);
        m_state.computeColumns[size_t(i)].computeOperator = int(op);
        m_state.computeColumns[size_t(i)].computeColumn = int(colid);
    }
    m_state.walk.hasRowResult = true;
    CS_INT rows = 0;
    const CS_RETCODE ret = ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows);
    for (int i = 1; i <= count; ++i) {
        TColumnBuffer& b = m_state.computeBuffers[size_t(i)];
        b.text =
            b.indicators.empty() || b.indicators[0] == -1
                ? QString()
                : QString::fromUtf8(b.data.data(), int(strnlen(b.data.data(), size_t(b.width))));
        if (m_query.Monitor) {
            const TColumnDescription& d = m_state.computeColumns[size_t(i)];
            trace(QStringLiteral("SQL Compute Data Out: Column = ") + QString::number(i) +
                  QStringLiteral(", Select-Column Name= ") + m_query.ComputeColumnName(i) +
                  QStringLiteral(", Type = ") + DataTypeName(d.dataType) +
                  QStringLiteral(", Precision = ") + QString::number(d.precision) +
                  QStringLiteral(", Scale = ") + QString::number(d.scale) +
                  QStringLiteral(", Data = ") + b.text);
        }
    }
    fire(m_query.OnComputeRow);
    if (ret == CS_SUCCEED)
        discardRows(command);
    for (TColumnBuffer& b : m_state.computeBuffers) {
        std::vector<char>().swap(b.data);
        b.indicators.clear();
        b.copied.clear();
    }
}

// ---------------------------------------------------------------- return parameters

void TQueryEngine::readReturnParams()
{
    CS_COMMAND* command = m_state.command.get();
    trace(QStringLiteral("Flow : ** Start of obtaining Return parameters **"));
    CS_INT count = 0;
    ct_res_info(command, CS_NUMDATA, &count, CS_UNUSED, nullptr);
    trace(QStringLiteral("Open-Client: ct_res_info(CS_NUMDATA) - Number of parameters : ") +
          QString::number(count));
    std::vector<TColumnDescription> descriptions(size_t(count + 1));
    std::vector<TColumnBuffer> buffers(size_t(count + 1));
    for (int i = 1; i <= count; ++i)
        bindCharColumn(i, descriptions[size_t(i)], buffers[size_t(i)], 1);
    discardRows(command);
    QStringList values;
    for (int i = 1; i <= count; ++i) {
        const TColumnBuffer& b = buffers[size_t(i)];
        values << (b.indicators.empty() || b.indicators[0] == -1
                       ? QString()
                       : QString::fromUtf8(b.data.data(),
                                           int(strnlen(b.data.data(), size_t(b.width)))));
    }
    int position = 0;
    for (TParam& param : m_query.m_params) {
        if (param.ParamType != ptOutput)
            continue;
        if (position < values.size())
            param.Value = values.at(position);
        ++position;
    }
    if (m_query.Monitor) {
        for (int k = 1; k <= count; ++k) {
            const TColumnDescription& d = descriptions[size_t(k)];
            trace(QStringLiteral("SQL Parameter Data Out: Column = ") + QString::number(k) +
                  QStringLiteral(", Parameter Name= ") + d.name + QStringLiteral(", Type = ") +
                  DataTypeName(d.dataType) + QStringLiteral(", Precision = ") +
                  QString::number(d.precision) + QStringLiteral(", Scale = ") +
                  QString::number(d.scale) + QStringLiteral(", Data = ") + values.value(k - 1));
        }
    }
    m_state.returnValues = values;
    fire(m_query.OnReturnParams);
    trace(QStringLiteral("Flow : ** End of obtaining Return parameters **"));
}

// ---------------------------------------------------------------- description run

void TQueryEngine::describeColumns()
{
    m_query.IsCursor = true;
    m_query.ReadOnly = true;
    TCTLibDatabase* db = database();
    if (db->Rdbms == kSybaseSqlServer)
        m_state.serverKind = 0;
    else if (db->Rdbms == kSqlAnywhere)
        m_state.serverKind = 1;
    cancel(TCTLibCustomQuery::kCancelAll);
    m_state.command.reset();
    m_state.walk.commandEnded();
    db->RestartIdleTimer();
    if (!db->connected() && m_query.AutoConnect)
        db->Connect();
    if (!db->connected())
        throw EDatabaseError(QStringLiteral("Cannot login to server '%1'").arg(db->ServerName),
                             &m_query);
    m_state.raiseOnError = true;
    deriveSwitches();

    const TProcOptions savedOptions = db->ProcOptions;
    db->ApplyProcOptions(poFormatOnly);
    renewCommand(m_state.command);
    CS_COMMAND* command = m_state.command.get();
    m_state.cursorName = cursorName(QStringLiteral("cur"));
    try {
        QByteArray name = m_state.cursorName.toUtf8();
        QByteArray sql = joinedSql().toUtf8();
        ct_cursor(command, CS_CURSOR_DECLARE, name.data(), CS_NULLTERM, sql.data(), CS_NULLTERM,
                  CS_READ_ONLY);
        processMessages();
        ct_cursor(command, CS_CURSOR_ROWS, nullptr, CS_UNUSED, nullptr, CS_UNUSED,
                  std::max(1, m_query.CurFetchRows));
        processMessages();
        ct_cursor(command, CS_CURSOR_OPEN, nullptr, CS_UNUSED, nullptr, CS_UNUSED, CS_UNUSED);
        processMessages();
        traceStatement(QStringLiteral("cursor %1, format only").arg(m_state.cursorName),
                       joinedSql());
        m_state.walk.sent(ct_send(command) == CS_SUCCEED);
        processMessages();
        m_state.columnCount = 0;
        CS_INT type = 0;
        CS_RETCODE ret = CS_SUCCEED;
        while (readResultType(type, ret)) {
            processMessages();
            if (type != CS_ROW_RESULT && type != CS_CURSOR_RESULT && type != CS_COMPUTE_RESULT)
                continue;
            CS_INT count = 0;
            ct_res_info(command, CS_NUMDATA, &count, CS_UNUSED, nullptr);
            m_state.columnCount = int(count);
            if (count < 1)
                break;
            m_state.columns.assign(size_t(count + 1), TColumnDescription());
            m_state.buffers.assign(size_t(count + 1), TColumnBuffer());
            m_state.described = true;
            for (int i = 1; i <= count; ++i) {
                CS_DATAFMT fmt;
                std::memset(&fmt, 0, sizeof fmt);
                ct_describe(command, i, &fmt);
                TColumnDescription& d = m_state.columns[size_t(i)];
                fillDescription(d, fmt, true);
                d.maxLength = int(fmt.maxlength);
                d.dataType = int(fmt.datatype);
            }
            CS_INT rows = 0;
            CS_RETCODE fetched;
            do {
                fetched = ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows);
            } while (fetched == CS_SUCCEED || fetched == CS_ROW_FAIL);
        }
    } catch (...) {
        db->ApplyProcOptions(savedOptions);
        cancel(TCTLibCustomQuery::kCancelAll);
        m_state.command.reset();
        throw;
    }
    db->ApplyProcOptions(savedOptions);
    cancel(TCTLibCustomQuery::kCancelAll);  // closes and deallocates the cursor
    m_state.command.reset();
    m_state.walk.commandEnded();
}
