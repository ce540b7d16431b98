// Starts a tdsim on a free port for one test fixture, points FreeTDS at it
// through a private freetds.conf, and kills and reaps it when the fixture ends.
#pragma once

#include <string>
#include <vector>

namespace tdsim::e2e {

class TdsimProcess {
public:
    // Throws std::runtime_error when tdsim cannot be started or does not report its port.
    explicit TdsimProcess(std::vector<std::string> extraArgs = {});
    ~TdsimProcess();
    TdsimProcess(const TdsimProcess&) = delete;
    TdsimProcess& operator=(const TdsimProcess&) = delete;

    int port() const { return port_; }
    // The freetds.conf entry that reaches this server ("tdsim").
    static constexpr const char* kServerEntry = "tdsim";
    const std::string& directory() const { return directory_; }
    // Writes a file into the fixture's directory and returns its path.
    std::string writeFile(const std::string& name, const std::string& content) const;

private:
    void writeFreetdsConf() const;

    std::string directory_;
    int pid_ = -1;
    int stdoutFd_ = -1;
    int port_ = 0;
};

// Runs a shell command with `input` on its standard input; returns stdout+stderr
// and sets `exitCode`.
std::string runCommand(const std::string& command, const std::string& input, int& exitCode);

// An init script that creates the tables the end-to-end tests query.
std::string demoInitScript();

}  // namespace tdsim::e2e
