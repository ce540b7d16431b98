#include "SqlMonitor.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {
constexpr quint32 kCopyDataId = 99;

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + written, size_t(bytes.size() - written), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}
}  // namespace

QString sqlMonitorSocketPath()
{
    return QDir::tempPath() + QStringLiteral("/tf_main.Brennick");
}

bool sendToSqlMonitor(const QString& text, quintptr senderId)
{
    const QByteArray path = QFile::encodeName(sqlMonitorSocketPath());
    sockaddr_un address{};
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool sent = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        // Little-endian header: identifier, sender id, length of the data (text + NUL).
        QByteArray data = text.toUtf8();
        data.append('\0');
        QByteArray record(16, '\0');
        qToLittleEndian<quint32>(kCopyDataId, record.data());
        qToLittleEndian<quint64>(quint64(senderId), record.data() + 4);
        qToLittleEndian<quint32>(quint32(data.size()), record.data() + 12);
        sent = writeAll(fd, record + data);
    }
    ::close(fd);
    return sent;
}
