// The execution core of the query: sending, walking the results, cancelling, and
// prepared statements. Rows and columns are in QueryRows.cpp.
#include "QueryEngine.h"

#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "SqlMonitor.h"
#include "StatementTrace.h"
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

TCTLibDatabase* TQueryEngine::database()
{
    if (s.boundDatabase)
        return s.boundDatabase;
    CheckDatabaseName(q.DbName, &q);
    return FindDatabase(q.DbName);
}

void TQueryEngine::deriveSwitches()
{
    s.switches = TDiagSwitches::from(s.raiseOnError, q.m_showDbMessages, q.m_msgDialogs);
}

void TQueryEngine::processMessages()
{
    s.switches.raise = s.raiseOnError;
    ProcessDiagMessages(s.connection, q, s.switches);
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
    s.commandBusy = false;
    processMessages();
    const bool lost = database()->connectionLost();
    throw EDatabaseError(lost ? QStringLiteral("The connection to the server was lost.")
                              : QLatin1String(call) + QStringLiteral(" Failed"),
                         &q);
}

QString TQueryEngine::joinedSql() const
{
    return TCTLibCustomQuery::sentText(q.m_sql);
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
    if (q.Monitor && q.parent())
        sendToSqlMonitor(text, quintptr(q.parent()));
}

void TQueryEngine::traceStatement(const QString& how, const QString& text)
{
    s.sentClock.start();
    TStatementTrace::statementSent(how, text);
}

void TQueryEngine::fire(const TNotifyEvent& event) const
{
    if (event)
        event(&q);
}

int TQueryEngine::cursorStatus()
{
    CS_INT status = CS_CURSTAT_NONE;
    if (!s.command || ct_cmd_props(s.command.get(), CS_GET, CS_CUR_STATUS, &status, CS_UNUSED,
                                   nullptr) != CS_SUCCEED)
        return CS_CURSTAT_NONE;
    return int(status);
}

// A command that was sent and not read to its end; the guard keeps a finished command
// from reading tokens that belong to another command of the connection.
bool TQueryEngine::readResultType(CS_INT& type, CS_RETCODE& ret)
{
    type = 0;
    if (!s.command || !s.commandBusy) {
        ret = CS_END_RESULTS;
        return false;
    }
    ret = ct_results(s.command.get(), &type);
    if (ret != CS_SUCCEED) {
        s.commandBusy = false;
        if (s.sentClock.isValid()) {
            TStatementTrace::resultsEnded(s.sentClock.elapsed());
            s.sentClock.invalidate();  // a cursor's close reads results again
        }
    }
    return ret == CS_SUCCEED;
}

// ---------------------------------------------------------------- execution core

int TQueryEngine::executeCore()
{
    TCTLibDatabase* db = database();
    db->RestartIdleTimer();
    if (q.AutoConnect && !db->connected())
        db->Connect();
    if (!db->connected()) {
        if (!q.AutoConnect)
            return 0;
        const QString text = QStringLiteral("Cannot login to server '%1'").arg(db->ServerName);
        if (s.raiseOnError)
            throw EDatabaseError(text, &q);
        UserInterface::instance().showMessage(kErrorCaption, text, UserInterface::Icon::Error);
        return 0;
    }
    if (db->Rdbms == kSybaseSqlServer)
        s.serverKind = 0;
    else if (db->Rdbms == kSqlAnywhere)
        s.serverKind = 1;
    releaseBuffers();
    s.columnCount = 0;
    s.history.clear();

    const QString text = joinedSql();
    if (isBlankSql(text))
        throw EDatabaseError(QStringLiteral("No SQL statement available"), &q);
    if (s.prepared)
        unprepare();  // a row-at-a-time run may have kept it
    if (!q.m_params.IsEmpty())
        prepare();

    q.setLastError(QString());
    q.setLastMessage(QString());
    q.setLastServerMessage(TServerMessage());
    s.computeColumnCount = 0;
    if (!s.prepared)
        s.cursorName = cursorName(QStringLiteral("cur1"));
    s.returnStatus = 0;
    s.rowPending = s.inStatusResult = s.hasRowResult = false;
    s.raiseOnError = true;
    deriveSwitches();
    s.rowCount = s.rowNumber = s.rowsFetched = s.commandNumber = s.computeCount = 0;
    s.returnValues.clear();
    s.batchRows = s.batchIndex = 0;

    int result = 0;
    try {
        renewCommand(s.command);
        fire(q.BeforeExec);
        s.rowPending = false;
        s.resultsPending = true;
        result = sendCommand(text);
        if (s.fetchAll)
            readResults();
    } catch (...) {
        if (s.prepared) {
            try {
                unprepare();
            } catch (...) {
                // the first error is the one to report
            }
        }
        throw;
    }
    if (s.prepared) {
        // Rows handed out by Next need the statement until they have been read.
        if (s.fetchAll || !s.resultsPending)
            unprepare();
        else
            s.unprepareAtEnd = true;
    }
    trace(QStringLiteral("Flow : ** End of SqlExec **"));
    return result;
}

