// Runs the tdsim executable on a free port for one test, with a private
// freetds.conf through which FreeTDS's tools reach it as server "tdsim".
#pragma once

#include <string>
#include <vector>

namespace tdsim::test {

class ServerProcess {
public:
    // Throws std::runtime_error when tdsim does not start or report its port.
    explicit ServerProcess(const std::vector<std::string>& arguments);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Runs a shell command with FREETDSCONF pointing at this server; returns its
    // standard output and error, and sets exitCode.
    std::string run(const std::string& command, int& exitCode) const;
    std::string writeFile(const std::string& name, const std::string& content) const;

private:
    std::string directory_;
    int pid_ = -1;
    int port_ = 0;
};

}  // namespace tdsim::test
