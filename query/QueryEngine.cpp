// The execution core of the query: sending, walking the results, cancelling, and
// prepared statements. Rows and columns are in QueryRows.cpp.
#include "QueryEngine.h"

#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "SqlMonitor.h"
#include "StatementTrace.h"
#include "TimeoutPolicy.h"
#include "UserInterface.h"

#include <QDateTime>
#include <cmath>
#include <cstring>

namespace {
bool isBlankSql(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}
}  // namespace

// ---------------------------------------------------------------- helpers

CS_RETCODE discardRows(CS_COMMAND* command)
{
    CS_INT rows = 0;
    CS_RETCODE fetched = CS_SUCCEED;
    while ((fetched = ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows)) == CS_SUCCEED ||
           fetched == CS_ROW_FAIL) {
    }
    return fetched;
}

TCTLibDatabase* TQueryEngine::database()
{
    CheckDatabaseName(m_query.DbName, &m_query);
    return FindDatabase(m_query.DbName);
}

void TQueryEngine::deriveSwitches()
{
    m_state.switches =
        TDiagSwitches::from(m_state.raiseOnError, m_query.m_showDbMessages, m_query.m_msgDialogs);
}

void TQueryEngine::processMessages()
{
    if (TCTLibDatabase* db = FindDatabase(m_query.DbName))
        db->throwIfAnswerTimedOut(&m_query);
    m_state.switches.raise = m_state.raiseOnError;
    ProcessDiagMessages(m_state.connection, m_query, m_state.switches);
}

void TQueryEngine::processMessagesCancelling()
{
    try {
        processMessages();
    } catch (...) {
        cancel(TCTLibCustomQuery::kCancelAll);
        throw;
    }
}

// A call that failed instead of ending its results: the messages it left are reported
// first, in their own words; without one, the failure itself is.
void TQueryEngine::raiseFailedCall(const char* call)
{
    m_state.walk.commandEnded();
    processMessages();
    throw EDatabaseError(database()->failedCallText(call), &m_query);
}

QString TQueryEngine::joinedSql() const
{
    return TCTLibCustomQuery::sentText(m_query.m_sql);
}

QString TQueryEngine::timeStamp() const
{
    const QTime now = QTime::currentTime();
    return QString::number(now.hour()) + QString::number(now.minute()) +
           QString::number(now.second()) + QString::number(now.msec());
}

// Cursor names are the time stamp and a suffix; two names made within one millisecond
// would clash on the server while the first cursor is open, so a repeat counts up.
QString TQueryEngine::cursorName(const QString& suffix) const
{
    static QString lastStamp;
    static int repeats = 0;
    const QString stamp = timeStamp();
    repeats = stamp == lastStamp ? repeats + 1 : 0;
    lastStamp = stamp;
    return repeats == 0 ? stamp + suffix
                        : stamp + suffix + QLatin1Char('_') + QString::number(repeats);
}

void TQueryEngine::trace(const QString& text) const
{
    if (m_query.Monitor && m_query.owner())
        sendToSqlMonitor(text, quintptr(m_query.owner()));
}

void TQueryEngine::traceStatement(const QString& how, const QString& text)
{
    m_state.sentClock.start();
    TStatementTrace::statementSent(how, text);
}

void TQueryEngine::fire(const TNotifyEvent& event) const
{
    if (event)
        event(&m_query);
}

int TQueryEngine::cursorStatus()
{
    CS_INT status = CS_CURSTAT_NONE;
    if (!m_state.command || ct_cmd_props(m_state.command.get(), CS_GET, CS_CUR_STATUS, &status,
                                         CS_UNUSED, nullptr) != CS_SUCCEED)
        return CS_CURSTAT_NONE;
    return int(status);
}

// A command that was sent and not read to its end; the guard keeps a finished command
// from reading tokens that belong to another command of the connection.
bool TQueryEngine::readResultType(CS_INT& type, CS_RETCODE& ret)
{
    type = 0;
    if (!m_state.command || !m_state.walk.commandBusy) {
        ret = CS_END_RESULTS;
        return false;
    }
    ret = ct_results(m_state.command.get(), &type);
    if (ret != CS_SUCCEED) {
        m_state.walk.commandEnded();
        if (m_state.sentClock.isValid()) {
            TStatementTrace::resultsEnded(m_state.sentClock.elapsed());
            m_state.sentClock.invalidate();  // a cursor's close reads results again
        }
    }
    if (ret == CS_CANCELED && !m_state.walk.attentionSent)
        raiseUnaskedCancel();
    if (ret == CS_END_RESULTS)
        database()->throwIfAnswerOverran(&m_query);
    return ret == CS_SUCCEED;
}

