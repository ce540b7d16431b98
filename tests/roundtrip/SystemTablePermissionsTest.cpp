// Privileges on the system tables travel with the database's own: a database hardened as
// administrators do it (public's SELECT revoked on some sysobjects columns and on a whole
// system table, a group and a user given their own rows) is scripted with grants and
// replayed into a new database, which must end with the same sysprotects rows, and the
// script must run again over its own result. A database that keeps what every new database
// carries gets no such section.
#include "CatalogSnapshot.h"
#include "ConnectedServer.h"
#include "ScriptGenerator.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString kBanner = QStringLiteral("/************ permissions on system tables ************/");

const char* const kFixture = R"(create database hardened
go
create database plain
go
use hardened
go
exec sp_addlogin 'ann', 'ann_pw'
exec sp_addlogin 'bob', 'bob_pw'
go
exec sp_addgroup readers
go
exec sp_adduser ann, ann, readers
exec sp_adduser bob
go
create table orders (id int not null, note varchar(20) null)
go
grant select on orders to readers
revoke select on orders(note) from readers
go
revoke select on sysobjects(name, id) from public
revoke select on sysprotects from public
grant select on sysprotects to readers
grant select on syscomments to readers with grant option
revoke select on sysusers from bob
grant select (name, id) on sysindexes to ann
go
use plain
go
create table items (id int not null)
go
grant select on items to public
go
)";

class SystemTablePermissions : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_work = std::make_unique<QTemporaryDir>();
        const QString fixture = s_work->filePath("fixture.sql");
        ASSERT_TRUE(writeText(fixture, QByteArray(kFixture)));
        s_server = std::make_unique<ConnectedServer>(QStringList{fixture});
        // bsqldb reads the fixture's interfaces file first.
        qputenv("FREETDSCONF", QFile::encodeName(s_server->server.iniFile()));
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        s_work.reset();
    }

    static ToolResult cli(const QStringList& arguments)
    {
        return runSkelderCliOnServer(TdsimServer::serverName(),
                                     arguments + replayableScriptOptions());
    }

    static QString generate(const QString& database, const QStringList& extra = {})
    {
        const QString path = s_work->filePath(database + QStringLiteral(".sql"));
        const ToolResult result = cli(QStringList{"-D", database, "-o", path} + extra);
        EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
        return readText(path);
    }

    static QStringList replay(const QString& name, const QString& script)
    {
        return replayWithBsqldb(TdsimServer::serverName(), s_work->filePath(name), script);
    }

    static QString retargeted(QString script, const QString& from, const QString& to)
    {
        return script.replace(
            QRegularExpression(QStringLiteral("^USE ") + from + QStringLiteral("(?=\\r?$)"),
                               QRegularExpression::MultilineOption),
            QStringLiteral("USE ") + to);
    }

    static void expectSameCatalog(const QString& original, const QString& copy)
    {
        const QStringList differences =
            snapshotDifferences(catalogSnapshot(original), catalogSnapshot(copy));
        EXPECT_TRUE(differences.isEmpty()) << qPrintable(differences.join(QLatin1Char('\n')));
    }

    static inline std::unique_ptr<ConnectedServer> s_server;
    static inline std::unique_ptr<QTemporaryDir> s_work;
};

TEST_F(SystemTablePermissions, HardenedDatabaseIsRecreatedWithItsRowsAndRunsAgainOverThem)
{
    const QString script = generate("hardened");
    // The section ends the database's part, after its tables and their grants; only the
    // tables whose rows differ from a new database's are named.
    const qsizetype section = script.indexOf(kBanner);
    ASSERT_GT(section, script.indexOf("GRANT SELECT ON orders TO readers")) << qPrintable(script);
    const QString statements = script.mid(section);
    EXPECT_TRUE(statements.contains("REVOKE SELECT ON sysobjects FROM public"));
    EXPECT_TRUE(statements.contains("REVOKE SELECT (id,name) ON sysobjects FROM public") ||
                statements.contains("REVOKE SELECT (name,id) ON sysobjects FROM public"))
        << qPrintable(statements);
    EXPECT_FALSE(statements.contains("ON syscolumns")) << qPrintable(statements);

    // Read object by object, the catalog gives the same script.
    EXPECT_EQ(generate("hardened", {"--per-object-reads"}), script);

    ASSERT_EQ(replay("create.sql", "create database hardened_copy\ngo\n"), QStringList());
    const QString copyScript = retargeted(script, "hardened", "hardened_copy");
    EXPECT_EQ(replay("copy-1.sql", copyScript), QStringList());
    expectSameCatalog("hardened", "hardened_copy");
    EXPECT_EQ(replay("copy-2.sql", copyScript), QStringList());
    expectSameCatalog("hardened", "hardened_copy");
}

