// The engine behind the real server, driven by FreeTDS's own tools.
#include <gtest/gtest.h>

#include "DemoDatabase.h"
#include "ServerProcess.h"

namespace tdsim::test {
namespace {

TEST(ToolsEndToEnd, BsqldbRunsTheDemoScriptIntoAFreshServer)
{
    ServerProcess server({});
    std::string script = server.writeFile("demo.sql", readTestData("demo.sql"));
    int exitCode = -1;
    std::string output = server.run("bsqldb -S tdsim -U sa -P '' -i demo.sql -q", exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_EQ(output.find("Msg "), std::string::npos) << output;

    server.writeFile("check.sql",
                     "use demo\ngo\nselect count(*) from sysobjects where type = 'U'\ngo\n"
                     "select name from sysusers where gid = 16390 order by name\ngo\n");
    output = server.run("bsqldb -S tdsim -U sa -P '' -i check.sql -q -t '|'", exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_NE(output.find("7"), std::string::npos) << output;
    EXPECT_NE(output.find("ann"), std::string::npos) << output;
    EXPECT_NE(output.find("mary"), std::string::npos) << output;
}

TEST(ToolsEndToEnd, DefncopyScriptsAProcedureAndATable)
{
    std::string demoPath = std::string(TDSIM_TESTDATA_DIR) + "/demo.sql";
    ServerProcess server({"--init", demoPath});
    int exitCode = -1;
    std::string output = server.run(
        "defncopy -S tdsim -U sa -P '' -D demo dbo.p_customer_report dbo.customers", exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    // The procedure comes back exactly as it was written, across its three text rows.
    std::string script = readTestData("demo.sql");
    size_t start = script.find("create procedure p_customer_report");
    size_t end = script.find("\ngo\n", start);
    EXPECT_NE(output.find(script.substr(start, end - start)), std::string::npos) << output;
    // The table from sp_help's column and index results.
    EXPECT_NE(output.find("CREATE TABLE dbo.customers"), std::string::npos) << output;
    EXPECT_NE(output.find("name    varchar(40)     NOT NULL"), std::string::npos) << output;
    EXPECT_NE(output.find("zip     zipcode             NULL"), std::string::npos) << output;
    EXPECT_NE(output.find("CREATE unique clustered INDEX customers_pk on dbo.customers(cust_id)"),
              std::string::npos)
        << output;
}

TEST(ToolsEndToEnd, CatalogStatementWithCrLfThroughTheProtocol)
{
    std::string demoPath = std::string(TDSIM_TESTDATA_DIR) + "/demo.sql";
    ServerProcess server({"--init", demoPath});
    server.writeFile("owner.sql",
                     "SELECT su.name\r\n FROM demo.dbo.sysusers su,\r\n demo.dbo.sysobjects so\r\n"
                     " WHERE su.uid = so.uid\r\n AND so.name = \"notes\"\r\ngo\r\n"
                     "SELECT name FROM demo.dbo.sysindexes WHERE id = object_id('demo.dbo.orders') "
                     "and indid <> 0\r\ngo\r\n");
    int exitCode = -1;
    std::string output = server.run("bsqldb -S tdsim -U sa -P '' -i owner.sql -q", exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_NE(output.find("mary"), std::string::npos) << output;
    size_t clustered = output.find("orders_by_customer");
    size_t nonclustered = output.find("orders_id");
    ASSERT_NE(clustered, std::string::npos) << output;
    ASSERT_NE(nonclustered, std::string::npos) << output;
    EXPECT_LT(clustered, nonclustered);  // indid order
}

}  // namespace
}  // namespace tdsim::test
