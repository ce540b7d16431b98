#include "CTLibDatabase.h"

#include "CTLibBase.h"
#include "CTLibCompat.h"
#include "CTLibContext.h"
#include "CTLibException.h"
#include "ConnectionStatements.h"
#include "DiagMessages.h"
#include "ServerList.h"
#include "SqlMonitor.h"
#include "StatementTrace.h"
#include "TimeoutPolicy.h"
#include "UserInterface.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
std::unique_ptr<QList<TCTLibDatabase*>> databaseRegistry;

QList<TCTLibDatabase*>& registry()
{
    if (!databaseRegistry)
        databaseRegistry = std::make_unique<QList<TCTLibDatabase*>>();
    return *databaseRegistry;
}

void fire(const TNotifyEvent& event, QObject* sender)
{
    if (event)
        event(sender);
}

QString generatedComponentName()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    return QStringLiteral("db_%1%2%3%4%5")
        .arg(now.date().day())
        .arg(time.hour())
        .arg(time.minute())
        .arg(time.second())
        .arg(time.msec());
}

// The login record holds each name in a field of 30 bytes.
QByteArray loginField(const QString& value)
{
    return value.toUtf8();
}

void setTrueProperty(CS_CONNECTION* connection, CS_INT property, const char* failure)
{
    CS_BOOL on = CS_TRUE;
    if (ct_con_props(connection, CS_SET, property, &on, CS_UNUSED, nullptr) != CS_SUCCEED)
        throw ECTLibException(QString::fromLatin1(failure));
}

void setTextProperty(CS_CONNECTION* connection, CS_INT property, QByteArray value,
                     const char* failure)
{
    if (ct_con_props(connection, CS_SET, property, value.data(), CS_NULLTERM, nullptr) !=
        CS_SUCCEED)
        throw ECTLibException(QString::fromLatin1(failure));
}

int parseInteger(const QString& value)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value));
    return number;
}
}  // namespace

TCTLibDatabase::TCTLibDatabase(QObject* owner) : QObject(owner)
{
    m_generatedName = generatedComponentName();
    registry();
    if (RegisteredContexts().isEmpty()) {
        auto* context = new TCTLibContext(nullptr);
        context->SetName(QStringLiteral("default"));
    }
    LoadServerList();
    ServerList = m_serverNames;
    m_statements = new TConnectionStatements(*this);
    m_runtimeConfig = new TCTRuntimeConfig(this);
    m_deadline = std::make_unique<TAnswerDeadline>();
}

TCTLibDatabase::~TCTLibDatabase()
{
    m_idleTimer.reset();
    delete m_statements;
    m_statements = nullptr;
    if (databaseRegistry) {
        databaseRegistry->removeAll(this);
        if (databaseRegistry->isEmpty()) {
            databaseRegistry.reset();
            const QList<TCTLibContext*> contexts = RegisteredContexts();
            if (contexts.size() == 1 && contexts.first()->objectName() == QLatin1String("default"))
                delete contexts.first();
        }
    }
    try {
        if (m_connected)
            DisConnect();
    } catch (...) {
        // A handler of the disconnect events must not stop the destruction.
    }
}

void TCTLibDatabase::SetName(const QString& name)
{
    for (TCTLibDatabase* other : registry()) {
        if (other != this && other->objectName() == name)
            throw EDatabaseError(QStringLiteral("A '%1' component named '%2' already exist")
                                     .arg(QStringLiteral("TCTLibDatabase"), name));
    }
    const QString oldName = objectName();
    setObjectName(name);
    registerConnection();
    for (TCTLibBase* bound : RegisteredBoundComponents()) {
        if (bound->DbName == oldName)
            bound->DbName = name;
    }
}

void TCTLibDatabase::Loaded()
{
    ServerList = m_serverNames;
}

void TCTLibDatabase::registerConnection()
{
    if (!registry().contains(this))
        registry().append(this);
}

