#include "TdsimServer.h"

#include "CTLibDatabase.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
constexpr int kStartTimeoutMs = 20000;

std::string readFirstLine(int fd) {
    std::string line;
    char ch;
    while (line.empty() || line.back() != '\n') {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kStartTimeoutMs) <= 0)
            throw std::runtime_error("tdsim did not report its port in time");
        if (::read(fd, &ch, 1) != 1)
            throw std::runtime_error("tdsim exited before listening: " + line);
        line.push_back(ch);
    }
    return line;
}
}  // namespace

TdsimServer::TdsimServer(const QStringList& initFiles, const QStringList& extraArgs) {
    char dirTemplate[] = "/tmp/skelder-tdsim-XXXXXX";
    if (::mkdtemp(dirTemplate) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_directory = QString::fromLocal8Bit(dirTemplate);

    std::vector<std::string> args = {TDSIM_PATH, "--port", "0"};
    for (const QString& file : initFiles) {
        args.push_back("--init");
        args.push_back(file.toStdString());
    }
    for (const QString& arg : extraArgs)
        args.push_back(arg.toStdString());

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    ::close(pipeEnds[1]);
    m_stdout = pipeEnds[0];
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    const std::string line = readFirstLine(m_stdout);
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0)
        throw std::runtime_error("unexpected first line from tdsim: " + line);
    m_port = std::atoi(line.c_str() + prefix.size());
    writeIniFile();
    qputenv("SYBASE", QFile::encodeName(m_directory));
}

TdsimServer::~TdsimServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (m_stdout >= 0)
        ::close(m_stdout);
    if (!m_directory.isEmpty())
        QDir(m_directory).removeRecursively();
}

QString TdsimServer::writeFile(const QString& name, const QByteArray& content) const {
    const QString path = m_directory + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(content);
    return path;
}

void TdsimServer::writeIniFile(const QString& extraSections) const {
    const QString text = QStringLiteral(
                             "[global]\n    tds version = 5.0\n"
                             "[%1]\n    host = 127.0.0.1\n    port = %2\n    tds version = 5.0\n")
                             .arg(serverName())
                             .arg(m_port) +
                         extraSections;
    writeFile(QStringLiteral("ini/sql.ini"), text.toUtf8());
}

void TdsimServer::configure(TCTLibDatabase& db) const {
    qputenv("SYBASE", QFile::encodeName(m_directory));
    db.LoadServerList();
    db.ServerList = db.InternalServerList();
    db.ServerName = serverName();
    db.UserName = QStringLiteral("sa");
    db.Password = QString();
    db.LoginPrompt = false;
}
