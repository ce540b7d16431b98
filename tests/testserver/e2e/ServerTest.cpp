// The server process itself: concurrent clients, bad input on one connection,
// the TDS 7 pre-login, the trace file, running out of descriptors and the command line.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>

#include "CtClient.h"
#include "TdsimProcess.h"

namespace tdsim::e2e {
namespace {

// A raw TCP connection to tdsim, for sending what no FreeTDS client would.
class RawConnection {
public:
    explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { ::close(fd_); }
    bool connected() const { return connected_; }
    void send(const std::string& bytes)
    {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // True when the server closes the connection without sending anything.
    bool closedByServer()
    {
        char byte;
        return ::recv(fd_, &byte, 1, 0) == 0;
    }

private:
    int fd_;
    bool connected_ = false;
};

std::string selectSpid(CtClient& client)
{
    std::vector<std::vector<std::string>> rows;
    EXPECT_EQ(client.sendLanguage("select @@spid"), CS_SUCCEED);
    client.drain(&rows);
    return rows.empty() ? "" : rows[0][0];
}

std::string readFile(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

size_t countOccurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Returns the file's content as soon as it holds `part`, or what it holds when `timeout`
// has passed. Woken by inotify on every write, so it waits no longer than it must.
std::string waitForText(const std::string& path, const std::string& part,
                        std::chrono::milliseconds timeout)
{
    tdsim::testing::UniqueFd changes(::inotify_init1(IN_CLOEXEC));
    EXPECT_GE(::inotify_add_watch(changes.get(), path.c_str(), IN_MODIFY), 0)
        << path << ": " << std::strerror(errno);
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::string text = readFile(path);
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (text.find(part) != std::string::npos || left.count() <= 0) {
            return text;
        }
        pollfd ready{changes.get(), POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) > 0) {
            char events[4096];
            [[maybe_unused]] ssize_t n = ::read(changes.get(), events, sizeof events);
        }
    }
}

// Lowers the process's limit on open descriptors to its lowest free descriptor number,
// so that the next descriptor it opens fails with EMFILE until one of its own is closed.
void useUpDescriptors(int pid)
{
    std::set<int> open;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        open.insert(std::stoi(entry.path().filename().string()));
    }
    rlim_t lowestFree = 0;
    while (open.count(static_cast<int>(lowestFree)) != 0) {
        ++lowestFree;
    }
    rlimit limit{};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &limit), 0) << std::strerror(errno);
    limit.rlim_cur = lowestFree;
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &limit, nullptr), 0) << std::strerror(errno);
}

const std::string kPreLogin =
    std::string("\x12\x01\x00\x10\x00\x00\x00\x00", 8) + std::string(8, '\0');

TEST(ServerTest, ClientsAreServedTogetherAndBadInputOnlyDropsItsConnection)
{
    TdsimProcess server({"--trace", "/dev/null"});
    CtClient first, second;
    ASSERT_EQ(first.connect("sa", ""), CS_SUCCEED);
    ASSERT_EQ(second.connect("sa", ""), CS_SUCCEED);
    std::string spid1 = selectSpid(first);
    std::string spid2 = selectSpid(second);
    EXPECT_FALSE(spid1.empty());
    EXPECT_NE(spid1, spid2);

    RawConnection garbage(server.port());
    ASSERT_TRUE(garbage.connected());
    garbage.send(std::string("\x0f\x01\x00\x04garbage", 11));  // length below the header
    EXPECT_TRUE(garbage.closedByServer());

    RawConnection truncatedLogin(server.port());
    truncatedLogin.send(std::string("\x02\x01\x00\x20", 4) + std::string(28, 'x'));
    EXPECT_TRUE(truncatedLogin.closedByServer());

    RawConnection preLogin(server.port());
    preLogin.send(kPreLogin);
    EXPECT_TRUE(preLogin.closedByServer());

    // The logged-in clients carry on, on the same sessions.
    EXPECT_EQ(selectSpid(first), spid1);
    EXPECT_EQ(selectSpid(second), spid2);
}

using Rows = std::vector<std::vector<std::string>>;