// Results end as cancelled only after an attention, and cancel() reads those itself: an
// acknowledgement nobody asked for comes from a damaged reply, whose remaining bytes would
// be read as the answers to the next commands.
void TQueryEngine::raiseUnaskedCancel()
{
    m_state.walk.dropped();
    processMessages();
    throw EDatabaseError(kUnaskedCancelText, &m_query);
}

// ---------------------------------------------------------------- execution core

TAnswerDeadline* TQueryEngine::answerDeadline() const
{
    const TCTLibDatabase* db = FindDatabase(m_query.DbName);
    return db ? db->answerDeadline() : nullptr;
}

int TQueryEngine::executeCore()
{
    TCTLibDatabase* db = database();
    const TAnswerDeadline::Waiting waiting(db->answerDeadline());
    db->RestartIdleTimer();
    if (m_query.AutoConnect && !db->connected())
        db->Connect();
    if (!db->connected()) {
        if (!m_query.AutoConnect)
            return 0;
        const QString text = QStringLiteral("Cannot login to server '%1'").arg(db->ServerName);
        if (m_state.raiseOnError)
            throw EDatabaseError(text, &m_query);
        UserInterface::instance().showMessage(kErrorCaption, text, UserInterface::Icon::Error);
        return 0;
    }
    if (db->Rdbms == kSybaseSqlServer)
        m_state.serverKind = 0;
    else if (db->Rdbms == kSqlAnywhere)
        m_state.serverKind = 1;
    releaseBuffers();
    m_state.columnCount = 0;
    m_state.history.clear();

    const QString text = joinedSql();
    if (isBlankSql(text))
        throw EDatabaseError(QStringLiteral("No SQL statement available"), &m_query);
    if (m_state.prepared)
        unprepare();  // a row-at-a-time run may have kept it
    if (!m_query.m_params.IsEmpty())
        prepare();

    m_query.setLastError(QString());
    m_query.setLastMessage(QString());
    m_query.setLastServerMessage(TServerMessage());
    m_state.computeColumnCount = 0;
    if (!m_state.prepared)
        m_state.cursorName = cursorName(QStringLiteral("cur1"));
    m_state.returnStatus = 0;
    m_state.raiseOnError = true;
    deriveSwitches();
    m_state.rowCount = m_state.rowNumber = m_state.rowsFetched = m_state.commandNumber =
        m_state.computeCount = 0;
    m_state.returnValues.clear();
    m_state.batchRows = m_state.batchIndex = 0;

    int result = 0;
    try {
        renewCommand(m_state.command);
        fire(m_query.BeforeExec);
        m_state.walk.startCommand();
        result = sendCommand(text);
        if (m_state.fetchAll)
            readResults();
    } catch (...) {
        if (m_state.prepared) {
            try {
                unprepare();
            } catch (...) {
                // the first error is the one to report
            }
        }
        throw;
    }
    if (m_state.prepared) {
        // Rows handed out by Next need the statement until they have been read.
        if (m_state.fetchAll || !m_state.walk.resultsPending)
            unprepare();
        else
            m_state.unprepareAtEnd = true;
    }
    trace(QStringLiteral("Flow : ** End of SqlExec **"));
    return result;
}

void TQueryEngine::renewCommand(TCommandHandle& command)
{
    if (&command == &m_state.command) {
        cancel(TCTLibCustomQuery::kCancelAll);
    } else if (command) {
        ct_cancel(nullptr, command.get(), CS_CANCEL_ALL);
    }
    trace(QStringLiteral("Open-Client: ct_cmd_drop"));
    command.reset();
    if (&command == &m_state.command)
        m_state.walk.commandEnded();
    TCTLibDatabase* db = database();
    if (m_state.commandDatabase != db) {
        QObject::disconnect(m_state.closingConnection);
        m_state.closingConnection =
            QObject::connect(db, &TCTLibDatabase::closing, &m_query,
                             [query = &m_query] { TQueryEngine(*query).releaseCommands(); });
        m_state.commandDatabase = db;
    }
    m_state.connection = db->connectionHandle();
    m_state.context = db->contextHandle();
    CS_COMMAND* raw = nullptr;
    if (!m_state.connection || ct_cmd_alloc(m_state.connection, &raw) != CS_SUCCEED || !raw)
        throw ECTLibException(QStringLiteral("ct_cmd_alloc Failed"));
    command.reset(raw);
}

