// Scripts re-create what they describe: the demo database is scripted with drop guards,
// the script is run with bsqldb into a fresh database on the same server, and the
// fresh database must give the same script and the same catalog, apart from what the
// generation is known not to script (listed below).
#include "CTLibDatabase.h"
#include "CatalogSnapshot.h"
#include "CliOptions.h"
#include "MarkedObject.h"
#include "ObjectKind.h"
#include "RecordingUserInterface.h"
#include "ScriptGenerator.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

namespace {

// Differences between the demo database and its re-creation that follow from what the
// scripts leave out. "-" rows exist only in the original, "+" rows only in the copy.
struct ExpectedDifference {
    const char* pattern;
};
const ExpectedDifference expectedDifferences[] = {
    // Defaults are not a scripted kind: the default objects, their texts, and their
    // bindings to columns and datatypes are missing from the copy.
    {R"(^- sysobjects\|dbo\|(d_zero|d_country|customers_(countr|create)_\d+)\|D$)"},
    {R"(^- syscomments\|(d_zero|d_country|customers_(countr|create)_\d+);0\|)"},
    // Rules are scripted, but not their bindings (sp_bindrule/sp_bindefault), so
    // columns and datatypes of the copy name no default and no rule.
    {R"(^- syscolumns\|customers\|0\|[45]\|(zip|balance)\|.*\|(d_zero|)\|r_(zip|positive)$)"},
    {R"(^\+ syscolumns\|customers\|0\|[45]\|(zip|balance)\|.*\|\|$)"},
    {R"(^- syscolumns\|customers\|0\|[67]\|(country|created)\|.*\|customers_(countr|create)_\d+\|$)"},
    {R"(^\+ syscolumns\|customers\|0\|[67]\|(country|created)\|.*\|\|$)"},
    {R"(^- systypes\|(amount|zipcode)\|.*\|(d_zero|)\|r_(positive|zip)$)"},
    {R"(^\+ systypes\|(amount|zipcode)\|.*\|\|$)"},
    // The table builder writes nchar and nvarchar columns without their length (their
    // bytes per character depend on the server's character set), so the copy has the
    // default length.
    {R"(^[-+] syscolumns\|(all_types|nullable_types)\|0\|\d+\|[cn]_(nchar|nvarchar)\|\d+\|\2\|\d+\|\|\|\d+\|\|$)"},
    // Statement permissions (GRANT CREATE TABLE ...) are not scripted.
    {R"(^- sysprotects\|\|engineering\|198\|)"},
};

bool isExpected(const QString& difference)
{
    for (const ExpectedDifference& expected : expectedDifferences) {
        if (QRegularExpression(QString::fromLatin1(expected.pattern)).match(difference).hasMatch())
            return true;
    }
    return false;
}

QStringList unexpected(const QStringList& differences)
{
    QStringList left;
    for (const QString& difference : differences) {
        if (!isExpected(difference))
            left << difference;
    }
    return left;
}

// The script with its USE lines pointing at `to` instead of `from`.
QString retargeted(QString script, const QString& from, const QString& to)
{
    const QRegularExpression use(
        QStringLiteral("^USE ") + QRegularExpression::escape(from) + QStringLiteral("(?=\\r?$)"),
        QRegularExpression::MultilineOption);
    return script.replace(use, QStringLiteral("USE ") + to);
}

class RoundTripTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_ui = std::make_unique<RecordingUserInterface>();
        s_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
        // bsqldb reads the fixture's interfaces file first.
        qputenv("FREETDSCONF", QFile::encodeName(s_server->iniFile()));
        s_db = std::make_unique<TCTLibDatabase>();
        s_db->SetName(QStringLiteral("db"));
        s_server->configure(*s_db);
        s_db->Connect();
        ASSERT_TRUE(s_db->connected());
        s_work = std::make_unique<QTemporaryDir>();
        for (const QString database : {"demo", "inventory"}) {
            s_originalScripts[database] = generate(database);
            s_originalCatalogs[database] = catalogSnapshot(database);
        }
    }
    static void TearDownTestSuite()
    {
        s_db.reset();
        s_server.reset();
        s_work.reset();
        s_ui.reset();
    }

    static QStringList allOptions()
    {
        return {"--drop", "--triggers", "--indexes", "--grants", "--no-prefix-db", "--no-header"};
    }

    // The full script of `database`, through skelder-cli.
    static QString generate(const QString& database)
    {
        const QString path = s_work->filePath(database + QStringLiteral(".sql"));
        const ToolResult result = runSkelderCliOnServer(
            TdsimServer::serverName(), QStringList{"-D", database, "-o", path} + allOptions());
        EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
        return readText(path);
    }

    // Runs `script` with bsqldb and returns the server's error messages.
    static QStringList replay(const QString& name, const QString& script)
    {
        const QString path = s_work->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {QStringLiteral("cannot write ") + path};
        file.write(script.toUtf8());
        file.close();
        return serverErrors(runBsqldb(TdsimServer::serverName(), path));
    }

    // A new database with the segment the demo's objects are placed on: storage is
    // set up by the administrator, not by the scripts.
    static void createDatabase(const QString& database)
    {
        const QString prepare = QStringLiteral(
                                    "create database %1\ngo\nuse %1\ngo\n"
                                    "exec sp_addsegment demo_seg, %1, demo_dev\ngo\n")
                                    .arg(database);
        ASSERT_EQ(replay(database + QStringLiteral("-create.sql"), prepare), QStringList());
    }

    static void expectSameCatalog(const QString& original, const QString& copy)
    {
        const QStringList differences =
            unexpected(snapshotDifferences(s_originalCatalogs[original], catalogSnapshot(copy)));
        EXPECT_TRUE(differences.isEmpty()) << qPrintable(differences.join(QLatin1Char('\n')));
    }

    static void expectSameScript(const QString& original, const QString& copy)
    {
        EXPECT_EQ(retargeted(generate(copy), copy, original), s_originalScripts[original]);
    }

    // The whole script into a fresh database, then once more over its own result.
    static void expectScriptRoundTrip(const QString& original)
    {
        const QString copy = original + QStringLiteral("_copy");
        createDatabase(copy);
        const QString script = retargeted(s_originalScripts[original], original, copy);
        EXPECT_EQ(replay(copy + QStringLiteral("-1.sql"), script), QStringList());
        expectSameScript(original, copy);
        expectSameCatalog(original, copy);

        // The drop guards let the script replace what it created.
        EXPECT_EQ(replay(copy + QStringLiteral("-2.sql"), script), QStringList());
        expectSameScript(original, copy);
        expectSameCatalog(original, copy);
    }

    static inline std::unique_ptr<RecordingUserInterface> s_ui;
    static inline std::unique_ptr<TdsimServer> s_server;
    static inline std::unique_ptr<TCTLibDatabase> s_db;
    static inline std::unique_ptr<QTemporaryDir> s_work;
    static inline QMap<QString, QString> s_originalScripts;
    static inline QMap<QString, QStringList> s_originalCatalogs;
};

