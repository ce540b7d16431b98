#include "ConnectionStatements.h"

#include "CTLibCompat.h"
#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "DiagMessages.h"
#include "StatementTrace.h"
#include "TimeoutPolicy.h"

#include <QElapsedTimer>
#include <cstring>

namespace {
// The first column of each row of the current row result, as text: the last one read in
// `last`. False when the rows could not be bound or read to their end: the result is
// then still the current one, and asking for the next result would give it again.
bool readLastFirstColumn(CS_COMMAND* command, QString& last)
{
    CS_DATAFMT format;
    std::memset(&format, 0, sizeof format);
    format.datatype = CS_CHAR_TYPE;
    format.format = CS_FMT_NULLTERM;
    char value[1025] = {};
    format.maxlength = sizeof value;
    format.count = 1;
    CS_INT length = 0;
    CS_SMALLINT indicator = 0;
    if (ct_bind(command, 1, &format, value, &length, &indicator) != CS_SUCCEED)
        return false;
    CS_INT rows = 0;
    CS_RETCODE fetched = CS_SUCCEED;
    while ((fetched = ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows)) == CS_SUCCEED ||
           fetched == CS_ROW_FAIL)
        last = indicator == -1 ? QString()
                               : QString::fromUtf8(value, int(strnlen(value, sizeof value)));
    return fetched == CS_END_DATA;
}

// Rows of a result that is not looked at; false when they could not be read to their end.
bool skipRows(CS_COMMAND* command)
{
    CS_INT rows = 0;
    CS_RETCODE fetched = CS_SUCCEED;
    while ((fetched = ct_fetch(command, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows)) == CS_SUCCEED ||
           fetched == CS_ROW_FAIL) {
    }
    return fetched == CS_END_DATA;
}
}  // namespace

TConnectionStatements::TConnectionStatements(TCTLibDatabase& connection)
    : QObject(&connection), m_connection(connection)
{
}

void TConnectionStatements::setLastError(const QString& text)
{
    TMessageReporter::setLastError(text);
    m_connection.setLastError(text);
}

void TConnectionStatements::setLastMessage(const QString& text)
{
    TMessageReporter::setLastMessage(text);
    m_connection.setLastMessage(text);
}

void TConnectionStatements::setLastServerMessage(const TServerMessage& message)
{
    TMessageReporter::setLastServerMessage(message);
    m_connection.setLastServerMessage(message);
}

void TConnectionStatements::processMessages()
{
    m_connection.throwIfAnswerTimedOut(this);
    ProcessDiagMessages(m_connection.connectionHandle(), *this,
                        TDiagSwitches::from(true, ShowDbMessages, MsgDialogs));
}

QString TConnectionStatements::run(const QString& sql)
{
    setLastError(QString());
    setLastMessage(QString());
    setLastServerMessage(TServerMessage());
    CS_CONNECTION* connection = m_connection.connectionHandle();
    CS_COMMAND* raw = nullptr;
    if (!connection || ct_cmd_alloc(connection, &raw) != CS_SUCCEED || !raw)
        throw ECTLibException(QStringLiteral("ct_cmd_alloc Failed"));
    const TCommandHandle command(raw);  // cancels whatever is left when it is dropped
    const TAnswerDeadline::Waiting waiting(m_connection.answerDeadline());
    m_connection.throwIfAnswerOverran(this);
    m_connection.startAnswer();

    QByteArray text = sql.toUtf8();
    const CS_RETCODE built = ct_command(raw, CS_LANG_CMD, text.data(), CS_NULLTERM, CS_UNUSED);
    processMessages();
    if (built != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("22"));
    QElapsedTimer sent;
    sent.start();
    TStatementTrace::statementSent(QStringLiteral("language"), sql);
    const CS_RETCODE sending = ct_send(raw);
    processMessages();
    if (sending != CS_SUCCEED)
        throw ECTLibException(QStringLiteral("23"));

    QString last;
    bool failed = false;
    CS_INT type = 0;
    CS_RETCODE result = CS_SUCCEED;
    while ((result = ct_results(raw, &type)) == CS_SUCCEED) {
        bool read = true;
        if (type == CS_ROW_RESULT)
            read = readLastFirstColumn(raw, last);
        else if (type == CS_STATUS_RESULT || type == CS_PARAM_RESULT || type == CS_COMPUTE_RESULT ||
                 type == CS_CURSOR_RESULT)
            read = skipRows(raw);
        else if (type == CS_CMD_FAIL)
            failed = true;
        processMessages();
        if (!read)
            throw EDatabaseError(
                QStringLiteral("The rows the server answered to \"%1\" could not be read.")
                    .arg(sql.simplified()),
                this);
    }
    TStatementTrace::resultsEnded(sent.elapsed());
    processMessages();
    if (result == CS_FAIL)
        throw EDatabaseError(m_connection.failedCallText("ct_results"), this);
    if (result == CS_CANCELED)
        throw EDatabaseError(kUnaskedCancelText, this);
    m_connection.throwIfAnswerOverran(this);
    if (failed)
        throw EDatabaseError(QStringLiteral("Command failed"), this);
    return last;
}