void TQueryEngine::renewCommand(TCommandHandle& command)
{
    if (&command == &s.command) {
        cancel(TCTLibCustomQuery::kCancelAll);
    } else if (command) {
        ct_cancel(nullptr, command.get(), CS_CANCEL_ALL);
    }
    trace(QStringLiteral("Open-Client: ct_cmd_drop"));
    command.reset();
    if (&command == &s.command)
        s.commandBusy = false;
    TCTLibDatabase* db = database();
    if (s.commandDatabase != db) {
        QObject::disconnect(s.closingConnection);
        s.closingConnection = QObject::connect(db, &TCTLibDatabase::closing, &q, [query = &q] {
            TQueryEngine(*query).releaseCommands();
        });
        s.commandDatabase = db;
    }
    s.connection = db->connectionHandle();
    s.context = db->contextHandle();
    CS_COMMAND* raw = nullptr;
    if (!s.connection || ct_cmd_alloc(s.connection, &raw) != CS_SUCCEED || !raw)
        throw ECTLibException(QStringLiteral("ct_cmd_alloc Failed"));
    command.reset(raw);
}

// The connection is closing: the commands die with it.
void TQueryEngine::releaseCommands()
{
    s.command.reset();
    s.prepCommand.reset();
    s.commandBusy = false;
    s.prepared = false;
    s.unprepareAtEnd = false;
    s.rowPending = false;
    s.resultsPending = false;
    s.connection = nullptr;
}

int TQueryEngine::sendCommand(const QString& text)
{
    cancel(TCTLibCustomQuery::kCancelAll);
    if (s.prepared)
        sendPreparedExecute();  // also with IsCursor: FreeTDS declares no cursor on it
    else if (q.IsCursor)
        sendCursor(text);
    else
        sendLanguage(text);
    return 1;
}

void TQueryEngine::sendCursor(const QString& text)
{
    CS_COMMAND* command = s.command.get();
    QByteArray name = s.cursorName.toUtf8();
    QByteArray sql = text.toUtf8();
    trace(QStringLiteral("Open-Client: ct_cursor(CS_CURSOR_DECLARE)"));
    ct_cursor(command, CS_CURSOR_DECLARE, name.data(), CS_NULLTERM, sql.data(), CS_NULLTERM,
              q.ReadOnly ? CS_READ_ONLY : CS_FOR_UPDATE);
    // FreeTDS fetches only into arrays as long as the cursor's row count.
    s.rowsPerFetch = q.TextImage ? 1 : std::max(1, q.CurFetchRows);
    trace(QStringLiteral("Open-Client: ct_cursor(CS_CURSOR_ROWS)"));
    ct_cursor(command, CS_CURSOR_ROWS, nullptr, CS_UNUSED, nullptr, CS_UNUSED, s.rowsPerFetch);
    ct_cursor(command, CS_CURSOR_OPEN, nullptr, CS_UNUSED, nullptr, CS_UNUSED, CS_UNUSED);
    trace(QStringLiteral("SQL Execute: ") + text);
    traceStatement(QStringLiteral("cursor ") + s.cursorName, text);
    const CS_RETCODE sent = ct_send(command);
    s.commandBusy = sent == CS_SUCCEED;
    processMessagesCancelling();
    if (sent != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("23"));
    if (s.serverKind == 0) {
        // Declare and rows each answer CMD_SUCCEED, CMD_DONE before the cursor's rows.
        CS_INT type = 0;
        CS_RETCODE ret = CS_SUCCEED;
        for (int i = 0; i < 4; ++i)
            readResultType(type, ret);
    }
}