// The connection is closing: the commands die with it.
void TQueryEngine::releaseCommands()
{
    m_state.command.reset();
    m_state.prepCommand.reset();
    m_state.walk.dropped();
    m_state.prepared = false;
    m_state.unprepareAtEnd = false;
    m_state.connection = nullptr;
}

int TQueryEngine::sendCommand(const QString& text)
{
    cancel(TCTLibCustomQuery::kCancelAll);
    database()->throwIfAnswerOverran(&m_query);
    database()->startAnswer();
    if (m_state.prepared)
        sendPreparedExecute();  // also with IsCursor: FreeTDS declares no cursor on it
    else if (m_query.IsCursor)
        sendCursor(text);
    else
        sendLanguage(text);
    return 1;
}

void TQueryEngine::sendCursor(const QString& text)
{
    CS_COMMAND* command = m_state.command.get();
    QByteArray name = m_state.cursorName.toUtf8();
    QByteArray sql = text.toUtf8();
    trace(QStringLiteral("Open-Client: ct_cursor(CS_CURSOR_DECLARE)"));
    ct_cursor(command, CS_CURSOR_DECLARE, name.data(), CS_NULLTERM, sql.data(), CS_NULLTERM,
              m_query.ReadOnly ? CS_READ_ONLY : CS_FOR_UPDATE);
    // FreeTDS fetches only into arrays as long as the cursor's row count.
    m_state.rowsPerFetch = m_query.TextImage ? 1 : std::max(1, m_query.CurFetchRows);
    trace(QStringLiteral("Open-Client: ct_cursor(CS_CURSOR_ROWS)"));
    ct_cursor(command, CS_CURSOR_ROWS, nullptr, CS_UNUSED, nullptr, CS_UNUSED,
              m_state.rowsPerFetch);
    ct_cursor(command, CS_CURSOR_OPEN, nullptr, CS_UNUSED, nullptr, CS_UNUSED, CS_UNUSED);
    trace(QStringLiteral("SQL Execute: ") + text);
    traceStatement(QStringLiteral("cursor ") + m_state.cursorName, text);
    const CS_RETCODE sent = ct_send(command);
    m_state.walk.sent(sent == CS_SUCCEED);
    processMessagesCancelling();
    if (sent != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("23"));
    if (m_state.serverKind == 0) {
        // Declare and rows each answer CMD_SUCCEED, CMD_DONE before the cursor's rows.
        CS_INT type = 0;
        CS_RETCODE ret = CS_SUCCEED;
        for (int i = 0; i < 4; ++i)
            readResultType(type, ret);
    }
}

void TQueryEngine::sendLanguage(const QString& text)
{
    CS_COMMAND* command = m_state.command.get();
    QByteArray sql = text.toUtf8();
    const CS_RETCODE built = ct_command(command, CS_LANG_CMD, sql.data(), CS_NULLTERM, CS_UNUSED);
    processMessagesCancelling();
    if (built != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("22"));
    traceStatement(QStringLiteral("language"), text);
    const CS_RETCODE sent = ct_send(command);
    m_state.walk.sent(sent == CS_SUCCEED);
    processMessagesCancelling();
    if (sent != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("23"));
    trace(QStringLiteral("SQL Execute: ") + text);
}

// ---------------------------------------------------------------- results walk

