// TCTLibDatabase: one Client-Library connection to a server, its login data, session
// options, messages and the process-wide registry of connections.
#pragma once

#include "CTHandles.h"
#include "CTLibTypes.h"

#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>
#include <set>

class QTimer;
class TAnswerDeadline;
class TConnectionStatements;
class TCTLibContext;

// The library's external configuration file, sent at login when asked for.
class TCTRuntimeConfig : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ConfigFile MEMBER ConfigFile)
    Q_PROPERTY(bool UseConfigFile MEMBER UseConfigFile)
    Q_PROPERTY(bool ConfigByServerName MEMBER ConfigByServerName)

public:
    using QObject::QObject;
    QString ConfigFile;
    bool UseConfigFile = false;
    bool ConfigByServerName = false;
};

class TCTLibDatabase : public QObject, public TMessageReporter {
    Q_OBJECT
    Q_PROPERTY(QString ServerName MEMBER ServerName)
    Q_PROPERTY(QString UserName MEMBER UserName)
    Q_PROPERTY(QString Password MEMBER Password)
    Q_PROPERTY(QString DbName READ dbName WRITE setDbName)
    Q_PROPERTY(QString AppName MEMBER AppName)
    Q_PROPERTY(QString HostName MEMBER HostName)
    Q_PROPERTY(QString Rdbms MEMBER Rdbms)
    Q_PROPERTY(QString ContextName MEMBER ContextName)
    Q_PROPERTY(QString Language READ language WRITE setLanguage)
    Q_PROPERTY(QString CharSet READ charSet WRITE setCharSet)
    Q_PROPERTY(QString SortOrder READ sortOrder WRITE setSortOrder)
    Q_PROPERTY(int MaxConnect READ maxConnect WRITE setMaxConnect)
    Q_PROPERTY(int TimeOut READ timeOut WRITE setTimeOut)
    Q_PROPERTY(int LoginTimeOut READ loginTimeOut WRITE setLoginTimeOut)
    Q_PROPERTY(QString IniFile MEMBER IniFile)
    Q_PROPERTY(QStringList ServerList MEMBER ServerList)
    Q_PROPERTY(bool LoginPrompt MEMBER LoginPrompt)
    Q_PROPERTY(bool ServerPrompt MEMBER ServerPrompt)
    Q_PROPERTY(bool ServerShow MEMBER ServerShow)
    Q_PROPERTY(bool RdbmsPrompt MEMBER RdbmsPrompt)
    Q_PROPERTY(bool RdbmsShow MEMBER RdbmsShow)
    Q_PROPERTY(bool ConnectError MEMBER ConnectError)
    Q_PROPERTY(bool Connected READ connected WRITE setConnected STORED false)
    Q_PROPERTY(int ConProps READ conPropsValue WRITE setConPropsValue)
    Q_PROPERTY(int PacketSize READ packetSize WRITE setPacketSize)
    Q_PROPERTY(int TextSize READ textSize WRITE setTextSize)
    Q_PROPERTY(int RowCount READ rowCount WRITE setRowCount)
    Q_PROPERTY(int TransLevel READ transLevelValue WRITE setTransLevelValue)
    Q_PROPERTY(int ProcOptions READ procOptionsValue WRITE setProcOptionsValue)
    Q_PROPERTY(bool ForceClose MEMBER ForceClose)
    Q_PROPERTY(QString InitString MEMBER InitString)
    Q_PROPERTY(int IdleTime READ idleTime WRITE setIdleTime)
    Q_PROPERTY(QString IdleSQL MEMBER IdleSQL)
    Q_PROPERTY(QStringList Params MEMBER Params)
    Q_PROPERTY(bool UseParams MEMBER UseParams)
    Q_PROPERTY(int MsgDialogs READ msgDialogsValue WRITE setMsgDialogsValue)
    Q_PROPERTY(int ShowDbMessages READ showDbMessagesValue WRITE setShowDbMessagesValue)
    Q_PROPERTY(bool Monitor MEMBER Monitor)
    Q_PROPERTY(bool Debug MEMBER Debug)
    Q_PROPERTY(QString DebugFile MEMBER DebugFile)
    Q_PROPERTY(int DebugOptions READ debugOptionsValue WRITE setDebugOptionsValue)
    Q_PROPERTY(bool EmulateASE MEMBER EmulateASE)
    Q_PROPERTY(bool AbortOnPwdExp MEMBER AbortOnPwdExp)
    Q_PROPERTY(TCTRuntimeConfig* RuntimeConfig READ runtimeConfig)
    Q_PROPERTY(QString About MEMBER About)

public:
    // The longest server, user, password, database, application and host name the
    // login record carries.
    static constexpr int kLoginFieldLength = 30;

