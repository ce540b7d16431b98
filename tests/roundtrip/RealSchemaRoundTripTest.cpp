// The schema scripts of testdata/real, loaded into tdsim as their projects ship them, are
// scripted with drop guards, replayed into fresh databases and compared catalog against
// catalog: nothing may be lost or changed. The script then runs again over its own result.
// Read object by object instead of database by database, the catalog gives the same script.
#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CatalogSnapshot.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const QString kRealSchemas = QStringLiteral(SKELDER_SOURCE_DIR "/testdata/real");
// A procedure or trigger that refers to an object missing at its creation is created all
// the same; the server warns with severity 11.
const QList<int> kWarnings{2007};
std::vector<std::string> fixtureNames()
{
    std::vector<std::string> names;
    for (const QString& name : QDir(kRealSchemas).entryList({"*.sql"}, QDir::Files))
        names.push_back(name.toStdString());
    return names;
}

QStringList column(TCTLibEnhQuery& query, const QString& statement)
{
    query.setSQL(QStringList{statement});
    QStringList values;
    if (query.Open() != 1)
        return values;
    while (query.Next())
        values << query.ColumnValue(1).trimmed();
    return values;
}

// "owner.name" of each "not scripted: db: kind owner.name: reason" line of skelder-cli.
QStringList unscriptedObjects(const QString& err)
{
    static const QRegularExpression line("^not scripted: [^:]+: \\S+ ([^:]+):",
                                         QRegularExpression::MultilineOption);
    QStringList objects;
    for (auto match = line.globalMatch(err); match.hasNext();)
        objects << match.next().captured(1);
    return objects;
}

// The differences that concern none of `objects` (owner.name).
QStringList withoutObjects(const QStringList& differences, const QStringList& objects)
{
    QStringList kept;
    for (const QString& difference : differences) {
        bool concerns = false;
        for (const QString& object : objects) {
            const QString owner = object.section('.', 0, 0), name = object.section('.', 1);
            concerns = concerns || difference.contains("|" + owner + "|" + name + "|") ||
                       difference.contains("|" + object + ";");
        }
        if (!concerns)
            kept << difference;
    }
    return kept;
}

class RealSchemaRoundTrip : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        m_ui = std::make_unique<RecordingUserInterface>();
        m_server = std::make_unique<TdsimServer>();
        qputenv("FREETDSCONF", QFile::encodeName(m_server->iniFile()));
        m_db = std::make_unique<TCTLibDatabase>();
        m_db->SetName(QStringLiteral("db"));
        m_server->configure(*m_db);
        m_db->Connect();
        ASSERT_TRUE(m_db->connected());
    }

    QString writeScript(const QString& name, const QString& text)
    {
        const QString path = m_work.filePath(name);
        EXPECT_TRUE(writeText(path, text.toUtf8())) << qPrintable(path);
        return path;
    }

    // Runs a script through fisql in `database`; returns the server's errors.
    QStringList replay(const QString& name, const QString& text, const QString& database)
    {
        return fisqlErrors(runFisql(TdsimServer::serverName(), writeScript(name, text), database),
                           kWarnings);
    }

    // The user databases that hold user objects, and sybsystemprocs when an installer put
    // procedures there.
    QStringList databasesWithObjects()
    {
        TCTLibEnhQuery query;
        query.DbName = QStringLiteral("db");
        QStringList databases;
        for (const QString& database :
             column(query,
                    "select name from master..sysdatabases where dbid between 4 and 31000 "
                    "or name = 'sybsystemprocs'")) {
            if (!column(
                     query,
                     "select name from " + database +
                         "..sysobjects where type in ('V', 'P', 'TR', 'R', 'D') or (type = 'U' and "
                         "name not like 'spt[_]%')")
                     .isEmpty())
                databases << database;
        }
        return databases;
    }

    // A fresh database with the segments of `original` and its null mode: storage and
    // options are the administrator's. With "allow nulls by default" (status 8192) on, a
    // column or datatype the script left without NULL or NOT NULL would change.
    void createCopy(const QString& original, const QString& copy)
    {
        TCTLibEnhQuery query;
        query.DbName = QStringLiteral("db");
        QString prepare = "create database " + copy + "\ngo\n";
        for (const QString& segment :
             column(query, "select name from " + original + "..syssegments where segment > 2"))
            prepare += "exec sp_addsegment " + segment + ", " + copy + ", data_dev\ngo\n";
        if (!column(query, "select name from master..sysdatabases where name = '" + original +
                               "' and status & 8192 = 8192")
                 .isEmpty())
            prepare += "exec sp_dboption " + copy + ", 'allow nulls by default', true\ngo\n";
        ASSERT_EQ(replay(copy + "-create.sql", prepare, QStringLiteral("master")), QStringList());
    }

    std::unique_ptr<RecordingUserInterface> m_ui;
    std::unique_ptr<TdsimServer> m_server;
    std::unique_ptr<TCTLibDatabase> m_db;
    QTemporaryDir m_work;
};