int TQueryEngine::readResults()
{
    CS_INT type = 0;
    CS_RETCODE ret = CS_SUCCEED;
    auto nextResult = [&] {
        readResultType(type, ret);
        processMessagesCancelling();
    };
    try {
        readResultType(type, ret);
        processMessages();
    } catch (...) {
        if (m_state.prepared) {
            try {
                unprepare();
            } catch (...) {
            }
        }
        cancel(TCTLibCustomQuery::kCancelAll);
        throw;
    }
    if (ret == CS_FAIL)
        raiseFailedCall("ct_results");
    if (ret != CS_SUCCEED)
        return 0;
    int result = 0;
    while (ret == CS_SUCCEED) {
        trace(QStringLiteral("CS_SUCCEED"));
        result = 1;
        switch (type) {
            case CS_ROW_RESULT:
            case CS_CURSOR_RESULT: {
                trace(QStringLiteral("CS_ROW_RESULT"));
                m_state.walk.hasRowResult = true;
                CS_INT columns = 0;
                ct_res_info(m_state.command.get(), CS_NUMDATA, &columns, CS_UNUSED, nullptr);
                m_state.columnCount = int(columns);
                trace(
                    QStringLiteral("Open-Client: ct_res_info(CS_NUMDATA) - Number of columns : ") +
                    QString::number(columns));
                if (m_state.walk.afterEndOfData && !m_state.fetchAll) {
                    // Next hands out the first row result only; the rest is dropped
                    // here so that the last row's texts stay and the connection is free.
                    cancel(TCTLibCustomQuery::kCancelAll);
                    m_state.walk.resultsPending = false;
                    return result;
                }
                if (type == CS_ROW_RESULT)
                    m_state.rowsPerFetch = 1;
                if (!m_query.TextImage)
                    bindColumns();
                if (!m_state.fetchAll)
                    return fetchRow();
                while (fetchRow() == 1) {
                }
                if (!m_state.walk.resultsPending)
                    return result;  // MaxRows ended the stream
                break;
            }
            case CS_STATUS_RESULT:
                trace(QStringLiteral("CS_STATUS_RESULT"));
                m_state.walk.inStatusResult = true;
                readReturnStatus();
                m_state.walk.inStatusResult = false;
                readAfterStatus();
                break;
            case CS_COMPUTE_RESULT:
                trace(QStringLiteral("CS_COMPUTE_RESULT"));
                readComputeRow();
                break;
            case CS_CMD_DONE: {
                trace(QStringLiteral("CS_CMD_DONE"));
                ++m_state.commandNumber;
                if (!m_query.IsCursor) {
                    CS_INT count = -1;
                    ct_res_info(m_state.command.get(), CS_ROW_COUNT, &count, CS_UNUSED, nullptr);
                    if (!m_state.walk.inStatusResult && count >= 0)
                        m_state.rowCount = int(count);
                }
                trace(QStringLiteral("Open-Client: ct_res_info(CS_ROW_COUNT) - Number of rows : ") +
                      QString::number(m_state.rowCount));
                fire(m_query.AfterCommand);
                if (!m_query.TextImage)
                    releaseBufferData();
                nextResult();
                if (ret == CS_FAIL)
                    raiseFailedCall("ct_results");
                if (ret != CS_SUCCEED)
                    return 0;
                continue;
            }
            case CS_CMD_SUCCEED: {
                trace(QStringLiteral("CS_CMD_SUCCEED"));
                CS_INT count = -1;
                ct_res_info(m_state.command.get(), CS_ROW_COUNT, &count, CS_UNUSED, nullptr);
                if (count == -1) {
                    CS_INT discarded = 0;
                    CS_RETCODE ignored = CS_SUCCEED;
                    readResultType(discarded, ignored);
                }
                // A cursor counts the rows it handed out; the count of its last fetch
                // would overwrite them.
                if (!m_state.walk.inStatusResult && count >= 0 &&
                    !(m_query.IsCursor && m_state.rowsFetched > 0))
                    m_state.rowCount = int(count);
                m_state.walk.hasRowResult = false;
                if (!m_query.KeepHistory)
                    m_state.columnCount = 0;
                fire(m_query.AfterCommand);
                break;
            }
            case CS_CMD_FAIL: {
                trace(QStringLiteral("CS_CMD_FAIL"));
                const int number = m_query.m_lastServerMessage.number;
                if (number == 4022 || number == 7742)
                    return result;
                m_state.walk.hasRowResult = false;
                cancel(TCTLibCustomQuery::kCancelAll);
                throw EDatabaseError(QStringLiteral("Command failed"), &m_query);
            }
            case CS_PARAM_RESULT:
            case CS_MSG_RESULT:
            case CS_DESCRIBE_RESULT:
            case CS_COMPUTEFMT_RESULT: {
                if (type == CS_PARAM_RESULT)
                    trace(QStringLiteral("CS_PARAM_RESULT"));
                else if (type == CS_MSG_RESULT)
                    trace(QStringLiteral("CS_MSG_RESULT"));
                else if (type == CS_DESCRIBE_RESULT)
                    trace(QStringLiteral("CS_DESCRIBE_RESULT"));
                discardRows(m_state.command.get());
                break;
            }
            case CS_ROWFMT_RESULT:
                trace(QStringLiteral("CS_ROWFMT_RESULT"));
                break;
            default:
                trace(QStringLiteral("ERROR"));
                break;
        }
        nextResult();
    }
    if (ret == CS_FAIL)
        raiseFailedCall("ct_results");
    return result;
}