void TQueryEngine::sendLanguage(const QString& text)
{
    CS_COMMAND* command = s.command.get();
    QByteArray sql = text.toUtf8();
    const CS_RETCODE built = ct_command(command, CS_LANG_CMD, sql.data(), CS_NULLTERM, CS_UNUSED);
    processMessagesCancelling();
    if (built != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("22"));
    traceStatement(QStringLiteral("language"), text);
    const CS_RETCODE sent = ct_send(command);
    s.commandBusy = sent == CS_SUCCEED;
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
        if (s.prepared) {
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
                s.hasRowResult = true;
                CS_INT columns = 0;
                ct_res_info(s.command.get(), CS_NUMDATA, &columns, CS_UNUSED, nullptr);
                s.columnCount = int(columns);
                trace(
                    QStringLiteral("Open-Client: ct_res_info(CS_NUMDATA) - Number of columns : ") +
                    QString::number(columns));
                if (s.afterEndOfData && !s.fetchAll) {
                    // Next hands out the first row result only; the rest is dropped
                    // here so that the last row's texts stay and the connection is free.
                    cancel(TCTLibCustomQuery::kCancelAll);
                    s.resultsPending = false;
                    return result;
                }
                if (type == CS_ROW_RESULT)
                    s.rowsPerFetch = 1;
                if (!q.TextImage)
                    bindColumns();
                if (!s.fetchAll)
                    return fetchRow();
                while (fetchRow() == 1) {
                }
                if (!s.resultsPending)
                    return result;  // MaxRows ended the stream
                break;
            }
            case CS_STATUS_RESULT:
                trace(QStringLiteral("CS_STATUS_RESULT"));
                s.inStatusResult = true;
                readReturnStatus();
                s.inStatusResult = false;
                readAfterStatus();
                break;
            case CS_COMPUTE_RESULT:
                trace(QStringLiteral("CS_COMPUTE_RESULT"));
                readComputeRow();
                break;
            case CS_CMD_DONE: {
                trace(QStringLiteral("CS_CMD_DONE"));
                ++s.commandNumber;
                if (!q.IsCursor) {
                    CS_INT count = -1;
                    ct_res_info(s.command.get(), CS_ROW_COUNT, &count, CS_UNUSED, nullptr);
                    if (!s.inStatusResult && count >= 0)
                        s.rowCount = int(count);
                }
                trace(QStringLiteral("Open-Client: ct_res_info(CS_ROW_COUNT) - Number of rows : ") +
                      QString::number(s.rowCount));
                fire(q.AfterCommand);
                if (!q.TextImage)
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
                ct_res_info(s.command.get(), CS_ROW_COUNT, &count, CS_UNUSED, nullptr);
                if (count == -1) {
                    CS_INT discarded = 0;
                    CS_RETCODE ignored = CS_SUCCEED;
                    readResultType(discarded, ignored);
                }
                // A cursor counts the rows it handed out; the count of its last fetch
                // would overwrite them.
                if (!s.inStatusResult && count >= 0 && !(q.IsCursor && s.rowsFetched > 0))
                    s.rowCount = int(count);
                s.hasRowResult = false;
                if (!q.KeepHistory)
                    s.columnCount = 0;
                fire(q.AfterCommand);
                break;
            }
            case CS_CMD_FAIL: {
                trace(QStringLiteral("CS_CMD_FAIL"));
                const int number = q.m_lastServerMessage.number;
                if (number == 4022 || number == 7742)
                    return result;
                s.hasRowResult = false;
                cancel(TCTLibCustomQuery::kCancelAll);
                throw EDatabaseError(QStringLiteral("Command failed"), &q);
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
                CS_INT rows = 0;
                while (ct_fetch(s.command.get(), CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows) ==
                       CS_SUCCEED) {
                }
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
    CS_COMMAND* command = s.command.get();
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
    s.returnStatus = int(value);
    trace(QStringLiteral("Open-Client: Return Status = ") + QString::number(value));
    for (TParam& param : q.m_params) {
        if (param.ParamType == ptResult)
            param.Value = int(value);
    }
    fire(q.OnReturnStatus);
    if (q.AbortOnNegStatus && value < 0 && s.raiseOnError) {
        cancel(TCTLibCustomQuery::kCancelAll);
        throw EAbort();
    }
    while (ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows) == CS_SUCCEED) {
    }
    trace(QStringLiteral("Flow : ** End of obtaining Return Status **"));
    s.stopAfterStatus = true;
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
    int result = 0;
    if (q.KeepHistory && s.rowNumber < s.rowsFetched) {
        // Only stored rows lie behind RowNumber; nothing moves it back, so this stays idle.
        ++s.rowNumber;
        const QStringList& row = s.history.at(size_t(s.rowNumber - 1));
        for (int i = 1; i < int(s.buffers.size()) && i - 1 < row.size(); ++i) {
            s.buffers[size_t(i)].text = row.at(i - 1);
            s.buffers[size_t(i)].bytes = row.at(i - 1).toUtf8();
        }
        fire(q.OnResultRow);
        result = 1;
    } else if (s.rowPending && s.resultsPending) {
        result = fetchRow();
        if (s.stopAfterStatus) {
            cancel(TCTLibCustomQuery::kCancelAll);
            result = 0;
        }
    } else if (s.resultsPending) {
        result = readResults();
        if (s.stopAfterStatus) {
            cancel(TCTLibCustomQuery::kCancelAll);
            result = 0;
        }
        if (result != 1) {
            s.resultsPending = false;
            s.rowPending = false;
        }
    }
    if (s.stopAfterStatus) {
        cancel(TCTLibCustomQuery::kCancelAll);
        return false;
    }
    if (result != 1 && s.unprepareAtEnd) {
        s.unprepareAtEnd = false;
        unprepare();
    }
    return result == 1;
}