TEST_F(SystemTablePermissions, OwnFileIsListedAfterTheObjectFiles)
{
    const QString directory = s_work->filePath("files");
    const ToolResult generated = cli({"-D", "hardened", "--separate-files", directory});
    ASSERT_EQ(generated.exitCode, 0) << qPrintable(generated.err);
    const QStringList files =
        readText(QDir(directory).filePath(TScriptGenerator::ReplayOrderFileName))
            .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(files.isEmpty());
    EXPECT_TRUE(files.last().startsWith("system_table_permissions.")) << qPrintable(files.last());
    EXPECT_EQ(files.filter(QRegularExpression("^system_table_permissions\\.")).size(), 1);

    ASSERT_EQ(replay("create-files.sql", "create database hardened_files\ngo\n"), QStringList());
    for (const QString& file : files) {
        const QString script = readText(QDir(directory).filePath(file));
        EXPECT_EQ(replay(file, retargeted(script, "hardened", "hardened_files")), QStringList())
            << qPrintable(file);
    }
    expectSameCatalog("hardened", "hardened_files");
}

TEST_F(SystemTablePermissions, DefaultPermissionsGiveNoSection)
{
    const QString script = generate("plain");
    EXPECT_TRUE(script.contains("GRANT SELECT ON items TO public")) << qPrintable(script);
    EXPECT_FALSE(script.contains(kBanner)) << qPrintable(script);
    // Nor does a script written without grants.
    const QString path = s_work->filePath("no-grants.sql");
    const ToolResult result = runSkelderCliOnServer(
        TdsimServer::serverName(), {"-D", "hardened", "-o", path, "--no-grants", "--no-header"});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(readText(path).contains("CREATE TABLE")) << qPrintable(readText(path));
    EXPECT_FALSE(readText(path).contains(kBanner));
}

TEST_F(SystemTablePermissions, ScriptsWithoutTablesGetNoSection)
{
    // The section goes with the tables' privileges: a script of principals only has none.
    const QString path = s_work->filePath("principals.sql");
    const ToolResult result =
        cli({"-D", "hardened", "--kind", "groups", "--kind", "users", "-o", path});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_TRUE(readText(path).contains("sp_addgroup")) << qPrintable(readText(path));
    EXPECT_FALSE(readText(path).contains(kBanner));
    ASSERT_EQ(cli({"-D", "hardened", "--kind", "tables", "-o", path}).exitCode, 0);
    EXPECT_TRUE(readText(path).contains(kBanner)) << qPrintable(readText(path));
}

// A server hardened in model: its new databases carry the revokes, so a database that
// kept the defaults is the one that differs.
const char* const kHardenedModel = R"(create database defaults_kept
go
use model
go
revoke select on sysobjects(name, id) from public
revoke select on sysprotects from public
go
create database like_model
go
use defaults_kept
go
create table a (id int not null)
go
use like_model
go
create table b (id int not null)
go
)";

class HardenedModel : public SystemTablePermissions {
protected:
    static void SetUpTestSuite()
    {
        s_work = std::make_unique<QTemporaryDir>();
        const QString fixture = s_work->filePath("fixture.sql");
        ASSERT_TRUE(writeText(fixture, QByteArray(kHardenedModel)));
        s_server = std::make_unique<ConnectedServer>(QStringList{fixture});
        qputenv("FREETDSCONF", QFile::encodeName(s_server->server.iniFile()));
    }
};

TEST_F(HardenedModel, DifferencesAreCountedFromWhatModelCarries)
{
    EXPECT_FALSE(generate("like_model").contains(kBanner));

    const QString script = generate("defaults_kept");
    const QString statements = script.mid(script.indexOf(kBanner));
    EXPECT_TRUE(statements.contains("GRANT SELECT ON sysprotects TO public")) << qPrintable(script);
    ASSERT_EQ(replay("create.sql", "create database defaults_copy\ngo\n"), QStringList());
    const QString copyScript = retargeted(script, "defaults_kept", "defaults_copy");
    EXPECT_EQ(replay("copy-1.sql", copyScript), QStringList());
    expectSameCatalog("defaults_kept", "defaults_copy");
    EXPECT_EQ(replay("copy-2.sql", copyScript), QStringList());
    expectSameCatalog("defaults_kept", "defaults_copy");
}

}  // namespace
