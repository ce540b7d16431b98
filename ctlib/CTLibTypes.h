// Types shared by the connection, the bound components and the queries: the sets of
// switches, the event type and the record of a server message.
#pragma once

#include <QFlags>
#include <QString>
#include <functional>

class QObject;

// Every event of the data-access components receives only the sender; a handler may
// throw EAbort to unwind the operation that fired it.
using TNotifyEvent = std::function<void(QObject* sender)>;

enum TShowDbMessage { smDbMsg = 0x1, smDbErr = 0x2 };
Q_DECLARE_FLAGS(TShowDbMessages, TShowDbMessage)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShowDbMessages)

enum TMsgDialog { mdEnhMsg = 0x1, mdEnhErr = 0x2 };
Q_DECLARE_FLAGS(TMsgDialogs, TMsgDialog)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMsgDialogs)

enum TConProp {
    cpAsync = 1 << 0,
    cpAsync_Notifs = 1 << 1,
    cpBulk_Login = 1 << 2,
    cpConnect_Only = 1 << 3,
    cpDiag_Timeout = 1 << 4,
    cpExtra_Inf = 1 << 5,
    cpHidden_Keys = 1 << 6,
    cpLogin_Status = 1 << 7,
    cpSec_Encryption = 1 << 8,
    cpSec_Negotiate = 1 << 9,
};
Q_DECLARE_FLAGS(TConProps, TConProp)
Q_DECLARE_OPERATORS_FOR_FLAGS(TConProps)

enum TProcOption {
    poAnsiNull = 1 << 0,
    poAnsiPerm = 1 << 1,
    poArithAbort = 1 << 2,
    poArithIgnore = 1 << 3,
    poChainXActs = 1 << 4,
    poFipsFlag = 1 << 5,
    poForcePlan = 1 << 6,
    poFormatOnly = 1 << 7,
    poNoCount = 1 << 8,
    poNoExec = 1 << 9,
    poParseOnly = 1 << 10,
    poQuotedIdent = 1 << 11,
    poRestrees = 1 << 12,
    poShowPlan = 1 << 13,
    poStatsIo = 1 << 14,
    poStatsTime = 1 << 15,
    poStrRTrunc = 1 << 16,
    poTruncIgnore = 1 << 17,
};
Q_DECLARE_FLAGS(TProcOptions, TProcOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TProcOptions)

enum TDebugOption {
    doAll = 1 << 0,
    doApi_States = 1 << 1,
    doDiag = 1 << 2,
    doError = 1 << 3,
    doMem = 1 << 4,
    doNetwork = 1 << 5,
    doProtocol = 1 << 6,
    doProtocol_States = 1 << 7,
};
Q_DECLARE_FLAGS(TDebugOptions, TDebugOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDebugOptions)

enum TTransLevel { tlLevel1, tlLevel3 };

// The two kinds of server the components know, compared exactly.
inline const QString kSybaseSqlServer = QStringLiteral("Sybase SQL Server");
inline const QString kSqlAnywhere = QStringLiteral("SQLAnywhere");

// A server message as the library reported it; kept by the reporting component for
// the handlers of its error events.
struct TServerMessage {
    int number = 0;
    int state = 0;
    int severity = 0;
    QString text;
    QString server;
    QString procedure;
    int line = 0;
    int status = 0;
    QString sqlState;
};

// What every component that reports server and library messages holds: the four message
// events, what the message processing recorded last, and the object the events name as
// their sender (its name goes in front of a database error).
class TMessageReporter {
public:
    virtual ~TMessageReporter() = default;

    TNotifyEvent OnDbError, AfterDbError, OnDbMessage, AfterDbMessage;

    QString LastError() const { return m_lastError; }
    QString LastMessage() const { return m_lastMessage; }
    TServerMessage LastServerMessage() const { return m_lastServerMessage; }

    virtual QObject* reporterObject() = 0;
    // Connections report login messages, which carry no line entry.
    virtual bool reportsForConnection() const { return false; }

    // Recorded by the message processing; a query records for its owner as well.
    virtual void setLastError(const QString& text) { m_lastError = text; }
    virtual void setLastMessage(const QString& text) { m_lastMessage = text; }
    virtual void setLastServerMessage(const TServerMessage& message)
    {
        m_lastServerMessage = message;
    }

protected:
    QString m_lastError;
    QString m_lastMessage;
    TServerMessage m_lastServerMessage;
};