TEST_P(RealSchemaRoundTrip, ScriptRecreatesEveryDatabaseOfTheFixture)
{
    const QString fixture = kRealSchemas + QLatin1Char('/') + QString::fromStdString(GetParam());
    // The fixture's own errors are those the real server raises too (a separate test
    // checks them); its objects are what counts here.
    ASSERT_EQ(replay("fx-create.sql", "create database fx\ngo\n", "master"), QStringList());
    // Some fixtures indent their "go" lines, which the real-schema loader accepts too.
    QString text = readText(fixture);
    text.replace(QRegularExpression("^[ \\t]+(go([ \\t]+\\d+)?[ \\t]*)$",
                                    QRegularExpression::MultilineOption |
                                        QRegularExpression::CaseInsensitiveOption),
                 "\\1");
    runFisql(TdsimServer::serverName(), writeScript("fixture.sql", text), QStringLiteral("fx"));

    const QStringList databases = databasesWithObjects();
    ASSERT_FALSE(databases.isEmpty());
    for (const QString& database : databases) {
        SCOPED_TRACE(database.toStdString());
        const QString path = m_work.filePath(database + ".sql");
        const ToolResult generated = runSkelderCliOnServer(
            TdsimServer::serverName(),
            QStringList{"-D", database, "-o", path} + replayableScriptOptions());
        // Exit status 4 names the objects that cannot be created again (such as a view
        // over a table dropped since); they are left out of the comparison and listed.
        ASSERT_TRUE(generated.exitCode == 0 || generated.exitCode == 4)
            << qPrintable(generated.err);
        // Reading the catalog object by object gives the very same script.
        const QString perObjectPath = m_work.filePath(database + "-per-object.sql");
        const ToolResult perObject = runSkelderCliOnServer(
            TdsimServer::serverName(),
            QStringList{"-D", database, "-o", perObjectPath, "--per-object-reads"} +
                replayableScriptOptions());
        EXPECT_EQ(perObject.exitCode, generated.exitCode);
        EXPECT_TRUE(readText(perObjectPath) == readText(path))
            << "reading object by object gives another script";
        const QStringList unscripted = unscriptedObjects(generated.err);
        EXPECT_EQ(generated.exitCode == 4, !unscripted.isEmpty());
        for (const QString& object : unscripted)
            std::printf("%s: %s not scripted, as the tool reports\n", qPrintable(database),
                        qPrintable(object));

        const QString copy = database + "_rt";
        createCopy(database, copy);
        // fisql reads CR LF line ends as two line breaks: it gets the script with LF.
        QString script = readText(path).replace("\r\n", "\n");
        script.replace(
            QRegularExpression("^USE " + QRegularExpression::escape(database) + "(?=\\r?$)",
                               QRegularExpression::MultilineOption),
            "USE " + copy);
        EXPECT_EQ(replay(copy + ".sql", script, copy), QStringList());
        QStringList hidden;
        const QStringList original = catalogSnapshot(database, &hidden);
        const QStringList differences =
            withoutObjects(snapshotDifferences(original, catalogSnapshot(copy)), unscripted);
        const auto objects = std::count_if(
            original.begin(), original.end(),
            [](const QString& row) { return row.startsWith(QLatin1String("sysobjects|")); });
        std::printf("%s: %lld objects, %lld catalog rows compared\n", qPrintable(database),
                    static_cast<long long>(objects), static_cast<long long>(original.size()));
        EXPECT_TRUE(differences.isEmpty()) << qPrintable(differences.join('\n'));
        EXPECT_EQ(hidden, QStringList());
        // Drop guards let the script run again over its own result.
        EXPECT_EQ(replay(copy + "-again.sql", script, copy), QStringList());
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealSchemaRoundTrip, ::testing::ValuesIn(fixtureNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param.substr(0, info.param.find('.'));
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

}  // namespace
