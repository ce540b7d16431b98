// Generated scripts of a fixed set of objects of the demo databases, one per option
// combination that changes the output, compared byte for byte with reviewed files.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "Exceptions.h"
#include "ProgressReporter.h"
#include "RecordingUserInterface.h"
#include "ScriptGenerator.h"
#include "TdsimServer.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace {

// Marked objects in explorer order: two databases, every kind.
const TMarkedObjectList markedObjects{
    {"demo", ObjectKind::Users, "ann"},
    {"demo", ObjectKind::Groups, "sales"},
    {"demo", ObjectKind::Tables, "dbo.customers"},
    {"demo", ObjectKind::Tables, "mary.notes"},
    {"demo", ObjectKind::Views, "dbo.v_customers"},
    {"demo", ObjectKind::Indexes, "orders.orders_by_customer"},
    {"demo", ObjectKind::Triggers, "dbo.customers_ins"},
    {"demo", ObjectKind::Procedures, "dbo.p_get_customer"},
    {"demo", ObjectKind::Rules, "dbo.r_zip"},
    {"demo", ObjectKind::DataTypes, "ssn"},
    {"demo", ObjectKind::DataTypes, "zipcode"},
    {"inventory", ObjectKind::Tables, "dbo.items"},
    {"inventory", ObjectKind::Procedures, "dbo.p_low_stock"},
};

class CountingProgress : public ProgressReporter {
public:
    explicit CountingProgress(int cancelAfter = -1) : m_cancelAfter(cancelAfter) {}
    void setInfoLabel(const QString& text) override { labels << text; }
    void setProgressRange(int, int maximum) override { this->maximum = maximum; }
    void setProgressPosition(int position) override { this->position = position; }
    bool checkCancelled() override { return m_cancelAfter >= 0 && ++m_checks > m_cancelAfter; }

    QStringList labels;
    int maximum = 0;
    int position = 0;

private:
    int m_cancelAfter;
    int m_checks = 0;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Compares with the reviewed file, or rewrites it when asked to.
void expectGolden(const QString& name, const QByteArray& actual)
{
    const QString path = QStringLiteral(GOLDEN_DIR "/") + name;
    if (qEnvironmentVariableIsSet("SKELDER_UPDATE_GOLDEN")) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(actual);
        return;
    }
    const QByteArray expected = readAll(path);
    ASSERT_FALSE(expected.isEmpty()) << "missing golden file " << path.toStdString();
    EXPECT_EQ(actual.toStdString(), expected.toStdString())
        << "differs from " << path.toStdString();
}

class GoldenScripts : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new TdsimServer({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
        db = new TCTLibDatabase;
        db->SetName(QStringLiteral("db"));
        server->configure(*db);
        db->Connect();
        ASSERT_TRUE(db->connected());
    }

    static void TearDownTestSuite()
    {
        delete db;
        delete server;
    }

    // The script as a file holds it, with a fixed date in the header.
    QByteArray script(const TScriptOptions& options, CountingProgress& progress)
    {
        TCTLibObjInfo info;
        info.DbName = db->objectName();
        info.UseExecCursor = false;
        info.PrefixWithDbName = options.PrefixWithDb;
        TScriptGenerator generator(info, options);
        TScriptHeader header;
        header.ServerName = db->ServerName;
        header.ServerVersion = db->GetServerVersion();
        header.GeneratedOn = QStringLiteral("<date>");
        const QStringList lines =
            generator.BuildScript(markedObjects, header, true, nullptr, progress);
        QTemporaryDir dir;
        const QString path = dir.filePath("script.sql");
        saveScriptLines(path, lines);
        return readAll(path);
    }

    QByteArray script(const TScriptOptions& options)
    {
        CountingProgress progress;
        return script(options, progress);
    }

    static TdsimServer* server;
    static TCTLibDatabase* db;
    RecordingUserInterface ui;
};

TdsimServer* GoldenScripts::server = nullptr;
TCTLibDatabase* GoldenScripts::db = nullptr;

TEST_F(GoldenScripts, WithoutDropGuardsOrPrefix)
{
    TScriptOptions options;
    options.AddDrop = false;
    options.PrefixWithDb = false;
    expectGolden("plain.sql", script(options));
}

TEST_F(GoldenScripts, WithDropGuardsAndDatabasePrefix)
{
    expectGolden("drop-prefix.sql", script(TScriptOptions()));
}

TEST_F(GoldenScripts, TablesWithTriggersIndexesAndPrivileges)
{
    TScriptOptions options;
    options.TriggerScript = true;
    options.IndexScript = true;
    options.PrivilegeScript = true;
    expectGolden("all-options.sql", script(options));
}

TEST_F(GoldenScripts, SeparateFilesOnePerObject)
{
    TScriptOptions options;
    options.TriggerScript = true;
    options.IndexScript = true;
    options.PrivilegeScript = true;
    TCTLibObjInfo info;
    info.DbName = db->objectName();
    info.PrefixWithDbName = true;
    TScriptGenerator generator(info, options);
    QTemporaryDir dir;
    CountingProgress progress;
    const QStringList written = generator.BuildSeparateFiles(markedObjects, dir.path(), progress);
    ASSERT_EQ(written.size(), markedObjects.size());

    QByteArray all;
    for (const QString& path : written)
        all += "==> " + QFileInfo(path).fileName().toUtf8() + " <==\r\n" + readAll(path);
    expectGolden("separate-files.txt", all);
    EXPECT_EQ(progress.maximum, markedObjects.size());
}

TEST_F(GoldenScripts, CancelKeepsTheSectionsFinishedSoFar)
{
    TScriptOptions options;
    options.AddDrop = false;
    CountingProgress progress(2);
    const QString text = QString::fromUtf8(script(options, progress));
    // Groups come first, then users, then rules; the third object is never started.
    EXPECT_TRUE(text.contains("/************ sales ************/"));
    EXPECT_TRUE(text.contains("/************ ann ************/"));
    EXPECT_FALSE(text.contains("/************ r_zip ************/"));
    EXPECT_EQ(progress.labels,
              QStringList({"Processing sales", "Processing ann", "Processing dbo.r_zip"}));
}

TEST_F(GoldenScripts, AServerErrorEndsTheRun)
{
    TCTLibObjInfo info;
    info.DbName = db->objectName();
    TScriptOptions options;
    TScriptGenerator generator(info, options);
    CountingProgress progress;
    const TMarkedObjectList objects{{"demo", ObjectKind::Groups, "sales"},
                                    {"demo", ObjectKind::Views, "dbo.customers"},
                                    {"demo", ObjectKind::Groups, "readers"}};
    try {
        generator.BuildScript(objects, {}, true, nullptr, progress, false);
        FAIL() << "no error";
    } catch (const ESkelderError& error) {
        EXPECT_EQ(error.message(),
                  "Object 'customers' is not a Stored Procedure, View ,Trigger, Default or Rule");
    }
    // Both groups are written before the view that fails.
    EXPECT_EQ(progress.labels.size(), 3);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
