// A tdsim child process for one test: started on a free port in its own temporary
// directory, killed (SIGTERM), reaped and its directory removed on destruction.
// Plain C++ so that the test server's own tests need neither Qt nor client code.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tdsim::testing {

// Variables a child process gets on top of (or instead of) the test's own.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Owns a file descriptor and closes it once.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// Owns a child process: kills (SIGTERM) and reaps it unless it was waited for.
class ChildProcess {
public:
    ChildProcess() = default;
    explicit ChildProcess(int pid) : pid_(pid) {}
    ~ChildProcess() { terminate(); }
    ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }
    // Waits for the child to end and returns its wait status.
    int wait();
    // Waits at most `limit` for the child to end: its wait status, or nothing when it
    // still runs.
    std::optional<int> waitFor(std::chrono::milliseconds limit);
    // Sends SIGTERM and reaps the child, if there is one; one that has not ended after
    // `grace` (tdsim takes no signal while it loads its init scripts) gets SIGKILL.
    static constexpr std::chrono::milliseconds kTerminationGrace{10000};
    void terminate(std::chrono::milliseconds grace = kTerminationGrace);

private:
    int pid_ = -1;
};

class TdsimTestProcess {
public:
    static constexpr std::chrono::milliseconds kDefaultStartLimit{20000};

    // Runs `tdsim --port 0 [--init <script>]... <arguments>`, where each of `initScripts`
    // is written into the directory first, and waits for its first line
    // "listening on 127.0.0.1:PORT": at most `startLimit`, or without one for as long as
    // tdsim runs (a large init script can take minutes). Throws std::runtime_error when
    // tdsim cannot be started, exits, or does not report its port in time.
    explicit TdsimTestProcess(
        const std::vector<std::string>& arguments = {},
        const std::vector<std::string>& initScripts = {},
        std::optional<std::chrono::milliseconds> startLimit = kDefaultStartLimit);
    ~TdsimTestProcess();
    TdsimTestProcess(const TdsimTestProcess&) = delete;
    TdsimTestProcess& operator=(const TdsimTestProcess&) = delete;

    int port() const { return port_; }
    // The server's process, for tests that stop, kill, limit or look at it.
    int pid() const { return child_.pid(); }
    // Waits at most `limit` for the server to end (after a signal the test sent): its
    // wait status, or nothing when it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds limit)
    {
        return child_.waitFor(limit);
    }
    const std::string& directory() const { return directory_.path; }

    // Writes a file (creating its parent directories) below the directory and
    // returns its path; throws std::runtime_error when it cannot be written.
    std::string writeFile(const std::string& name, const std::string& content) const;
    // Writes a FreeTDS configuration (freetds.conf or interfaces-file format) whose
    // entry `serverEntry` reaches this server, followed by `extraSections`; returns its path.
    std::string writeFreetdsConf(const std::string& name, const std::string& serverEntry = "tdsim",
                                 const std::string& extraSections = {}) const;

private:
    struct TemporaryDirectory {
        TemporaryDirectory();
        ~TemporaryDirectory();
        TemporaryDirectory(const TemporaryDirectory&) = delete;
        TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
        std::string path;
    };

    // Destroyed in reverse order: the server is killed and reaped before its
    // standard output is closed and its directory removed.
    TemporaryDirectory directory_;
    UniqueFd stdout_;
    ChildProcess child_;
    int port_ = 0;
};

struct CommandResult {
    std::string output;  // standard output and standard error, interleaved
    int exitCode = -1;   // -1 when the command did not exit normally
};

// Runs `command` with /bin/sh, `input` on its standard input, `environment` added to
// the test's environment and, unless empty, `workingDirectory` as its directory.
CommandResult runShellCommand(const std::string& command, const std::string& input = {},
                              const Environment& environment = {},
                              const std::string& workingDirectory = {});

}  // namespace tdsim::testing