void TCTLibDatabase::LoadServerList()
{
    IniFile = interfacesFileToRead();
    m_serverNames = sortedServerNames(readSectionNames(IniFile));
}

TCTLibContext* TCTLibDatabase::context() const
{
    return FindContext(ContextName);
}

// ---------------------------------------------------------------- Connect

void TCTLibDatabase::Connect()
{
    m_appliedOptions = {};
    m_context = FindContextHandle(ContextName);
    if (m_connected)
        return;
    if (UseParams)
        ApplyParams(&Params);
    fire(BeforeConnect, this);

    m_statements->MsgDialogs = m_msgDialogs;
    m_statements->ShowDbMessages = m_showDbMessages;
    m_statements->OnDbError = OnDbError;
    m_statements->AfterDbError = AfterDbError;
    m_statements->OnDbMessage = OnDbMessage;
    m_statements->AfterDbMessage = AfterDbMessage;

    CS_CONNECTION* raw = nullptr;
    if (!m_context || ct_con_alloc(m_context, &raw) != CS_SUCCEED || !raw)
        throw ECTLibException(QStringLiteral("ct_con_alloc Failed"));
    TConnectionHandle connection(raw);
    ct_diag(raw, CS_INIT, CS_UNUSED, CS_UNUSED, nullptr);
    abortOnTimeout(raw);

    if (ContextName.isEmpty())
        ContextName = QStringLiteral("default");
    if (m_dbName.isEmpty())
        m_dbName = QStringLiteral("master");
    if (LoginPrompt && !promptForLogin())
        return;

    checkLoginFields();
    sendLoginProperties(raw);
    if (Monitor)
        SendToMonitor(QStringLiteral("SQL Connect: UserName = ") + UserName +
                      QStringLiteral(", ServerName = ") + ServerName +
                      QStringLiteral(", DbName = ") + m_dbName);
    sendRuntimeConfig(raw);
    // The dump file must be named before the connect that opens it.
    setDebugOptions(m_debugOptions);
    pointFreeTdsAtServerFile();

    QByteArray server = loginField(ServerName);
    TStatementTrace::loginStarted(ServerName);
    CS_RETCODE result = CS_FAIL;
    bool loginTimedOut = false;
    {
        // The login timeout covers the whole login, however slowly its answer trickles in.
        TLoginInProgress login(raw);
        m_deadline->start(loginTimeOut(), [&login] { login.abandon(); });
        {
            const TAnswerDeadline::Waiting waiting(m_deadline.get());
            result = ct_connect(raw, server.data(), CS_NULLTERM);
        }
        m_deadline->finish();
        loginTimedOut = login.timedOut();
        m_sockets = login.newSockets();
    }
    TStatementTrace::loginEnded(result == CS_SUCCEED || result == CS_PENDING);
    if (loginTimedOut) {
        // The library's own messages name only the failed connection.
        ct_diag(raw, CS_CLEAR, CS_ALLMSG_TYPE, CS_UNUSED, nullptr);
        if (!ConnectError)
            return;
        if (m_deadline->abandoned())
            throw EDatabaseError(QStringLiteral("The login to '%1' was cancelled.").arg(ServerName),
                                 this);
        throw EDatabaseError(QStringLiteral("The server '%1' did not answer the login within "
                                            "%2 seconds (login timed out).")
                                 .arg(ServerName)
                                 .arg(loginTimeOut()),
                             this);
    }
    ProcessDiagMessages(raw, *this,
                        TDiagSwitches::from(ConnectError, m_showDbMessages, m_msgDialogs));
    if (result != CS_SUCCEED && result != CS_PENDING)
        return;
    if (ConProps.testFlag(cpAsync))
        return;  // FreeTDS completes every call at once; nothing follows an asynchronous login

    m_connection = std::move(connection);
    SendToMonitor(QStringLiteral("Connected"));
    m_connected = true;
    throwIfAnswerOverran(this);
    afterConnectSetup();
    if (m_lastServerMessage.number == 4022)
        fire(OnPwdExpired, this);
    fire(AfterConnect, this);
    if (isSybase())
        sendOption(CS_OPT_TEXTSIZE, m_textSize);
    setTransLevel(m_transLevel);
    setDebugOptions(m_debugOptions);
    setRowCount(m_rowCount);
}

