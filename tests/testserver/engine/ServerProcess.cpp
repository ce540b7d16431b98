#include "ServerProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tdsim::test {

ServerProcess::ServerProcess(const std::vector<std::string>& arguments)
{
    char pattern[] = "/tmp/tdsim-engine-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    directory_ = pattern;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> argv = {TDSIM_PATH, "--port", "0"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_ = fork();
    if (pid_ == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> raw;
        for (std::string& arg : argv)
            raw.push_back(arg.data());
        raw.push_back(nullptr);
        execv(raw[0], raw.data());
        _exit(127);
    }
    close(pipeFds[1]);
    // The first line is "listening on 127.0.0.1:PORT"; reading blocks until it arrives.
    FILE* out = fdopen(pipeFds[0], "r");
    std::array<char, 256> line{};
    bool gotLine = out && std::fgets(line.data(), line.size(), out);
    if (out)
        std::fclose(out);
    std::string text = gotLine ? line.data() : "";
    size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        throw std::runtime_error("tdsim did not report its port: " + text);
    }
    port_ = std::atoi(text.c_str() + colon + 1);
    writeFile("freetds.conf",
              "[global]\n\ttds version = 5.0\n[tdsim]\n\thost = 127.0.0.1\n\tport = " +
                  std::to_string(port_) + "\n");
}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::string command = "rm -rf '" + directory_ + "'";
    if (std::system(command.c_str()) != 0) {
        // Leaving a temporary directory behind is harmless.
    }
}

std::string ServerProcess::writeFile(const std::string& name, const std::string& content) const
{
    std::string path = directory_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ServerProcess::run(const std::string& command, int& exitCode) const
{
    std::string full = "cd '" + directory_ + "' && FREETDSCONF='" + directory_ + "/freetds.conf' " +
                       command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("popen failed");
    std::string output;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    int status = pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

}  // namespace tdsim::test
