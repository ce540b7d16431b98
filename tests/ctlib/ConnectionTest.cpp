// Logging in and out through FreeTDS against tdsim: the login dialog, the properties,
// the database switch, the failure messages.
#include "CTLibContext.h"
#include "CTLibException.h"
#include "ServerFixture.h"

#include <QFileInfo>
#include <QTimer>

namespace {
using ConnectionTest = ServerTest;

TEST_F(ConnectionTest, ConnectSelectsTheDatabaseAndDisconnectFiresEvents)
{
    QStringList events;
    db->BeforeConnect = [&](QObject*) { events << "BeforeConnect"; };
    db->AfterConnect = [&](QObject* sender) {
        EXPECT_EQ(sender, db.get());
        events << "AfterConnect";
    };
    db->BeforeDisConnect = [&](QObject*) { events << "BeforeDisConnect"; };
    db->AfterDisConnect = [&](QObject*) { events << "AfterDisConnect"; };
    db->HostName = "client-host";
    db->Connect();
    ASSERT_TRUE(db->connected());
    EXPECT_EQ(db->HostName, "client-host");  // read back from the library
    auto q = query("select db_name()");
    EXPECT_EQ(firstColumn(*q), QStringList{"testdb"});
    // 5701 "Changed database context" is never shown.
    EXPECT_TRUE(ui->messages.empty());
    db->DisConnect();
    EXPECT_FALSE(db->connected());
    EXPECT_EQ(events, (QStringList{"BeforeConnect", "AfterConnect", "BeforeDisConnect",
                                   "AfterDisConnect"}));
    db->DisConnect();  // not connected: the events still fire
    EXPECT_EQ(events.size(), 6);
}

TEST_F(ConnectionTest, WrongPasswordRaisesTheFormattedLoginMessage)
{
    db->UserName = "alice";
    db->Password = "wrong";
    int errors = 0;
    db->OnDbError = [&](QObject*) { ++errors; };
    try {
        db->Connect();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message().trimmed(),
                  "db: Server   : TDSIM\r\nMessage  : 4002\r\nSeverity : 14\r\n\r\nLogin failed.");
    }
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(db->LastServerMessage().number, 4002);
    EXPECT_FALSE(db->connected());
    // A failed login leaves the component able to try again.
    db->Password = "secret";
    db->Connect();
    EXPECT_TRUE(db->connected());
}

TEST_F(ConnectionTest, WrongPasswordWithoutConnectErrorOnlyShowsTheMessage)
{
    db->UserName = "alice";
    db->Password = "wrong";
    db->ConnectError = false;
    EXPECT_NO_THROW(db->Connect());
    EXPECT_FALSE(db->connected());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].title, "CT-Library error");
    EXPECT_TRUE(ui->messages[0].text.contains("Message  : 4002"));
    EXPECT_FALSE(ui->messages[0].text.contains("Line"));
}

TEST_F(ConnectionTest, ErrorsShownInTheMessageWindowEndSilently)
{
    db->Password = "wrong";
    db->setMsgDialogs(mdEnhErr);
    EXPECT_THROW(db->Connect(), EAbort);
    ASSERT_EQ(ui->windows.size(), 1u);
    EXPECT_EQ(ui->windows[0].caption, "CT-Library error");
    EXPECT_EQ(ui->beeps, 1);
}

TEST_F(ConnectionTest, LoginDialogIsAskedAndItsAnswerUsed)
{
    db->LoginPrompt = true;
    db->Rdbms = "something else";
    LoginRequest answer;
    answer.serverName = TdsimServer::serverName();
    answer.userName = "alice";
    answer.password = "secret";
    answer.rdbms = "Sybase SQL Server";
    ui->loginAnswer = answer;
    db->Connect();
    ASSERT_EQ(ui->loginRequests.size(), 1u);
    EXPECT_EQ(ui->loginRequests[0].serverList, QStringList{"tdsim"});
    EXPECT_EQ(ui->loginRequests[0].userName, "sa");
    EXPECT_TRUE(db->connected());
    EXPECT_EQ(db->UserName, "alice");
    EXPECT_EQ(db->Rdbms, "Sybase SQL Server");
    auto q = query("select suser_name()");
    EXPECT_EQ(firstColumn(*q), QStringList{"alice"});
}