TEST_F(RoundTripTest, ScriptRecreatesTheDemoDatabaseAndRunsAgainOverIt)
{
    ASSERT_TRUE(s_originalScripts["demo"].contains("CREATE TABLE dbo.customers"));
    expectScriptRoundTrip("demo");
}

TEST_F(RoundTripTest, ScriptRecreatesTheInventoryDatabaseAndRunsAgainOverIt)
{
    ASSERT_TRUE(s_originalScripts["inventory"].contains("CREATE TABLE dbo.items"));
    expectScriptRoundTrip("inventory");
}

TEST_F(RoundTripTest, EachObjectFileRecreatesItsObjectInListedOrder)
{
    const QString directory = s_work->filePath("files");
    const ToolResult generated = runSkelderCliOnServer(
        TdsimServer::serverName(),
        QStringList{"-D", "demo", "--separate-files", directory} + allOptions());
    ASSERT_EQ(generated.exitCode, 0) << qPrintable(generated.err);

    // The files in the order the run writes them: the listing in replay order, named
    // as the generator names them.
    const ToolResult listed =
        runSkelderCliOnServer(TdsimServer::serverName(), QStringList{"-D", "demo", "--list"});
    ASSERT_EQ(listed.exitCode, 0) << qPrintable(listed.err);
    TMarkedObjectList objects;
    for (const QString& line : listed.out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 3) << qPrintable(line);
        const std::optional<ObjectKind> kind = kindFromName(fields[1]);
        ASSERT_TRUE(kind.has_value()) << qPrintable(line);
        objects.append({fields[0], *kind, fields[2]});
    }
    ASSERT_EQ(objects.size(), listed.out.count('\n'));
    TScriptOptions options;
    QStringList usedNames;
    QStringList files;
    for (const TMarkedObject& object : inReplayOrder(objects))
        files << TScriptGenerator::fileNameFor(object, options, usedNames);
    EXPECT_EQ(QDir(directory).entryList(QDir::Files).size(), files.size());

    createDatabase("demo_files");
    for (const QString& file : files) {
        const QString script = readText(QDir(directory).filePath(file));
        ASSERT_FALSE(script.isEmpty()) << qPrintable(file);
        EXPECT_EQ(replay(file, retargeted(script, "demo", "demo_files")), QStringList())
            << qPrintable(file);
    }
    expectSameScript("demo", "demo_files");
    expectSameCatalog("demo", "demo_files");
}

TEST_F(RoundTripTest, ReplayReportsTheServersErrors)
{
    // The harness itself: a failing batch is reported, not passed over.
    const QStringList errors =
        replay("failing.sql", "use demo\ngo\nselect * from no_such_table\ngo\n");
    ASSERT_FALSE(errors.isEmpty());
    EXPECT_TRUE(errors[0].contains("208")) << qPrintable(errors[0]);
}

TEST(ExpectedDifferences, OnlyTheListedRowsAreForgiven)
{
    EXPECT_TRUE(isExpected("- sysobjects|dbo|customers_countr_16157095|D"));
    EXPECT_TRUE(isExpected("- sysprotects||engineering|198|1||dbo"));
    EXPECT_FALSE(isExpected("+ sysprotects|customers|john|193|1|01|dbo"));
    EXPECT_FALSE(isExpected("- syscolumns|all_types|0|23|c_binary|45|binary|8|||0||"));
    EXPECT_FALSE(isExpected("- sysobjects|dbo|customers|U"));
    EXPECT_FALSE(isExpected("- sysprotects|customers|john|193|1|01|dbo"));
    EXPECT_FALSE(isExpected("- syscolumns|customers|0|2|name|39|varchar|40|||0||"));
}

}  // namespace