void TQueryEngine::readReturnStatus()
{
    trace(QStringLiteral("Flow : ** Start of obtaining Return Status **"));
    CS_COMMAND* command = m_state.command.get();
    CS_DATAFMT fmt;
    std::memset(&fmt, 0, sizeof fmt);
    ct_describe(command, 1, &fmt);
    fmt.format = CS_FMT_UNUSED;
    fmt.datatype = CS_INT_TYPE;
    fmt.maxlength = sizeof(CS_INT);
    fmt.count = 1;
    CS_INT value = 0;
    CS_INT length = 0;
    CS_SMALLINT indicator = 0;
    CS_INT rows = 0;
    ct_bind(command, 1, &fmt, &value, &length, &indicator);
    ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows);
    m_state.returnStatus = int(value);
    trace(QStringLiteral("Open-Client: Return Status = ") + QString::number(value));
    for (TParam& param : m_query.m_params) {
        if (param.ParamType == ptResult)
            param.Value = int(value);
    }
    fire(m_query.OnReturnStatus);
    if (m_query.AbortOnNegStatus && value < 0 && m_state.raiseOnError) {
        cancel(TCTLibCustomQuery::kCancelAll);
        throw EAbort();
    }
    discardRows(command);
    trace(QStringLiteral("Flow : ** End of obtaining Return Status **"));
    m_state.walk.stopAfterStatus = true;
}

// FreeTDS delivers the output parameters right after the status and ends the
// procedure's results with CMD_SUCCEED, CMD_DONE; they are read here up to that DONE.
void TQueryEngine::readAfterStatus()
{
    CS_INT type = 0;
    CS_RETCODE ret = CS_SUCCEED;
    for (int i = 0; i < 4 && readResultType(type, ret); ++i) {
        if (type == CS_PARAM_RESULT)
            readReturnParams();
        else if (type == CS_CMD_DONE)
            break;
    }
}

// ---------------------------------------------------------------- Next, Cancel

bool TQueryEngine::next()
{
    const TAnswerDeadline::Waiting waiting(answerDeadline());
    int result = 0;
    if (m_query.KeepHistory && m_state.rowNumber < m_state.rowsFetched) {
        // Only stored rows lie behind RowNumber; nothing moves it back, so this stays idle.
        ++m_state.rowNumber;
        const QStringList& row = m_state.history.at(size_t(m_state.rowNumber - 1));
        for (int i = 1; i < int(m_state.buffers.size()) && i - 1 < row.size(); ++i) {
            m_state.buffers[size_t(i)].text = row.at(i - 1);
            m_state.buffers[size_t(i)].bytes = row.at(i - 1).toUtf8();
        }
        fire(m_query.OnResultRow);
        result = 1;
    } else if (m_state.walk.rowPending && m_state.walk.resultsPending) {
        result = fetchRow();
        if (m_state.walk.stopAfterStatus) {
            cancel(TCTLibCustomQuery::kCancelAll);
            result = 0;
        }
    } else if (m_state.walk.resultsPending) {
        result = readResults();
        if (m_state.walk.stopAfterStatus) {
            cancel(TCTLibCustomQuery::kCancelAll);
            result = 0;
        }
        if (result != 1)
            m_state.walk.finished();
    }
    if (m_state.walk.stopAfterStatus) {
        cancel(TCTLibCustomQuery::kCancelAll);
        return false;
    }
    if (result != 1 && m_state.unprepareAtEnd) {
        m_state.unprepareAtEnd = false;
        unprepare();
    }
    return result == 1;
}

