#include "TdsimTestProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace tdsim::testing {

namespace {
const std::string kListeningPrefix = "listening on 127.0.0.1:";

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// A pipe whose ends are closed in child processes on exec unless dup2'ed.
void makePipe(UniqueFd& readEnd, UniqueFd& writeEnd)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe failed: ") + std::strerror(errno));
    readEnd.reset(ends[0]);
    writeEnd.reset(ends[1]);
}

std::string describeStatus(int status)
{
    if (WIFEXITED(status))
        return "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// Reads up to and including the first newline, waiting `limit` at most (without one,
// until the pipe closes). Returns false when the pipe closes first; throws when the
// limit passes.
bool readFirstLine(int fd, std::optional<std::chrono::milliseconds> limit, std::string& line)
{
    const auto deadline =
        std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds::zero());
    while (line.empty() || line.back() != '\n') {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        int ready = !limit             ? ::poll(&p, 1, -1)
                    : left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count()))
                                       : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            throw std::runtime_error("tdsim did not report its port within " +
                                     std::to_string(limit->count()) +
                                     " ms; output so far: " + line);
        char ch;
        ssize_t got = ::read(fd, &ch, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != 1)
            return false;
        line.push_back(ch);
    }
    return true;
}
}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        terminate();
        pid_ = other.pid_;
        other.pid_ = -1;
    }
    return *this;
}

int ChildProcess::wait()
{
    int status = -1;
    if (pid_ > 0) {
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    return status;
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit)
{
    if (pid_ <= 0)
        return std::nullopt;
    // A pidfd becomes readable when the process ends, so the wait needs no polling loop.
    UniqueFd ended(static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0)));
    if (ended.get() < 0)
        throw std::runtime_error(std::string("pidfd_open failed: ") + std::strerror(errno));
    pollfd watch{ended.get(), POLLIN, 0};
    int ready = 0;
    while ((ready = ::poll(&watch, 1, static_cast<int>(limit.count()))) < 0 && errno == EINTR) {
    }
    if (ready <= 0)
        return std::nullopt;
    return wait();
}

void ChildProcess::terminate(std::chrono::milliseconds grace)
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        if (!waitFor(grace)) {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }
}

TdsimTestProcess::TemporaryDirectory::TemporaryDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tdsim-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed for " + pattern + ": " + std::strerror(errno));
    path = pattern;
}

TdsimTestProcess::TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

TdsimTestProcess::TdsimTestProcess(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& initScripts,
                                   std::optional<std::chrono::milliseconds> startLimit)
{
    std::vector<std::string> args = {TDSIM_PATH, "--port", "0"};
    for (size_t i = 0; i < initScripts.size(); ++i) {
        args.push_back("--init");
        args.push_back(writeFile("init" + std::to_string(i + 1) + ".sql", initScripts[i]));
    }
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = pointers(args);

    UniqueFd writeEnd;
    makePipe(stdout_, writeEnd);
    int pid = ::fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        // A test killed for taking too long takes its server with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(writeEnd.get(), STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    child_ = ChildProcess(pid);
    writeEnd.reset();

    std::string line;
    if (!readFirstLine(stdout_.get(), startLimit, line)) {
        int status = child_.wait();
        throw std::runtime_error("tdsim (" + std::string(TDSIM_PATH) + ") ended with " +
                                 describeStatus(status) + " before listening; output: " + line);
    }
    if (line.rfind(kListeningPrefix, 0) != 0)
        throw std::runtime_error("unexpected first line from tdsim: " + line);
    port_ = std::atoi(line.c_str() + kListeningPrefix.size());
    if (port_ <= 0)
        throw std::runtime_error("tdsim reported no port: " + line);
}

TdsimTestProcess::~TdsimTestProcess() = default;

std::string TdsimTestProcess::writeFile(const std::string& name, const std::string& content) const
{
    std::filesystem::path path = std::filesystem::path(directory_.path) / name;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string TdsimTestProcess::writeFreetdsConf(const std::string& name,
                                               const std::string& serverEntry,
                                               const std::string& extraSections) const
{
    return writeFile(name, "[global]\n    tds version = 5.0\n[" + serverEntry +
                               "]\n    host = 127.0.0.1\n    port = " + std::to_string(port_) +
                               "\n    tds version = 5.0\n" + extraSections);
}

CommandResult runShellCommand(const std::string& command, const std::string& input,
                              const Environment& environment, const std::string& workingDirectory)
{
    // The input goes through an unlinked temporary file, so that writing it cannot
    // block on a command that does not read it.
    std::string inputPath =
        (std::filesystem::temp_directory_path() / "tdsim-input-XXXXXX").string();
    UniqueFd inputFd(::mkostemp(inputPath.data(), O_CLOEXEC));
    if (inputFd.get() < 0)
        throw std::runtime_error("mkstemp failed for " + inputPath + ": " + std::strerror(errno));
    ::unlink(inputPath.c_str());
    for (size_t written = 0; written < input.size();) {
        ssize_t n = ::write(inputFd.get(), input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error(std::string("cannot write command input: ") +
                                     std::strerror(errno));
        written += static_cast<size_t>(n);
    }
    if (::lseek(inputFd.get(), 0, SEEK_SET) != 0)
        throw std::runtime_error("cannot rewind command input");

    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : environment)
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        if (!replaced)
            env.push_back(text);
    }
    for (const auto& [name, value] : environment)
        env.push_back(name + "=" + value);
    std::vector<std::string> args = {"/bin/sh", "-c", command};
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);

    UniqueFd readEnd, writeEnd;
    makePipe(readEnd, writeEnd);
    int pid = ::fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        ::dup2(inputFd.get(), STDIN_FILENO);
        ::dup2(writeEnd.get(), STDOUT_FILENO);
        ::dup2(writeEnd.get(), STDERR_FILENO);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0)
            ::_exit(127);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ChildProcess child(pid);
    writeEnd.reset();
    inputFd.reset();

    CommandResult result;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.output.append(buffer, static_cast<size_t>(n));
    }
    int status = child.wait();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace tdsim::testing
