// The shared tdsim child process and shell-command runner the test helpers build on.
#include "TdsimTestProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

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

TEST(TdsimTestProcess, WithoutAStartLimitWaitsUntilTheServerListensOrEnds)
{
    TdsimTestProcess listening({}, {}, std::nullopt);
    EXPECT_GT(listening.port(), 0);
    try {
        TdsimTestProcess ended({"--charset", "ebcdic"}, {}, std::nullopt);
        FAIL() << "tdsim started with an unknown character set";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("before listening"), std::string::npos)
            << error.what();
    }
}

// tdsim takes no signal while it loads its init scripts: its owner must still end it.
TEST(ChildProcess, OneThatIgnoresSigtermIsKilledAndReapedAfterTheGrace)
{
    // The pipe's write end closes on exec, once the child ignores SIGTERM.
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    UniqueFd execed(ends[0]), writeEnd(ends[1]);
    int pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGTERM, SIG_IGN);
        ::execl("/bin/sleep", "sleep", "600", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ChildProcess child(pid);
    writeEnd.reset();
    char byte;
    ASSERT_EQ(::read(execed.get(), &byte, 1), 0);
    child.terminate(std::chrono::milliseconds(50));
    EXPECT_EQ(child.pid(), -1);
    EXPECT_EQ(::kill(pid, 0), -1) << "the process is still there";
    EXPECT_EQ(errno, ESRCH);
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
