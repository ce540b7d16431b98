// skelder-cli --rdbms SQLAnywhere run as a process against tdsim's SQL Anywhere persona
// serving testdata/sqlanywhere.sql; scripts are compared with tests/golden/data/sqlanywhere.
#include "TdsimServer.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString kGoldenDir = QStringLiteral(SKELDER_SOURCE_DIR "/tests/golden/data/sqlanywhere");

class SqlAnywhereCliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/sqlanywhere.sql")},
            QStringList{"--product", "sqlanywhere"});
        // The entry is named after the database: FreeTDS sends the entry's name in the
        // login record, where SQL Anywhere reads the database.
        s_server->writeIniFile(
            QStringLiteral("[sademo]\n    host = 127.0.0.1\n    port = %1\n    tds version = 5.0\n")
                .arg(s_server->port()));
    }
    static void TearDownTestSuite() { s_server.reset(); }

    static ToolResult cli(const QStringList& arguments,
                          const QString& rdbms = QStringLiteral("SQLAnywhere"))
    {
        return runSkelderCli(
            QStringList{"-S", "sademo", "-U", "DBA", "-P", "sql", "--rdbms", rdbms} + arguments);
    }

    QTemporaryDir work;
    static inline std::unique_ptr<TdsimServer> s_server;
};

TEST_F(SqlAnywhereCliTest, ListsOnlyTheCurrentDatabaseWithItsOwnIndexListing)
{
    const ToolResult result = cli({"--list"});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    EXPECT_EQ(
        result.out.split('\n', Qt::SkipEmptyParts),
        (QStringList{"sademo\tusers\tDBA", "sademo\tusers\tdbo", "sademo\tusers\tjoe",
                     "sademo\tgroups\tSYS", "sademo\tgroups\tpublic", "sademo\tgroups\tstaff",
                     "sademo\ttables\tDBA.customer", "sademo\ttables\tDBA.sales_order",
                     "sademo\tviews\tDBA.big_order", "sademo\tindexes\tcustomer.customer_name",
                     "sademo\tindexes\tsales_order.sales_order_no",
                     "sademo\tindexes\tsales_order.sales_order_customer",
                     "sademo\ttriggers\tDBA.sales_order_check",
                     "sademo\tprocedures\tDBA.customer_total", "sademo\tprocedures\tDBA.ping",
                     "sademo\tdatatypes\tcountry_code", "sademo\tdatatypes\tphone_number",
                     "sademo\tdatatypes\tprice"}));
}

TEST_F(SqlAnywhereCliTest, SeparateFilesMatchTheGoldenScriptsOfEveryKind)
{
    const ToolResult result = cli({"--separate-files", work.path()});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QStringList written = QDir(work.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written, QDir(kGoldenDir).entryList(QDir::Files, QDir::Name));
    for (const QString& name : written) {
        EXPECT_EQ(readText(work.filePath(name)).toStdString(),
                  readText(kGoldenDir + "/" + name).toStdString())
            << qPrintable(name);
    }
}

TEST_F(SqlAnywhereCliTest, OneScriptHoldsTheGoldenSectionsAfterItsHeader)
{
    const QString output = work.filePath(QStringLiteral("all.sql"));
    const ToolResult result = cli({"--kind", "tables", "--kind", "procedures", "-o", output});
    ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
    const QString script = readText(output);
    EXPECT_TRUE(script.contains("Script for Server sademo (12.0.1.3152)")) << qPrintable(script);
    for (const QString& name : {"customer.tbl", "sales_order.tbl", "customer_total.prc"}) {
        // Each section as in its separate file, without the file's USE batch.
        const QString section = readText(kGoldenDir + "/" + name).section("GO\n", 1);
        EXPECT_TRUE(script.contains(section)) << qPrintable(name);
    }
}

TEST_F(SqlAnywhereCliTest, TheAdaptiveServerPathFailsAtLoginOnSqlAnywhere)
{
    // Without --rdbms SQLAnywhere the connection selects its database with USE, which
    // the product refuses: the run fails with an error, nothing is written.
    const QString output = work.filePath(QStringLiteral("none.sql"));
    const ToolResult result = cli({"-o", output}, QStringLiteral("Sybase SQL Server"));
    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains("USE")) << qPrintable(result.err);
    EXPECT_FALSE(QFile::exists(output));
}

}  // namespace
