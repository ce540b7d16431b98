// What needs no server: the decisions of the message processing, the registries, the
// server list, the context's settings and the parameter lines.
#include "CTLibBase.h"
#include "CTLibContext.h"
#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "DiagMessages.h"
#include "RecordingUserInterface.h"
#include "ServerList.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

namespace {
TServerMessage serverMessage(int number, int severity, const QString& text, int line = 7)
{
    TServerMessage msg;
    msg.number = number;
    msg.severity = severity;
    msg.text = text;
    msg.server = "S";
    msg.line = line;
    return msg;
}

TEST(DiagPlanTest, InformationFromOneServerIsJoinedWithoutSeparator)
{
    const TDiagPlan plan = PlanDiagMessages(
        {serverMessage(3000, 10, "t1"), serverMessage(3001, 5, "t2")}, std::nullopt, true);
    EXPECT_TRUE(plan.errors.empty());
    EXPECT_EQ(plan.information, "Server   : S\r\nt1t2");
}

TEST(DiagPlanTest, FilteredNumbersAndSeverities)
{
    struct Row {
        const char* name;
        TServerMessage msg;
        bool shown;
    };
    const Row rows[] = {
        {"number 0, severity 0", serverMessage(0, 0, "print"), false},
        {"5701 never", serverMessage(5701, 10, "Changed database context"), false},
        {"2401 never, even as error", serverMessage(2401, 16, "x"), false},
        {"2409 never", serverMessage(2409, 11, "x"), false},
        {"below 1000, severity 4, text", serverMessage(999, 4, "warn"), true},
        {"below 1000, severity 4, blank", serverMessage(999, 4, "   "), false},
        {"below 1000, severity 3", serverMessage(999, 3, "x"), false},
        {"1000 and up", serverMessage(1000, 0, "x"), true},
    };
    for (const Row& row : rows) {
        const TDiagPlan plan = PlanDiagMessages({row.msg}, std::nullopt, true);
        EXPECT_EQ(!plan.information.isEmpty() || !plan.errors.empty(), row.shown) << row.name;
    }
}

TEST(DiagPlanTest, ErrorFormatsWithLineOnlyForQueriesAndNeverFor4002)
{
    const auto queryPlan =
        PlanDiagMessages({serverMessage(208, 16, "no table", 3)}, std::nullopt, true);
    ASSERT_EQ(queryPlan.errors.size(), 1u);
    EXPECT_EQ(queryPlan.errors[0].text,
              "Server   : S\r\nMessage  : 208\r\nSeverity : 16\r\nLine     : 3\r\n\r\nno table");
    const auto loginPlan =
        PlanDiagMessages({serverMessage(4002, 14, "Login failed.")}, std::nullopt, true);
    EXPECT_EQ(loginPlan.errors[0].text,
              "Server   : S\r\nMessage  : 4002\r\nSeverity : 14\r\n\r\nLogin failed.");
    const auto connectionPlan =
        PlanDiagMessages({serverMessage(208, 16, "x")}, std::nullopt, false);
    EXPECT_FALSE(connectionPlan.errors[0].text.contains("Line"));
}

TEST(DiagPlanTest, FirstServerErrorEndsTheServerMessagesAndTheClientErrorFollows)
{
    TClientMessage client{20009, 9, "Unable to connect", "os"};
    const TDiagPlan plan =
        PlanDiagMessages({serverMessage(3000, 10, "before"), serverMessage(208, 16, "first"),
                          serverMessage(209, 16, "second"), serverMessage(3001, 10, "after")},
                         client, true);
    ASSERT_EQ(plan.errors.size(), 2u);
    EXPECT_TRUE(plan.errors[0].text.endsWith("first"));
    EXPECT_EQ(plan.errors[1].text,
              "Message  : 20009\r\nSeverity : 9\r\n\r\nUnable to connect\r\nos");
    EXPECT_EQ(plan.information, "Server   : S\r\nbefore");
    const TClientMessage mild{1, 2, "mild", ""};
    EXPECT_TRUE(PlanDiagMessages({}, mild, true).errors.empty());
}

TEST(ExceptionTest, NumberedTextsAndComponentPrefix)
{
    EXPECT_EQ(ECTLibException("8").message(), "ct_con_alloc Failed");
    EXPECT_EQ(ECTLibException("24").message(), "cs_locale Failed");
    EXPECT_EQ(ECTLibException("99").message(), "99");
    EXPECT_EQ(ECTLibException("ct_init Failed").message(), "ct_init Failed");
    QObject named;
    named.setObjectName("q");
    EXPECT_EQ(EDatabaseError("Command failed", &named).message(), "q: Command failed");
    EXPECT_EQ(EDatabaseError("Command failed", nullptr).message(), "Command failed");
}

class ServerListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("ini");
        previous = qgetenv("SYBASE");
        qputenv("SYBASE", dir.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("SYBASE", previous); }
    void writeIni(const QByteArray& text)
    {
        QFile file(dir.path() + "/ini/sql.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QTemporaryDir dir;
    QByteArray previous;
};

TEST_F(ServerListTest, SectionsAreSortedWithoutRegardToCaseAndListedOnce)
{
    writeIni(
        "[global]\ntds version = 5.0\n[ZED]\nhost=a\n[alpha]\n; [commented]\n[beta]\n[ALPHA]\n");
    TCTLibDatabase db;
    EXPECT_EQ(db.ServerList, (QStringList{"alpha", "beta", "ZED"}));
    EXPECT_EQ(db.IniFile, dir.path() + "/ini/sql.ini");
    db.ServerList = QStringList{"stored"};
    db.Loaded();  // the file's names replace a stored list
    EXPECT_EQ(db.ServerList, (QStringList{"alpha", "beta", "ZED"}));
}

TEST_F(ServerListTest, MissingFileGivesAnEmptyListWithoutError)
{
    EXPECT_TRUE(readSectionNames(dir.path() + "/ini/none.ini").isEmpty());
    EXPECT_EQ(sortedServerNames({"b", "A", "a", "B"}), (QStringList{"A", "b"}));
}

TEST(RegistryTest, NamesAreExactAndUniqueAndRenamingRepointsBoundComponents)
{
    TCTLibDatabase first;
    first.SetName("db");
    TCTLibBase reader;
    reader.SetName("info");
    reader.DbName = "db";
    EXPECT_EQ(FindDatabase("db"), &first);
    EXPECT_EQ(FindDatabase("DB"), nullptr);
    TCTLibDatabase second;
    try {
        second.SetName("db");
        FAIL();
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), "A 'TCTLibDatabase' component named 'db' already exist");
    }
    first.SetName("main");
    EXPECT_EQ(reader.DbName, "main");
    EXPECT_EQ(FindDatabase("main"), &first);
    EXPECT_THROW(CheckDatabaseName(" ", nullptr), EDatabaseError);
    EXPECT_THROW(CheckDatabaseName("db", nullptr), EDatabaseError);
    EXPECT_NO_THROW(CheckDatabaseName("main", nullptr));
}