// Two sessions of one server: `looping` runs an endless batch that counts in a table, and
// `other` works beside it.
class EndlessBatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(looping.connect("sa", ""), CS_SUCCEED);
        ASSERT_EQ(other.connect("sa", ""), CS_SUCCEED);
        ASSERT_EQ(
            other.sendLanguage("create table counter (n int not null) insert counter values (0)"),
            CS_SUCCEED);
        other.drain();
        ASSERT_EQ(looping.sendLanguage("while 1 = 1 update counter set n = n + 1"), CS_SUCCEED);
    }

    // Rows of `other`'s batch, which ends only when the loop moves on while it runs: the
    // two sessions take turns at the server, whichever started first.
    Rows waitForTheLoopToMove()
    {
        Rows rows;
        EXPECT_EQ(other.sendLanguage("declare @n int select @n = n from counter\n"
                                     "waiting: if (select n from counter) = @n goto waiting\n"
                                     "select 'moving'"),
                  CS_SUCCEED);
        other.drain(&rows);
        return rows;
    }

    Rows query(const std::string& sql)
    {
        Rows rows;
        EXPECT_EQ(other.sendLanguage(sql), CS_SUCCEED);
        other.drain(&rows);
        return rows;
    }

    TdsimProcess server;
    CtClient looping, other;
};

// An endless batch keeps its own session busy, as on the server, and no other: another
// session is answered and a new login accepted while it runs, and SIGTERM still stops
// the server at once.
TEST_F(EndlessBatch, DelaysNoOtherSessionAndSigtermStillStopsTheServer)
{
    EXPECT_EQ(waitForTheLoopToMove(), (Rows{{"moving"}}));
    const auto asked = std::chrono::steady_clock::now();
    const Rows answer = query("select 42");
    const auto answered = std::chrono::steady_clock::now();
    EXPECT_EQ(answer, (Rows{{"42"}}));
    std::cout << "select 42 beside an endless batch: "
              << std::chrono::duration<double, std::milli>(answered - asked).count() << " ms\n";
    CtClient newcomer;
    EXPECT_EQ(newcomer.connect("sa", ""), CS_SUCCEED);
    EXPECT_FALSE(selectSpid(newcomer).empty());

    ASSERT_EQ(::kill(server.pid(), SIGTERM), 0);
    // A deadline, not a measurement: a server that ignores SIGTERM never gets there.
    std::optional<int> status = server.waitForExit(std::chrono::seconds(30));
    ASSERT_TRUE(status.has_value()) << "tdsim still runs 30 s after SIGTERM";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
}

// A cancel reaches a batch that is still running, not only one whose reply is being sent:
// the endless loop ends, undone no further than its statement under way, and the
// connection goes on.
TEST_F(EndlessBatch, CancelEndsItWhileItStillRuns)
{
    EXPECT_EQ(waitForTheLoopToMove(), (Rows{{"moving"}}));
    // FreeTDS sends the attention and reads up to its acknowledgement.
    ASSERT_EQ(ct_cancel(nullptr, looping.cmd(), CS_CANCEL_ALL), CS_SUCCEED);
    CS_INT type = 0;
    while (ct_results(looping.cmd(), &type) == CS_SUCCEED) {
    }
    EXPECT_FALSE(selectSpid(looping).empty());
    EXPECT_EQ(query("select n from counter"), query("select n from counter"))
        << "the loop still runs";
}

TEST(ServerTest, TraceFileShowsRequestsAndReplyTokens)
{
    char dir[] = "/tmp/tdsim-trace-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    std::string trace = std::string(dir) + "/trace.log";
    {
        TdsimProcess server({"--trace", trace, "--server-name", "TRACED"});
        CtClient client;
        ASSERT_EQ(client.connect("sa", ""), CS_SUCCEED);
        selectSpid(client);
    }
    std::string text = readFile(trace);
    EXPECT_NE(text.find("<- LANGUAGE 'select @@spid"), std::string::npos) << text;
    EXPECT_NE(text.find("-> ROWFMT"), std::string::npos);
    EXPECT_NE(text.find("-> LOGINACK"), std::string::npos);
    std::remove(trace.c_str());
    ::rmdir(dir);
}

