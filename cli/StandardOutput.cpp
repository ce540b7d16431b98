#include "StandardOutput.h"

#include "Exceptions.h"

#include <fcntl.h>
#include <unistd.h>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace StandardOutput {
namespace {
bool s_closedAtStart = false;

[[noreturn]] void fail(const QString& reason)
{
    throw EFileError(QStringLiteral("Cannot write to standard output. ") + reason);
}
}  // namespace

void guardClosedDescriptor()
{
    if (fcntl(STDOUT_FILENO, F_GETFD) != -1 || errno != EBADF)
        return;
    s_closedAtStart = true;
    // open() returns the lowest free descriptor: 1 here.
    const int nullDevice = open("/dev/null", O_WRONLY);
    if (nullDevice != STDOUT_FILENO && nullDevice >= 0)
        close(nullDevice);
}

void write(const QByteArray& bytes)
{
    if (s_closedAtStart)
        fail(QStringLiteral("It is closed."));
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if (written != size_t(bytes.size()) || std::fflush(stdout) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace StandardOutput
