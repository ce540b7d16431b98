#include "TdsimProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tdsim::e2e {

namespace {
constexpr int kStartTimeoutMs = 20000;

std::string readFirstLine(int fd) {
    std::string line;
    char ch;
    while (line.empty() || line.back() != '\n') {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kStartTimeoutMs) <= 0) {
            throw std::runtime_error("tdsim did not report its port in time");
        }
        if (::read(fd, &ch, 1) != 1) {
            throw std::runtime_error("tdsim exited before listening: " + line);
        }
        line.push_back(ch);
    }
    return line;
}
}  // namespace

TdsimProcess::TdsimProcess(std::vector<std::string> extraArgs) {
    char dirTemplate[] = "/tmp/tdsim-e2e-XXXXXX";
    if (::mkdtemp(dirTemplate) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    directory_ = dirTemplate;
    std::string init = writeFile("init.sql", demoInitScript());
    std::vector<std::string> args = {TDSIM_PATH, "--port", "0", "--init", init};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    ::close(pipeEnds[1]);
    stdoutFd_ = pipeEnds[0];
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    std::string line = readFirstLine(stdoutFd_);
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) {
        throw std::runtime_error("unexpected first line from tdsim: " + line);
    }
    port_ = std::atoi(line.c_str() + prefix.size());
    writeFreetdsConf();
}

TdsimProcess::~TdsimProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (stdoutFd_ >= 0) {
        ::close(stdoutFd_);
    }
    if (!directory_.empty()) {
        std::string cleanup = "rm -rf '" + directory_ + "'";
        [[maybe_unused]] int rc = std::system(cleanup.c_str());
    }
}

std::string TdsimProcess::writeFile(const std::string& name, const std::string& content) const {
    std::string path = directory_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

void TdsimProcess::writeFreetdsConf() const {
    std::string conf = "[global]\n    tds version = 5.0\n[" + std::string(kServerEntry) +
                       "]\n    host = 127.0.0.1\n    port = " + std::to_string(port_) + "\n";
    std::string path = writeFile("freetds.conf", conf);
    ::setenv("FREETDSCONF", path.c_str(), 1);
}

std::string runCommand(const std::string& command, const std::string& input, int& exitCode) {
    char inputTemplate[] = "/tmp/tdsim-input-XXXXXX";
    int fd = ::mkstemp(inputTemplate);
    if (fd < 0) {
        throw std::runtime_error("mkstemp failed");
    }
    [[maybe_unused]] auto n = ::write(fd, input.data(), input.size());
    ::close(fd);
    std::string full = command + " < " + inputTemplate + " 2>&1";
    std::FILE* pipe = ::popen(full.c_str(), "r");
    std::string output;
    char buffer[4096];
    size_t got;
    while (pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    int status = pipe != nullptr ? ::pclose(pipe) : -1;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::unlink(inputTemplate);
    return output;
}

std::string demoInitScript() {
    return "create table demo (id int not null, name varchar(30) null)\n"
           "go\n"
           "insert into demo values (1, 'alpha')\n"
           "insert into demo values (2, 'beta')\n"
           "insert into demo values (3, null)\n"
           "insert into demo values (4, 'delta')\n"
           "insert into demo values (5, 'epsilon')\n"
           "go\n"
           "create table types (c char(5) null, vc varchar(10) null, ti tinyint null,\n"
           "  si smallint null, i int null, b bit not null, dt datetime null,\n"
           "  sdt smalldatetime null, m money null, sm smallmoney null, n numeric(10,2) null,\n"
           "  d decimal(5,0) null, f float null, r real null, t text null, bin binary(4) null,\n"
           "  vb varbinary(8) null)\n"
           "go\n"
           "insert into types values ('ab', '', 255, -2, 123456, 1, '2024-02-29 13:45:30.500',\n"
           "  '2001-12-31 23:59', -1234.5678, 12.5, -12345678.90, 99999, 1.5, 2.5, 'some text',\n"
           "  0x01020304, 0xabcd)\n"
           "insert into types values (null, null, null, null, null, 0, null, null, null, null,\n"
           "  null, null, null, null, null, null, null)\n"
           "go\n"
           "create proc p_double @a int, @b int output as\n"
           "begin\n"
           "  select @a as a\n"
           "  select @b = @a * 2\n"
           "  return 5\n"
           "end\n"
           "go\n";
}

}  // namespace tdsim::e2e
