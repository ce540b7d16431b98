// FreeTDS's own tools (tsql, bsqldb, fisql) running a script against tdsim.
#include <gtest/gtest.h>

#include "TdsimProcess.h"

namespace tdsim::e2e {
namespace {

class ToolsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<TdsimProcess>(); }
    static void TearDownTestSuite() { server_.reset(); }
    static std::unique_ptr<TdsimProcess> server_;

    static constexpr const char* kScript =
        "select @@version\ngo\nselect * from demo\nselect @@spid\ngo\n";
};
std::unique_ptr<TdsimProcess> ToolsTest::server_;

TEST_F(ToolsTest, TsqlRunsAScript)
{
    int exitCode = -1;
    std::string out =
        runCommand("tsql -S tdsim -U sa -P ''", std::string(kScript) + "exit\n", exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_NE(out.find("Adaptive Server Enterprise"), std::string::npos) << out;
    EXPECT_NE(out.find("epsilon"), std::string::npos) << out;
    EXPECT_NE(out.find("(5 rows affected)"), std::string::npos) << out;
}

TEST_F(ToolsTest, BsqldbRunsAScript)
{
    int exitCode = -1;
    std::string out = runCommand("bsqldb -S tdsim -U sa -P ''", kScript, exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_NE(out.find("Adaptive Server Enterprise"), std::string::npos) << out;
    EXPECT_NE(out.find("epsilon"), std::string::npos) << out;
}

TEST_F(ToolsTest, BsqldbSeesReturnStatusAndOutputParameter)
{
    int exitCode = -1;
    std::string out = runCommand("bsqldb -S tdsim -U sa -P ''",
                                 "declare @x int\nexec p_double 21, @x output\ngo\n", exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_NE(out.find("Procedure returned 5"), std::string::npos) << out;
    EXPECT_NE(out.find("ret name 1 is @b"), std::string::npos) << out;
    EXPECT_NE(out.find("ret data 1 is 42"), std::string::npos) << out;
}

TEST_F(ToolsTest, FisqlRunsAScriptAndShowsErrors)
{
    int exitCode = -1;
    std::string out = runCommand("fisql -S tdsim -U sa -P ''",
                                 std::string(kScript) + "select from where\ngo\nquit\n", exitCode);
    // fisql reports the failed batch in its exit status as well.
    EXPECT_NE(exitCode, 0) << out;
    EXPECT_NE(out.find("epsilon"), std::string::npos) << out;
    EXPECT_NE(out.find("Msg "), std::string::npos) << out;
}

}  // namespace
}  // namespace tdsim::e2e
