// Private to query/: the run-time state of a query and the engine that sends its
// command, walks the results and turns rows into texts.
#pragma once

#include "CTLibCompat.h"
#include "CTLibEnhQuery.h"
#include "DiagMessages.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <vector>

class TAnswerDeadline;
class TCTLibDatabase;

// Fetches the rows of the current result to its end: CS_END_DATA, or the failure that
// stopped it. A row that fails to convert is passed over, not stopped at: rows left
// unread would make the next ct_results answer the same result again.
CS_RETCODE discardRows(CS_COMMAND* command);

struct TColumnDescription {
    QString name;  // at most 30 characters
    int nameLength = 0;
    int maxLength = 0;
    int scale = 0;
    int precision = 0;
    int dataType = 0;
    int format = 0;
    int userType = 0;
    int status = 0;
    int computeOperator = 0;
    int computeColumn = 0;  // select-list column a compute column aggregates
};

// One bound column; for cursor results the buffers hold one entry per row of a fetch.
struct TColumnBuffer {
    int width = 0;  // bytes per row, terminator included
    std::vector<char> data;
    std::vector<CS_INT> copied;
    std::vector<CS_SMALLINT> indicators;
    QString text;
    QByteArray bytes;  // the value as received, before decoding
    int copiedLength = 0;
    int capacity = 0;
    QByteArray stream;  // TextImage mode
};

// Where the walk through a command's results stands. Each flag answers one question;
// the transitions are the moments that change several of them together.
struct TResultsWalk {
    bool commandBusy = false;      // sent and not read to the end
    bool resultsPending = false;   // results remain for Next to walk
    bool rowPending = false;       // a row result is open: Next fetches its next row
    bool hasRowResult = false;     // the current result has rows
    bool inStatusResult = false;   // a procedure's return status is being read
    bool afterEndOfData = false;   // walking the results that follow the rows handed out
    bool stopAfterStatus = false;  // the return status ends what Next hands out
    bool attentionSent = false;    // Cancel(CS_CANCEL_ATTN): the results end as cancelled

    // A new command is about to be sent: nothing of the last one is open.
    void startCommand()
    {
        rowPending = inStatusResult = hasRowResult = attentionSent = false;
        resultsPending = true;
    }
    void sent(bool succeeded) { commandBusy = succeeded; }
    // The command was read to its end or cancelled.
    void commandEnded() { commandBusy = false; }
    // A row was handed out; the next one comes from the same result.
    void rowHandedOut() { rowPending = true; }
    // Nothing more is handed out: the rows or the results are over.
    void finished() { rowPending = resultsPending = false; }
    // The connection closed under the command.
    void dropped()
    {
        commandEnded();
        finished();
    }
};

struct TQueryState {
    TCommandHandle command;
    TCommandHandle prepCommand;
    CS_CONNECTION* connection = nullptr;
    CS_CONTEXT* context = nullptr;
    QPointer<TCTLibDatabase> commandDatabase;  // the connection the commands belong to
    QMetaObject::Connection closingConnection;
    QElapsedTimer sentClock;  // since the command was sent, for the statement trace

    int serverKind = 0;
    bool raiseOnError = true;
    TDiagSwitches switches;
    TResultsWalk walk;
    bool fetchAll = false;        // ExecSQL reads every result; Open hands out rows on Next
    bool prepared = false;        // the statement with parameters is prepared on the server
    bool unprepareAtEnd = false;  // ... and stays so until Next has read its rows

    int rowNumber = 0;
    int rowsFetched = 0;
    int rowCount = 0;
    int commandNumber = 0;
    int computeCount = 0;
    int returnStatus = 0;
    QString cursorName;

    std::vector<TColumnDescription> columns;  // entry 0 unused
    std::vector<TColumnBuffer> buffers;
    int columnCount = 0;
    bool described = false;
    std::vector<TColumnDescription> computeColumns;
    std::vector<TColumnBuffer> computeBuffers;
    int computeColumnCount = 0;

    int rowsPerFetch = 1;  // rows bound per ct_fetch
    int batchRows = 0;     // rows the last ct_fetch delivered
    int batchIndex = 0;    // the row of that batch handed out last

    std::vector<QStringList> history;
    QStringList returnValues;  // output parameters read last
};

// The algorithms of the query, working on its state.
class TQueryEngine {
public:
    explicit TQueryEngine(TCTLibCustomQuery& query) : m_query(query), m_state(*query.m_state) {}

    int executeCore();
    bool next();
    void cancel(int kind);
    void closeCursor();
    void describeColumns();
    void releaseCommands();

private:
    // Execution.
    TCTLibDatabase* database();
    // The connection's deadline for whole answers, when the query names a connection.
    TAnswerDeadline* answerDeadline() const;
    [[noreturn]] void raiseUnaskedCancel();
    void deriveSwitches();
    void renewCommand(TCommandHandle& command);
    int sendCommand(const QString& text);
    void sendCursor(const QString& text);
    void sendLanguage(const QString& text);
    void sendPreparedExecute();
    int readResults();
    bool readResultType(CS_INT& type, CS_RETCODE& ret);
    void readReturnStatus();
    void readAfterStatus();
    int cursorStatus();
    void processMessages();
    void processMessagesCancelling();
    [[noreturn]] void raiseFailedCall(const char* call);
    QString joinedSql() const;
    QString timeStamp() const;
    QString cursorName(const QString& suffix) const;
    void trace(const QString& text) const;
    // Writes the statement about to be sent to the statement trace, if one is open.
    void traceStatement(const QString& how, const QString& text);
    void fire(const TNotifyEvent& event) const;

    // Rows.
    int bindColumns();
    int fetchRow();
    void clearRowBuffers();
    int deliverRow();
    void copyRowTexts(int row, bool rowFailed);
    void readRowWithGetData();
    QString readColumnWithGetData(int column, const CS_DATAFMT& fmt);
    void applyLocalDateFormat();
    void traceRow() const;
    void releaseBuffers();
    void releaseBufferData();
    void readComputeRow();
    void readReturnParams();
    bool bindCharColumn(int item, TColumnDescription& description, TColumnBuffer& buffer, int rows);
    QString convertToText(const CS_DATAFMT& source, const void* data, CS_INT length) const;

    // Prepared statements.
    void prepare();
    void unprepare();
    void bindParameters(CS_COMMAND* command);

    TCTLibCustomQuery& m_query;
    TQueryState& m_state;
};

// The character width a column is bound with (before the terminator).
int DisplayLength(const CS_DATAFMT& fmt);
// The name of a Client-Library datatype code.
QString DataTypeName(int dataType);