    explicit TCTLibDatabase(QObject* owner = nullptr);
    ~TCTLibDatabase() override;

    // Names the component (its objectName); refuses the name of another connection.
    void SetName(const QString& name);
    QString Name() const { return objectName(); }
    // Re-reads the server list after the stored properties were restored.
    void Loaded();

    // Stored properties; they take effect at the next Connect.
    QString ServerName = QStringLiteral("DSQUERY");
    QString UserName;
    QString Password;
    QString AppName;
    QString HostName;
    QString Rdbms = kSybaseSqlServer;
    QString ContextName = QStringLiteral("default");
    QString IniFile;
    QStringList ServerList;
    bool LoginPrompt = true;
    bool ServerPrompt = true;
    bool ServerShow = true;
    bool RdbmsPrompt = true;
    bool RdbmsShow = true;
    bool ConnectError = true;
    TConProps ConProps;
    TProcOptions ProcOptions;
    bool ForceClose = false;
    QString InitString;
    QString IdleSQL;
    QStringList Params;
    bool UseParams = false;
    bool Monitor = false;
    bool Debug = false;
    QString DebugFile;
    bool EmulateASE = false;
    bool AbortOnPwdExp = false;
    QString About;

    TNotifyEvent BeforeConnect, AfterConnect, BeforeDisConnect, AfterDisConnect;
    TNotifyEvent OnPwdExpired, OnTimerDisConnect;

    // Properties with behaviour.
    QString dbName() const { return m_dbName; }
    void setDbName(const QString& name);
    QString language() const;
    void setLanguage(const QString& name);
    QString charSet() const;
    void setCharSet(const QString& name);
    QString sortOrder() const;
    void setSortOrder(const QString& name);
    int maxConnect() const;
    void setMaxConnect(int value);
    int timeOut() const;
    void setTimeOut(int seconds);
    int loginTimeOut() const;
    void setLoginTimeOut(int seconds);
    bool connected() const { return m_connected; }
    // Connected, but the library found the connection dead: the server went away or
    // stopped answering. Nothing more can be sent on it.
    bool connectionLost() const;
    // What to say when `call` failed instead of ending its results: the lost connection,
    // when that is the reason, or the failed call.
    QString failedCallText(const char* call) const;
    void setConnected(bool on);
    int packetSize() const;
    void setPacketSize(int bytes) { m_packetSize = bytes; }
    int textSize() const { return m_textSize; }
    void setTextSize(int bytes);
    int rowCount() const { return m_rowCount; }
    void setRowCount(int rows);
    TTransLevel transLevel() const { return m_transLevel; }
    void setTransLevel(TTransLevel level);
    int idleTime() const { return m_idleTime; }
    void setIdleTime(int minutes);
    TMsgDialogs msgDialogs() const { return m_msgDialogs; }
    void setMsgDialogs(TMsgDialogs dialogs) { m_msgDialogs = dialogs; }
    TShowDbMessages showDbMessages() const { return m_showDbMessages; }
    void setShowDbMessages(TShowDbMessages shown) { m_showDbMessages = shown; }
    TDebugOptions debugOptions() const { return m_debugOptions; }
    void setDebugOptions(TDebugOptions options);
    TCTRuntimeConfig* runtimeConfig() const { return m_runtimeConfig; }

    // Operations.
    void Connect();
    void DisConnect();
    void CancelAll();
    // From any thread, while another waits for the server (a login or a command's
    // answer): the wait ends at once, the waiting call fails, and the connection is lost.
    void abandonAnswer();
    // How long the server's answer has been awaited without a pause; zero when none is.
    std::chrono::milliseconds answerAwaitedFor() const;
    void LoadServerList();
    void ApplyParams(const QStringList* params);
    void ApplyProcOptions(TProcOptions options);
    void SendToMonitor(const QString& text);
    QString GetServerVersion();
    QString GetServerDateTime();
    void RestartIdleTimer();

    // What the message processing recorded last.

    // The name generated at construction ("db_" + day, hour, minute, second, millisecond).
    QString GeneratedName() const { return m_generatedName; }
    // The internal query (USE, InitString, IdleSQL, version).
    // The internal server list read by LoadServerList.
    QStringList InternalServerList() const { return m_serverNames; }
    // The idle timer, while IdleTime is above 0.
    QTimer* IdleTimer() const { return m_idleTimer.get(); }
    // The options applied since the last Connect.
    TProcOptions AppliedProcOptions() const { return m_appliedOptions; }