void TQueryEngine::cancel(int kind)
{
    if (!s.command)
        return;
    if (!s.boundDatabase && !FindDatabase(q.DbName))
        return;
    CS_COMMAND* command = s.command.get();
    // The attention goes first so that the cursor close finds the connection idle; after
    // it FreeTDS flags the command once, and one ct_results call clears the flag.
    if (kind == CS_CANCEL_ALL && s.commandBusy) {
        ct_cancel(nullptr, command, CS_CANCEL_ALL);
        CS_INT type = 0;
        ct_results(command, &type);
        s.commandBusy = false;
    }
    closeCursor();
    ct_cancel(nullptr, command, kind);
}

void TQueryEngine::closeCursor()
{
    if (!q.IsCursor || !s.command)
        return;
    CS_COMMAND* command = s.command.get();
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
    if (ct_send(command) != CS_SUCCEED)
        return;
    s.commandBusy = true;
    CS_INT type = 0;
    CS_RETCODE ret = CS_SUCCEED;
    while (readResultType(type, ret)) {
    }
}

// ---------------------------------------------------------------- prepared statements

void TQueryEngine::prepare()
{
    trace(QStringLiteral("Flow : ** Start of Prepare **"));
    if (s.prepared)
        unprepare();
    s.cursorName = cursorName(QStringLiteral("cur"));
    renewCommand(s.prepCommand);
    CS_COMMAND* second = s.prepCommand.get();
    QByteArray id("PrepId");
    QByteArray text = q.m_parsedText.toUtf8();
    trace(QStringLiteral("Open-Client: ct_dynamic(CS_PREPARE)"));
    s.raiseOnError = true;
    deriveSwitches();
    auto fail = [&] {
        ct_cancel(nullptr, second, CS_CANCEL_ALL);
        s.prepCommand.reset();
        s.command.reset();
        s.commandBusy = false;
    };
    try {
        ct_dynamic(second, CS_PREPARE, id.data(), CS_NULLTERM, text.data(), CS_NULLTERM);
        traceStatement(QStringLiteral("prepare"), q.m_parsedText);
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
    s.prepared = true;
    trace(QStringLiteral("Flow : ** End of Prepare **"));
}

void TQueryEngine::unprepare()
{
    cancel(TCTLibCustomQuery::kCancelAll);
    trace(QStringLiteral("Flow : ** Start of UnPrepare **"));
    s.prepared = false;
    s.unprepareAtEnd = false;
    if (!s.prepCommand)
        return;
    CS_COMMAND* second = s.prepCommand.get();
    ct_cancel(nullptr, second, CS_CANCEL_ALL);
    QByteArray id("PrepId");
    ct_dynamic(second, CS_DEALLOC, id.data(), CS_NULLTERM, nullptr, CS_UNUSED);
    ct_send(second);
    try {
        processMessages();
        CS_INT type = 0;
        while (ct_results(second, &type) == CS_SUCCEED)
            processMessages();
    } catch (...) {
        s.prepCommand.reset();
        throw;
    }
    s.prepCommand.reset();
    trace(QStringLiteral("Flow : ** End of UnPrepare **"));
}

void TQueryEngine::sendPreparedExecute()
{
    CS_COMMAND* command = s.command.get();
    QByteArray id("PrepId");
    ct_dynamic(command, CS_EXECUTE, id.data(), CS_NULLTERM, nullptr, CS_UNUSED);
    bindParameters(command);
    trace(QStringLiteral("SQL Execute: ") + q.m_parsedText);
    traceStatement(QStringLiteral("execute of the prepared statement"), q.m_parsedText);
    const CS_RETCODE sent = ct_send(command);
    s.commandBusy = sent == CS_SUCCEED;
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
    for (TParam& param : q.m_params) {
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
                    &q);
            default:
                throw EDatabaseError(
                    QStringLiteral("Datatype of parameter \"%1\" not supported!").arg(param.Name),
                    &q);
        }
        fmt.maxlength = CS_INT(data.size());
        const bool isNull = param.AsString().isEmpty();
        CS_SMALLINT indicator = isNull ? -1 : 0;
        ct_param(command, &fmt, isNull ? nullptr : data.data(), isNull ? 0 : CS_INT(data.size()),
                 indicator);
        processMessages();
    }
}