bool TCTLibDatabase::promptForLogin()
{
    LoginRequest request;
    request.serverName = ServerName;
    request.userName = UserName;
    request.password = Password;
    request.rdbms = Rdbms;
    request.serverList = ServerList;
    request.serverPrompt = ServerPrompt;
    request.serverShow = ServerShow;
    request.rdbmsPrompt = RdbmsPrompt;
    request.rdbmsShow = RdbmsShow;
    if (UserInterface::instance().promptLogin(request) != UserInterface::LoginResult::Ok)
        return false;
    UserName = request.userName;
    Password = request.password;
    ServerName = request.serverName;
    Rdbms = request.rdbms;
    return true;
}

void TCTLibDatabase::checkLoginFields() const
{
    const std::pair<const char*, QString> fields[] = {
        {"ServerName", ServerName}, {"UserName", UserName}, {"Password", Password},
        {"DbName", m_dbName},       {"AppName", AppName},   {"HostName", HostName},
    };
    for (const auto& [name, value] : fields) {
        if (loginField(value).size() > kLoginFieldLength)
            throw EDatabaseError(
                QStringLiteral("%1 is too long for the login record (at most %2 characters)")
                    .arg(QLatin1String(name))
                    .arg(kLoginFieldLength),
                this);
    }
}

void TCTLibDatabase::sendLoginProperties(CS_CONNECTION* connection) const
{
    if (ConProps.testFlag(cpAsync_Notifs))
        setTrueProperty(connection, CS_ASYNC_NOTIFS, "ct_con_props CS_ASYNC_NOTIFS Failed");
    if (ConProps.testFlag(cpBulk_Login))
        setTrueProperty(connection, CS_BULK_LOGIN, "ct_con_props CS_BULK_LOGIN Failed");
    if (ConProps.testFlag(cpDiag_Timeout))
        setTrueProperty(connection, CS_DIAG_TIMEOUT, "ct_con_props CS_DIAG_TIMEOUT Failed");
    if (ConProps.testFlag(cpExtra_Inf))
        setTrueProperty(connection, CS_EXTRA_INF, "ct_con_props CS_EXTRA_INF Failed");
    if (ConProps.testFlag(cpHidden_Keys))
        setTrueProperty(connection, CS_HIDDEN_KEYS, "ct_con_props CS_HIDDEN_KEYS Failed");
    if (ConProps.testFlag(cpLogin_Status)) {
        // FreeTDS does not implement CS_LOGIN_STATUS; CS_CON_STATUS answers the same question.
        CS_INT status = 0;
        if (ct_con_props(connection, CS_GET, CS_CON_STATUS, &status, CS_UNUSED, nullptr) !=
            CS_SUCCEED)
            throw ECTLibException(QStringLiteral("ct_con_props CS_LOGIN_STATUS Failed"));
    }
    if (ConProps.testFlag(cpSec_Encryption))
        setTrueProperty(connection, CS_SEC_ENCRYPTION, "ct_con_props CS_SEC_ENCRYPTION Failed");
    if (ConProps.testFlag(cpSec_Negotiate))
        setTrueProperty(connection, CS_SEC_NEGOTIATE, "ct_con_props CS_SEC_NEGOTIATE Failed");
    if (m_packetSize > 0) {
        CS_INT size = m_packetSize;
        if (ct_con_props(connection, CS_SET, CS_PACKETSIZE, &size, CS_UNUSED, nullptr) !=
            CS_SUCCEED)
            throw ECTLibException(QStringLiteral("ct_con_props CS_PACKETSIZE Failed"));
    }
    if (ConProps.testFlag(cpAsync)) {
        CS_INT io = CS_ASYNC_IO;
        if (ct_con_props(connection, CS_SET, CS_NETIO, &io, CS_UNUSED, nullptr) != CS_SUCCEED)
            throw ECTLibException(QStringLiteral("ct_con_props CS_ASYNC_IO Failed"));
    }
    setTextProperty(connection, CS_USERNAME, loginField(UserName),
                    "ct_con_props CS_USERNAME Failed");
    setTextProperty(connection, CS_PASSWORD, loginField(Password),
                    "ct_con_props CS_PASSWORD Failed");
    setTextProperty(connection, CS_APPNAME, loginField(AppName), "ct_con_props CS_APPNAME Failed");
    setTextProperty(connection, CS_HOSTNAME, loginField(HostName),
                    "ct_con_props CS_HOSTNAME Failed");
}

