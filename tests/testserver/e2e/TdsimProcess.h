// Starts a tdsim on a free port for one test fixture, with the demo tables, points
// FreeTDS at it through a private freetds.conf, and kills and reaps it when the
// fixture ends.
#pragma once

#include "TdsimTestProcess.h"

#include <string>
#include <vector>

namespace tdsim::e2e {

class TdsimProcess : public tdsim::testing::TdsimTestProcess {
public:
    // Throws std::runtime_error when tdsim cannot be started or does not report its port.
    explicit TdsimProcess(std::vector<std::string> extraArgs = {});

    // The freetds.conf entry that reaches this server ("tdsim").
    static constexpr const char* kServerEntry = "tdsim";
};

// Runs a shell command with `input` on its standard input; returns stdout+stderr
// and sets `exitCode`.
std::string runCommand(const std::string& command, const std::string& input, int& exitCode);

// An init script that creates the tables the end-to-end tests query.
std::string demoInitScript();

}  // namespace tdsim::e2e
