// The query component through which every statement reaches the server: the command
// is sent, the results walked, the rows handed out as texts.
#pragma once

#include "CTHandles.h"
#include "CTLibParams.h"
#include "CTLibTypes.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <memory>

class TCTLibDatabase;
struct TQueryState;

class TCTLibCustomQuery : public QObject, public TMessageReporter {
    Q_OBJECT
    Q_PROPERTY(QString About MEMBER About)
    Q_PROPERTY(int MsgDialogs READ msgDialogsValue WRITE setMsgDialogsValue)
    Q_PROPERTY(int ShowDbMessages READ showDbMessagesValue WRITE setShowDbMessagesValue)
    Q_PROPERTY(bool TrimResults MEMBER TrimResults)
    Q_PROPERTY(bool Monitor MEMBER Monitor)
    Q_PROPERTY(bool LocalDtFmt MEMBER LocalDtFmt)
    Q_PROPERTY(bool TextImage MEMBER TextImage)
    Q_PROPERTY(bool AbortOnNegStatus MEMBER AbortOnNegStatus)
    Q_PROPERTY(bool KeepHistory MEMBER KeepHistory)
    Q_PROPERTY(bool UseExecCursor MEMBER UseExecCursor)
    Q_PROPERTY(int ExecCursor MEMBER ExecCursor)
    Q_PROPERTY(QString DbName MEMBER DbName)
    Q_PROPERTY(bool AutoConnect MEMBER AutoConnect)
    Q_PROPERTY(int MaxRows MEMBER MaxRows)
    Q_PROPERTY(bool AutoDb READ autoDb WRITE setAutoDb)
    Q_PROPERTY(QStringList AutoDbParams MEMBER AutoDbParams)
    Q_PROPERTY(bool UseDbParams MEMBER UseDbParams)

public:
    static constexpr int kCancelAll = 6001;      // CS_CANCEL_ALL
    static constexpr int kCancelCurrent = 6000;  // CS_CANCEL_CURRENT
    static constexpr int kSqlWaitCursor = -17;

    explicit TCTLibCustomQuery(QObject* owner = nullptr);
    ~TCTLibCustomQuery() override;

    // Events.
    TNotifyEvent OnMaxRows, OnHeader, BeforeExec, AfterExec;
    TNotifyEvent OnComputeRow, OnResultRow, OnReturnStatus, OnReturnParams;
    TNotifyEvent BeforeCommand, AfterCommand;

    // Published settings.
    QString About;
    bool TrimResults = false;
    bool Monitor = false;
    bool LocalDtFmt = false;
    bool TextImage = false;
    bool AbortOnNegStatus = false;
    bool KeepHistory = false;
    bool UseExecCursor = true;
    int ExecCursor = kSqlWaitCursor;
    QString DbName;
    bool AutoConnect = true;
    int MaxRows = 0;
    QStringList AutoDbParams;
    bool UseDbParams = false;
    bool ReadOnly = false;
    int CurFetchRows = 10;
    bool IsCursor = false;

    TMsgDialogs msgDialogs() const { return m_msgDialogs; }
    void setMsgDialogs(TMsgDialogs dialogs);
    TShowDbMessages showDbMessages() const { return m_showDbMessages; }
    void setShowDbMessages(TShowDbMessages shown);
    bool autoDb() const { return m_autoDb; }
    void setAutoDb(bool on);

    // The statement text.
    QStringList SQL() const { return m_sql; }
    // The text sent to the server for `lines`: every line ended by CR LF.
    static QString sentText(const QStringList& lines);
    void setSQL(const QStringList& lines);
    void AddSQL(const QString& line);
    void ClearSQL();
    // The parameters parsed from ":name" markers.
    TParams& Params() { return m_params; }
    void setParams(const TParams& params) { m_params.AssignValues(params); }

    // Execution.
    int Open();
    int ExecSQL();
    bool Next();
    void Cancel(int kind = kCancelAll);
    void Close();
    void DescribeColumns();

    // The current row and its columns (1-based).
    QString ColumnValue(int column) const;
    // The bytes of a character column as they arrived, untrimmed: a value cut into pieces
    // (stored text rows) is joined from these and decoded once.
    QByteArray ColumnBytes(int column) const;
    int ColumnCount() const;
    QString ColumnName(int column);
    int ColumnLength(int column);
    int ColumnScale(int column);
    int ColumnPrecision(int column);
    QString ColumnTypeName(int column) const;
    // The column's status bits as set elements (bits 0..10 → 0..10, 13..15 → 11..13).
    quint16 ColumnStatus(int column) const;
    int ColumnDataType(int column) const;
    int ComputeColumnCount() const;
    // The compute results read so far in the current execution.
    int ComputeCount() const;
    QString ComputeColumnValue(int column) const;
    QString ComputeColumnName(int column) const;
    QString ComputeColumnTypeName(int column) const;
    int ComputeOperator(int column) const;

    int RowCount() const;
    int ReturnStatus() const;
    int RowNumber() const;
    int RowsFetched() const;
    QString CursorName() const;
    bool Prepared() const;
    // The number of commands whose results were walked in the current execution.
    int CommandNumber() const;
    // The texts of the output parameters read last, in the order the server sent them.
    QStringList ReturnParamValues() const;
    // What the message processing recorded last.
    // The private connection of AutoDb.
    TCTLibDatabase* AutoDatabase() const { return m_autoDatabase.get(); }

    // TMessageReporter
    void setLastError(const QString& text) override;
    void setLastMessage(const QString& text) override;
    void setLastServerMessage(const TServerMessage& message) override;
    QObject* reporterObject() override { return this; }

private:
    friend class TQueryEngine;
    int msgDialogsValue() const { return int(m_msgDialogs); }
    void setMsgDialogsValue(int v) { setMsgDialogs(TMsgDialogs(v)); }
    int showDbMessagesValue() const { return int(m_showDbMessages); }
    void setShowDbMessagesValue(int v) { setShowDbMessages(TShowDbMessages(v)); }
    void reparse();
    void prepareAutoDb();
    TMessageReporter* ownerReporter() const;

public:
    QObject* owner() const { return m_owner; }

private:
    QStringList m_sql;
    TParams m_params;
    QString m_parsedText;
    TMsgDialogs m_msgDialogs;
    TShowDbMessages m_showDbMessages = smDbMsg | smDbErr;
    bool m_autoDb = false;
    std::unique_ptr<TCTLibDatabase> m_autoDatabase;
    std::unique_ptr<TQueryState> m_state;
    // The component that made this query: its parent, unless the query was made on
    // another thread (a script built in the background), where Qt allows no parent.
    QPointer<QObject> m_owner;
};

// Publishes the rest of the query's properties.
class TCTLibEnhQuery : public TCTLibCustomQuery {
    Q_OBJECT
    Q_PROPERTY(bool ReadOnly MEMBER ReadOnly)
    Q_PROPERTY(int CurFetchRows MEMBER CurFetchRows)
    Q_PROPERTY(bool IsCursor MEMBER IsCursor)
    Q_PROPERTY(QStringList SQL READ SQL WRITE setSQL)

public:
    using TCTLibCustomQuery::TCTLibCustomQuery;
};

// `text` without the leading and trailing characters whose code is 32 or less: a column's
// value as TrimResults gives it.
QString trimBlanks(const QString& text);
