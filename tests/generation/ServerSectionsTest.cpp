// The server's own sections from their records: the statements a new server needs, in
// the order it needs them, and what waits for later.
#include "MarkedObject.h"
#include "ServerSections.h"

#include <gtest/gtest.h>

namespace {
TDatabaseFragment fragment(const char* device, qint64 megabytes, int segmentMap)
{
    return TDatabaseFragment{QString::fromLatin1(device), megabytes * 1024, segmentMap};
}

QString joined(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}

TScriptOptions withoutGuards()
{
    TScriptOptions options;
    options.AddDrop = false;
    return options;
}
}  // namespace

// Fragments come back in the order of their logical pages: a log between two data
// fragments can only be re-made by an ALTER DATABASE after the CREATE.
TEST(ServerSections, DatabaseFragmentsKeepTheirOrderAndSegmentsTheirDevices)
{
    TServerDatabase sales;
    sales.Name = QStringLiteral("sales");
    sales.Owner = QStringLiteral("dbowner");
    sales.Fragments = {fragment("dev1", 100, 0x3), fragment("logdev", 20, 0x4),
                       fragment("dev2", 50, 0x3 | 0x8), fragment("dev3", 1, 0x2 | 0x8)};
    sales.Segments = {{0, QStringLiteral("system")},
                      {1, QStringLiteral("default")},
                      {2, QStringLiteral("logsegment")},
                      {3, QStringLiteral("big")}};
    sales.Options = {QStringLiteral("select into/bulkcopy/pllsort"), QStringLiteral("read only")};
    sales.Thresholds = {{QStringLiteral("big"), 2048, QStringLiteral("sp_warn")}};

    const TServerSection section = databaseSection(sales, withoutGuards());
    const QString text = joined(section.Lines);
    EXPECT_TRUE(
        text.contains("CREATE DATABASE sales ON dev1 = '100M' LOG ON logdev = '20M'\nGO\n"
                      "ALTER DATABASE sales ON dev2 = '50M'\nGO\n"
                      "ALTER DATABASE sales ON dev3 = '1M'\nGO"))
        << qPrintable(text);
    // dev3 lost the system segment; "big" lies on dev2 and dev3.
    EXPECT_TRUE(text.contains("EXECUTE sp_dropsegment system, sales, dev3")) << qPrintable(text);
    EXPECT_TRUE(
        text.contains("EXECUTE sp_addsegment big, sales, dev2\nGO\n"
                      "EXECUTE sp_extendsegment big, sales, dev3"))
        << qPrintable(text);
    EXPECT_TRUE(text.contains("USE sales\nGO")) << qPrintable(text);
    EXPECT_TRUE(text.contains("EXECUTE sp_addthreshold sales, big, 2048, sp_warn"));
    EXPECT_TRUE(text.endsWith("USE master\nGO")) << qPrintable(text);
    EXPECT_TRUE(text.contains("sp_dboption sales, 'select into/bulkcopy/pllsort', true"));
    // Read only would refuse the database's own objects: it waits for the end; the owner
    // waits for the logins.
    EXPECT_FALSE(text.contains("read only"));
    EXPECT_TRUE(joined(section.AtEnd).contains("sp_dboption sales, 'read only', true"));
    EXPECT_TRUE(joined(section.AfterLogins).contains("EXECUTE sp_changedbowner 'dbowner'"));
}