void TCTLibDatabase::sendRuntimeConfig(CS_CONNECTION* connection) const
{
    if (!m_runtimeConfig->UseConfigFile)
        return;
    CS_BOOL on = CS_TRUE;
    if (m_runtimeConfig->ConfigByServerName)
        ct_con_props(connection, CS_SET, CS_CONFIG_BY_SERVERNAME, &on, CS_UNUSED, nullptr);
    if (m_runtimeConfig->ConfigFile.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("No ConfigFile specified"), this);
    QByteArray file = m_runtimeConfig->ConfigFile.left(255).toLocal8Bit();
    ct_con_props(connection, CS_SET, CS_CONFIG_FILE, file.data(), CS_NULLTERM, nullptr);
    ct_con_props(connection, CS_SET, CS_EXTERNAL_CONFIG, &on, CS_UNUSED, nullptr);
}

// FreeTDS reads $FREETDSCONF first, so the file whose sections were offered is the one
// that resolves the chosen name. With debug flags chosen, a copy of it carrying the
// flags in a [global] section is handed over instead.
void TCTLibDatabase::pointFreeTdsAtServerFile() const
{
    if (!QFileInfo(IniFile).isFile())
        return;
    const unsigned flags = ctlib_debug::freetdsDebugFlags();
    if (!Debug || DebugFile.isEmpty() || flags == 0) {
        ::setenv("FREETDSCONF", QFile::encodeName(IniFile).constData(), 1);
        return;
    }
    QFile original(IniFile);
    if (!original.open(QIODevice::ReadOnly))
        return;
    const QString copyPath =
        QDir::tempPath() + QStringLiteral("/skelder-freetds-%1.conf").arg(::getpid());
    QFile copy(copyPath);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    copy.write(QStringLiteral("[global]\n\tdebug flags = 0x%1\n\tdump file = %2\n"
                              "\tdump file append = yes\n")
                   .arg(flags, 0, 16)
                   .arg(DebugFile)
                   .toLocal8Bit());
    copy.write(original.readAll());
    copy.close();
    ::setenv("FREETDSCONF", QFile::encodeName(copyPath).constData(), 1);
}

void TCTLibDatabase::executeInternal(const QString& text)
{
    m_statements->run(text);
}

void TCTLibDatabase::afterConnectSetup()
{
    char host[1025] = {};
    CS_INT length = 0;
    if (ct_con_props(m_connection.get(), CS_GET, CS_HOSTNAME, host, sizeof host - 1, &length) ==
        CS_SUCCEED)
        HostName = QString::fromUtf8(host, int(strnlen(host, sizeof host)));
    if (!ConProps.testFlag(cpConnect_Only)) {
        if (!m_dbName.trimmed().isEmpty() && switchesDatabase())
            executeInternal(QStringLiteral("USE ") + m_dbName);
        if (!InitString.trimmed().isEmpty())
            executeInternal(InitString);
    }
    registerConnection();
    ApplyProcOptions(ProcOptions);
}

// ---------------------------------------------------------------- DisConnect

void TCTLibDatabase::startAnswer()
{
    // Once the library has closed a dead connection its descriptor may serve another file.
    const std::set<int> sockets = connectionLost() ? std::set<int>() : m_sockets;
    m_deadline->start(timeOut(), [sockets] {
        for (int socket : sockets)
            ::shutdown(socket, SHUT_RDWR);
    });
}

