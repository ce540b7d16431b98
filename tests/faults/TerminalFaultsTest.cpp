// skelder-cli interrupted while it asks for the password on a terminal: the terminal
// must echo again afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <string>

namespace {

// Reads the terminal's output until `text` has appeared; false at the end of the output or
// when nothing new comes for a long time.
bool awaitOutput(int terminal, const std::string& text)
{
    std::string seen;
    while (seen.find(text) == std::string::npos) {
        pollfd ready{terminal, POLLIN, 0};
        if (::poll(&ready, 1, 30000) <= 0)
            return false;
        char buffer[256];
        const ssize_t count = ::read(terminal, buffer, sizeof buffer);
        if (count <= 0)
            return false;
        seen.append(buffer, size_t(count));
    }
    return true;
}

bool echoes(int terminal)
{
    termios settings{};
    return ::tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
}

TEST(TerminalFaults, AnInterruptAtThePasswordPromptLeavesTheTerminalEchoing)
{
    int controller = -1;
    int terminal = -1;
    ASSERT_EQ(::openpty(&controller, &terminal, nullptr, nullptr, nullptr), 0);
    ASSERT_TRUE(echoes(terminal));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setsid();
        ::ioctl(terminal, TIOCSCTTY, 0);
        ::dup2(terminal, STDIN_FILENO);
        ::dup2(terminal, STDOUT_FILENO);
        ::dup2(terminal, STDERR_FILENO);
        ::unsetenv("SKELDER_PASSWORD");
        ::execl(SKELDER_CLI_PATH, SKELDER_CLI_PATH, "-S", "NOSUCH", "-U", "sa", "--settings",
                "/dev/null", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const bool prompted = awaitOutput(controller, "Password:");
    EXPECT_TRUE(prompted);
    EXPECT_FALSE(echoes(terminal)) << "the password is typed without echo";
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(echoes(terminal));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    ::close(controller);
    ::close(terminal);
}

}  // namespace