void TQueryEngine::cancel(int kind)
{
    if (!m_state.command)
        return;
    if (!FindDatabase(m_query.DbName))
        return;
    const TAnswerDeadline::Waiting waiting(answerDeadline());
    CS_COMMAND* command = m_state.command.get();
    // The attention goes first so that the cursor close finds the connection idle; after
    // it FreeTDS flags the command once, and one ct_results call clears the flag.
    if (kind == CS_CANCEL_ALL && m_state.walk.commandBusy) {
        ct_cancel(nullptr, command, CS_CANCEL_ALL);
        CS_INT type = 0;
        ct_results(command, &type);
        m_state.walk.commandEnded();
    }
    closeCursor();
    if (kind == CS_CANCEL_ATTN && m_state.walk.commandBusy)
        m_state.walk.attentionSent = true;
    ct_cancel(nullptr, command, kind);
}

void TQueryEngine::closeCursor()
{
    if (!m_query.IsCursor || !m_state.command)
        return;
    CS_COMMAND* command = m_state.command.get();
    const int status = cursorStatus();
    CS_RETCODE built = CS_FAIL;
    if (status & CS_CURSTAT_OPEN)
        built =
            ct_cursor(command, CS_CURSOR_CLOSE, nullptr, CS_UNUSED, nullptr, CS_UNUSED, CS_DEALLOC);
    else if (status & CS_CURSTAT_DECLARED)
        built = ct_cursor(command, CS_CURSOR_DEALLOC, nullptr, CS_UNUSED, nullptr, CS_UNUSED,
                          CS_UNUSED);
    if (built != CS_SUCCEED)
        return;
    database()->startAnswer();
    if (ct_send(command) != CS_SUCCEED)
        return;
    m_state.walk.sent(true);
    CS_INT type = 0;
    CS_RETCODE ret = CS_SUCCEED;
    while (readResultType(type, ret)) {
    }
}

// ---------------------------------------------------------------- prepared statements

void TQueryEngine::prepare()
{
    trace(QStringLiteral("Flow : ** Start of Prepare **"));
    if (m_state.prepared)
        unprepare();
    m_state.cursorName = cursorName(QStringLiteral("cur"));
    renewCommand(m_state.prepCommand);
    CS_COMMAND* second = m_state.prepCommand.get();
    QByteArray id("PrepId");
    QByteArray text = m_query.m_parsedText.toUtf8();
    trace(QStringLiteral("Open-Client: ct_dynamic(CS_PREPARE)"));
    m_state.raiseOnError = true;
    deriveSwitches();
    auto fail = [&] {
        ct_cancel(nullptr, second, CS_CANCEL_ALL);
        m_state.prepCommand.reset();
        m_state.command.reset();
        m_state.walk.commandEnded();
    };
    try {
        ct_dynamic(second, CS_PREPARE, id.data(), CS_NULLTERM, text.data(), CS_NULLTERM);
        database()->startAnswer();
        traceStatement(QStringLiteral("prepare"), m_query.m_parsedText);
        const CS_RETCODE sent = ct_send(second);
        processMessages();
        if (sent != CS_SUCCEED)
            throw ECTLibException(QStringLiteral("23"));
        CS_INT type = 0;
        while (ct_results(second, &type) == CS_SUCCEED)
            processMessages();
        processMessages();
    } catch (...) {
        fail();
        throw;
    }
    m_state.prepared = true;
    trace(QStringLiteral("Flow : ** End of Prepare **"));
}

void TQueryEngine::unprepare()
{
    cancel(TCTLibCustomQuery::kCancelAll);
    trace(QStringLiteral("Flow : ** Start of UnPrepare **"));
    m_state.prepared = false;
    m_state.unprepareAtEnd = false;
    if (!m_state.prepCommand)
        return;
    CS_COMMAND* second = m_state.prepCommand.get();
    ct_cancel(nullptr, second, CS_CANCEL_ALL);
    QByteArray id("PrepId");
    ct_dynamic(second, CS_DEALLOC, id.data(), CS_NULLTERM, nullptr, CS_UNUSED);
    database()->startAnswer();
    ct_send(second);
    try {
        processMessages();
        CS_INT type = 0;
        while (ct_results(second, &type) == CS_SUCCEED)
            processMessages();
    } catch (...) {
        m_state.prepCommand.reset();
        throw;
    }
    m_state.prepCommand.reset();
    trace(QStringLiteral("Flow : ** End of UnPrepare **"));
}