void TCTLibDatabase::throwIfAnswerTimedOut(const QObject* sender)
{
    if (!m_deadline->expired())
        return;
    // The library's messages say only that the socket closed.
    if (m_connection)
        ClearDiagMessages(m_connection.get());
    if (m_deadline->abandoned())
        throw EDatabaseError(QStringLiteral("The wait for the server's answer was cancelled; "
                                            "the connection was closed."),
                             sender);
    throw EDatabaseError(QStringLiteral("The server did not complete its answer within %1 "
                                        "seconds (command timed out).")
                             .arg(m_deadline->seconds()),
                         sender);
}

void TCTLibDatabase::throwIfAnswerOverran(const QObject* sender) const
{
    if (connectionLost())
        return;
    for (int socket : m_sockets) {
        char byte = 0;
        if (::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 1)
            throw EDatabaseError(QStringLiteral("The server's reply was malformed: it went on "
                                                "after its end."),
                                 sender);
    }
}

void TCTLibDatabase::DisConnect()
{
    fire(BeforeDisConnect, this);
    const TAnswerDeadline::Waiting waiting(m_deadline.get());
    if (m_connected)
        startAnswer();  // the cancel and the logout wait for answers, too
    if (m_connected) {
        CancelAll();
        m_connected = false;
        emit closing();
        const bool force = ForceClose || ConProps.testFlag(cpAsync);
        CS_CONNECTION* connection = m_connection.release();
        ct_close(connection, force ? CS_FORCE_CLOSE : CS_UNUSED);
        ct_con_drop(connection);
        TStatementTrace::loggedOut(ServerName);
        if (Monitor)
            SendToMonitor(QStringLiteral("SQL DisConnect: UserName = ") + UserName +
                          QStringLiteral(", ServerName = ") + ServerName +
                          QStringLiteral(", DbName = ") + m_dbName);
    }
    fire(AfterDisConnect, this);
}

void TCTLibDatabase::abandonAnswer()
{
    m_deadline->abandon();
}

std::chrono::milliseconds TCTLibDatabase::answerAwaitedFor() const
{
    return m_deadline->waitingFor();
}

void TCTLibDatabase::CancelAll()
{
    if (m_connection)
        ct_cancel(m_connection.get(), nullptr, CS_CANCEL_ALL);
}

void TCTLibDatabase::setConnected(bool on)
{
    if (on)
        Connect();
    else
        DisConnect();
}

// ---------------------------------------------------------------- session settings

void TCTLibDatabase::sendOption(int option, int value)
{
    if (!m_connection)
        return;
    const TAnswerDeadline::Waiting waiting(m_deadline.get());
    startAnswer();
    CS_INT argument = value;
    ct_options(m_connection.get(), CS_SET, option, &argument, CS_UNUSED, nullptr);
}

void TCTLibDatabase::ApplyProcOptions(TProcOptions options)
{
    struct Row {
        TProcOption member;
        CS_INT option;
        bool anyRdbms;
    };
    static const Row rows[] = {
        {poAnsiNull, CS_OPT_ANSINULL, true},        {poAnsiPerm, CS_OPT_ANSIPERM, false},
        {poArithIgnore, CS_OPT_ARITHIGNORE, false}, {poFormatOnly, CS_OPT_FORMATONLY, false},
        {poArithAbort, CS_OPT_ARITHABORT, false},   {poFipsFlag, CS_OPT_FIPSFLAG, false},
        {poChainXActs, CS_OPT_CHAINXACTS, false},   {poForcePlan, CS_OPT_FORCEPLAN, false},
        {poNoCount, CS_OPT_NOCOUNT, false},         {poParseOnly, CS_OPT_PARSEONLY, false},
        {poStatsIo, CS_OPT_STATS_IO, false},        {poStatsTime, CS_OPT_STATS_TIME, false},
        {poTruncIgnore, CS_OPT_TRUNCIGNORE, false}, {poNoExec, CS_OPT_NOEXEC, false},
        {poShowPlan, CS_OPT_SHOWPLAN, false},       {poQuotedIdent, CS_OPT_QUOTED_IDENT, true},
        {poStrRTrunc, CS_OPT_STR_RTRUNC, false},
    };
    for (const Row& row : rows) {
        const bool wanted = options.testFlag(row.member);
        if (wanted == m_appliedOptions.testFlag(row.member))
            continue;
        if (!m_connection || !(row.anyRdbms || isSybase()))
            continue;
        CS_BOOL value = wanted ? CS_TRUE : CS_FALSE;
        const TAnswerDeadline::Waiting waiting(m_deadline.get());
        startAnswer();
        ct_options(m_connection.get(), CS_SET, row.option, &value, CS_UNUSED, nullptr);
    }
    ProcOptions = options;
    m_appliedOptions = options;
}

