// Runs the tdsim executable on a free port for one test, with a private
// freetds.conf through which FreeTDS's tools reach it as server "tdsim".
#pragma once

#include "TdsimTestProcess.h"

#include <string>
#include <vector>

namespace tdsim::test {

class ServerProcess : public tdsim::testing::TdsimTestProcess {
public:
    // Throws std::runtime_error when tdsim does not start or report its port.
    explicit ServerProcess(const std::vector<std::string>& arguments)
        : TdsimTestProcess(arguments), freetdsConf_(writeFreetdsConf("freetds.conf"))
    {
    }

    // Runs a shell command in the server's directory with FREETDSCONF pointing at
    // this server; returns its standard output and error, and sets exitCode.
    std::string run(const std::string& command, int& exitCode) const
    {
        tdsim::testing::CommandResult result = tdsim::testing::runShellCommand(
            command, {}, {{"FREETDSCONF", freetdsConf_}}, directory());
        exitCode = result.exitCode;
        return result.output;
    }

private:
    std::string freetdsConf_;
};

}  // namespace tdsim::test