    // For the query layer: the library handles of the open connection.
    _cs_connection* connectionHandle() const { return m_connection.get(); }
    _cs_context* contextHandle() const { return m_context; }

    // The whole answer to a command must arrive within the command timeout (TimeOut):
    // startAnswer when a command is about to be sent, and wait for its results inside a
    // TAnswerDeadline::Waiting on answerDeadline(). When the time is up the socket is
    // shut down; throwIfAnswerTimedOut then raises the timeout as `sender`'s error.
    TAnswerDeadline* answerDeadline() const { return m_deadline.get(); }
    void startAnswer();
    void throwIfAnswerTimedOut(const QObject* sender);
    // A server sends nothing that was not asked for: bytes waiting once a command's results
    // have ended, or before the next command is sent (a reply sent twice, say), would be
    // read as the answers to the next commands. Raises that as `sender`'s error. Bytes the
    // library has already taken from the socket are beyond its reach.
    void throwIfAnswerOverran(const QObject* sender) const;

    // TMessageReporter
    bool reportsForConnection() const override { return true; }
    QObject* reporterObject() override { return this; }

signals:
    // The connection is about to be closed: commands allocated on it must be dropped now.
    void closing();

private:
    int conPropsValue() const { return int(ConProps); }
    void setConPropsValue(int v) { ConProps = TConProps(v); }
    int procOptionsValue() const { return int(ProcOptions); }
    void setProcOptionsValue(int v) { ProcOptions = TProcOptions(v); }
    int transLevelValue() const { return m_transLevel; }
    void setTransLevelValue(int v) { setTransLevel(v == tlLevel3 ? tlLevel3 : tlLevel1); }
    int msgDialogsValue() const { return int(m_msgDialogs); }
    void setMsgDialogsValue(int v) { setMsgDialogs(TMsgDialogs(v)); }
    int showDbMessagesValue() const { return int(m_showDbMessages); }
    void setShowDbMessagesValue(int v) { setShowDbMessages(TShowDbMessages(v)); }
    int debugOptionsValue() const { return int(m_debugOptions); }
    void setDebugOptionsValue(int v) { setDebugOptions(TDebugOptions(v)); }

    TCTLibContext* context() const;
    bool promptForLogin();
    void sendLoginProperties(_cs_connection* connection) const;
    void sendRuntimeConfig(_cs_connection* connection) const;
    void sendOption(int option, int value);
    void checkLoginFields() const;
    void pointFreeTdsAtServerFile() const;
    void executeInternal(const QString& text);
    void afterConnectSetup();
    void onIdleTimer();
    void registerConnection();
    bool isSybase() const { return Rdbms == kSybaseSqlServer; }
    // SQL Anywhere serves the one database named at login and refuses USE.
    bool switchesDatabase() const { return Rdbms != kSqlAnywhere; }

    QString m_dbName = QStringLiteral("master");
    int m_packetSize = 512;
    int m_textSize = 32768;
    int m_rowCount = 0;
    TTransLevel m_transLevel = tlLevel1;
    int m_idleTime = 0;
    TMsgDialogs m_msgDialogs;
    TShowDbMessages m_showDbMessages = smDbMsg | smDbErr;
    TDebugOptions m_debugOptions;
    TCTRuntimeConfig* m_runtimeConfig = nullptr;

    bool m_connected = false;
    _cs_context* m_context = nullptr;  // owned by a TCTLibContext
    TConnectionHandle m_connection;
    TProcOptions m_appliedOptions;
    QStringList m_serverNames;
    QString m_generatedName;
    TConnectionStatements* m_statements = nullptr;  // child object
    std::unique_ptr<QTimer> m_idleTimer;
    std::unique_ptr<TAnswerDeadline> m_deadline;
    std::set<int> m_sockets;  // the open connection's, as found at login
};

// The first registered connection whose component name is `name` (exact); nullptr otherwise.
TCTLibDatabase* FindDatabase(const QString& name);
// Raises "Database name missing" or "Could not find CTLibDatabase component named <name>"
// as a database error of `component`.
void CheckDatabaseName(const QString& name, const QObject* component);
// The registered connections, in the order they were named or connected.
QList<TCTLibDatabase*> RegisteredDatabases();