void TCTLibDatabase::setDbName(const QString& name)
{
    if (m_connected && !name.trimmed().isEmpty() && switchesDatabase()) {
        executeInternal(QStringLiteral("USE ") + name);
    }
    m_dbName = name;
}

void TCTLibDatabase::setTextSize(int bytes)
{
    m_textSize = bytes;
    if (m_connected)
        sendOption(CS_OPT_TEXTSIZE, bytes);
}

// FreeTDS refuses CS_OPT_ROWCOUNT, so the limit goes to the server as a statement.
void TCTLibDatabase::setRowCount(int rows)
{
    m_rowCount = rows;
    if (!m_connected || !isSybase())
        return;
    executeInternal(QStringLiteral("set rowcount %1").arg(rows));
}

void TCTLibDatabase::setTransLevel(TTransLevel level)
{
    m_transLevel = level;
    if (m_connected)
        sendOption(CS_OPT_ISOLATION, level == tlLevel3 ? CS_OPT_LEVEL3 : CS_OPT_LEVEL1);
}

void TCTLibDatabase::setDebugOptions(TDebugOptions options)
{
    m_debugOptions = options;
    if (DebugFile.isEmpty() || !Debug)
        return;
    QByteArray file = DebugFile.left(1024).toLocal8Bit();
    compat_ct_debug(m_context, m_connection.get(), CS_SET_DBG_FILE, CS_UNUSED, file.data(),
                    CS_NULLTERM);
    const std::pair<TDebugOption, CS_INT> rows[] = {
        {doAll, CS_DBG_ALL},
        {doApi_States, CS_DBG_API_STATES},
        {doError, CS_DBG_ERROR},
        {doMem, CS_DBG_MEM},
        {doNetwork, CS_DBG_NETWORK},
        {doDiag, CS_DBG_DIAG},
        {doProtocol_States, CS_DBG_PROTOCOL_STATES},
    };
    for (const auto& [member, flag] : rows)
        compat_ct_debug(m_context, m_connection.get(),
                        options.testFlag(member) ? CS_SET_FLAG : CS_CLEAR_FLAG, flag, nullptr,
                        CS_UNUSED);
}

int TCTLibDatabase::packetSize() const
{
    if (m_connected) {
        CS_INT size = m_packetSize;
        if (ct_con_props(m_connection.get(), CS_GET, CS_PACKETSIZE, &size, CS_UNUSED, nullptr) ==
            CS_SUCCEED)
            const_cast<TCTLibDatabase*>(this)->m_packetSize = size;
    }
    return m_packetSize;
}