void TQueryEngine::sendPreparedExecute()
{
    CS_COMMAND* command = m_state.command.get();
    QByteArray id("PrepId");
    ct_dynamic(command, CS_EXECUTE, id.data(), CS_NULLTERM, nullptr, CS_UNUSED);
    bindParameters(command);
    trace(QStringLiteral("SQL Execute: ") + m_query.m_parsedText);
    traceStatement(QStringLiteral("execute of the prepared statement"), m_query.m_parsedText);
    const CS_RETCODE sent = ct_send(command);
    m_state.walk.sent(sent == CS_SUCCEED);
    processMessagesCancelling();
    if (sent != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("23"));
}

namespace {
// Days since 1900-01-01 and 1/300 seconds since midnight.
CS_DATETIME toDateTime(const QDateTime& value)
{
    CS_DATETIME result;
    const QDate base(1900, 1, 1);
    result.dtdays = CS_INT(base.daysTo(value.date()));
    const QTime t = value.time();
    result.dttime = CS_INT((t.hour() * 3600 + t.minute() * 60 + t.second()) * 300 +
                           std::lround(t.msec() * 0.3));
    return result;
}
}  // namespace

void TQueryEngine::bindParameters(CS_COMMAND* command)
{
    for (TParam& param : m_query.m_params) {
        if (param.ParamType == ptResult)
            continue;
        const bool output = param.ParamType == ptOutput;
        if (output && param.Value.isNull()) {
            switch (param.DataType) {
                case ftString:
                    param.Value = QString();
                    break;
                case ftDateTime:
                    param.Value = QDateTime::currentDateTime();
                    break;
                case ftBoolean:
                    param.Value = false;
                    break;
                default:
                    param.Value = 0;
                    break;
            }
        }
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        fmt.status = output ? CS_RETURN : CS_INPUTVALUE;
        fmt.count = 1;
        QByteArray data;
        switch (param.DataType) {
            case ftString:
                fmt.datatype = CS_CHAR_TYPE;
                data = param.AsString().toUtf8();
                break;
            case ftSmallint: {
                fmt.datatype = CS_SMALLINT_TYPE;
                const CS_SMALLINT v = CS_SMALLINT(param.Value.toInt());
                data = QByteArray(reinterpret_cast<const char*>(&v), sizeof v);
                break;
            }
            case ftInteger: {
                fmt.datatype = CS_INT_TYPE;
                const CS_INT v = param.Value.toInt();
                data = QByteArray(reinterpret_cast<const char*>(&v), sizeof v);
                break;
            }
            case ftBoolean: {
                fmt.datatype = CS_BIT_TYPE;
                const CS_SMALLINT v = param.Value.toBool() ? 1 : 0;
                data = QByteArray(reinterpret_cast<const char*>(&v), sizeof v);
                break;
            }
            case ftFloat:
            case ftCurrency: {
                fmt.datatype = CS_FLOAT_TYPE;
                const CS_FLOAT v = param.Value.toDouble();
                data = QByteArray(reinterpret_cast<const char*>(&v), sizeof v);
                break;
            }
            case ftDateTime: {
                fmt.datatype = CS_DATETIME_TYPE;
                const CS_DATETIME v = toDateTime(param.Value.toDateTime());
                data = QByteArray(reinterpret_cast<const char*>(&v), sizeof v);
                break;
            }
            case ftUnknown:
                unprepare();
                throw EDatabaseError(
                    QStringLiteral("Parameter \"%1\" has an Unknown data type").arg(param.Name),
                    &m_query);
            default:
                throw EDatabaseError(
                    QStringLiteral("Datatype of parameter \"%1\" not supported!").arg(param.Name),
                    &m_query);
        }
        fmt.maxlength = CS_INT(data.size());
        const bool isNull = param.AsString().isEmpty();
        CS_SMALLINT indicator = isNull ? -1 : 0;
        ct_param(command, &fmt, isNull ? nullptr : data.data(), isNull ? 0 : CS_INT(data.size()),
                 indicator);
        processMessages();
    }
}
