// An X server of a test's own: Xvfb on the first free display, started before the
// application and ended with this object.
#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>

class XvfbDisplay {
public:
    // Starts Xvfb and waits until it says which display it serves; on failure
    // `failure()` says why and nothing is left running.
    XvfbDisplay()
    {
        int ready[2];
        if (::pipe(ready) != 0) {
            m_failure = QStringLiteral("no pipe for Xvfb");
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            const std::string fd = std::to_string(ready[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        if (m_pid < 0) {
            ::close(ready[0]);
            m_failure = QStringLiteral("fork failed");
            return;
        }
        // Xvfb writes the display number once it accepts clients; end of file means it
        // could not start (not installed, or no display free).
        QByteArray number;
        char byte = 0;
        ssize_t got = 0;
        while ((got = ::read(ready[0], &byte, 1)) == 1 && byte != '\n')
            number += byte;
        ::close(ready[0]);
        if (number.isEmpty()) {
            stop();
            m_failure = QStringLiteral("Xvfb did not start (is the package xvfb installed?)");
            return;
        }
        m_display = QStringLiteral(":") + QString::fromLatin1(number);
    }
    ~XvfbDisplay() { stop(); }
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    QString display() const { return m_display; }
    QString failure() const { return m_failure; }

private:
    void stop()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    pid_t m_pid = -1;
    QString m_display;
    QString m_failure;
};