TEST(ServerTest, CancelWhileTheServerIsStillSendingCutsTheReplyShort)
{
    char dir[] = "/tmp/tdsim-cancel-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    std::string trace = std::string(dir) + "/trace.log";
    {
        TdsimProcess server({"--trace", trace});
        CtClient client;
        ASSERT_EQ(client.connect("sa", ""), CS_SUCCEED);
        // About 15 MB of rows: far more than the socket buffers hold, so the server
        // is still writing when the attention arrives.
        ASSERT_EQ(client.sendLanguage("select replicate('x', 200) from demo a, demo b, demo c, "
                                      "demo d, demo e, demo f, demo g"),
                  CS_SUCCEED);
        CS_INT type = 0;
        ASSERT_EQ(ct_results(client.cmd(), &type), CS_SUCCEED);
        ASSERT_EQ(type, CS_ROW_RESULT);
        CS_INT read = 0;
        ASSERT_EQ(ct_fetch(client.cmd(), CS_UNUSED, CS_UNUSED, CS_UNUSED, &read), CS_SUCCEED);
        ASSERT_EQ(ct_cancel(nullptr, client.cmd(), CS_CANCEL_ALL), CS_SUCCEED);
        while (ct_results(client.cmd(), &type) == CS_SUCCEED) {
        }
        EXPECT_FALSE(selectSpid(client).empty());
    }
    EXPECT_NE(readFile(trace).find("reply cut short"), std::string::npos);
    std::remove(trace.c_str());
    ::rmdir(dir);
}

TEST(ServerTest, OutOfDescriptorsTheListenerWaitsForAConnectionToEndAndThenAccepts)
{
    char dir[] = "/tmp/tdsim-starved-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    std::string trace = std::string(dir) + "/trace.log";
    {
        TdsimProcess server({"--trace", trace});
        std::optional<CtClient> holder(std::in_place);
        ASSERT_EQ(holder->connect("sa", ""), CS_SUCCEED);
        ASSERT_NO_FATAL_FAILURE(useUpDescriptors(server.pid()));

        // Stays in the listen queue: the server has no descriptor left to accept it with.
        RawConnection waiting(server.port());
        ASSERT_TRUE(waiting.connected());
        waiting.send(kPreLogin);
        std::string text = waitForText(trace, "cannot accept", std::chrono::seconds(20));
        ASSERT_NE(text.find("cannot accept"), std::string::npos) << text;
        EXPECT_NE(text.find("Too many open files"), std::string::npos) << text;
        // Sessions already open go on being served.
        EXPECT_FALSE(selectSpid(*holder).empty());

        // The holder's descriptors come free when its session ends; the waiting client is
        // then accepted and its TDS 7 pre-login answered by closing, and new logins work.
        holder.reset();
        EXPECT_TRUE(waiting.closedByServer());
        CtClient later;
        ASSERT_EQ(later.connect("sa", ""), CS_SUCCEED);
        EXPECT_FALSE(selectSpid(later).empty());
    }
    // One report for the whole time the waiting client could not be accepted, however
    // often it was retried. (The later login may race the refused client's descriptor
    // being closed and then start a streak of its own.)
    std::string text = readFile(trace);
    std::string untilAccepted = text.substr(0, text.find("TDS 7 login refused"));
    EXPECT_EQ(countOccurrences(untilAccepted, "cannot accept"), 1u) << text;
    std::remove(trace.c_str());
    ::rmdir(dir);
}

TEST(ServerTest, CommandLineErrorsAndHelp)
{
    int exitCode = -1;
    std::string help = runCommand(std::string(TDSIM_PATH) + " --help", "", exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(help.find("--latency-ms"), std::string::npos);
    runCommand(std::string(TDSIM_PATH) + " --port 70000", "", exitCode);
    EXPECT_EQ(exitCode, 2);
    runCommand(std::string(TDSIM_PATH) + " --charset ebcdic", "", exitCode);
    EXPECT_EQ(exitCode, 2);
    runCommand(std::string(TDSIM_PATH) + " --init /nonexistent/file.sql", "", exitCode);
    EXPECT_EQ(exitCode, 1);
}

}  // namespace
}  // namespace tdsim::e2e
