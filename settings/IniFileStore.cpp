#include "IniFileStore.h"

#include "Exceptions.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The name of the section a line opens, or a null string.
QString sectionOf(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) &&
        trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return QString();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The key of a "key=value" line, or a null string when the line has no "=".
QString keyOf(const QString& line)
{
    const int equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.left(equals).trimmed();
}

// Index of the line opening `section`, or -1.
int findSection(const QStringList& lines, const QString& section)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionOf(lines[i]);
        if (!name.isNull() && sameName(name, section))
            return i;
    }
    return -1;
}

}  // namespace

TIniFileStore::TIniFileStore(QString fileName) : m_path(resolvePath(fileName)) {}

QString TIniFileStore::resolvePath(const QString& fileName)
{
    if (fileName.isEmpty() || QFileInfo(fileName).isAbsolute())
        return fileName;
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(configDir).filePath(fileName);
}

QStringList TIniFileStore::readLines() const
{
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString TIniFileStore::ReadString(const QString& section, const QString& ident,
                                  const QString& defaultValue)
{
    const QStringList lines = readLines();
    const int start = findSection(lines, section);
    if (start < 0)
        return defaultValue;
    for (int i = start + 1; i < lines.size(); ++i) {
        if (!sectionOf(lines[i]).isNull())
            break;
        const QString key = keyOf(lines[i]);
        if (!key.isNull() && sameName(key, ident.trimmed())) {
            const QString value = lines[i].mid(lines[i].indexOf(QLatin1Char('=')) + 1).trimmed();
            return value.left(MaxValueLength);
        }
    }
    return defaultValue;
}

void TIniFileStore::WriteString(const QString& section, const QString& ident, const QString& value)
{
    QStringList lines = readLines();
    const QString entry = ident + QLatin1Char('=') + value;
    const int start = findSection(lines, section);
    if (start < 0) {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else {
        // A new key goes after the section's last non-empty line, an existing one is replaced.
        int insertAt = start + 1;
        bool replaced = false;
        for (int i = start + 1; i < lines.size() && sectionOf(lines[i]).isNull(); ++i) {
            const QString key = keyOf(lines[i]);
            if (!key.isNull() && sameName(key, ident.trimmed())) {
                lines[i] = entry;
                replaced = true;
                break;
            }
            if (!lines[i].trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(insertAt, entry);
    }

    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).absolutePath()))
        throw ESkelderError(QStringLiteral("Unable to write to %1").arg(m_path));
    writeFileBytes(m_path, bytes);
}

int TIniFileStore::ReadInteger(const QString& section, const QString& ident, int defaultValue)
{
    const QString text = ReadString(section, ident, QString()).trimmed();
    bool ok = false;
    int value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = static_cast<int>(text.mid(2).toUInt(&ok, 16));
    else
        value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}
