// The shared tdsim child process and shell-command runner the test helpers build on.
#include "TdsimTestProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tdsim::testing {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TdsimTestProcess, ReportsItsPortAndOwnsItsDirectory)
{
    std::string directory;
    {
        TdsimTestProcess server({}, {"create table t (i int null)\ngo\n"});
        directory = server.directory();
        EXPECT_GT(server.port(), 0);
        EXPECT_TRUE(std::filesystem::is_directory(directory));
        std::string path = server.writeFile("sub/dir/file.txt", "content");
        EXPECT_EQ(path, directory + "/sub/dir/file.txt");
        EXPECT_EQ(readFile(path), "content");
        std::string conf = readFile(server.writeFreetdsConf("freetds.conf", "entry", "[more]\n"));
        EXPECT_NE(conf.find("[entry]\n"), std::string::npos) << conf;
        EXPECT_NE(conf.find("port = " + std::to_string(server.port()) + "\n"), std::string::npos)
            << conf;
        EXPECT_EQ(conf.substr(conf.size() - 7), "[more]\n") << conf;
    }
    EXPECT_FALSE(std::filesystem::exists(directory));
}

TEST(TdsimTestProcess, TheServerAnswersToolsThroughItsConfiguration)
{
    TdsimTestProcess server;
    std::string conf = server.writeFreetdsConf("freetds.conf");
    CommandResult result = runShellCommand("bsqldb -S tdsim -U sa -P '' -q", "select 40 + 2\ngo\n",
                                           {{"FREETDSCONF", conf}});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("42"), std::string::npos) << result.output;
}

TEST(TdsimTestProcess, AServerThatEndsBeforeListeningIsReported)
{
    try {
        TdsimTestProcess server({"--charset", "ebcdic"});
        FAIL() << "tdsim started with an unknown character set";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("exit code 2 before listening"), std::string::npos)
            << error.what();
    }
}

TEST(RunShellCommand, PassesInputEnvironmentAndDirectoryAndReturnsOutputAndExitCode)
{
    std::string directory = std::filesystem::temp_directory_path().string();
    CommandResult result =
        runShellCommand("cat; printf '%s|' \"$TDSIM_TEST_VALUE\"; pwd; echo oops >&2; exit 3",
                        "from input|", {{"TDSIM_TEST_VALUE", "value"}}, directory);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.output,
              "from input|value|" + std::filesystem::canonical(directory).string() + "\noops\n");
}

TEST(RunShellCommand, ACommandKilledBySignalHasNoExitCode)
{
    EXPECT_EQ(runShellCommand("kill -9 $$").exitCode, -1);
}

}  // namespace
}  // namespace tdsim::testing