TEST(ServerSections, DataAndLogOnOneDeviceIsOneCreateWithoutLogOn)
{
    TServerDatabase small;
    small.Name = QStringLiteral("small db");
    small.Owner = QStringLiteral("sa");
    small.Fragments = {fragment("dev1", 3, 0x7), fragment("dev1", 2, 0x7)};
    const TServerSection section = databaseSection(small, TScriptOptions());
    const QString text = joined(section.Lines);
    EXPECT_TRUE(
        text.contains("SET QUOTED_IDENTIFIER ON\nGO\n"
                      "IF NOT EXISTS(SELECT * FROM master.dbo.sysdatabases WHERE name = "
                      "'small db')\n  CREATE DATABASE \"small db\" ON dev1 = '3M'\nGO\n"
                      "IF (SELECT count(*) FROM master.dbo.sysusages WHERE dbid = "
                      "db_id('small db')) < 2\n  ALTER DATABASE \"small db\" ON dev1 = '2M'"))
        << qPrintable(text);
    EXPECT_TRUE(section.AfterLogins.isEmpty());

    // Its segments are mapped from inside it: USE of such a name needs quoted identifiers.
    small.Segments = {{3, QStringLiteral("extra")}};
    small.Fragments = {fragment("dev1", 3, 0x7 | 0x8)};
    const QString inside = joined(databaseSection(small, TScriptOptions()).Lines);
    EXPECT_TRUE(
        inside.contains("SET QUOTED_IDENTIFIER ON\nGO\nUSE \"small db\"\nGO\n"
                        "SET QUOTED_IDENTIFIER OFF\nGO\n"))
        << qPrintable(inside);
}

// A hash is loaded as it is stored; without one the script stops until the placeholder is
// replaced, and the run says so.
TEST(ServerSections, LoginsKeepTheirHashOrStopAtAPlaceholder)
{
    TServerLogin login;
    login.Name = QStringLiteral("alice");
    login.Suid = 7;
    login.PasswordHash = QStringLiteral("0x05ab");
    login.DefaultDatabase = QStringLiteral("sales");
    login.Language = QStringLiteral("us_english");
    login.FullName = QStringLiteral("Alice O'Hara");
    login.Locked = true;
    login.Roles = {QStringLiteral("clerk"), QStringLiteral("sa_role")};
    login.DefaultRoles = {QStringLiteral("clerk")};

    TServerSection section = loginSection(login, withoutGuards());
    QString text = joined(section.Lines);
    EXPECT_TRUE(
        text.contains("CREATE LOGIN alice WITH ENCRYPTED PASSWORD '0x05ab' SUID 7 FULLNAME "
                      "'Alice O''Hara' DEFAULT DATABASE sales DEFAULT LANGUAGE us_english"))
        << qPrintable(text);
    EXPECT_TRUE(text.contains("EXECUTE sp_locklogin 'alice', 'lock'"));
    EXPECT_FALSE(text.contains("syb_quit"));
    EXPECT_TRUE(section.Warnings.isEmpty());
    const QString grants = joined(section.AfterLogins);
    EXPECT_TRUE(
        grants.contains("GRANT ROLE clerk TO alice\nGO\n"
                        "EXECUTE sp_modifylogin 'alice', 'add default role', 'clerk'"))
        << qPrintable(grants);
    EXPECT_TRUE(grants.contains("GRANT ROLE sa_role TO alice"));

    TScriptOptions placeholders = withoutGuards();
    placeholders.PasswordPlaceholders = true;
    section = loginSection(login, placeholders);
    text = joined(section.Lines);
    const int stop = text.indexOf("SELECT syb_quit()");
    const int create = text.indexOf("CREATE LOGIN alice WITH PASSWORD '<password of alice>'");
    EXPECT_GE(stop, 0) << qPrintable(text);
    EXPECT_GT(create, stop) << qPrintable(text);
    EXPECT_FALSE(text.contains("0x05ab"));
    ASSERT_EQ(section.Warnings.size(), 1);
}

TEST(ServerSections, ServerKindsComeFirstInTheOrderANewServerNeeds)
{
    const TMarkedObjectList objects{{"sales", ObjectKind::Tables, "dbo.t"},
                                    {"", ObjectKind::Logins, "alice"},
                                    {"", ObjectKind::RemoteServers, "REMOTE"},
                                    {"", ObjectKind::Databases, "sales"},
                                    {"", ObjectKind::Roles, "clerk"},
                                    {"", ObjectKind::Devices, "dev1"},
                                    {"", ObjectKind::Configuration, "number of locks"}};
    QStringList order;
    for (const TMarkedObject& object : inReplayOrder(objects))
        order << object.Caption;
    EXPECT_EQ(order, QStringList({"number of locks", "dev1", "sales", "alice", "clerk", "REMOTE",
                                  "dbo.t"}));
}