QString TCTLibDatabase::language() const
{
    TCTLibContext* c = context();
    return c ? c->language() : QString();
}
void TCTLibDatabase::setLanguage(const QString& name)
{
    if (TCTLibContext* c = context())
        c->setLanguage(name);
}
QString TCTLibDatabase::charSet() const
{
    TCTLibContext* c = context();
    return c ? c->charSet() : QString();
}
void TCTLibDatabase::setCharSet(const QString& name)
{
    if (TCTLibContext* c = context())
        c->setCharSet(name);
}
QString TCTLibDatabase::sortOrder() const
{
    TCTLibContext* c = context();
    return c ? c->sortOrder() : QString();
}
void TCTLibDatabase::setSortOrder(const QString& name)
{
    if (TCTLibContext* c = context())
        c->setSortOrder(name);
}
int TCTLibDatabase::maxConnect() const
{
    TCTLibContext* c = context();
    return c ? c->maxConnect() : 0;
}
void TCTLibDatabase::setMaxConnect(int value)
{
    if (TCTLibContext* c = context())
        c->setMaxConnect(value);
}
int TCTLibDatabase::timeOut() const
{
    TCTLibContext* c = context();
    return c ? c->timeOut() : 0;
}
void TCTLibDatabase::setTimeOut(int seconds)
{
    if (seconds < 1)
        throw ECTLibException(QStringLiteral("Invalid TimeOut value"));
    if (TCTLibContext* c = context())
        c->setTimeOut(seconds);
}

bool TCTLibDatabase::connectionLost() const
{
    CS_INT status = 0;
    return m_connected && m_connection &&
           ct_con_props(m_connection.get(), CS_GET, CS_CON_STATUS, &status, CS_UNUSED, nullptr) ==
               CS_SUCCEED &&
           (status & CS_CONSTAT_DEAD) != 0;
}

QString TCTLibDatabase::failedCallText(const char* call) const
{
    return connectionLost() ? QStringLiteral("The connection to the server was lost.")
                            : QLatin1String(call) + QStringLiteral(" Failed");
}

int TCTLibDatabase::loginTimeOut() const
{
    TCTLibContext* c = context();
    return c ? c->loginTimeOut() : 0;
}
void TCTLibDatabase::setLoginTimeOut(int seconds)
{
    if (seconds < 1)
        throw ECTLibException(QStringLiteral("Invalid LoginTimeOut value"));
    if (TCTLibContext* c = context())
        c->setLoginTimeOut(seconds);
}

// ---------------------------------------------------------------- idle timer

void TCTLibDatabase::setIdleTime(int minutes)
{
    m_idleTime = minutes;
    if (minutes <= 0) {
        m_idleTimer.reset();
        return;
    }
    if (!m_idleTimer) {
        m_idleTimer = std::make_unique<QTimer>();
        connect(m_idleTimer.get(), &QTimer::timeout, this, [this] { onIdleTimer(); });
    }
    m_idleTimer->start(minutes * 60000);
}

void TCTLibDatabase::RestartIdleTimer()
{
    if (!m_idleTimer || m_idleTimer->interval() == 0)
        return;
    // A timer is started by its own thread: a command sent by a script built in the
    // background restarts it from there.
    if (m_idleTimer->thread() == QThread::currentThread())
        m_idleTimer->start();
    else
        QMetaObject::invokeMethod(m_idleTimer.get(), qOverload<>(&QTimer::start),
                                  Qt::QueuedConnection);
}

void TCTLibDatabase::onIdleTimer()
{
    if (!IdleSQL.trimmed().isEmpty()) {
        try {
            executeInternal(IdleSQL);
        } catch (...) {
            // The keep-alive must never end the program; the timer keeps running.
        }
        return;
    }
    DisConnect();
    if (m_idleTimer)
        m_idleTimer->stop();
    fire(OnTimerDisConnect, this);
}

// ---------------------------------------------------------------- parameters

