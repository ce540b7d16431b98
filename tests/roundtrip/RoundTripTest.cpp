// Scripts re-create what they describe: the demo database is scripted with drop guards,
// the script is run with bsqldb into a fresh database on the same server, and the
// fresh database must give the same script and the same catalog, apart from what the
// generation is known not to script (listed below).
#include "CTLibDatabase.h"
#include "CatalogSnapshot.h"
#include "CliOptions.h"
#include "ConnectedServer.h"
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
        s_demo = std::make_unique<ConnectedServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
        // bsqldb reads the fixture's interfaces file first.
        qputenv("FREETDSCONF", QFile::encodeName(s_demo->server.iniFile()));
        s_work = std::make_unique<QTemporaryDir>();
        for (const QString database : {"demo", "inventory"}) {
            s_originalScripts[database] = generate(database);
            s_originalCatalogs[database] = catalogSnapshot(database);
        }
    }
    static void TearDownTestSuite()
    {
        s_demo.reset();
        s_work.reset();
    }

    // The full script of `database`, through skelder-cli.
    static QString generate(const QString& database)
    {
        const QString path = s_work->filePath(database + QStringLiteral(".sql"));
        const ToolResult result = runSkelderCliOnServer(
            TdsimServer::serverName(),
            QStringList{"-D", database, "-o", path} + replayableScriptOptions());
        EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
        return readText(path);
    }

    // Runs `script` with bsqldb and returns the server's error messages.
    static QStringList replay(const QString& name, const QString& script)
    {
        return replayWithBsqldb(TdsimServer::serverName(), s_work->filePath(name), script);
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
        // Nothing is forgiven: the copy must hold every row the comparison reads.
        const QStringList differences =
            snapshotDifferences(s_originalCatalogs[original], catalogSnapshot(copy));
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

    static inline std::unique_ptr<ConnectedServer> s_demo;
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
        QStringList{"-D", "demo", "--separate-files", directory} + replayableScriptOptions());
    ASSERT_EQ(generated.exitCode, 0) << qPrintable(generated.err);

    // The files in the order the run lists for replaying them; every file is listed.
    const QStringList files =
        readText(QDir(directory).filePath(TScriptGenerator::ReplayOrderFileName))
            .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(QDir(directory).entryList(QDir::Files).size(), files.size() + 1);

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

}  // namespace