TEST_F(ConnectionTest, CancelledLoginDialogRaisesNothingAndFiresNothing)
{
    db->LoginPrompt = true;
    bool afterConnect = false;
    db->AfterConnect = [&](QObject*) { afterConnect = true; };
    EXPECT_NO_THROW(db->Connect());
    EXPECT_FALSE(db->connected());
    EXPECT_FALSE(afterConnect);
    EXPECT_EQ(ui->loginRequests.size(), 1u);
}

TEST_F(ConnectionTest, LoginFieldsLongerThanThirtyCharactersAreRefused)
{
    db->UserName = QString(31, 'u');
    try {
        db->Connect();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.message().contains("UserName"));
        EXPECT_TRUE(error.message().contains("30"));
    }
    EXPECT_FALSE(db->connected());
    db->UserName = "sa";
    db->AppName = QString(30, 'a');  // exactly 30 fits
    db->Connect();
    EXPECT_TRUE(db->connected());
}

TEST_F(ConnectionTest, UnknownServerNameIsAClientError)
{
    db->ServerName = "no_such_server";
    try {
        db->Connect();
        FAIL() << "no error raised";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.message().startsWith("db: Message  : "));
    }
    EXPECT_FALSE(db->connected());
}

TEST_F(ConnectionTest, InitStringRunsAfterUseAndConnectOnlySkipsBoth)
{
    db->InitString = "create table #init_marker (x int)";
    db->Connect();
    auto q = query("select count(*) from #init_marker");
    EXPECT_EQ(firstColumn(*q), QStringList{"0"});
    db->DisConnect();

    db->ConProps = cpConnect_Only;
    db->Connect();
    auto current = query("select db_name()");
    EXPECT_EQ(firstColumn(*current), QStringList{"master"});
}

TEST_F(ConnectionTest, DbNameChangesWhileConnectedSwitchAtOnce)
{
    db->Connect();
    db->setDbName("master");
    auto q = query("select db_name()");
    EXPECT_EQ(firstColumn(*q), QStringList{"master"});
    EXPECT_THROW(db->setDbName("no_such_db"), EDatabaseError);
    EXPECT_EQ(db->dbName(), "master");
    db->setDbName("   ");  // blank: no USE is sent
    EXPECT_EQ(firstColumn(*q), QStringList{"master"});
}

TEST_F(ConnectionTest, RowCountIsSentAsStatement)
{
    db->setRowCount(2);
    db->Connect();
    auto q = query("select id from people order by id");
    EXPECT_EQ(firstColumn(*q), (QStringList{"1", "2"}));
    db->setRowCount(0);
    EXPECT_EQ(firstColumn(*q).size(), 5);
}

TEST_F(ConnectionTest, ServerVersionAndDateTime)
{
    EXPECT_EQ(db->GetServerVersion(), QString());  // not connected: nothing sent
    db->Connect();
    EXPECT_TRUE(db->GetServerVersion().contains("Adaptive Server"));
    EXPECT_TRUE(db->GetServerDateTime().contains(
        QRegularExpression("^[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [01][0-9]:[0-5][0-9][AP]M$")));
}

TEST_F(ConnectionTest, PacketSizeIsReadFromTheLibraryWhileConnected)
{
    db->setPacketSize(2048);
    db->Connect();
    EXPECT_EQ(db->packetSize(), 2048);
}

TEST_F(ConnectionTest, DestroyingTheLastConnectionDestroysTheAutomaticContext)
{
    ASSERT_NE(FindContext("default"), nullptr);
    db->Connect();
    db.reset();
    EXPECT_EQ(FindContext("default"), nullptr);
    TCTLibDatabase again;  // a fresh one creates it anew and can connect
    s_server->configure(again);
    again.SetName("again");
    again.Connect();
    EXPECT_TRUE(again.connected());
}
}  // namespace