void TCTLibDatabase::ApplyParams(const QStringList* params)
{
    if (!params)
        throw EDatabaseError(QStringLiteral("Missing DbParams"), this);
    for (const QString& line : *params) {
        const int equals = line.indexOf(QLatin1Char('='));
        const QString key = (equals < 0 ? line : line.left(equals)).toUpper().trimmed();
        const QString value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
        auto flag = [&] { return parseInteger(value) != 0; };
        if (key == QLatin1String("DBNAME"))
            setDbName(value);
        else if (key == QLatin1String("PASSWORD"))
            Password = value;
        else if (key == QLatin1String("USERNAME"))
            UserName = value;
        else if (key == QLatin1String("CONTEXTNAME"))
            ContextName = value;
        else if (key == QLatin1String("SERVERNAME"))
            ServerName = value;
        else if (key == QLatin1String("DEBUGFILE"))
            DebugFile = value;
        else if (key == QLatin1String("LANGUAGE"))
            setLanguage(value);
        else if (key == QLatin1String("INIFILE"))
            IniFile = value;
        else if (key == QLatin1String("SORTORDER"))
            setSortOrder(value);
        else if (key == QLatin1String("CHARSET"))
            setCharSet(value);
        else if (key == QLatin1String("RDBMS"))
            Rdbms = value;
        else if (key == QLatin1String("APPNAME"))
            AppName = value;
        else if (key == QLatin1String("HOSTNAME"))
            HostName = value;
        else if (key == QLatin1String("MONITOR"))
            Monitor = flag();
        else if (key == QLatin1String("RDBMSPROMPT"))
            RdbmsPrompt = flag();
        else if (key == QLatin1String("RDBMSSHOW"))
            RdbmsShow = flag();
        else if (key == QLatin1String("EMULATEASE"))
            EmulateASE = flag();
        else if (key == QLatin1String("DEBUG"))
            Debug = flag();
        else if (key == QLatin1String("LOGINPROMPT"))
            LoginPrompt = flag();
        else if (key == QLatin1String("SERVERPROMPT"))
            ServerPrompt = flag();
        else if (key == QLatin1String("SERVERSHOW"))
            ServerShow = flag();
        else if (key == QLatin1String("CONNECTERROR"))
            ConnectError = flag();
        else if (key == QLatin1String("FORCECLOSE"))
            ForceClose = flag();
        else if (key == QLatin1String("ABORTONPWDEXP"))
            AbortOnPwdExp = flag();
        else if (key == QLatin1String("MAXCONNECT"))
            setMaxConnect(parseInteger(value));
        else if (key == QLatin1String("TIMEOUT"))
            setTimeOut(parseInteger(value));
        else if (key == QLatin1String("PACKETSIZE"))
            setPacketSize(parseInteger(value));
        else if (key == QLatin1String("TEXTSIZE"))
            setTextSize(parseInteger(value));
    }
}

// ---------------------------------------------------------------- services

void TCTLibDatabase::SendToMonitor(const QString& text)
{
    if (Monitor && parent())
        sendToSqlMonitor(text, quintptr(parent()));
}

QString TCTLibDatabase::GetServerVersion()
{
    if (!m_connected)
        return QString();
    return m_statements->run(QStringLiteral("SELECT DbVersion=@@version"));
}

// cs_time is a stub in FreeTDS: the current time is formatted here, in the form the
// library gives datetime values converted to text ("Dec  7 2026 07:45PM").
QString TCTLibDatabase::GetServerDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale c = QLocale::c();
    const QTime time = now.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1 %2 %3 %4:%5%6")
        .arg(c.monthName(now.date().month(), QLocale::ShortFormat))
        .arg(now.date().day(), 2, 10, QLatin1Char(' '))
        .arg(now.date().year())
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

// ---------------------------------------------------------------- lookup

TCTLibDatabase* FindDatabase(const QString& name)
{
    if (!databaseRegistry)
        return nullptr;
    for (TCTLibDatabase* database : *databaseRegistry) {
        if (database->objectName() == name)
            return database;
    }
    return nullptr;
}

void CheckDatabaseName(const QString& name, const QObject* component)
{
    if (name.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Database name missing"), component);
    if (!FindDatabase(name))
        throw EDatabaseError(QStringLiteral("Could not find CTLibDatabase component named ") + name,
                             component);
}

QList<TCTLibDatabase*> RegisteredDatabases()
{
    return databaseRegistry ? *databaseRegistry : QList<TCTLibDatabase*>();
}