TEST(ContextTest, NamingAndValidatedSettings)
{
    ASSERT_TRUE(RegisteredContexts().isEmpty());
    TCTLibContext first;
    first.SetName("ctx1");
    TCTLibContext second;
    second.SetName("ctx2");
    EXPECT_EQ(first.ContextName, "default");
    EXPECT_EQ(second.ContextName, "context2");
    EXPECT_EQ(FindContext("context2"), &second);
    EXPECT_EQ(FindContextHandle("nothing"), nullptr);
    EXPECT_TRUE(first.ctLibVersion().contains("freetds"));
    first.setTimeOut(30);
    try {
        first.setTimeOut(0);
        FAIL();
    } catch (const ECTLibException& error) {
        EXPECT_EQ(error.message(), "Invalid TimeOut value");
    }
    EXPECT_EQ(first.timeOut(), 30);
    EXPECT_THROW(first.setMaxConnect(0), ECTLibException);
    const QString ini = first.iniFile();
    first.setIniFile("   ");
    EXPECT_EQ(first.iniFile(), ini);
    first.setIniFile("/tmp/other.ini");
    EXPECT_EQ(first.iniFile(), "/tmp/other.ini");
    EXPECT_THROW(first.setLoginTimeOut(0), ECTLibException);
    first.setLoginTimeOut(12);
    EXPECT_EQ(first.loginTimeOut(), 12);
}

TEST(ContextTest, SortOrderIsKeptThoughTheLibraryHasNone)
{
    TCTLibContext context;
    context.setSortOrder("binary");
    EXPECT_EQ(context.sortOrder(), "binary");
    context.setSortOrder("nocase");
    EXPECT_EQ(context.sortOrder(), "nocase");
    try {
        context.setSortOrder("no such order");
        FAIL();
    } catch (const ECTLibException& error) {
        EXPECT_EQ(error.message(), "cs_locale Failed. Invalid CS_SYB_SORTORDER");
    }
    EXPECT_EQ(context.sortOrder(), "nocase");
}

TEST(ContextTest, ConnectionWithoutItsContext)
{
    RecordingUserInterface ui;
    TCTLibDatabase db;
    db.ContextName = "missing";
    EXPECT_EQ(db.timeOut(), 0);
    EXPECT_EQ(db.maxConnect(), 0);
    EXPECT_EQ(db.language(), "");
    db.LoginPrompt = false;
    db.UserName = "sa";
    try {
        db.Connect();
        FAIL();
    } catch (const ECTLibException& error) {
        EXPECT_EQ(error.message(), "ct_con_alloc Failed");
    }
}

TEST(ApplyParamsTest, KeysValuesAndFailures)
{
    TCTLibDatabase db;
    EXPECT_THROW(db.ApplyParams(nullptr), EDatabaseError);
    const QStringList lines{" username = alice ", "=ignored",      "NOT A KEY",
                            "SERVERNAME=srv=1",   "LOGINPROMPT=0", "packetsize=2048",
                            "TEXTSIZE=abc",       "APPNAME=late"};
    EXPECT_THROW(db.ApplyParams(&lines), EConvertError);
    EXPECT_EQ(db.UserName, "alice");
    EXPECT_EQ(db.ServerName, "srv=1");
    EXPECT_FALSE(db.LoginPrompt);
    EXPECT_EQ(db.packetSize(), 2048);
    EXPECT_EQ(db.AppName, "");  // the lines after the failing one are not applied
    const QStringList timeout{"TIMEOUT=0"};
    try {
        db.ApplyParams(&timeout);
        FAIL();
    } catch (const ECTLibException& error) {
        EXPECT_EQ(error.message(), "Invalid TimeOut value");
    }
}

}  // namespace