namespace {
void expireIdleTimer(TCTLibDatabase& db)
{
    ASSERT_NE(db.IdleTimer(), nullptr);
    QMetaObject::invokeMethod(db.IdleTimer(), "timeout", Qt::DirectConnection);
}

TEST_F(ConnectionTest, IdleTimerWithoutIdleSqlDisconnects)
{
    db->Connect();
    db->setIdleTime(1);
    bool fired = false;
    db->OnTimerDisConnect = [&](QObject*) { fired = true; };
    expireIdleTimer(*db);
    EXPECT_FALSE(db->connected());
    EXPECT_TRUE(fired);
    EXPECT_FALSE(db->IdleTimer()->isActive());
}

TEST_F(ConnectionTest, IdleTimerKeepsAliveAndSwallowsErrors)
{
    db->Connect();
    db->setIdleTime(1);
    db->IdleSQL = "select * from no_such_table";
    expireIdleTimer(*db);  // the error is shown but does not escape
    EXPECT_TRUE(db->connected());
    db->IdleSQL = "select 1";
    expireIdleTimer(*db);
    EXPECT_TRUE(db->connected());
}
}  // namespace

#include "SqlMonitor.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>

namespace {
// A stand-in for the SQL monitor: listens on the socket the trace lines go to.
class MonitorListener {
public:
    MonitorListener()
    {
        const QByteArray path = QFile::encodeName(sqlMonitorSocketPath());
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        ::unlink(path.constData());
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_fd, 64), 0);
    }
    ~MonitorListener() { ::close(m_fd); }
    // The text of the next record (identifier 99, sender, length, text with its NUL).
    QString nextText()
    {
        const int client = ::accept(m_fd, nullptr, nullptr);
        QByteArray bytes;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(client, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        ::close(client);
        EXPECT_GE(bytes.size(), 17);
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData()), 99u);
        return QString::fromUtf8(bytes.mid(16).chopped(1));
    }

private:
    int m_fd = -1;
};

TEST_F(ConnectionTest, MonitorReceivesTheTraceLinesOnlyWhenOnAndOwned)
{
    QTemporaryDir temp;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    {
        MonitorListener monitor;
        QObject owner;
        db->setParent(&owner);
        db->Monitor = true;
        db->Connect();
        EXPECT_EQ(monitor.nextText(),
                  "SQL Connect: UserName = sa, ServerName = tdsim, DbName = testdb");
        EXPECT_EQ(monitor.nextText(), "Connected");
        db->setParent(nullptr);
        db->SendToMonitor("no owner: not sent");
        db->setParent(&owner);
        db->SendToMonitor("sent");
        EXPECT_EQ(monitor.nextText(), "sent");
        db->Monitor = false;
        db->setParent(nullptr);
    }
    // Nobody listening: nothing happens.
    EXPECT_FALSE(sendToSqlMonitor("lost", 1));
    qputenv("TMPDIR", previous);
}
}  // namespace

namespace {
TEST_F(ConnectionTest, DebugFileBecomesFreeTdsDumpOnlyWithDebugOn)
{
    QTemporaryDir temp;
    const QString dump = temp.path() + "/ct.log";
    qunsetenv("TDSDUMP");
    db->DebugFile = dump;
    db->setDebugOptions(doAll);  // Debug is off: nothing happens
    EXPECT_FALSE(qEnvironmentVariableIsSet("TDSDUMP"));
    db->Debug = true;
    db->setDebugOptions(doAll | doNetwork);
    EXPECT_EQ(qEnvironmentVariable("TDSDUMP"), dump);
    db->Connect();
    ASSERT_TRUE(db->connected());
    // FreeTDS was handed a copy of the interfaces file carrying the flags.
    const QString conf = qEnvironmentVariable("FREETDSCONF");
    EXPECT_NE(conf, s_server->iniFile());
    QFile copy(conf);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    const QByteArray text = copy.readAll();
    EXPECT_TRUE(text.contains("debug flags = 0x4fff"));
    EXPECT_TRUE(text.contains("[tdsim]"));
    EXPECT_TRUE(QFileInfo(dump).size() > 0);
    db->DisConnect();
    qunsetenv("TDSDUMP");
}
}  // namespace
